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
    // A showing: empties `table` and reads the document ("File XML not found", "Error in reading file
    // XML"). Not read whole when a side got more rows than its grid shows, or rows that its records do
    // not reach (a row with an empty "cobid" and whatever follows it).
    static DocumentLoad load(const ProjectPaths& paths, Table& table);
    // OK: writes both sides, each ordered by "cobid" (sentinel "0x999999", later wins), with the computed
    // "en_bypass"; asks `consent` (when given) between the checks and the write. True when written;
    // fails without writing when a "cobid" is not an integer.
    static Result<bool> save(const ProjectPaths& paths, const Table& table, const WriteConsent& consent = {});
    // The rows that save writes.
    static int savedRows(const Table& table);
    // Import: empties both sides, runs the window's `emptyStep` (when given), then reads worksheet
    // "rpdodef" (flag column: bit 1 = side B, bit 0 = enabled). A flag that is not an integer ends the
    // import at that record; with ImportRule::EveryRecordKept so does a record whose "cobid" is empty,
    // which the OK would drop together with the records after it on its side.
    static ImportOutcome importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {});
    // The same over a workbook already open.
    static ImportOutcome importWorkbook(const Workbook& workbook, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {});
    // Export: ProjectDir/rpdodef.csv, the lines of PdoCsvLines.
    static Status exportCsv(const ProjectPaths& paths, const Table& table);
};

} // namespace velmaro
