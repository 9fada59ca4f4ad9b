#pragma once

// sdopdo.xml, the sdopdo worksheet and sdopdo.csv of the stored-PDO editor, in the shape every table
// kind has (see PdoDocument.h), with the reads of the SDO table and the PDO translation document that
// a showing needs first.

#include "canopen/StoredPdoTable.h"

namespace velmaro {

// "sdopdo": "index", "subindex", "nrpdo", "poscomp".
const TableDefinition& SdoPdoTable();

// The same steps in the shape every table kind has (see PdoDocument.h). The load reads the SDO table
// (the SDO objects a tab may not repeat) and the PDO translation document (the PDOs of each tab,
// "en_bypass" bit 1 clear: tab "CanA") before sdopdo.xml, whose entries go to the PDOs they name; an
// entry of a PDO that its tab does not list is dropped. Only sdopdo.xml decides whether the document
// was read whole.
struct StoredPdoDocument
{
    using Table = StoredPdoTable;

    static const TableDefinition& definition();
    static QString path(const ProjectPaths& paths);
    static DocumentLoad load(const ProjectPaths& paths, Table& table);
    // OK: ordered by (Index, Subindex), equal pairs in list order; nothing is written on a failure,
    // which includes an entry of a PDO beyond the 127th of its tab (its number does not fit beside the
    // tab bit of "nrpdo").
    static Result<bool> save(const ProjectPaths& paths, const Table& table, const WriteConsent& consent = {});
    static int savedRows(const Table& table);
    // Import: the window's `emptyStep` first; once the worksheet "sdopdo" is found every PDO's entries
    // are dropped, then each record goes to the PDO that its third field names. The editor drops a
    // record naming a PDO that the tab does not list; ImportRule::EveryRecordKept ends the import at
    // such a record instead, so that no record is lost unnoticed.
    static ImportOutcome importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {});
    // The same over a workbook already open.
    static ImportOutcome importWorkbook(const Workbook& workbook, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {});
    // Export: sdopdo.csv in the project folder, entries in list order, no heading line.
    static Status exportCsv(const ProjectPaths& paths, const Table& table);
};

} // namespace velmaro
