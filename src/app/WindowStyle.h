#pragma once

class QWidget;

namespace velmaro {

// A fixed-size tool window without title-bar buttons.
void MakeFixedToolWindow(QWidget* window);
// Moves the window to the centre of the screen it is on.
void CentreOnScreen(QWidget* window);

} // namespace velmaro
