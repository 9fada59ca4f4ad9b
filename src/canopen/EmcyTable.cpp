#include "canopen/EmcyTable.h"

namespace velmaro {

QString EmcyTableName()
{
    return QStringLiteral("emcydef");
}

const QStringList& EmcyAttributeNames()
{
    static const QStringList names = {
        QStringLiteral("id_dev"),       QStringLiteral("mask_eq_ec"),   QStringLiteral("mask_eq_er"),
        QStringLiteral("mask_eq_m1"),   QStringLiteral("mask_eq_m2"),   QStringLiteral("mask_eq_m3"),
        QStringLiteral("enmask_eq_ec"), QStringLiteral("enmask_eq_er"), QStringLiteral("enmask_eq_m1"),
        QStringLiteral("enmask_eq_m2"), QStringLiteral("enmask_eq_m3"), QStringLiteral("bypass_set"),
    };
    return names;
}

const std::array<QString TClEmcy::*, EmcyTextFieldCount>& EmcyTextFields()
{
    static const std::array<QString TClEmcy::*, EmcyTextFieldCount> fields = {
        &TClEmcy::id_dev,       &TClEmcy::mask_eq_ec,   &TClEmcy::mask_eq_er,   &TClEmcy::mask_eq_m1,
        &TClEmcy::mask_eq_m2,   &TClEmcy::mask_eq_m3,   &TClEmcy::enmask_eq_ec, &TClEmcy::enmask_eq_er,
        &TClEmcy::enmask_eq_m1, &TClEmcy::enmask_eq_m2, &TClEmcy::enmask_eq_m3,
    };
    return fields;
}

qint32 PackBypassSet(const TClEmcy& entry, Side side)
{
    // alias_use holds 0..15 after a read; keep it inside its four bits so the side bit stays true.
    return ((entry.alias_use & 0xF) << 1) | (entry.enable ? 1 : 0) | (side == Side::B ? 32 : 0);
}

Side UnpackBypassSet(qint32 value, TClEmcy& entry)
{
    entry.enable = (value & 1) != 0;
    entry.alias_use = (value >> 1) & 0xF;
    return (value & 32) != 0 ? Side::B : Side::A;
}

EmcyControls ControlsOfEntry(const TClEmcy& entry)
{
    EmcyControls c;
    for (int i = 0; i < EmcyTextFieldCount; ++i)
        c.texts[size_t(i)] = entry.*EmcyTextFields()[size_t(i)];
    c.enable = entry.enable;
    if (entry.alias_use >= 0 && entry.alias_use < EmcyAliasCount)
        c.alias = entry.alias_use;
    return c;
}

void ReadControlsIntoEntry(const EmcyControls& controls, TClEmcy& entry)
{
    for (int i = 0; i < EmcyTextFieldCount; ++i) {
        const QString& text = controls.texts[size_t(i)];
        entry.*EmcyTextFields()[size_t(i)] = text.isEmpty() ? QStringLiteral("0") : text;
    }
    entry.enable = controls.enable;
    if (controls.alias)
        entry.alias_use = *controls.alias;
}

void ClearEmcyTable(EmcyTable& table)
{
    for (EmcySide& s : table.sides)
        s = EmcySide();
}

bool CheckEmcyId(const EmcyTable& table, const QString& newText, const QString& currentText, bool isNew,
                 Side side, QStringList& messages)
{
    if (!isNew && newText == currentText)
        return false;
    bool rejected = false;
    if (newText.isEmpty()) {
        messages << IndexNotValidMessage;
        rejected = true;
    }
    if (table.side(side).labels.contains(newText)) {
        messages << IndexNotValidMessage;
        rejected = true;
    }
    return rejected;
}

EditOutcome NewEmcy(EmcyTable& table, Side side, const EmcyControls& controls)
{
    EmcySide& s = table.side(side);
    const QString& id = controls.texts[0];
    QStringList messages;
    if (s.selected >= 0 && CheckEmcyId(table, id, s.labels.at(s.selected), true, side, messages))
        return EditOutcome::refused(messages);
    TClEmcy entry;
    ReadControlsIntoEntry(controls, entry);
    AppendEmcy(table, side, entry, id);
    s.selected = int(s.labels.size()) - 1;
    return EditOutcome::done();
}

EditOutcome ModifyEmcy(EmcyTable& table, Side side, const EmcyControls& controls)
{
    EmcySide& s = table.side(side);
    if (s.selected < 0)
        return EditOutcome::refused();
    const QString& id = controls.texts[0];
    QStringList messages;
    if (CheckEmcyId(table, id, s.labels.at(s.selected), false, side, messages))
        return EditOutcome::refused(messages);
    ReadControlsIntoEntry(controls, s.entries[s.selected]);
    s.labels[s.selected] = id;
    return EditOutcome::done();
}

EditOutcome DeleteEmcy(EmcyTable& table, Side side)
{
    EmcySide& s = table.side(side);
    if (s.selected < 0)
        return EditOutcome::refused();
    s.entries.removeAt(s.selected);
    s.labels.removeAt(s.selected);
    s.selected = -1;
    return EditOutcome::done();
}

void AppendEmcy(EmcyTable& table, Side side, const TClEmcy& entry, const QString& label)
{
    EmcySide& s = table.side(side);
    s.entries << entry;
    s.labels << label;
}

void SelectFirstLines(EmcyTable& table)
{
    for (EmcySide& s : table.sides) {
        if (!s.labels.isEmpty())
            s.selected = 0;
    }
}

QStringList EmcyRowValues(const TClEmcy& entry, Side side)
{
    QStringList values;
    values.reserve(EmcyTextFieldCount + 1);
    for (QString TClEmcy::*field : EmcyTextFields())
        values << entry.*field;
    values << QString::number(PackBypassSet(entry, side));
    return values;
}

} // namespace velmaro
