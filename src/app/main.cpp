#include "app/AppWindows.h"
#include "app/Application.h"
#include "app/UVelmaroFirmWare.h"
#include "platform/QtDialogs.h"

#include <QDir>

int main(int argc, char* argv[])
{
    velmaro::VelmaroApplication app(argc, argv);

    velmaro::QtMessageBoxes messages;
    velmaro::QtFileDialogs dialogs;
    velmaro::QtModalRunner modal;
    velmaro::QtShell shell;
    velmaro::ProcessRunner processes;
    velmaro::ProjectPaths paths;
    velmaro::AppContext context{paths,    messages, dialogs, modal, shell, velmaro::SystemSerialPlatform(),
                                processes};
    app.setMessageBoxes(&messages);

    // The directory of the executable is the application directory: MASTER, PROJECTS and the INI file.
    const QString appDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
    velmaro::AppWindows windows(context, appDir, velmaro::AppWindows::Start::ShowMainWindowFirst);
    // Closed by the window system before start-up ended: the event loop would wait for a window that is gone.
    if (!windows.FVelmaroFirmWare->isVisible())
        return 0;
    return app.exec();
}
