// The table documents of every CANopen table kind: the input stands in for each of the project's
// table documents, then each kind loads it as its editor's showing does, saves and exports.

#include "FuzzProject.h"
#include "cli/CliTables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velmaro;
    const ProjectPaths& p = fuzz::Project();
    for (const QString* path :
         {&p.RpdoDefXmlPath, &p.SdoPdoXmlPath, &p.PdoXmlPath, &p.EmcyDefXmlPath, &p.EmcyWordXmlPath})
        fuzz::Place(*path, data, size);
    for (const cli::CliTable& table : cli::CliTables()) {
        const auto session = table.create();
        session->load(p);
        session->exportCsv(p);
        session->save(p);
    }
    return 0;
}
