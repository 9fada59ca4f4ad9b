#pragma once

// What both workbook targets do with one input placed at `path`: every worksheet read whole, then the
// import of every CANopen table kind from the same file.

#include "cli/CliTables.h"
#include "platform/Workbook.h"

#include <cstdlib>

namespace velmaro::fuzz {

inline int ReadWholeWorkbook(const QString& path)
{
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

} // namespace velmaro::fuzz
