#include "canopen/EmcyTable.h"

namespace velmaro {

const std::array<QString TClEmcy::*, EmcyTextFieldCount>& EmcyTextFields()
{
    static const std::array<QString TClEmcy::*, EmcyTextFieldCount> fields = {
        &TClEmcy::id_dev,       &TClEmcy::mask_eq_ec,   &TClEmcy::mask_eq_er,   &TClEmcy::mask_eq_m1,
        &TClEmcy::mask_eq_m2,   &TClEmcy::mask_eq_m3,   &TClEmcy::enmask_eq_ec, &TClEmcy::enmask_eq_er,
        &TClEmcy::enmask_eq_m1, &TClEmcy::enmask_eq_m2, &TClEmcy::enmask_eq_m3,
    };
    return fields;
}

bool TClEmcy::operator==(const TClEmcy& o) const
{
    for (QString TClEmcy::*field : EmcyTextFields()) {
        if (this->*field != o.*field)
            return false;
    }
    return enable == o.enable && alias_use == o.alias_use;
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

} // namespace velmaro
