#pragma once

// rpdodef.xml, the rpdodef worksheet and rpdodef.csv of the PDO translation editor: the only place that
// knows their format. The steps themselves are TableDocument's; used by the window and by velmaro-cli.

#include "canopen/PdoTable.h"
#include "canopen/TableDocument.h"

namespace velmaro {

// Load: not read whole when a side got rows that its records do not reach (a row with an empty
// "cobid" and whatever follows it); rows past a grid's tenth are kept and saved but not shown.
// OK: both sides, each ordered by "cobid" (sentinel "0x999999", later wins), with the computed
// "en_bypass"; a "cobid" that is not an integer refuses the save.
// Import: worksheet "rpdodef" (flag column: bit 1 = side B, bit 0 = enabled). A flag that is not an
// integer ends the import at that record; with ImportRule::EveryRecordKept so does a record whose
// "cobid" is empty, which the OK would drop together with the records after it on its side.
// Export: rpdodef.csv, per side the heading row and grid rows 1 to 10, the flag as PackCsvFlag packs it.
struct PdoDocument : TableDocument<PdoDocument, PdoTable>
{
    // The document's "en_bypass" for a record of `side`: bit 1 = side A, bit 0 = enabled, where
    // enabled means the "en_traslate" cell is exactly "1".
    static QString PackDocumentFlag(Side side, const QString& enTraslate);
    // The worksheet/CSV flag text: "00", "01" (side A), "10", "11" (side B).
    static QString PackCsvFlag(Side side, const QString& enTraslate);
    // The rows that save writes.
    static int savedRows(const Table& table);
    // The format, for TableDocument.
    static const TableFormat<PdoTable>& format();
};

} // namespace velmaro
