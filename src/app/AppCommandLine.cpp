#include "app/AppCommandLine.h"

#include "base/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace velmaro {

std::optional<int> AnswerInformationOptions(int argc, char* argv[])
{
    // Looked for by hand first: the graphical start must not pay for a second application object.
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            asked = asked || std::strcmp(argv[i], option) == 0;
    }
    if (!asked)
        return std::nullopt;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmaro"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMARO_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Configurator of the Velmaro TQ4712 gateway (serial RS232/RS485 to PROFIBUS-DP).\n"
        "Projects live in PROJECTS inside the application directory: the program's own folder when\n"
        "you can write it (a portable copy), otherwise ~/.local/share/velmaro. See velmaro(1)."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.parse(QCoreApplication::arguments()); // Qt's own options (-style, -platform) are no error here
    QTextStream out(stdout);
    if (parser.isSet(version) && !parser.isSet(help))
        out << "velmaro " << VELMARO_VERSION << "\n";
    else
        out << parser.helpText();
    return 0;
}

std::optional<QString> MissingDisplay(int argc, char* argv[])
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return std::nullopt;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return std::nullopt;
    }
    return QStringLiteral("velmaro: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY "
                          "is set); start it in a graphical session, or use velmaro-cli, which needs none.");
}

} // namespace velmaro
