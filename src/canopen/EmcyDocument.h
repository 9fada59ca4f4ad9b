#pragma once

// emcydef.xml, the emcydef worksheet and emcydef.csv of the EMCY translation editor: the only place that
// knows their format. The steps themselves are TableDocument's; used by the window and by velmaro-cli.

#include "canopen/EmcyTable.h"
#include "canopen/TableDocument.h"

namespace velmaro {

// Load: an empty text field reads as "0"; "bypass_set" gives enable, alias_use and the side.
// OK: each side in label order against "999999", later entries winning ties; a label that is not an
// integer refuses the save and nothing is written.
// Import: texts as they are (an empty cell stays empty), column twelve unpacked like "bypass_set",
// labelled by id_dev. Nothing of a document or worksheet is dropped, so the import rule only adds the
// key check of velmaro-cli.
// Export: side A then side B, each in list order, "bypass_set" packed as the save packs it.
struct EmcyDocument : TableDocument<EmcyDocument, EmcyTable>
{
    // "bypass_set": bit 0 enable, bits 1..4 alias_use, bit 5 side (set for side B).
    static qint32 PackBypassSet(const TClEmcy& entry, Side side);
    // Sets enable and alias_use (0..15) from a packed value and gives the side.
    static Side UnpackBypassSet(qint32 value, TClEmcy& entry);
    // The twelve values of an entry in attribute order, "bypass_set" packed with the side.
    static QStringList RowValues(const TClEmcy& entry, Side side);
    static int savedRows(const Table& table);
    // The format, for TableDocument.
    static const TableFormat<EmcyTable>& format();
};

} // namespace velmaro
