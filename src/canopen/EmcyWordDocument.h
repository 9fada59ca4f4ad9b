#pragma once

// emcyword.xml, the emcyword worksheet and emcyword.csv of the EMCY word editor: the only place that
// knows their format. The steps themselves are TableDocument's; used by the window and by velmaro-cli.

#include "canopen/EmcyWordTable.h"
#include "canopen/TableDocument.h"

namespace velmaro {

// Load: rows whose "extdata" is neither 0 nor 1 are dropped (not read whole).
// OK: each side ordered by (devid, index_addrm, subindex) against "999999"; an equal tuple also
// replaces the best, so equal tuples come out later-listed first. A key text that is not an integer
// refuses the save.
// Import: 52 columns in attribute order; a side marker that is not an integer ends the import at that
// record. A marker other than 0 and 1 drops the record, or with ImportRule::EveryRecordKept ends the
// import there.
// Export: side A then side B in list order, 52 values each with "0" as the fourth.
struct EmcyWordDocument : TableDocument<EmcyWordDocument, EmcyWordTable>
{
    // A record of 52 texts in attribute order (from a document row or a worksheet line) as a word and
    // its side marker; fails when the marker is not an integer or values are missing.
    static Result<emcyword::SidedWord> WordFromRecord(const QStringList& record);
    // The 52 attribute values of a saved row.
    static QStringList RowValues(const TClWEmcy& word, Side side);
    // The 52 values of an exported line: index, subindex, devid, "0", then the bits.
    static QStringList CsvValues(const TClWEmcy& word);
    // The save key of a word: (devid, index_addrm, subindex), compared in that order.
    static QStringList SaveKey(const TClWEmcy& word);
    static int savedRows(const Table& table);
    // The format, for TableDocument.
    static const TableFormat<EmcyWordTable>& format();
};

} // namespace velmaro
