// The mapping document sdo.xml: load, then save what was loaded and load it again.

#include "FuzzProject.h"
#include "mapping/MappingDocument.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velmaro;
    const ProjectPaths& p = fuzz::Project();
    fuzz::Place(p.SdoXmlPath, data, size);
    const MappingLoad load = LoadMappingDocument(p.SdoXmlPath);
    if (load.tables.in.size() > MappingRowCount || load.tables.out.size() > MappingRowCount)
        std::abort();
    if (!load.ok())
        return 0;
    // What loaded cleanly saves, and the saved document loads to the same rows.
    if (!SaveMappingDocument(p.SdoXmlPath, load.tables).ok())
        std::abort();
    const MappingLoad again = LoadMappingDocument(p.SdoXmlPath);
    if (!again.ok() || again.tables.in.size() != load.tables.in.size()
        || again.tables.out.size() != load.tables.out.size())
        std::abort();
    return 0;
}
