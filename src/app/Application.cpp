#include "app/Application.h"

#include "platform/Dialogs.h"

#include <exception>

namespace velmaro {

VelmaroApplication::VelmaroApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Firmware Velmaro"));
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
