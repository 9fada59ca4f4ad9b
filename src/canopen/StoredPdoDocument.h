#pragma once

// sdopdo.xml, the sdopdo worksheet and sdopdo.csv of the stored-PDO editor, in the shape every table
// kind has (see PdoDocument.h), with the reads of the SDO table and the PDO translation document that
// a showing needs first.

#include "canopen/StoredPdoTable.h"

namespace velmaro {

// "sdopdo": "index", "subindex", "nrpdo", "poscomp".
const TableDefinition& SdoPdoTable();

// The three reads of a showing (see StoredPdoDocument::load) each add their failure to `failures`.
// Reads the SDO reference lists from the SDO table at `path`.
void ReadSdoTable(const QString& path, StoredPdoTable& table, QList<TableLoadResult>& failures);
// Reads the PDOs of both tabs from the PDO translation document at `path` ("en_bypass" bit 1 clear:
// tab "CanA").
void ReadPdoTranslation(const QString& path, StoredPdoTable& table, QList<TableLoadResult>& failures);
// Reads the stored entries at `path` into the PDOs already listed. An entry of a PDO that the tab
// does not list is dropped; the result then has rowsLost set.
TableLoadResult ReadStoredEntries(const QString& path, StoredPdoTable& table,
                                  QList<TableLoadResult>& failures);

// The records of both tabs as the save takes them, in list order: key (Index, Subindex) and the row
// "index", "subindex", "nrpdo", "poscomp". Refuses, naming the tab and the PDO, an entry of a PDO
// beyond the 127th of its tab: its number does not fit beside the tab bit of "nrpdo".
struct StoredPdoSides
{
    TableSideRows sideA;
    TableSideRows sideB;
};
Result<StoredPdoSides> StoredPdoSaveRows(const StoredPdoTable& table);

// The same steps in the shape every table kind has (see PdoDocument.h). The load reads the SDO table
// and the PDO translation document before sdopdo.xml; only sdopdo.xml decides whether the document
// was read whole.
struct StoredPdoDocument
{
    using Table = StoredPdoTable;

    static const TableDefinition& definition();
    static QString path(const ProjectPaths& paths);
    static DocumentLoad load(const ProjectPaths& paths, Table& table);
    // OK: ordered by (Index, Subindex), equal pairs in list order; nothing is written on a failure.
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
