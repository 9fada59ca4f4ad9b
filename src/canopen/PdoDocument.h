#pragma once

// rpdodef.xml, the rpdodef worksheet and rpdodef.csv of the PDO translation editor, in the shape every
// table kind has (see TableMechanisms.h): load, save, import and export, used by the window and by
// velmaro-cli.

#include "canopen/PdoTable.h"
#include "canopen/TableMechanisms.h"

namespace velmaro {

struct PdoDocument
{
    using Table = PdoTable;

    static const TableDefinition& definition();
    // The document the OK replaces.
    static QString path(const ProjectPaths& paths);
    // A showing: empties `table` and reads the document.
    static DocumentLoad load(const ProjectPaths& paths, Table& table);
    // OK: checks the table, asks `consent` (when given), writes. True when written.
    static Result<bool> save(const ProjectPaths& paths, const Table& table, const WriteConsent& consent = {});
    // The rows that save writes.
    static int savedRows(const Table& table);
    // Import: the window's `emptyStep` (when given) after the table is emptied, then the worksheet.
    static ImportOutcome importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {});
    // Export: ProjectDir/rpdodef.csv.
    static Status exportCsv(const ProjectPaths& paths, const Table& table);
};

} // namespace velmaro
