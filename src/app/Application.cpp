#include "app/Application.h"

#include "platform/Dialogs.h"
#include "widgets/SvgIcon.h"

#include <exception>

// The GUI is a static library: its resources are registered explicitly.
static void initApplicationResources()
{
    Q_INIT_RESOURCE(velmaro_app);
}

namespace velmaro {

VelmaroApplication::VelmaroApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Firmware Velmaro"));
    // Ties the windows to the desktop entry (and its icon) where the desktop asks for it.
    setDesktopFileName(QStringLiteral("example.quorvane.Velmaro"));
    // Every window shows the logo, drawn at the sizes the window system asks for.
    initApplicationResources();
    setWindowIcon(SvgIcon(QStringLiteral(":/velmaro/logo.svg")));
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
