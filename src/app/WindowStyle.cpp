#include "app/WindowStyle.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace velmaro {

void MakeFixedToolWindow(QWidget* window)
{
    window->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window->adjustSize();
    window->setFixedSize(window->sizeHint().expandedTo(window->minimumSize()));
}

void CentreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace velmaro
