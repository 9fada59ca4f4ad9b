#include "mapping/ByteMap.h"

#include "base/IntegerText.h"
#include "mapping/MappingRules.h"

#include <algorithm>
#include <optional>

namespace velmaro {

namespace {

// Columns of a row (cells in attribute order): Slave ID is 0 in both tables; the input table has Type
// at 1, which shifts the rest by one.
struct Columns
{
    int registerAddress;
    int points;
    int address;
};

Columns columnsOf(MappingSide side)
{
    return side == MappingSide::In ? Columns{2, 3, 4} : Columns{1, 2, 3};
}

QString cellOf(const MappingRow& row, int column)
{
    return column < row.size() ? row.at(column) : QString();
}

std::optional<qint32> integerCell(const MappingRow& row, int column)
{
    const Result<qint32> value = ParseIntegerText(cellOf(row, column));
    if (!value.ok())
        return std::nullopt;
    return value.value();
}

QString plural(qint64 n, const char* one, const char* many)
{
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

// Every largest set of rows whose ranges overlap each other (at least two rows), with the bytes that two
// or more of them share. Rows 1 and 2 on bytes 0..1 and rows 3 and 4 on bytes 2..3 are two collisions,
// even though the shared bytes touch; a long row under two short ones collides with each of them apart.
// Ranges that overlap pairwise share a byte, so a sweep finds each such set as the rows covering the map
// just before the first row of the set ends, after a row started.
QList<ByteFinding> collisions(MappingSide side, const QList<ByteRow>& rows)
{
    struct Event
    {
        qint64 at;
        bool start; // the row starts at `at`, or it ended just before
        int index;  // into rows
    };
    QList<Event> events;
    events.reserve(rows.size() * 2);
    for (int i = 0; i < rows.size(); ++i) {
        events.append({rows[i].first, true, i});
        events.append({rows[i].last + 1, false, i});
    }
    // At one byte, rows that ended before it leave before rows that start on it arrive: touching rows
    // do not overlap.
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.at != b.at ? a.at < b.at : (!a.start && b.start);
    });

    QList<ByteFinding> found;
    QList<int> active;  // indexes of the rows covering the current byte
    bool grown = false; // a row arrived since the last set was taken
    for (const Event& e : events) {
        if (e.start) {
            active.append(e.index);
            grown = true;
            continue;
        }
        if (grown && active.size() > 1) {
            QList<int> set = active;
            std::sort(set.begin(), set.end());
            ByteFinding f{FindingKind::Collision, side, 0, -1, {}};
            for (int a = 0; a < set.size(); ++a) {
                const ByteRow& r = rows[set[a]];
                f.rows.append(r);
                // Bytes shared with a later row of the set; every pair overlaps, so these ranges all
                // contain the bytes common to the whole set and their union is one range.
                for (int b = a + 1; b < set.size(); ++b) {
                    const qint64 first = std::max(r.first, rows[set[b]].first);
                    const qint64 last = std::min(r.last, rows[set[b]].last);
                    if (f.last < f.first) {
                        f.first = first;
                        f.last = last;
                    } else {
                        f.first = std::min(f.first, first);
                        f.last = std::max(f.last, last);
                    }
                }
            }
            found.append(f);
        }
        grown = false;
        active.removeOne(e.index);
    }
    std::stable_sort(found.begin(), found.end(), [](const ByteFinding& a, const ByteFinding& b) {
        return a.first != b.first ? a.first < b.first : a.last < b.last;
    });
    return found;
}

// Runs of bytes 0..length-1 that no row covers.
QList<ByteFinding> unfilled(MappingSide side, const QList<ByteRow>& rows, qint64 length)
{
    QList<ByteRow> sorted = rows;
    std::sort(sorted.begin(), sorted.end(),
              [](const ByteRow& a, const ByteRow& b) { return a.first < b.first; });
    QList<ByteFinding> found;
    qint64 next = 0; // first byte not covered by the rows seen so far
    for (const ByteRow& r : sorted) {
        if (r.first >= length)
            break;
        if (r.first > next)
            found.append({FindingKind::Unfilled, side, next, r.first - 1, {}});
        next = std::max(next, r.last + 1);
    }
    if (next < length)
        found.append({FindingKind::Unfilled, side, next, length - 1, {}});
    return found;
}

QList<ByteUse> byteStates(const QList<ByteRow>& rows, qint64 length)
{
    qint64 end = length;
    for (const ByteRow& r : rows)
        end = std::max(end, r.last + 1);
    const qint64 cells = std::min(end, ByteMapMaxCells);
    // Coverage counts through a difference array: one pass over the rows, one over the cells.
    QList<int> delta(cells + 1, 0);
    for (const ByteRow& r : rows) {
        if (r.first >= cells)
            continue;
        ++delta[r.first];
        --delta[std::min(r.last + 1, cells)];
    }
    QList<ByteUse> bytes(cells, ByteUse::Free);
    int covered = 0;
    for (qint64 b = 0; b < cells; ++b) {
        covered += delta[b];
        if (covered == 0)
            continue;
        bytes[b] = b >= length ? ByteUse::Beyond : covered > 1 ? ByteUse::Collision : ByteUse::Used;
    }
    return bytes;
}

} // namespace

int ByteMap::count(FindingKind kind) const
{
    return int(std::count_if(findings.cbegin(), findings.cend(),
                             [kind](const ByteFinding& f) { return f.kind == kind; }));
}

ByteMap ComputeByteMap(MappingSide side, const QList<MappingRow>& rows, qint64 length)
{
    ByteMap map;
    map.side = side;
    map.length = std::max<qint64>(length, 0);
    const Columns c = columnsOf(side);
    map.rows.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const std::optional<qint32> address = integerCell(rows[i], c.address);
        const std::optional<qint32> points = integerCell(rows[i], c.points);
        if (!address || !points || *address < 0 || *points < 1) {
            map.skipped.append(i + 1);
            continue;
        }
        ByteRow r;
        r.row = i + 1;
        r.slave = cellOf(rows[i], 0);
        r.registerAddress = cellOf(rows[i], c.registerAddress);
        r.points = *points;
        r.first = *address;
        r.last = r.first + BytesPerPoint * *points - 1;
        map.rows.append(r);
    }
    map.findings = collisions(side, map.rows);
    for (const ByteRow& r : map.rows) {
        if (r.last >= map.length)
            map.findings.append({FindingKind::Beyond, side, std::max(r.first, map.length), r.last, {r}});
    }
    map.findings += unfilled(side, map.rows, map.length);
    map.bytes = byteStates(map.rows, map.length);
    return map;
}

ByteMaps ComputeByteMaps(const MappingTables& used, const MappingLimits& limits)
{
    return {ComputeByteMap(MappingSide::In, used.in, limits.in),
            ComputeByteMap(MappingSide::Out, used.out, limits.out)};
}

QList<int> RowsAtByte(const ByteMap& map, qint64 byte)
{
    QList<int> found;
    for (const ByteRow& r : map.rows) {
        if (byte >= r.first && byte <= r.last)
            found.append(r.row);
    }
    return found;
}

QString TableTitle(MappingSide side)
{
    return side == MappingSide::In ? QStringLiteral("ProfiBus IN --> Serial Read")
                                   : QStringLiteral("Serial Write --> ProfiBus OUT");
}

QString TableTag(MappingSide side)
{
    return side == MappingSide::In ? QStringLiteral("IN") : QStringLiteral("OUT");
}

QString ByteSpan(qint64 first, qint64 last)
{
    if (first == last)
        return QString::number(first);
    return QString::number(first) + QStringLiteral("..") + QString::number(last);
}

QString DescribeRow(const ByteRow& row)
{
    return QStringLiteral("row %1 (slave %2, register %3)").arg(row.row).arg(row.slave, row.registerAddress);
}

QString DescribeFinding(const ByteFinding& finding, qint64 length)
{
    const QString bytes = (finding.first == finding.last ? QStringLiteral("byte ") : QStringLiteral("bytes "))
                          + ByteSpan(finding.first, finding.last);
    QString text = TableTitle(finding.side) + QStringLiteral(": ");
    switch (finding.kind) {
    case FindingKind::Collision: {
        QStringList rows;
        for (const ByteRow& r : finding.rows)
            rows << DescribeRow(r);
        text +=
            QStringLiteral("collision on ") + bytes + QStringLiteral(": ") + rows.join(QStringLiteral(", "));
        break;
    }
    case FindingKind::Beyond: {
        const ByteRow& r = finding.rows.constFirst();
        text += DescribeRow(r) + QStringLiteral(" covers bytes ") + ByteSpan(r.first, r.last)
                + QStringLiteral(", past the data length of ") + plural(length, "byte", "bytes")
                + QStringLiteral(" (") + bytes + QLatin1Char(')');
        break;
    }
    case FindingKind::Unfilled:
        text += bytes + (finding.first == finding.last ? QStringLiteral(" is") : QStringLiteral(" are"))
                + QStringLiteral(" filled by no row");
        break;
    }
    return text;
}

QString SummaryLine(const ByteMap& map)
{
    qint64 free = 0;
    for (const ByteFinding& f : map.findings) {
        if (f.kind == FindingKind::Unfilled)
            free += f.last - f.first + 1;
    }
    return plural(map.count(FindingKind::Collision), "collision", "collisions") + QStringLiteral(", ")
           + plural(map.count(FindingKind::Beyond), "row", "rows") + QStringLiteral(" beyond ")
           + plural(map.length, "byte", "bytes") + QStringLiteral(", ") + plural(free, "byte", "bytes")
           + QStringLiteral(" free");
}

PackResult PackRows(MappingSide side, const QList<MappingRow>& rows, qint64 length)
{
    const Columns c = columnsOf(side);
    PackResult packed;
    packed.rows = rows;
    for (int i = 0; i < packed.rows.size(); ++i) {
        const std::optional<qint32> points = integerCell(packed.rows[i], c.points);
        if (!points || *points < 1) {
            packed.skipped.append(i + 1);
            continue;
        }
        MappingRow& row = packed.rows[i];
        while (row.size() <= c.address)
            row.append(QString());
        row[c.address] = QString::number(packed.end);
        packed.end += BytesPerPoint * *points;
    }
    packed.fits = packed.end <= length;
    return packed;
}

Result<ProjectByteMaps> LoadProjectByteMaps(const QString& pargenPath, const QString& sdoPath)
{
    const Result<MappingLimits> limits = LoadMappingLimits(pargenPath);
    if (!limits.ok())
        return limits.status();
    const MappingLoad load = LoadMappingDocument(sdoPath);
    if (!load.ok())
        return Status::failure(load.error);
    ProjectByteMaps project;
    project.found = load.found;
    project.notices = load.notices;
    project.limits = limits.value();
    project.used = RowsInUse(load.tables);
    project.maps = ComputeByteMaps(project.used, project.limits);
    return project;
}

} // namespace velmaro
