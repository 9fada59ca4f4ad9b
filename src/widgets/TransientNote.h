#pragma once

#include <QString>

class QWidget;

namespace velmaro {

// How long a note stays.
constexpr int NoteShownMs = 4000;

// Says that an action went well without a box to close: a small note beside `anchor` (the control that
// started the action), past any button that stands there. It takes neither the focus nor the mouse and
// goes away by itself after `ms`, or when its window is hidden or moved. A newer note of the same window
// replaces it.
void ShowNote(QWidget* anchor, const QString& text, int ms = NoteShownMs);

// The text of the note `window` shows now; empty when none.
QString ShownNote(const QWidget* window);

} // namespace velmaro
