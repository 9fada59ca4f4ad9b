#pragma once

#include "base/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmaro {

// Each grid of the mapping editor has this many data rows.
constexpr int MappingRowCount = 244;

// The two tables: serial registers read into PROFIBUS input bytes, and PROFIBUS output bytes written
// to serial registers.
enum class MappingSide
{
    In,
    Out
};

// One row: the cell texts exactly as typed or read, in the order of MappingAttributes(side).
using MappingRow = QStringList;

struct MappingTables
{
    QList<MappingRow> in;
    QList<MappingRow> out;

    QList<MappingRow>& side(MappingSide s) { return s == MappingSide::In ? in : out; }
    const QList<MappingRow>& side(MappingSide s) const { return s == MappingSide::In ? in : out; }
    bool operator==(const MappingTables& o) const { return in == o.in && out == o.out; }
};

// Attribute names of a row element, in the order they are written (and grid columns 1..n).
const QStringList& MappingAttributes(MappingSide side);
// The grid's column headings of those cells: "Slave ID", "Type" (input table only), "Address Register",
// "NPoint", "Address ProfiBUS", "Mnemonic".
const QStringList& MappingColumnCaptions(MappingSide side);
// Element that holds the rows of a table: "ProfiBUS_IN" or "ProfiBUS_OUT".
QString MappingElement(MappingSide side);

// What a load produced. On failure `tables` keeps the rows read before it; `notices` are plain
// messages (rows beyond the grid's capacity).
struct MappingLoad
{
    bool found = false; // the file exists
    MappingTables tables;
    QString error; // empty when the load succeeded
    QStringList notices;
    bool beyondGrid = false; // a table holds more rows than the grid; those were not kept
    bool ok() const { return error.isEmpty(); }
    // Whether `tables` is the whole document, or there was no document: OK may replace it without
    // asking.
    bool readWhole() const { return ok() && !beyondGrid; }
};

// Reads sdo.xml at `path` (built with "\"). No file: found is false and both tables are empty.
// The rows of each table are the element children of its holder in document order, whatever their
// names; at most MappingRowCount are kept.
MappingLoad LoadMappingDocument(const QString& path);

// Writes `Serial_to_ProfiBus` with one `row` per given row, values as they are, atomically.
Status SaveMappingDocument(const QString& path, const MappingTables& tables);

// The highest PROFIBUS address of each table, taken from pargen.xml.
struct MappingLimits
{
    qint32 in = 244;
    qint32 out = 244;
};

// No pargen.xml: 244 for both. A field absent or not an integer: 244. Fails with the parser's text
// when pargen.xml is not well-formed.
Result<MappingLimits> LoadMappingLimits(const QString& pargenPath);

} // namespace velmaro
