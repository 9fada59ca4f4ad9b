// The workbook readers (.xls, .xlsx, .ods, told apart by content): every worksheet read whole, then
// the import of every CANopen table kind from the same file.

#include "FuzzProject.h"
#include "cli/CliTables.h"
#include "platform/Workbook.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velmaro;
    const ProjectPaths& p = fuzz::Project();
    const QString path = p.ProjectDir + QStringLiteral("\\input.xls");
    fuzz::Place(path, data, size);
    const auto workbook = OpenWorkbook(path);
    if (!workbook.ok()) {
        if (workbook.error().isEmpty())
            std::abort(); // a refusal always says why
        return 0;
    }
    for (const QString& name : (*workbook)->worksheetNames()) {
        const auto rows = (*workbook)->readRows(name);
        if (!rows.ok())
            continue;
        for (const WorksheetRow& row : rows->rows) {
            if (row.sheetRow < 1)
                std::abort();
        }
    }
    for (const cli::CliTable& table : cli::CliTables())
        table.create()->importWorkbook(path);
    return 0;
}
