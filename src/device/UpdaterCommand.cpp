#include "device/UpdaterCommand.h"

#include "base/ProjectPaths.h"
#include "device/CommInt.h"
#include "platform/FileSystem.h"
#include "platform/SerialPlatform.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace velmaro {

QString UpdaterProgram(const QString& appDir)
{
    return appDir + UpdaterFileName;
}

QString MissingUpdaterText(const QString& appDir)
{
    const QString program = UpdaterProgram(appDir);
    if (FileExists(program) && !NonRegularFileKind(program))
        return {};
    return QStringLiteral("The device updater is not in the application directory:\n%1\n"
                          "See \"Getting the device updater\" in the README.")
        .arg(DisplayPath(program));
}

QString UpdaterCommandLine(const QString& portName, const UpdateChoices& choices, const QString& masterDir,
                           const QString& projectDir)
{
    const QString no = QStringLiteral("NO ");
    const QChar quote = QLatin1Char('"');
    return portName + QLatin1Char(' ') + (choices.firmware ? QStringLiteral("FW ") : no)
           + (choices.readFirmware ? QStringLiteral("FR ") : no)
           + (choices.project ? QStringLiteral("PW ") : no)
           + (choices.readProject ? QStringLiteral("PR ") : no)
           + quote
           // The paths the updater opens, not the forms messages show.
           + QDir::toNativeSeparators(NativePath(masterDir + QStringLiteral("\\simQ4712.sim"))) + quote
           + QLatin1Char(' ') + quote
           + QDir::toNativeSeparators(NativePath(ProjectPathsOf(projectDir).BinDir + QLatin1Char('\\')))
           + quote;
}

QStringList UpdaterEnvironment(const QString& device)
{
    return {PortDeviceVariable + QLatin1Char('=') + device};
}

QString UpdaterPortToken(const QString& port, const QStringList& devices)
{
    if (const int number = ComPortNumber(port))
        return QStringLiteral("COM%1").arg(number); // "com1" is COM1 for the updater too
    // By-id names are links: compare what both names lead to.
    const QString target = QFileInfo(port).canonicalFilePath();
    for (qsizetype i = 0; i < devices.size(); ++i) {
        if (!target.isEmpty() && QFileInfo(devices.at(i)).canonicalFilePath() == target)
            return QStringLiteral("COM%1").arg(i + 1);
    }
    return port;
}

Status CheckUpdaterFolders(const QString& masterDir, const QString& projectDir)
{
    for (const QString& folder : {masterDir, projectDir}) {
        if (folder.contains(QLatin1Char('"')))
            return Status::failure(QStringLiteral("The folder \"%1\" contains a double quote; the updater "
                                                  "cannot be given its path. Rename the folder.")
                                       .arg(DisplayPath(folder)));
    }
    return {};
}

QString UpdaterOutcomeText(const ProcessOutcome& outcome, const QString& program)
{
    switch (outcome.kind) {
    case ProcessOutcome::NotStarted: {
        const QString reason =
            outcome.error ? qt_error_string(outcome.error) : QStringLiteral("Unknown error");
        return QStringLiteral("The updater \"%1\" cannot be started: %2.").arg(program, reason);
    }
    case ProcessOutcome::StillRunning:
        return QStringLiteral("The updater did not end within %1 seconds; it was left running.")
            .arg(UpdaterWaitLimitMs / 1000);
    case ProcessOutcome::Ended: break;
    }
    if (outcome.exitCode == 0)
        return QString();
    return QStringLiteral("The updater ended with exit code %1.").arg(outcome.exitCode);
}

Status ConnectPort(TCustomComm& comm, const QString& portName)
{
    comm.Close();
    try {
        comm.SetDeviceName(portName);
        comm.Open();
        comm.SetDtr(true);
    } catch (const ECommError& e) {
        return Status::failure(PortCannotOpenText + QLatin1Char('\n')
                               + PortFailureReason(portName, comm.DevicePath(), e.ErrorCode(), e.Message(),
                                                   PresentPorts(comm.Platform())));
    }
    return {};
}

} // namespace velmaro
