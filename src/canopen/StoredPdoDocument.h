#pragma once

// sdopdo.xml, the sdopdo worksheet and sdopdo.csv of the stored-PDO editor: the only place that knows
// their format, with the reads of the SDO table and the PDO translation document that a showing needs
// first. The other steps are TableDocument's.

#include "canopen/StoredPdoTable.h"
#include "canopen/TableDocument.h"

namespace velmaro {

// OK: ordered by (Index, Subindex), equal pairs in list order; nothing is written on a failure, which
// includes an entry of a PDO beyond the 127th of its tab (its number does not fit beside the tab bit of
// "nrpdo").
// Import: the window's `emptyStep` first; once the worksheet "sdopdo" is found every PDO's entries are
// dropped, then each record goes to the PDO that its third field names. The editor drops a record
// naming a PDO that the tab does not list; ImportRule::EveryRecordKept ends the import at such a record
// instead, so that no record is lost unnoticed.
// Export: sdopdo.csv in the project folder, entries in list order, no heading line.
struct StoredPdoDocument : TableDocument<StoredPdoDocument, StoredPdoTable>
{
    // The load reads the SDO table (the SDO objects a tab may not repeat) and the PDO translation
    // document (the PDOs of each tab, "en_bypass" bit 1 clear: tab "CanA") before sdopdo.xml, whose
    // entries go to the PDOs they name; an entry of a PDO that its tab does not list is dropped. Only
    // sdopdo.xml decides whether the document was read whole.
    static DocumentLoad load(const ProjectPaths& paths, Table& table);
    static int savedRows(const Table& table);
    // The format, for TableDocument.
    static const TableFormat<StoredPdoTable>& format();
};

} // namespace velmaro
