#include "app/AppCommandLine.h"
#include "app/AppDirectory.h"
#include "app/AppWindows.h"
#include "app/Application.h"
#include "app/UVelmaroFirmWare.h"
#include "platform/FileSystem.h"
#include "platform/QtDialogs.h"

#include <QDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (const std::optional<int> status = velmaro::AnswerInformationOptions(argc, argv))
        return *status;
    if (const std::optional<QString> missing = velmaro::MissingDisplay(argc, argv)) {
        std::fprintf(stderr, "%s\n", qPrintable(*missing));
        return 1;
    }
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

    // MASTER, PROJECTS, the INI file and the updater: the executable's folder or Documents/Velmaro.
    // A native folder: a "\" in its name is a character of the name, not a separator.
    const velmaro::AppDirectoryChoice appDir = velmaro::ApplicationDirectory();
    velmaro::AppWindows windows(context, velmaro::UserPath(appDir.dir),
                                velmaro::AppWindows::Start::ShowMainWindowFirst, appDir.notice);
    // Closed by the window system before start-up ended: the event loop would wait for a window that is gone.
    if (!windows.FVelmaroFirmWare->isVisible())
        return 0;
    return app.exec();
}
