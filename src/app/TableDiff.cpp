// The row comparisons: the mapping tables aligned row against row, the CANopen tables matched by key.

#include "app/ProjectDiff.h"
#include "base/IntegerText.h"
#include "base/ProjectPaths.h"
#include "canopen/EmcyDocument.h"
#include "canopen/EmcyWordDocument.h"
#include "canopen/PdoDocument.h"
#include "canopen/StoredPdoDocument.h"
#include "mapping/ByteMap.h"
#include "mapping/MappingRules.h"

#include <QHash>

#include <algorithm>
#include <limits>
#include <vector>

namespace velmaro {

QString DiffCellKey(const QString& text, const DiffOptions& options)
{
    if (options.text)
        return text;
    const Result<qint32> value = ParseIntegerText(text);
    return value.ok() ? QString::number(*value) : text;
}

bool SameDiffCell(const QString& a, const QString& b, const DiffOptions& options)
{
    return a == b || (!options.text && DiffCellKey(a, options) == DiffCellKey(b, options));
}

namespace {

// Cell keys as small integers, so that comparing two rows compares numbers.
class Interner
{
public:
    explicit Interner(const DiffOptions& options) : m_options(options) {}
    std::vector<int> row(const QStringList& cells)
    {
        std::vector<int> ids;
        ids.reserve(size_t(cells.size()));
        for (const QString& cell : cells)
            ids.push_back(id(DiffCellKey(cell, m_options)));
        return ids;
    }

private:
    int id(const QString& key)
    {
        const auto found = m_ids.constFind(key);
        if (found != m_ids.constEnd())
            return *found;
        const int next = int(m_ids.size());
        m_ids.insert(key, next);
        return next;
    }
    DiffOptions m_options;
    QHash<QString, int> m_ids;
};

// A cell without copying it; a short row reads as empty cells.
const QString& cellAt(const QStringList& row, qsizetype column)
{
    static const QString empty;
    return column < row.size() ? row.at(column) : empty;
}

int differingCells(const std::vector<int>& a, const std::vector<int>& b)
{
    int count = 0;
    for (size_t c = 0; c < std::max(a.size(), b.size()); ++c)
        count += (c < a.size() ? a[c] : -1) != (c < b.size() ? b[c] : -1) ? 1 : 0;
    return count;
}

// One step of an alignment: a row of A against a row of B, or a row of one side only (-1 on the other).
struct Step
{
    int a = -1;
    int b = -1;
};

// Aligns two row lists so that the fewest cells change: equal rows first, then an edit distance over the
// rows between them where a deleted or inserted row costs its width and a pair of rows twice the cells
// that differ (rows that differ in every cell are never paired). An inserted row therefore reads as one
// insertion, not as a change of every row after it.
QList<Step> alignRows(const std::vector<std::vector<int>>& a, const std::vector<std::vector<int>>& b,
                      int width)
{
    const int n = int(a.size());
    const int m = int(b.size());
    int prefix = 0;
    while (prefix < n && prefix < m && a[size_t(prefix)] == b[size_t(prefix)])
        ++prefix;
    int suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix
           && a[size_t(n - 1 - suffix)] == b[size_t(m - 1 - suffix)])
        ++suffix;
    const int k = n - prefix - suffix;
    const int l = m - prefix - suffix;
    constexpr int kNever = std::numeric_limits<int>::max() / 4;
    const auto pairCost = [&](int i, int j) {
        const int d = differingCells(a[size_t(prefix + i)], b[size_t(prefix + j)]);
        return d == 0 ? 0 : (d < width ? 2 * d : kNever);
    };
    std::vector<int> cost(size_t(k + 1) * size_t(l + 1));
    const auto at = [&](int i, int j) -> int& { return cost[size_t(i) * size_t(l + 1) + size_t(j)]; };
    for (int i = 0; i <= k; ++i) {
        for (int j = 0; j <= l; ++j) {
            if (i == 0 || j == 0) {
                at(i, j) = (i + j) * width;
                continue;
            }
            at(i, j) = std::min(
                {at(i - 1, j) + width, at(i, j - 1) + width, at(i - 1, j - 1) + pairCost(i - 1, j - 1)});
        }
    }
    QList<Step> middle;
    int i = k;
    int j = l;
    while (i > 0 || j > 0) {
        if (i > 0 && j > 0 && at(i, j) == at(i - 1, j - 1) + pairCost(i - 1, j - 1)) {
            middle.append({prefix + i - 1, prefix + j - 1});
            --i;
            --j;
        } else if (i > 0 && at(i, j) == at(i - 1, j) + width) {
            middle.append({prefix + i - 1, -1});
            --i;
        } else {
            middle.append({-1, prefix + j - 1});
            --j;
        }
    }
    std::reverse(middle.begin(), middle.end());
    QList<Step> steps;
    steps.reserve(prefix + middle.size() + suffix);
    for (int p = 0; p < prefix; ++p)
        steps.append({p, p});
    steps += middle;
    for (int s = 0; s < suffix; ++s)
        steps.append({n - suffix + s, m - suffix + s});
    return steps;
}

QString describeCells(const QStringList& captions, const QStringList& cells)
{
    QStringList parts;
    for (int c = 0; c < captions.size(); ++c)
        parts << captions.at(c) + QLatin1Char(' ') + cells.value(c);
    return parts.join(QStringLiteral(", "));
}

DiffEntry entry(DiffEntry::Kind kind, const QString& document, const QString& place, const QString& field,
                const QString& oldValue, const QString& newValue)
{
    return DiffEntry{kind, document, place, field, oldValue, newValue};
}

const QString& kSdo = SdoXmlName;

QString mappingTableName(MappingSide side)
{
    return QStringLiteral("ProfiBus ") + TableTag(side);
}

void diffMappingSide(MappingSide side, const QList<MappingRow>& a, const QList<MappingRow>& b,
                     const DiffOptions& options, QList<DiffEntry>& out)
{
    const QStringList& captions = MappingColumnCaptions(side);
    Interner interner(options);
    std::vector<std::vector<int>> idsA;
    std::vector<std::vector<int>> idsB;
    idsA.reserve(size_t(a.size()));
    idsB.reserve(size_t(b.size()));
    for (const MappingRow& row : a)
        idsA.push_back(interner.row(row));
    for (const MappingRow& row : b)
        idsB.push_back(interner.row(row));
    const QString table = mappingTableName(side);
    for (const Step& step : alignRows(idsA, idsB, int(captions.size()))) {
        if (step.b < 0) {
            out << entry(DiffEntry::Kind::Removed, kSdo,
                         QStringLiteral("%1 row %2").arg(table).arg(step.a + 1), QStringLiteral("row"),
                         describeCells(captions, a.at(step.a)), QString());
            continue;
        }
        if (step.a < 0) {
            out << entry(DiffEntry::Kind::Added, kSdo, QStringLiteral("%1 row %2").arg(table).arg(step.b + 1),
                         QStringLiteral("row"), QString(), describeCells(captions, b.at(step.b)));
            continue;
        }
        if (idsA[size_t(step.a)] == idsB[size_t(step.b)])
            continue;
        QString place = QStringLiteral("%1 row %2").arg(table).arg(step.b + 1);
        if (step.a != step.b)
            place += QStringLiteral(" (row %1 in A)").arg(step.a + 1);
        for (int c = 0; c < captions.size(); ++c) {
            const QString oldText = a.at(step.a).value(c);
            const QString newText = b.at(step.b).value(c);
            if (!SameDiffCell(oldText, newText, options))
                out << entry(DiffEntry::Kind::Changed, kSdo, place, captions.at(c), oldText, newText);
        }
    }
}

// A finding that names its rows by their cells, not their numbers, so that a row inserted above does
// not make every finding below it new.
QString findingKey(const ByteFinding& finding, const DiffOptions& options)
{
    QString key = QStringLiteral("%1|%2|%3").arg(int(finding.kind)).arg(finding.first).arg(finding.last);
    for (const ByteRow& row : finding.rows)
        key += QStringLiteral("|%1/%2/%3")
                   .arg(DiffCellKey(row.slave, options), DiffCellKey(row.registerAddress, options))
                   .arg(row.points);
    return key;
}

void diffFindings(const ByteMap& a, const ByteMap& b, const DiffOptions& options, QList<DiffEntry>& out)
{
    const auto problems = [&](const ByteMap& map) {
        QList<QPair<QString, QString>> keyed;
        for (const ByteFinding& f : map.findings) {
            if (f.kind != FindingKind::Unfilled)
                keyed.append({findingKey(f, options), DescribeFinding(f, map.length)});
        }
        return keyed;
    };
    const auto inA = problems(a);
    const auto inB = problems(b);
    const auto contains = [](const QList<QPair<QString, QString>>& list, const QString& key) {
        return std::any_of(list.cbegin(), list.cend(), [&](const auto& p) { return p.first == key; });
    };
    for (const auto& f : inA) {
        if (!contains(inB, f.first))
            out << entry(DiffEntry::Kind::Removed, kSdo, QString(), QStringLiteral("finding"), f.second,
                         QString());
    }
    for (const auto& f : inB) {
        if (!contains(inA, f.first))
            out << entry(DiffEntry::Kind::Added, kSdo, QString(), QStringLiteral("finding"), QString(),
                         f.second);
    }
}

// ---------------------------------------------------------------------------------------------------
// CANopen tables

// How a table's rows are matched: the side a row belongs to and the attributes of its save order.
struct Keying
{
    const char* table;
    const char* sideAttribute;
    QString (*side)(const QString& text); // "CanA", "CanB" or a text naming the stray value
    QStringList keys;
};

QString sideName(Side side)
{
    return side == Side::A ? QStringLiteral("CanA") : QStringLiteral("CanB");
}

QString strayValue(const char* attribute, const QString& text)
{
    return QStringLiteral("%1 \"%2\"").arg(QLatin1String(attribute), text);
}

QString pdoSide(const QString& text)
{
    const Result<qint32> flag = ParseIntegerText(text);
    return flag.ok() ? sideName((*flag & 2) != 0 ? Side::A : Side::B) : strayValue("en_bypass", text);
}

QString storedSide(const QString& text)
{
    const Result<qint32> nrpdo = ParseIntegerText(text);
    return nrpdo.ok() ? sideName(UnpackNrpdo(*nrpdo).first) : strayValue("nrpdo", text);
}

QString emcySide(const QString& text)
{
    const Result<qint32> packed = ParseIntegerText(text);
    TClEmcy unused;
    return packed.ok() ? sideName(EmcyDocument::UnpackBypassSet(*packed, unused))
                       : strayValue("bypass_set", text);
}

QString wordSide(const QString& text)
{
    const Result<qint32> marker = ParseIntegerText(text);
    if (marker.ok() && emcyword::IsSideMarker(*marker))
        return sideName(*marker == emcyword::SideMarker(Side::A) ? Side::A : Side::B);
    return strayValue("extdata", text);
}

const Keying* keyingOf(const QString& table)
{
    static const Keying keyings[] = {
        {"rpdodef", "en_bypass", &pdoSide, {QStringLiteral("cobid")}},
        {"sdopdo", "nrpdo", &storedSide, {QStringLiteral("index"), QStringLiteral("subindex")}},
        {"emcydef", "bypass_set", &emcySide, {QStringLiteral("id_dev")}},
        {"emcyword",
         "extdata",
         &wordSide,
         {QStringLiteral("devid"), QStringLiteral("index_addrm"), QStringLiteral("subindex")}},
    };
    for (const Keying& k : keyings) {
        if (table == QLatin1String(k.table))
            return &k;
    }
    return nullptr;
}

const QStringList& attributeNames(const QString& table)
{
    static const QStringList none;
    if (table == QLatin1String("rpdodef"))
        return PdoDocument::definition().AttributeNames;
    if (table == QLatin1String("sdopdo"))
        return StoredPdoDocument::definition().AttributeNames;
    if (table == QLatin1String("emcydef"))
        return EmcyDocument::definition().AttributeNames;
    if (table == QLatin1String("emcyword"))
        return EmcyWordDocument::definition().AttributeNames;
    return none;
}

// One row placed by its side and key.
struct KeyedRow
{
    QString side;
    QStringList keyTexts;
    QString match; // side, key values and occurrence: equal for the rows that are matched
    int index = 0;
};

// Keys match by value whatever DiffOptions::text says: a key written "0x181" in one document and "385" in
// the other names the same row (with --text the key attribute then shows as changed).
QList<KeyedRow> keyRows(const Keying& keying, const QStringList& names, const QList<QStringList>& rows)
{
    const int sideColumn = int(names.indexOf(QLatin1String(keying.sideAttribute)));
    QList<int> keyColumns;
    for (const QString& key : keying.keys)
        keyColumns << int(names.indexOf(key));
    QHash<QString, int> seen;
    QList<KeyedRow> keyed;
    keyed.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        KeyedRow k;
        k.index = i;
        k.side = keying.side(rows.at(i).value(sideColumn));
        QString match = k.side;
        for (int column : keyColumns) {
            k.keyTexts << rows.at(i).value(column);
            match += QLatin1Char('\x1f') + DiffCellKey(rows.at(i).value(column), DiffOptions());
        }
        k.match = match + QLatin1Char('\x1f') + QString::number(seen[match]++);
        keyed << k;
    }
    return keyed;
}

QString placeOf(const Keying& keying, const KeyedRow& row)
{
    QString place = row.side;
    for (int k = 0; k < keying.keys.size(); ++k)
        place += QLatin1Char(' ') + keying.keys.at(k) + QLatin1Char(' ') + row.keyTexts.value(k);
    const int occurrence = row.match.section(QLatin1Char('\x1f'), -1).toInt();
    if (occurrence > 0)
        place += QStringLiteral(" (repeated key, #%1)").arg(occurrence + 1);
    return place;
}

// Side A before side B before stray markers, then keys by value (integers before texts).
bool placedBefore(const KeyedRow& x, const KeyedRow& y)
{
    if (x.side != y.side)
        return x.side < y.side;
    for (int k = 0; k < std::min(x.keyTexts.size(), y.keyTexts.size()); ++k) {
        const Result<qint32> a = ParseIntegerText(x.keyTexts.at(k));
        const Result<qint32> b = ParseIntegerText(y.keyTexts.at(k));
        if (a.ok() != b.ok())
            return a.ok();
        if (a.ok() && *a != *b)
            return *a < *b;
        if (!a.ok() && x.keyTexts.at(k) != y.keyTexts.at(k))
            return x.keyTexts.at(k) < y.keyTexts.at(k);
    }
    return x.match < y.match;
}

// The entries of one cell each that changed between the matched rows, under one place.
QList<DiffEntry> changedCells(const QString& document, const QString& place, const QStringList& names,
                              const QStringList& oldRow, const QStringList& newRow,
                              const DiffOptions& options)
{
    QList<DiffEntry> entries;
    for (int c = 0; c < names.size(); ++c) {
        if (SameDiffCell(cellAt(oldRow, c), cellAt(newRow, c), options))
            continue;
        if (entries.isEmpty())
            entries << entry(DiffEntry::Kind::Changed, document, place, QString(), QString(), QString());
        else
            entries << entries.constFirst();
        DiffEntry& e = entries.last();
        e.field = names.at(c);
        e.oldValue = cellAt(oldRow, c);
        e.newValue = cellAt(newRow, c);
    }
    return entries;
}

// A row of either side with what happened to it.
struct RowOutcome
{
    KeyedRow row;
    QList<DiffEntry> entries;
};

// The entries in save order: side, then keys.
QList<DiffEntry> inSaveOrder(QList<RowOutcome> outcomes)
{
    std::stable_sort(outcomes.begin(), outcomes.end(),
                     [](const RowOutcome& x, const RowOutcome& y) { return placedBefore(x.row, y.row); });
    QList<DiffEntry> out;
    for (const RowOutcome& o : outcomes)
        out += o.entries;
    return out;
}

} // namespace

QList<DiffEntry> DiffMappingTables(const MappingTables& a, const MappingLimits& limitsA,
                                   const MappingTables& b, const MappingLimits& limitsB,
                                   const DiffOptions& options)
{
    QList<DiffEntry> out;
    for (MappingSide side : {MappingSide::In, MappingSide::Out})
        diffMappingSide(side, a.side(side), b.side(side), options, out);
    const ByteMaps mapsA = ComputeByteMaps(RowsInUse(a), limitsA);
    const ByteMaps mapsB = ComputeByteMaps(RowsInUse(b), limitsB);
    for (MappingSide side : {MappingSide::In, MappingSide::Out})
        diffFindings(mapsA.side(side), mapsB.side(side), options, out);
    return out;
}

QList<DiffEntry> DiffTableRows(const QString& tableName, const QList<QStringList>& a,
                               const QList<QStringList>& b, const DiffOptions& options)
{
    const Keying* keying = keyingOf(tableName);
    if (!keying)
        return {};
    const QStringList& names = attributeNames(tableName);
    const QString document = tableName + QStringLiteral(".xml");
    const QList<KeyedRow> keyedA = keyRows(*keying, names, a);
    const QList<KeyedRow> keyedB = keyRows(*keying, names, b);
    QHash<QString, int> rowOfA;
    for (int i = 0; i < keyedA.size(); ++i)
        rowOfA.insert(keyedA.at(i).match, i);
    QHash<QString, bool> matched;

    // Every row of either side once, with what happened to it.
    QList<RowOutcome> outcomes;
    for (const KeyedRow& rb : keyedB) {
        const auto found = rowOfA.constFind(rb.match);
        if (found == rowOfA.constEnd()) {
            outcomes.append(
                {rb,
                 {entry(DiffEntry::Kind::Added, document, placeOf(*keying, rb), QStringLiteral("row"),
                        QString(), describeCells(names, b.at(rb.index)))}});
            continue;
        }
        matched.insert(rb.match, true);
        const QList<DiffEntry> changes = changedCells(document, placeOf(*keying, keyedA.at(*found)), names,
                                                      a.at(keyedA.at(*found).index), b.at(rb.index), options);
        if (!changes.isEmpty())
            outcomes.append({rb, changes});
    }
    for (const KeyedRow& ra : keyedA) {
        if (!matched.contains(ra.match))
            outcomes.append(
                {ra,
                 {entry(DiffEntry::Kind::Removed, document, placeOf(*keying, ra), QStringLiteral("row"),
                        describeCells(names, a.at(ra.index)), QString())}});
    }
    return inSaveOrder(std::move(outcomes));
}

} // namespace velmaro
