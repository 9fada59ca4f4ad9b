#include "cli/CliUpdate.h"

#include "app/AppDirectory.h"
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

int RunUpdateVerb(const VerbArgs& args, Io& io)
{
    ProcessRunner processes;
    const AppDirectoryChoice appDir = ApplicationDirectory();
    if (!appDir.notice.isEmpty())
        io.err << appDir.notice << "\n";
    return RunUpdate(args, io, SystemSerialPlatform(), processes, UserPath(appDir.dir));
}

UpdateChoices ChoicesOf(const VerbArgs& args)
{
    UpdateChoices choices;
    choices.firmware = !args.isSet(QStringLiteral("no-firmware"));
    choices.readFirmware = !args.isSet(QStringLiteral("no-read-firmware"));
    choices.project = !args.isSet(QStringLiteral("no-project"));
    choices.readProject = !args.isSet(QStringLiteral("no-read-project"));
    return choices;
}

// PROJECT_DIR as the updater is given it: absolute, beside MASTER of `appDir`; nothing after saying why
// when the folder is missing or cannot be passed on.
std::optional<ProjectPaths> UpdaterProject(const VerbArgs& args, const QString& appDir, Io& io)
{
    const std::optional<ProjectPaths> folder = ProjectFolder(args.positional.at(0), io);
    if (!folder)
        return std::nullopt;
    ProjectPaths paths =
        ProjectPathsOf(UserPath(QFileInfo(NativePath(folder->ProjectDir)).absoluteFilePath()));
    SetAppDirectories(paths, appDir);
    if (!Succeeded(CheckUpdaterFolders(paths.MasterDir, paths.ProjectDir), io))
        return std::nullopt;
    return paths;
}

// bank.bin as "Update Device" writes it; false when the update must not go on.
bool WriteBank(const ProjectPaths& project, const UpdateChoices& choices, Io& io)
{
    const Result<ParameterImage> image = BuildParameterImage(project);
    if (!Succeeded(image.status(), io))
        return false;
    const Status written = WriteParameterImage(*image, project.BankBinPath);
    if (written.ok())
        return true;
    // The updater loads bank.bin with PW: without a readable one (none, or a link that leads nowhere)
    // there is nothing to load, and the device would be left without its settings.
    const QString& bank = project.BankBinPath;
    if (choices.project && (!FileExists(bank) || NonRegularFileKind(bank))) {
        io.err << written.error()
               << " There is no bank.bin to write into the device; nothing was started (give --no-project "
                  "for a firmware-only update).\n";
        return false;
    }
    io.err << written.error() << " The update goes on without a new bank.bin.\n";
    return true;
}

// "Connect", then "Next": the port is opened and freed again.
bool CheckPort(ISerialPlatform& serial, const QString& port, Io& io)
{
    TComm comm(nullptr, serial);
    const Status connected = ConnectPort(comm, port);
    comm.Close();
    return Succeeded(connected, io);
}

int RunUpdater(const ProjectPaths& project, const QString& port, const UpdateChoices& choices,
               ISerialPlatform& serial, IProcessRunner& processes, Io& io)
{
    const QString program = NativePath(UpdaterProgram(project.AppDir));
    const QString parameters = UpdaterCommandLine(UpdaterPortToken(port, ListSerialDevices()), choices,
                                                  project.MasterDir, project.ProjectDir);
    io.out << "Running " << program << " " << parameters << "\n";
    io.out.flush();
    const ProcessOutcome outcome = processes.runAndWait(program, parameters, false, UpdaterWaitLimitMs, {},
                                                        UpdaterEnvironment(serial.devicePath(port)));
    switch (outcome.kind) {
    case ProcessOutcome::NotStarted:
        io.err << UpdaterOutcomeText(outcome, program) << "\n";
        return UpdaterNotStarted;
    case ProcessOutcome::StillRunning:
        io.err << UpdaterOutcomeText(outcome, program) << "\n";
        return UpdaterStillRunning;
    case ProcessOutcome::Ended: break;
    }
    return outcome.exitCode;
}

} // namespace

// Does what "Update Device" and the update dialog do: writes bank.bin, checks the port as "Connect"
// does and frees it as "Next" does, then runs the updater and passes on its exit code. As in the window,
// a bank.bin that cannot be written is reported and the update goes on: a firmware-only update needs
// none.
int RunUpdate(const VerbArgs& args, Io& io, ISerialPlatform& serial, IProcessRunner& processes,
              const QString& appDir)
{
    const QString port = args.value(QStringLiteral("port"));
    // A port by its COMn name, or by its device path (/dev/ttyUSB0, /dev/serial/by-id/...).
    if (!ComPortNumber(port) && !port.startsWith(QLatin1Char('/'))) {
        io.err << "The port must be named COM1, COM2, ... or by its device path such as /dev/ttyUSB0 (not '"
               << port << "').\n";
        return UsageError;
    }
    const UpdateChoices choices = ChoicesOf(args);
    const std::optional<ProjectPaths> project = UpdaterProject(args, appDir, io);
    if (!project || !WriteBank(*project, choices, io) || !CheckPort(serial, port, io))
        return Refused;
    return RunUpdater(*project, port, choices, serial, processes, io);
}

Verb UpdateVerb()
{
    return {
        "update",
        "write bank.bin, check the port, run the device updater",
        {QStringLiteral("PROJECT_DIR")},
        {
            {QStringLiteral("port"),
             QStringLiteral("the serial port: COM1 to COM10, or a device path such as /dev/ttyUSB0"),
             QStringLiteral("PORT")},
            {QStringLiteral("no-firmware"), QStringLiteral("do not load the firmware")},
            {QStringLiteral("no-read-firmware"), QStringLiteral("do not read the firmware back")},
            {QStringLiteral("no-project"), QStringLiteral("do not load the project's settings")},
            {QStringLiteral("no-read-project"), QStringLiteral("do not read the project's settings back")},
        },
        RunUpdateVerb,
        QStringLiteral(
            "The updater receives the port as COMn (a device path that is one of the numbered ports "
            "becomes its COMn) and the device behind it in VELMARO_PORT_DEVICE.\n"
            "A bank.bin that cannot be written is reported and the update goes on (a firmware-only update\n"
            "needs none).\n"
            "Exit status: the updater's own exit code when it ran and ended; 124 when it is still running\n"
            "after 150 s (it is left running); 127 when it cannot be started (the message names the program\n"
            "and the reason); 1 when the update is refused (project folder, pargen.xml, port); 2 usage "
            "error."),
        {QStringLiteral("port")}};
}

} // namespace velmaro::cli
