#pragma once

#include <QLatin1String>
#include <QPushButton>

#include <array>
#include <initializer_list>

class QDialog;
class QEvent;
class QHBoxLayout;
class QLabel;
class QObject;
class QString;
class QTabWidget;
class QWidget;

namespace velmaro {

// Sets the object name (the specified control name, which tests find controls by) and returns the widget.
template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A fixed-size tool window without title-bar buttons.
void MakeFixedToolWindow(QWidget* window);
// Names and titles a dialog the user may resize and maximise: title bar with system menu, maximise and
// close buttons, and a size grip.
void MakeSizableDialog(QDialog* dialog, const QString& name, const QString& title);
// Moves the window to the centre of the screen it is on.
void CentreOnScreen(QWidget* window);
// A push button named `name` that Enter typed elsewhere in the window does not press; Enter or Return
// presses it while it has the focus.
QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent);
// The buttons under a table editor, made on `parent` into `buttons` in this order (also the Tab order): OK
// named `okName`, Cancel "bitbtn2", Export "button1" and Import "bitbtn4". Cancel rejects `dialog`.
void MakeEditorButtons(QDialog* dialog, QWidget* parent, const QString& okName,
                       const std::array<QPushButton**, 4>& buttons);
// Lays out a table editor: `pages` above, and under them a panel "PanelBColor1" with the editor's buttons
// (MakeEditorButtons), OK and Cancel at its left, Export and Import at its right.
void LayOutTableEditor(QDialog* dialog, QWidget* pages, const QString& okName,
                       const std::array<QPushButton**, 4>& buttons);
// The notebook "TabbedNotebook1" of a table editor, on `parent`: side A's page first, then side B's.
QTabWidget* MakeSideNotebook(QWidget* parent, QWidget* pageA, const QString& captionA, QWidget* pageB,
                             const QString& captionB);
// Connects a table editor's OK, Export and Import buttons to its BitBtn1Click, Button1Click and BitBtn4Click.
template <class Editor>
void ConnectEditorButtons(Editor* editor, QPushButton* ok, QPushButton* exportButton,
                          QPushButton* importButton)
{
    QObject::connect(ok, &QPushButton::clicked, editor, &Editor::BitBtn1Click);
    QObject::connect(exportButton, &QPushButton::clicked, editor, &Editor::Button1Click);
    QObject::connect(importButton, &QPushButton::clicked, editor, &Editor::BitBtn4Click);
}
// A row of buttons: `left` at its start, `right` at its end, a stretch between.
QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> left, std::initializer_list<QWidget*> right);

// Shows `label` as a web link: plain text, underlined and blue under a hand cursor, in the Tab order (as
// MakeKeyboardLink); `watcher` filters its events to open it (see IsLinkActivation).
void MakeWebLink(QLabel* label, QObject* watcher);
// Puts a label that acts as a web link in the Tab order, with a dotted frame while it has the focus.
void MakeKeyboardLink(QLabel* label);
// Whether `event`, seen by such a label's event filter, opens the link: a left click, or Enter, Return
// or Space while it has the focus.
bool IsLinkActivation(const QEvent* event);

} // namespace velmaro
