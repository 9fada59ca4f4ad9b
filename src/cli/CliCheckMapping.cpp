#include "cli/CliCheck.h"
#include "mapping/MappingRules.h"

namespace velmaro::cli {

bool CheckMapping(const ProjectPaths& paths, Io& io)
{
    const MappingCheck check = CheckMappingDocument(paths.PargenXmlPath, paths.SdoXmlPath);
    for (const QString& notice : check.notices)
        io.err << notice << "\n";
    if (!check.verdict.ok()) {
        io.err << check.verdict.error() << "\n";
        return false;
    }
    if (!check.found)
        return true; // a project without the mapping has nothing to report
    io.out << "sdo.xml: " << check.used.in.size() << " input rows, " << check.used.out.size()
           << " output rows in use\n";
    return true;
}

} // namespace velmaro::cli
