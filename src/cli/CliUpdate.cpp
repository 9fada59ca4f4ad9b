#include "cli/CliUpdate.h"

#include "device/CommInt.h"
#include "device/ParameterImage.h"
#include "device/UpdaterCommand.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/SerialPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace velmaro::cli {

namespace {

const char* const Usage = "Usage: velmaro-cli update PROJECT_DIR --port COMn [--no-firmware] "
                          "[--no-read-firmware] [--no-project] [--no-read-project]\n";

int RunUpdateVerb(const QStringList& args, Io& io)
{
    ProcessRunner processes;
    return RunUpdate(args, io, SystemSerialPlatform(), processes,
                     QDir::cleanPath(QCoreApplication::applicationDirPath()));
}

} // namespace

// Does what "Update Device" and the update dialog do: writes bank.bin, checks the port as "Connect"
// does and frees it as "Next" does, then runs the updater and passes on its exit code.
int RunUpdate(const QStringList& args, Io& io, ISerialPlatform& serial, IProcessRunner& processes,
              const QString& appDir)
{
    QString projectArg;
    QString port;
    UpdateChoices choices;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--port") && i + 1 < args.size())
            port = args.at(++i);
        else if (a == QLatin1String("--no-firmware"))
            choices.firmware = false;
        else if (a == QLatin1String("--no-read-firmware"))
            choices.readFirmware = false;
        else if (a == QLatin1String("--no-project"))
            choices.project = false;
        else if (a == QLatin1String("--no-read-project"))
            choices.readProject = false;
        else if (!a.startsWith(QLatin1String("--")) && projectArg.isEmpty())
            projectArg = a;
        else {
            io.err << "Unexpected argument '" << a << "'.\n" << Usage;
            return UsageError;
        }
    }
    if (projectArg.isEmpty() || port.isEmpty()) {
        io.err << Usage;
        return UsageError;
    }
    if (!ComPortNumber(port)) {
        io.err << "The port must be named COM1, COM2, ... (not '" << port << "').\n";
        return UsageError;
    }
    if (!DirectoryExists(projectArg)) {
        io.err << "The project folder \"" << projectArg << "\" does not exist.\n";
        return Refused;
    }
    const QString projectDir = QFileInfo(NativePath(projectArg)).absoluteFilePath();
    const QString masterDir = appDir + QStringLiteral("\\MASTER");
    const Status folders = CheckUpdaterFolders(masterDir, projectDir);
    if (!folders.ok()) {
        io.err << folders.error() << "\n";
        return Refused;
    }

    const Result<ParameterImage> image = BuildParameterImage(projectDir + QStringLiteral("\\pargen.xml"));
    if (!image.ok()) {
        io.err << image.error() << "\n";
        return Refused;
    }
    const Status written = WriteParameterImage(*image, ParameterImagePath(projectDir));
    if (!written.ok()) {
        io.err << written.error() << "\n";
        return Refused;
    }

    {
        TComm comm(nullptr, serial);
        const Status connected = ConnectPort(comm, port);
        comm.Close();
        if (!connected.ok()) {
            io.err << connected.error() << "\n";
            return Refused;
        }
    }

    const QString program = NativePath(UpdaterProgram(appDir));
    const QString parameters = UpdaterCommandLine(port, choices, masterDir, projectDir);
    io.out << "Running " << program << " " << parameters << "\n";
    io.out.flush();
    const ProcessOutcome outcome = processes.runAndWait(program, parameters, false, UpdaterWaitLimitMs, {});
    // The updater's own exit code is passed on as it is; the failures of the run are said here.
    if (outcome.kind != ProcessOutcome::Ended) {
        io.err << UpdaterOutcomeText(outcome, program) << "\n";
        return Refused;
    }
    return outcome.exitCode;
}

Verb UpdateVerb()
{
    return {"update",
            "update PROJECT_DIR --port COMn [--no-firmware] [--no-read-firmware] [--no-project] "
            "[--no-read-project]\n"
            "                            write bank.bin, check the port, run the device updater",
            RunUpdateVerb};
}

} // namespace velmaro::cli
