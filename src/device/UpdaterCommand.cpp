#include "device/UpdaterCommand.h"

#include "device/CommInt.h"
#include "platform/FileSystem.h"
#include "platform/SerialPlatform.h"

#include <QFileInfo>

namespace velmaro {

QString UpdaterProgram(const QString& appDir)
{
    return appDir + UpdaterFileName;
}

QString UpdaterCommandLine(const QString& portName, const UpdateChoices& choices, const QString& masterDir,
                           const QString& projectDir)
{
    const QString no = QStringLiteral("NO ");
    const QChar quote = QLatin1Char('"');
    return portName + QLatin1Char(' ') + (choices.firmware ? QStringLiteral("FW ") : no)
           + (choices.readFirmware ? QStringLiteral("FR ") : no)
           + (choices.project ? QStringLiteral("PW ") : no)
           + (choices.readProject ? QStringLiteral("PR ") : no) + quote
           + DisplayPath(masterDir + QStringLiteral("\\simQ4712.sim")) + quote + QLatin1Char(' ') + quote
           + DisplayPath(projectDir + QStringLiteral("\\bin\\")) + quote;
}

QStringList UpdaterEnvironment(const QString& device)
{
    return {PortDeviceVariable + QLatin1Char('=') + device};
}

QString UpdaterPortToken(const QString& port, const QStringList& devices)
{
    if (ComPortNumber(port))
        return port;
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

bool ConnectPort(TCustomComm& comm, const QString& portName)
{
    comm.Close();
    try {
        comm.SetDeviceName(portName);
        comm.Open();
        comm.SetDtr(true);
    } catch (const ECommError&) {
        return false;
    }
    return true;
}

} // namespace velmaro
