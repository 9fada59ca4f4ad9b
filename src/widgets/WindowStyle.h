#pragma once

#include <QLatin1String>

#include <initializer_list>

class QEvent;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QString;
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
// Moves the window to the centre of the screen it is on.
void CentreOnScreen(QWidget* window);
// A push button named `name` that Enter typed elsewhere in the window does not press; Enter or Return
// presses it while it has the focus.
QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent);
// A row of buttons: `left` at its start, `right` at its end, a stretch between.
QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> left, std::initializer_list<QWidget*> right);

// Puts a label that acts as a web link in the Tab order, with a dotted frame while it has the focus.
void MakeKeyboardLink(QLabel* label);
// Whether `event`, seen by such a label's event filter, opens the link: a left click, or Enter, Return
// or Space while it has the focus.
bool IsLinkActivation(const QEvent* event);

} // namespace velmaro
