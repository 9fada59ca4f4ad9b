#pragma once

// The PROFIBUS byte map of the two mapping tables: which rows fill which input or output bytes, and the
// findings an engineer must see before loading the tables into the gateway.
//
// Rule: every point is one 16-bit register, so a row covers 2 * NPoint bytes from its Address ProfiBUS
// (a row at 10 with 3 points covers bytes 10..15). Byte numbers start at 0; the data length of a table
// (Profi_NB_IN / Profi_NB_OUT of pargen.xml, 244 when not supplied, see LoadMappingLimits) gives its
// bytes 0..length-1.
//
// API (pure functions over the rows in use, as RowsInUse gives them, and the two limits):
//  - ComputeByteMap(side, rows, length) / ComputeByteMaps(used, limits): the ByteMap of one or both
//    tables: the byte range of every row, the state of every byte for drawing, the findings.
//  - RowsAtByte(map, byte): the row numbers that cover one byte (for a tooltip or a click).
//  - DescribeFinding, SummaryLine, TableTitle, TableTag: the texts shown by the editor and velmaro-cli.
//  - PackRows(side, rows, length): the rows with Address ProfiBUS rewritten to follow each other from 0.
//  - LoadProjectByteMaps(pargenPath, sdoPath): both maps of a project's documents, as the editor loads them.
// These are warnings: nothing here changes what the editor's OK accepts.

#include "base/Result.h"
#include "mapping/MappingDocument.h"

#include <QList>
#include <QString>

namespace velmaro {

// Bytes per point: one 16-bit register.
constexpr qint64 BytesPerPoint = 2;
// At most this many bytes get a state in ByteMap::bytes (the cells a map can draw); findings are exact
// whatever the addresses.
constexpr qint64 ByteMapMaxCells = 4096;

// One row in use whose Address ProfiBUS and NPoint are integers (Address >= 0, NPoint >= 1).
struct ByteRow
{
    int row = 0;             // row number in the grid, from 1
    QString slave;           // Slave ID as typed
    QString registerAddress; // Address Register as typed
    qint32 points = 0;
    qint64 first = 0; // first byte: Address ProfiBUS
    qint64 last = 0;  // last byte: first + 2 * points - 1
};

// What one byte of the map shows. Beyond: past the data length and covered by a row.
enum class ByteUse : quint8
{
    Free,
    Used,
    Collision,
    Beyond
};

enum class FindingKind
{
    Collision, // rows whose ranges overlap each other; two or more of them share bytes first..last
    Beyond,    // one row covers bytes first..last past the data length
    Unfilled   // bytes first..last within the data length are filled by no row (informational)
};

struct ByteFinding
{
    FindingKind kind = FindingKind::Collision;
    MappingSide side = MappingSide::In;
    qint64 first = 0;
    qint64 last = 0;
    QList<ByteRow> rows; // the rows concerned, in row order; empty for Unfilled
};

struct ByteMap
{
    MappingSide side = MappingSide::In;
    qint64 length = 0;   // data length in bytes, never negative
    QList<ByteRow> rows; // rows with a byte range, in row order
    QList<int> skipped;  // row numbers in use whose Address ProfiBUS or NPoint is no usable integer
    // Collisions by first byte, then rows beyond the data length in row order, then unfilled ranges.
    QList<ByteFinding> findings;
    // State of bytes 0..n-1, n = min(max(length, last byte of any row + 1), ByteMapMaxCells).
    QList<ByteUse> bytes;

    int count(FindingKind kind) const;
    // Collisions or rows beyond the data length: what `check --strict` refuses.
    bool hasProblems() const { return count(FindingKind::Collision) + count(FindingKind::Beyond) > 0; }
};

struct ByteMaps
{
    ByteMap in;
    ByteMap out;
    const ByteMap& side(MappingSide s) const { return s == MappingSide::In ? in : out; }
};

// `rows`: the rows in use of one table (cells in MappingAttributes(side) order), row 1 first.
// `length`: the table's data length in bytes; a negative one counts as 0.
ByteMap ComputeByteMap(MappingSide side, const QList<MappingRow>& rows, qint64 length);
ByteMaps ComputeByteMaps(const MappingTables& used, const MappingLimits& limits);

// Row numbers of the rows covering `byte`, in row order.
QList<int> RowsAtByte(const ByteMap& map, qint64 byte);

// "ProfiBus IN --> Serial Read" / "Serial Write --> ProfiBus OUT".
QString TableTitle(MappingSide side);
// "IN" / "OUT".
QString TableTag(MappingSide side);
// "row 3 (slave 1, register 0x10)"
QString DescribeRow(const ByteRow& row);
// One line naming the table, the rows and the bytes, e.g.
// "ProfiBus IN --> Serial Read: collision on bytes 10..13: row 1 (slave 1, register 0), row 2 (...)".
QString DescribeFinding(const ByteFinding& finding, qint64 length);
// "2 collisions, 1 row beyond 32 bytes, 4 bytes free".
QString SummaryLine(const ByteMap& map);
// "10..15", or "10" for one byte.
QString ByteSpan(qint64 first, qint64 last);

// Pack: Address ProfiBUS of each row with an integer NPoint >= 1 becomes the end of the one before, from 0,
// in row order, written in decimal; every other cell, and rows whose NPoint is no usable integer, stay.
struct PackResult
{
    QList<MappingRow> rows;
    qint64 end = 0;     // bytes the packed rows fill
    bool fits = true;   // end <= length
    QList<int> skipped; // row numbers left as they were
};
PackResult PackRows(MappingSide side, const QList<MappingRow>& rows, qint64 length);

// Both maps of a project: limits from pargen.xml, the rows in use of sdo.xml as the editor loads them
// (no sdo.xml: empty tables). Fails with the load's text when either document cannot be read.
struct ProjectByteMaps
{
    bool found = false; // sdo.xml exists
    MappingLimits limits;
    MappingTables used; // the rows in use the maps were computed from
    ByteMaps maps;
    QStringList notices; // the load's notices (rows past the grid's last, which are not kept)
};
Result<ProjectByteMaps> LoadProjectByteMaps(const QString& pargenPath, const QString& sdoPath);

} // namespace velmaro
