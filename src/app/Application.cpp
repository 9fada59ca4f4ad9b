#include "app/Application.h"

#include "platform/Dialogs.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <exception>

namespace velmaro {

VelmaroApplication::VelmaroApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Firmware Velmaro"));
    // Ties the windows to the desktop entry (and its icon) where the desktop asks for it.
    setDesktopFileName(QStringLiteral("example.quorvane.Velmaro"));
    // Every window shows the logo; drawn here at the usual sizes, so no image plugin is needed.
    QSvgRenderer renderer(QStringLiteral(":/velmaro/logo.svg"));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    setWindowIcon(icon);
}

bool VelmaroApplication::notify(QObject* receiver, QEvent* event)
{
    QString text;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Unexpected error");
    }
    if (m_messages)
        m_messages->showError(text);
    return false;
}

} // namespace velmaro
