#pragma once

// The mechanisms every CANopen table editor shares: the XML table document (load and save), the
// order in which a side is written, the import of one worksheet of a workbook and the CSV export.
// Core only (Qt Core + pugixml); the windows and velmaro-cli call the same functions.
//
// Vocabulary:
// - A table has a fixed lower-case name (root element, worksheet and CSV base name) and an ordered
//   list of field names (row attributes, worksheet columns and CSV values, in that order).
// - A record is a tuple of texts in field order. Values stay texts; they are converted, always with
//   ParseIntegerText, only where they are compared, ordered or tested bit by bit.
// - Every table splits its records into side A and side B; documents and CSV files hold side A first.

#include "base/ProjectPaths.h"
#include "base/Result.h"
#include "canopen/TableEditing.h"
#include "platform/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace pugi {
struct xml_node_struct;
}

namespace velmaro {

class Workbook;

// The names of one table. Each document kind defines one instance (see TableDocument.h).
struct TableDefinition
{
    QString TableName;          // "rpdodef", "sdopdo", "emcydef", "emcyword"
    QStringList AttributeNames; // field names in record order
};

// ---------------------------------------------------------------------------------------------------
// Loading a table document

// What a window shows when a table document is missing or cannot be read (every kind's own document
// but the stored-PDO editor's, whose messages name the document).
inline const QString TableNotFoundMessage = QStringLiteral("File XML not found");
inline const QString TableReadErrorMessage = QStringLiteral("Error in reading file XML");

// One row element of a table document, handed to the caller's row reader. Valid only during the call.
class TableRow
{
public:
    explicit TableRow(pugi::xml_node_struct* node, int index) : m_node(node), m_index(index) {}

    // The text of the attribute `name`; fails ("row N has no attribute "name"") when the row lacks it,
    // which ends the load with the read-error message.
    Result<QString> attribute(const QString& name) const;
    // The texts of the attributes `names` (UTF-8), in that order, in one pass over the row's attributes
    // (the first of a repeated name counts); fails as attribute() does for the first name it lacks.
    Result<QStringList> attributes(const QList<QByteArray>& names) const;
    // The attribute converted with ParseIntegerText; fails when absent or not an integer.
    Result<qint32> integerAttribute(const QString& name) const;
    // 0-based position of the row among the root's children.
    int index() const { return m_index; }

private:
    pugi::xml_node_struct* m_node;
    int m_index;
};

// The caller's row reader: takes the values it needs from the row and puts the record where it
// belongs. A failure ends the load; whatever the reader placed before returning it stays placed.
using TableRowReader = std::function<Status(const TableRow& row)>;

struct TableLoadResult
{
    enum class Outcome
    {
        Loaded,   // every row was read (an empty root gives an empty table)
        NotFound, // no file at the path; nothing was read
        ReadError // not well-formed, or a row reader failed; rows before it stay read
    };
    Outcome outcome = Outcome::Loaded;
    QString message; // the caller's not-found or read-error message; empty when loaded
    QString detail;  // why the read failed (parser text with line/column, missing attribute, ...)
    QString path;    // the document read (built with "\\")
    // Set by a table's own load when it read rows that its OK would not write back (a row it drops),
    // saying which: the document was then not read whole either.
    QString rowsLost;
    // Set by a table's own load when it keeps and saves records that its window neither shows nor
    // exports ("holds 12 records on side A; the editor shows and exports 10"). Read whole all the same.
    QString notShown;
    bool ok() const { return outcome == Outcome::Loaded; }
    // Read whole, or not there at all: the editor's OK may replace it without asking.
    bool readWhole() const { return outcome != Outcome::ReadError && rowsLost.isEmpty(); }
    // What a window shows: the message, and for a read error the file and the reason on the next line.
    QString shownText() const;
};

// What a showing's load gives the window and velmaro-cli, the same for every table kind: the one
// verdict on the editor's own document that the editor's OK, check, export, import and report share.
struct DocumentLoad
{
    QList<TableLoadResult> failures; // each read that failed, in order
    bool readWhole = true;           // the editor's own document was read whole, or does not exist
    QString incomplete;              // why it was not: the read's detail, or the rows the OK drops
    QString notShown;                // records kept and saved but neither shown nor exported
    // Whether the editor's Export writes everything the document holds.
    bool exportsWhole() const { return readWhole && notShown.isEmpty(); }
    // One line on the document at `path`, empty when it is whole: "\"<path>\" could not be read
    // completely: <why>." or "\"<path>\" holds 12 records on side A; the editor shows and exports 10."
    QString verdict(const QString& path) const;
    // The messages the window shows in plain message boxes, in order.
    QStringList messages() const;
    // The same, each read error with the file and the reason on a second line.
    QStringList shownMessages() const;
    // The load of a document that is a single read.
    static DocumentLoad of(const TableLoadResult& read);
    // Sets readWhole, incomplete and notShown from the read of the editor's own document.
    void judge(const TableLoadResult& own);
};

// Reads the document at `path` (built with "\"). Every child element of the root is a row, whatever
// its name, in document order; extra attributes are ignored. The windows show `message` in a plain
// message box; velmaro-cli prints it together with `detail`.
TableLoadResult LoadTableDocument(const QString& path, const QString& notFoundMessage,
                                  const QString& readErrorMessage, const TableRowReader& reader);

// ---------------------------------------------------------------------------------------------------
// Ordering

enum class TieRule
{
    // A key equal to the best so far replaces it: equal keys come out last-in-memory first.
    // Used with single keys (rpdodef, emcydef) and with emcyword's "smaller or equal" tuple rule.
    LaterWins,
    // Only a strictly smaller tuple replaces the best: equal tuples keep their in-memory order (sdopdo).
    SmallerTuple,
};

struct OrderRule
{
    QString sentinel; // "0x999999" (rpdodef, sdopdo) or "999999" (emcydef, emcyword), every component
    TieRule tie = TieRule::LaterWins;
};

// The order in which one side's records are written: indices into `keys`, where keys[i] holds the
// key text(s) of record i (one text for a single key, several for a tuple, first compared first).
// Records whose key can be chosen against the sentinel (a key not above it; with SmallerTuple, a
// tuple below it) come out in ascending key order with the tie rule; the others, which the
// selection would never choose, follow them in ascending order with the same tie rule, so every
// record is written. Fails with "'<text>' is not a valid integer value" for the first key text (in
// record order) that ParseIntegerText rejects. O(n log n).
Result<QList<int>> OrderByKey(const QList<QStringList>& keys, const OrderRule& rule);

// ---------------------------------------------------------------------------------------------------
// Saving a table document

// One side as the save needs it: per record its key text(s) and the attribute values to write, in
// AttributeNames order (computed values such as a packed flag already in place). keys and rows run
// in parallel, in the side's in-memory order.
struct TableSideRows
{
    QList<QStringList> keys;
    QList<QStringList> rows;
    void append(QStringList key, QStringList row)
    {
        keys.append(std::move(key));
        rows.append(std::move(row));
    }
};

// Orders each side with OrderByKey, then writes the document: root element named TableName without
// attributes, one "row" element per record (side A, then side B), each carrying the attributes of
// AttributeNames in that order. Written atomically; a key that is not an integer fails before
// anything is written ("'<text>' is not a valid integer value"), leaving the old file as it was.
Status SaveTableDocument(const TableDefinition& table, const QString& path, const TableSideRows& sideA,
                         const TableSideRows& sideB, const OrderRule& rule);

// Asked once the table has passed the save's checks, before anything is written; false keeps the
// document as it is.
using WriteConsent = std::function<bool()>;

// The same, asking `consent` (when given) between the checks and the write: true when written,
// false when the consent was refused, a failure when a key is not an integer or the write failed.
Result<bool> SaveTableDocument(const TableDefinition& table, const QString& path, const TableSideRows& sideA,
                               const TableSideRows& sideB, const OrderRule& rule,
                               const WriteConsent& consent);

// Writes rows already in their final order (used by SaveTableDocument; also for tables whose order
// is not a key order).
Status WriteTableDocument(const TableDefinition& table, const QString& path, const QList<QStringList>& rows);

// ---------------------------------------------------------------------------------------------------
// Importing a worksheet

// The request of the open dialog of every import: "File EXCEL (*.xls)|*.xls" plus .xlsx and .ods,
// starting in ProjectDir. Pass it to IFileDialogs::openFile; cancelled means nothing happens.
FileDialogRequest OpenExcelRequest(const ProjectPaths& paths);

// How an import treats a worksheet record that the editor's OK would not keep (a PDO record after an
// empty "cobid", an EMCY word whose side marker is neither 0 nor 1, a stored entry of a PDO that the
// tab does not list).
enum class ImportRule
{
    Editor,         // the editor's Import: the record is placed, or dropped, as the editor does
    EveryRecordKept // velmaro-cli: the import stops at such a record, naming the reason
};

// The caller's record reader: fields holds exactly AttributeNames.size() texts, field k from the
// k-th column (an empty cell is the empty text, a number in general decimal form such as 385 or
// 3.5, a text unchanged). A failure ends the import at that record; records placed before stay.
using WorksheetRecordReader = std::function<Status(const QStringList& fields)>;

struct ImportOutcome
{
    enum class Outcome
    {
        Imported,       // every record of the worksheet was read
        Unreadable,     // the workbook could not be opened or the worksheet not read
        NoWorksheet,    // no worksheet named TableName (compared case-insensitively)
        StoppedAtRecord // the record reader (or a short row) ended the import at `record`
    };
    Outcome outcome = Outcome::Imported;
    int records = 0;  // records the reader accepted
    int record = 0;   // 1-based record number where the import stopped (first below the headings)
    int sheetRow = 0; // the worksheet row (1-based) of that record
    QString reason;   // why it stopped or could not read
    // Set by a table's import when it placed records that the window does not show (kept and saved,
    // neither shown nor exported), saying how many.
    QString notShown;
    bool ok() const { return outcome == Outcome::Imported; }
    // One line for velmaro-cli, e.g. "Import stopped at record 3 (worksheet row 4): '' is not ...".
    QString describe(const QString& workbookPath, const QString& tableName) const;
    // What the editor tells the user after its Import: nothing when every record was read and every
    // record placed is shown, otherwise the line above (a stop adds that the records before it were
    // imported) and what the window does not show.
    QString editorNote(const QString& workbookPath, const QString& tableName) const;
};

// For ImportRule::EveryRecordKept: fails, naming the field, when a key text of the record is not an
// integer, since the OK would refuse to save the table ("its \"cobid\": 'x' is not a valid integer value").
Status CheckImportKeys(const QStringList& names, const QStringList& keys);

// Performs the editor's empty step, then opens the workbook at `workbookPath` (.xls, .xlsx, .ods),
// finds the worksheet named TableName in any letter case and hands each row below its heading row to
// `reader`. The editors ignore the outcome (the import is quiet); velmaro-cli refuses unless ok().
ImportOutcome ImportWorksheet(const TableDefinition& table, const QString& workbookPath,
                              const std::function<void()>& emptyStep, const WorksheetRecordReader& reader);

// The same over a workbook already open (tests, benchmarks); the empty step runs first.
ImportOutcome ImportWorksheet(const TableDefinition& table, const Workbook& workbook,
                              const std::function<void()>& emptyStep, const WorksheetRecordReader& reader);

// ---------------------------------------------------------------------------------------------------
// Exporting CSV

// ProjectDir + "/" + TableName + ".csv".
QString CsvPath(const QString& projectDir, const TableDefinition& table);

// The bytes of the CSV text: every value followed by ",", every line ended by CR LF, no quoting.
QByteArray CsvText(const QList<QStringList>& lines);

// Writes `lines` (which lines and values is the editor's choice) to CsvPath, created or replaced
// atomically without asking. Fails with "Cannot create file ..." when it cannot be written.
Status ExportCsv(const QString& projectDir, const TableDefinition& table, const QList<QStringList>& lines);

} // namespace velmaro
