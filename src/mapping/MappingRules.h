#pragma once

#include "base/Result.h"
#include "mapping/MappingDocument.h"

#include <QStringList>

namespace velmaro {

// The rows in use of each table: from the first row down to the one before the first row whose
// Slave ID is empty. Rows below it are neither checked nor saved.
MappingTables RowsInUse(const MappingTables& grid);

// Checks the rows in use, the input table first, each row in column order. The failure's text is
// the message shown: "Error row " + the row number + the column's text.
Status ValidateMapping(const MappingTables& used, const MappingLimits& limits);

// The editor's verdict on a project's mapping without a window: limits from pargen.xml, sdo.xml
// loaded as the editor loads it, then the validation of OK. No sdo.xml passes.
struct MappingCheck
{
    bool found = false;  // sdo.xml exists
    MappingTables used;  // the rows in use
    QStringList notices; // plain messages of the load (rows beyond the grid)
    Status verdict;      // the load failure or the first failing cell
};
MappingCheck CheckMappingDocument(const QString& pargenPath, const QString& sdoPath);

} // namespace velmaro
