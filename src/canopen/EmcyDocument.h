#pragma once

// emcydef.xml, the emcydef worksheet and emcydef.csv for the EMCY translation table, on the shared
// table mechanisms. The window and velmaro-cli call these same functions.

#include "canopen/EmcyTable.h"
#include "canopen/TableMechanisms.h"

namespace velmaro {

// "emcydef" and its twelve attribute names.
const TableDefinition& EmcyDefTable();
// Sides are ordered by their labels against "999999", later entries winning ties.
const OrderRule& EmcyOrderRule();

inline const QString EmcyNotFoundMessage = QStringLiteral("File XML not found");
inline const QString EmcyReadErrorMessage = QStringLiteral("Error in reading file XML");

// The CSV lines: side A then side B, each in list order, "bypass_set" packed as the save packs it.
QList<QStringList> EmcyCsvLines(const EmcyTable& table);

// The same steps in the shape every table kind has (see PdoDocument.h). Nothing of an emcydef
// document or worksheet is dropped by the editor, so the import rule changes nothing here.
struct EmcyDocument
{
    using Table = EmcyTable;

    static const TableDefinition& definition();
    static QString path(const ProjectPaths& paths);
    // Empties `table` and reads the document: an empty text field reads as "0"; "bypass_set" gives
    // enable, alias_use and the side. Rows read before a failure stay.
    static DocumentLoad load(const ProjectPaths& paths, Table& table);
    // Writes the table, each side in label order; a label that is not an integer refuses the save with
    // the conversion message and nothing is written.
    static Result<bool> save(const ProjectPaths& paths, const Table& table, const WriteConsent& consent = {});
    static int savedRows(const Table& table);
    // Empties `table`, runs `emptyStep`, then appends the worksheet's records: texts as they are (an
    // empty cell stays empty), column twelve unpacked like "bypass_set", labelled by id_dev.
    static ImportOutcome importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {});
    // The same over a workbook already open.
    static ImportOutcome importWorkbook(const Workbook& workbook, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {});
    static Status exportCsv(const ProjectPaths& paths, const Table& table);
};

} // namespace velmaro
