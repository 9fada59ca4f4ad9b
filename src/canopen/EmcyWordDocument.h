#pragma once

// The load, save, import and export steps of the EMCY word editor, shared by the window and
// velmaro-cli, on the table mechanisms every editor uses.

#include "canopen/EmcyWordTable.h"
#include "canopen/TableMechanisms.h"

#include <functional>

namespace velmaro {

// "emcyword" with its 52 attribute names.
const TableDefinition& EmcyWordTableDefinition();

// Save order of each side: (devid, index_addrm, subindex) against "999999"; an equal tuple also
// replaces the best, so equal tuples come out later-listed first.
OrderRule EmcyWordOrder();

// The CSV lines: side A then side B in list order, 52 values each with "0" as the fourth.
QList<QStringList> EmcyWordCsvLines(const EmcyWordTable& table);

// The same steps in the shape every table kind has (see PdoDocument.h).
struct EmcyWordDocument
{
    using Table = EmcyWordTable;

    static const TableDefinition& definition();
    static QString path(const ProjectPaths& paths);
    // Empties `table` and reads the document ("File XML not found", "Error in reading file XML"). Words
    // read before a failure stay; rows whose "extdata" is neither 0 nor 1 are dropped (not read whole).
    static DocumentLoad load(const ProjectPaths& paths, Table& table);
    // Writes both sides in their save order. Fails without writing when a key text is not an integer.
    static Result<bool> save(const ProjectPaths& paths, const Table& table, const WriteConsent& consent = {});
    static int savedRows(const Table& table);
    // Empties `table`, runs `emptyStep`, then reads worksheet "emcyword", 52 columns in attribute
    // order; a side marker that is not an integer ends the import at that record. A marker other than
    // 0 and 1 drops the record, or with ImportRule::EveryRecordKept ends the import there.
    static ImportOutcome importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {});
    // The same over a workbook already open.
    static ImportOutcome importWorkbook(const Workbook& workbook, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {});
    static Status exportCsv(const ProjectPaths& paths, const Table& table);
};

} // namespace velmaro
