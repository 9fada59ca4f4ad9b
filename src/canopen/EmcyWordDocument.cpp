#include "canopen/EmcyWordDocument.h"

#include "base/IntegerText.h"

#include <memory>

namespace velmaro {

Result<emcyword::SidedWord> EmcyWordDocument::WordFromRecord(const QStringList& r)
{
    const qsizetype needed = definition().AttributeNames.size();
    if (r.size() < needed)
        return Result<emcyword::SidedWord>::failure(
            QStringLiteral("A record needs %1 values, this one has %2").arg(needed).arg(r.size()));
    emcyword::SidedWord out;
    out.word.index_addrm = r.at(0);
    out.word.subindex = r.at(1);
    out.word.devid = r.at(3);
    for (int bit = 0; bit < 16; ++bit) {
        ClEbm& b = out.word.bits[size_t(bit)];
        b.b0 = r.at(4 + 3 * bit);
        b.b1 = r.at(5 + 3 * bit);
        b.poscomp = r.at(6 + 3 * bit);
    }
    const auto side = ParseIntegerText(r.at(2));
    if (!side.ok())
        return side.status();
    out.side = side.value();
    return out;
}

QStringList EmcyWordDocument::RowValues(const TClWEmcy& w, Side side)
{
    QStringList v{w.index_addrm, w.subindex, QString::number(emcyword::SideMarker(side)), w.devid};
    for (const ClEbm& b : w.bits)
        v << b.b0 << b.b1 << b.poscomp;
    return v;
}

QStringList EmcyWordDocument::CsvValues(const TClWEmcy& w)
{
    QStringList v{w.index_addrm, w.subindex, w.devid, QStringLiteral("0")};
    for (const ClEbm& b : w.bits)
        v << b.b0 << b.b1 << b.poscomp;
    return v;
}

QStringList EmcyWordDocument::SaveKey(const TClWEmcy& word)
{
    return {word.devid, word.index_addrm, word.subindex};
}

int EmcyWordDocument::savedRows(const Table& table)
{
    return int(table.side(Side::A).words.size() + table.side(Side::B).words.size());
}

namespace {

TableDefinition describe()
{
    // "index_addrm", "subindex", "extdata", "devid", then bitN_b0, bitN_b1, bitN_poscomp for N = 0..15.
    QStringList names{QStringLiteral("index_addrm"), QStringLiteral("subindex"), QStringLiteral("extdata"),
                      QStringLiteral("devid")};
    for (int bit = 0; bit < 16; ++bit) {
        const QString prefix = QStringLiteral("bit") + QString::number(bit);
        names << prefix + QStringLiteral("_b0") << prefix + QStringLiteral("_b1")
              << prefix + QStringLiteral("_poscomp");
    }
    return {QStringLiteral("emcyword"), names};
}

// The format of the document, worksheet and CSV file, for TableDocument.
class EmcyWordFormat final : public TableFormat<EmcyWordTable>
{
public:
    EmcyWordFormat()
        : TableFormat(&ProjectPaths::EmcyWordXmlPath, describe(),
                      OrderRule{QStringLiteral("999999"), TieRule::LaterWins})
    {
    }

    void empty(EmcyWordTable& table) const override { table.clear(); }

    RowReading rowReading(EmcyWordTable& table) const override
    {
        const auto dropped = std::make_shared<QString>(); // the first row the editor drops
        return {[&table, dropped](const TableRow& row) -> Status {
                    QStringList record;
                    record.reserve(EmcyWordDocument::definition().AttributeNames.size());
                    for (const QString& name : EmcyWordDocument::definition().AttributeNames) {
                        const auto value = row.attribute(name);
                        if (!value.ok())
                            return value.status();
                        record << value.value();
                    }
                    const auto word = EmcyWordDocument::WordFromRecord(record);
                    if (!word.ok())
                        return word.status();
                    if (dropped->isEmpty() && !emcyword::IsSideMarker(word->side))
                        *dropped = QStringLiteral("row %1 has \"extdata\" %2, not 0 (side A) or 1 "
                                                  "(side B); the editor drops it")
                                       .arg(row.index() + 1)
                                       .arg(word->side);
                    table.addRecord(word.value());
                    return Status();
                },
                [dropped](TableLoadResult& result) { result.rowsLost = *dropped; }};
    }

    Result<SideRows> sideRows(const EmcyWordTable& table) const override
    {
        SideRows sides;
        for (Side side : {Side::A, Side::B}) {
            for (const TClWEmcy& word : table.side(side).words)
                sides[size_t(side)].append(EmcyWordDocument::SaveKey(word),
                                           EmcyWordDocument::RowValues(word, side));
        }
        return sides;
    }

    RecordReading recordReading(EmcyWordTable& table, ImportRule rule) const override
    {
        return {[&table] { table.clear(); },
                [&table, rule](const QStringList& fields) -> Status {
                    const auto word = EmcyWordDocument::WordFromRecord(fields);
                    if (!word.ok())
                        return word.status();
                    if (rule == ImportRule::EveryRecordKept && !emcyword::IsSideMarker(word->side))
                        return Status::failure(
                            QStringLiteral("its \"extdata\" is %1, not 0 (side A) or 1 (side B)")
                                .arg(word->side));
                    if (rule == ImportRule::EveryRecordKept) {
                        const Status keys =
                            CheckImportKeys({QStringLiteral("devid"), QStringLiteral("index_addrm"),
                                             QStringLiteral("subindex")},
                                            EmcyWordDocument::SaveKey(word->word));
                        if (!keys.ok())
                            return keys;
                    }
                    table.addRecord(word.value());
                    return Status();
                },
                {}};
    }

    QList<QStringList> csvLines(const EmcyWordTable& table, Side side) const override
    {
        QList<QStringList> lines;
        for (const TClWEmcy& word : table.side(side).words)
            lines << EmcyWordDocument::CsvValues(word);
        return lines;
    }
};

} // namespace

const TableFormat<EmcyWordTable>& EmcyWordDocument::format()
{
    static const EmcyWordFormat format;
    return format;
}

} // namespace velmaro
