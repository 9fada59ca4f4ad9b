#include "canopen/EmcyDocument.h"

#include "base/IntegerText.h"

namespace velmaro {

namespace {

const QStringList& names()
{
    return EmcyDocument::definition().AttributeNames;
}

} // namespace

qint32 EmcyDocument::PackBypassSet(const TClEmcy& entry, Side side)
{
    // alias_use holds 0..15 after a read; keep it inside its four bits so the side bit stays true.
    return ((entry.alias_use & 0xF) << 1) | (entry.enable ? 1 : 0) | (side == Side::B ? 32 : 0);
}

Side EmcyDocument::UnpackBypassSet(qint32 value, TClEmcy& entry)
{
    entry.enable = (value & 1) != 0;
    entry.alias_use = (value >> 1) & 0xF;
    return (value & 32) != 0 ? Side::B : Side::A;
}

QStringList EmcyDocument::RowValues(const TClEmcy& entry, Side side)
{
    QStringList values;
    values.reserve(EmcyTextFieldCount + 1);
    for (QString TClEmcy::*field : EmcyTextFields())
        values << entry.*field;
    values << QString::number(PackBypassSet(entry, side));
    return values;
}

int EmcyDocument::savedRows(const Table& table)
{
    return table.size();
}

namespace {

TableDefinition describe()
{
    return {QStringLiteral("emcydef"),
            {
                QStringLiteral("id_dev"),
                QStringLiteral("mask_eq_ec"),
                QStringLiteral("mask_eq_er"),
                QStringLiteral("mask_eq_m1"),
                QStringLiteral("mask_eq_m2"),
                QStringLiteral("mask_eq_m3"),
                QStringLiteral("enmask_eq_ec"),
                QStringLiteral("enmask_eq_er"),
                QStringLiteral("enmask_eq_m1"),
                QStringLiteral("enmask_eq_m2"),
                QStringLiteral("enmask_eq_m3"),
                QStringLiteral("bypass_set"),
            }};
}

// The format of the document, worksheet and CSV file, for TableDocument.
class EmcyFormat final : public TableFormat<EmcyTable>
{
public:
    EmcyFormat()
        : TableFormat(&ProjectPaths::EmcyDefXmlPath, describe(),
                      OrderRule{QStringLiteral("999999"), TieRule::LaterWins})
    {
    }

    void empty(EmcyTable& table) const override { ClearEmcyTable(table); }

    RowReading rowReading(EmcyTable& table) const override
    {
        return {[&table](const TableRow& row) -> Status {
                    TClEmcy entry;
                    for (int i = 0; i < EmcyTextFieldCount; ++i) {
                        const Result<QString> text = row.attribute(names().at(i));
                        if (!text.ok())
                            return text.status();
                        entry.*EmcyTextFields()[size_t(i)] = text->isEmpty() ? QStringLiteral("0") : *text;
                    }
                    const Result<qint32> packed = row.integerAttribute(names().at(EmcyTextFieldCount));
                    if (!packed.ok())
                        return packed.status();
                    const Side side = EmcyDocument::UnpackBypassSet(*packed, entry);
                    AppendEmcy(table, side, entry, entry.id_dev);
                    return Status();
                },
                {}};
    }

    Result<SideRows> sideRows(const EmcyTable& table) const override
    {
        SideRows rows;
        for (Side side : {Side::A, Side::B}) {
            const EmcySide& s = table.side(side);
            for (int i = 0; i < s.entries.size(); ++i)
                rows[size_t(side)].append(QStringList{s.labels.at(i)},
                                          EmcyDocument::RowValues(s.entries.at(i), side));
        }
        return rows;
    }

    RecordReading recordReading(EmcyTable& table, ImportRule rule) const override
    {
        return {[&table] { ClearEmcyTable(table); },
                [&table, rule](const QStringList& fields) -> Status {
                    TClEmcy entry;
                    for (int i = 0; i < EmcyTextFieldCount; ++i)
                        entry.*EmcyTextFields()[size_t(i)] = fields.value(i);
                    const Result<qint32> packed = ParseIntegerText(fields.value(EmcyTextFieldCount));
                    if (!packed.ok())
                        return packed.status();
                    if (rule == ImportRule::EveryRecordKept) {
                        // The entry's key, as the save orders it.
                        const Status key = CheckImportKeys({names().value(0)}, {entry.id_dev});
                        if (!key.ok())
                            return key;
                    }
                    const Side side = EmcyDocument::UnpackBypassSet(*packed, entry);
                    AppendEmcy(table, side, entry, entry.id_dev);
                    return Status();
                },
                {}};
    }

    QList<QStringList> csvLines(const EmcyTable& table, Side side) const override
    {
        QList<QStringList> lines;
        for (const TClEmcy& entry : table.side(side).entries)
            lines << EmcyDocument::RowValues(entry, side);
        return lines;
    }
};

} // namespace

const TableFormat<EmcyTable>& EmcyDocument::format()
{
    static const EmcyFormat format;
    return format;
}

} // namespace velmaro
