#pragma once

// The PDO translation table ("rpdodef"): its names, the flag packings of the document and of the
// worksheet/CSV, and the load, save, import and export steps of its editor, shared by the window
// and velmaro-cli.

#include "canopen/TableMechanisms.h"

#include <QList>
#include <QStringList>

namespace velmaro {

class Workbook;

// "rpdodef" with "cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo".
const TableDefinition& RpdoDefTable();

// Columns of a grid row (grid columns 1 to 5).
enum PdoColumn
{
    PdoCobId = 0,
    PdoIdDevOrig = 1,
    PdoEnTraslate = 2, // "1" or "0" after a load or import; whatever was typed otherwise
    PdoPosInd = 3,
    PdoNTpdo = 4,
    PdoColumnCount = 5
};

// Record rows a grid shows (grid rows 1 to 10).
constexpr int PdoShownRows = 10;

// Both sides as their grids hold them. rows[i] is grid row i + 1 with its five cell texts. There are
// always at least PdoShownRows rows; rows beyond them hold records a document or worksheet brought
// past the tenth: kept and saved, but neither shown nor exported. A side's records are its rows up to,
// not including, the first row whose "cobid" is empty.
struct PdoTable
{
    PdoTable();
    void clear();

    // Side A: "PDO From CanA to CanB", grid sga; side B: "PDO From CanB to CanA", grid sgb.
    QList<QStringList>& side(Side s) { return m_sides[size_t(s)]; }
    const QList<QStringList>& side(Side s) const { return m_sides[size_t(s)]; }

private:
    QList<QStringList> m_sides[2];
};

// The records of one side: its rows up to the first empty "cobid".
QList<QStringList> PdoRecords(const QList<QStringList>& side);

// The document's "en_bypass" for a record of `side`: bit 1 = side A, bit 0 = enabled, where
// enabled means the "en_traslate" cell is exactly "1".
QString PackDocumentFlag(Side side, const QString& enTraslate);
// The worksheet/CSV flag text: "00", "01" (side A), "10", "11" (side B).
QString PackCsvFlag(Side side, const QString& enTraslate);

// Empties `table` and loads the document at `path` ("File XML not found", "Error in reading file XML").
// Rows read before a failure stay, the failing row with the cells filled before the missing value.
// rowsLost is set when a side got more rows than its grid shows, or rows that its records do not
// reach (a row with an empty "cobid" and whatever follows it).
TableLoadResult LoadPdoTable(const QString& path, PdoTable& table);

// Writes both sides, each ordered by "cobid" (sentinel "0x999999", later wins), with the computed
// "en_bypass". Fails without writing when a "cobid" is not an integer.
Status SavePdoTable(const QString& path, const PdoTable& table);
// The same, asking `consent` between the checks and the write (see SaveTableDocument).
Result<bool> SavePdoTable(const QString& path, const PdoTable& table, const WriteConsent& consent);

// The Import: empties both sides, then reads worksheet "rpdodef" (flag column: bit 1 = side B,
// bit 0 = enabled). A flag that is not an integer ends the import at that record; with
// ImportRule::EveryRecordKept so does a record whose "cobid" is empty, which the OK would drop
// together with the records after it on its side.
ImportOutcome ImportPdoTable(const QString& workbookPath, PdoTable& table,
                             ImportRule rule = ImportRule::Editor);
ImportOutcome ImportPdoTable(const Workbook& workbook, PdoTable& table, ImportRule rule = ImportRule::Editor);

// The 22 CSV lines of the Export: per side the heading row and grid rows 1 to 10.
QList<QStringList> PdoCsvLines(const PdoTable& table);
Status ExportPdoTable(const QString& projectDir, const PdoTable& table);

// The column width that shares a grid's width among its columns: width / columns rounded to the
// nearest integer (a half to the even neighbour), minus 5 pixels.
int SharedColumnWidth(int width, int columns);

} // namespace velmaro
