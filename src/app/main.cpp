#include "app/AppWindows.h"
#include "app/UVelmaroFirmWare.h"
#include "platform/QtDialogs.h"

#include <QApplication>
#include <QDir>

#include <exception>

namespace {

// An error that no handler caught abandons the user's action; it is shown and the program goes on.
class VelmaroApplication : public QApplication
{
public:
    using QApplication::QApplication;
    velmaro::IMessageBoxes* messages = nullptr;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            if (messages)
                messages->showError(QString::fromLocal8Bit(e.what()));
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    VelmaroApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Firmware Velmaro"));

    velmaro::QtMessageBoxes messages;
    velmaro::QtFileDialogs dialogs;
    velmaro::QtModalRunner modal;
    velmaro::QtShell shell;
    velmaro::ProcessRunner processes;
    velmaro::ProjectPaths paths;
    velmaro::AppContext context{paths, messages, dialogs, modal, shell, velmaro::SystemSerialPlatform(),
                                processes};
    app.messages = &messages;

    const QString appDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
    velmaro::AppWindows windows(context, appDir);
    windows.FVelmaroFirmWare->show();
    return app.exec();
}
