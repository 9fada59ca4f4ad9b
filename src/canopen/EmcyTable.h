#pragma once

#include "base/Result.h"
#include "canopen/TableMechanisms.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace velmaro {

// One EMCY translation entry: the producer's node identifier, masks and enable masks of the error
// code, error register and the three manufacturer fields, all kept as typed; whether the translation
// is enabled; and which byte of the translated message receives the identifier (0 = none, 1..8).
struct TClEmcy
{
    QString id_dev;
    QString mask_eq_ec;
    QString mask_eq_er;
    QString mask_eq_m1;
    QString mask_eq_m2;
    QString mask_eq_m3;
    QString enmask_eq_ec;
    QString enmask_eq_er;
    QString enmask_eq_m1;
    QString enmask_eq_m2;
    QString enmask_eq_m3;
    bool enable = false;
    int alias_use = 0;

    bool operator==(const TClEmcy& o) const;
};

constexpr int EmcyTextFieldCount = 11;

// The eleven text fields in the order of the document's attributes (see EmcyDocument).
const std::array<QString TClEmcy::*, EmcyTextFieldCount>& EmcyTextFields();

// One page: its entries and the list box lines (labels) beside them, always of equal length, and
// the selected line (-1 for none).
struct EmcySide
{
    QList<TClEmcy> entries;
    QStringList labels;
    int selected = -1;

    // The same entries and lines; the selection is where the window stands, no content.
    bool operator==(const EmcySide& o) const { return entries == o.entries && labels == o.labels; }
};

// The editor's in-memory table.
struct EmcyTable
{
    Sides<EmcySide> sides;

    EmcySide& side(Side s) { return sides[s]; }
    const EmcySide& side(Side s) const { return sides[s]; }

    int size() const { return int(sides[Side::A].entries.size() + sides[Side::B].entries.size()); }
    bool operator==(const EmcyTable& o) const { return sides == o.sides; }
};

// What a page's controls hold: the eleven edits in attribute order, the check box, and the code of
// the first checked option button (none when no button is checked).
struct EmcyControls
{
    std::array<QString, EmcyTextFieldCount> texts;
    bool enable = false;
    std::optional<int> alias;
};

constexpr int EmcyAliasCount = 9;

// What the page shows for an entry; an alias_use above 8 leaves the option buttons unset.
EmcyControls ControlsOfEntry(const TClEmcy& entry);
// Each text becomes its edit's text, or "0" for an empty edit; alias_use is kept when no option is set.
void ReadControlsIntoEntry(const EmcyControls& controls, TClEmcy& entry);

// The editor's empty step: both pages emptied, nothing selected.
void ClearEmcyTable(EmcyTable& table);

// True when `newText` is refused as an identifier on `side`. An unchanged identifier of a modified
// entry is not tested; an empty text and a text equal to a line of the side's list box (exact,
// case-sensitive) are refused, each reason adding its message to `messages`.
bool CheckEmcyId(const EmcyTable& table, const QString& newText, const QString& currentText, bool isNew,
                 Side side, QStringList& messages);

// Appends an entry from the controls, labelled with the identifier edit as typed, and selects it.
// When a line is selected the identifier is checked first; a refusal carries CheckEmcyId's messages.
EditOutcome NewEmcy(EmcyTable& table, Side side, const EmcyControls& controls);
// Overwrites the selected entry and its line from the controls. Refused, without a message, when
// nothing is selected; refused with CheckEmcyId's messages when the identifier is.
EditOutcome ModifyEmcy(EmcyTable& table, Side side, const EmcyControls& controls);
// Removes the selected entry; nothing is selected afterwards. Refused, without a message, when
// nothing was selected.
EditOutcome DeleteEmcy(EmcyTable& table, Side side);

// Appends an entry to a side, labelled with `label`.
void AppendEmcy(EmcyTable& table, Side side, const TClEmcy& entry, const QString& label);
// Selects the first line of each side that has lines.
void SelectFirstLines(EmcyTable& table);

} // namespace velmaro
