#pragma once

#include "base/Result.h"
#include "platform/Processes.h"
#include "platform/SerialPlatform.h"

#include <QString>
#include <QStringList>

namespace velmaro {

class TCustomComm;

// The external device updater: where it is, what it is told and how long it is waited for.
inline const QString UpdaterFileName = QStringLiteral("\\Ser_Q4712_Update.exe");
constexpr int UpdaterWaitLimitMs = 150000;
inline const QString PortCannotOpenText = QStringLiteral("Error!! Com Port cannot be open.");

// What the updater is asked to do, one choice per check box of the update options.
struct UpdateChoices
{
    bool firmware = true;     // "FW " or "NO "
    bool readFirmware = true; // "FR " or "NO "
    bool project = true;      // "PW " or "NO "
    bool readProject = true;  // "PR " or "NO "
};

QString UpdaterProgram(const QString& appDir);

// Said on the update dialog's first page when no updater is at UpdaterProgram(appDir): where it is looked
// for and where to read how to install it. Empty when a regular file is there.
QString MissingUpdaterText(const QString& appDir);

// The environment variable that names the device behind the port (/dev/ttyUSB0), so that an updater
// needs no knowledge of the COMn numbering.
inline const QString PortDeviceVariable = QStringLiteral("VELMARO_PORT_DEVICE");

// The updater's parameter string: the port token, the four choice tokens, the quoted path of the data
// file in MASTER and the quoted project bin folder ending with a separator right before its closing
// quote. Both paths in the system's form ("/.../MASTER/simQ4712.sim" "/.../PROJECTS/Plant1/bin/").
QString UpdaterCommandLine(const QString& portName, const UpdateChoices& choices, const QString& masterDir,
                           const QString& projectDir);

// What is added to the updater's environment: the device behind the port (empty when there is none,
// so a value inherited from the caller never names the wrong device).
QStringList UpdaterEnvironment(const QString& device);

// The port token for a port given as COMn or as a device path: COMn stays as it is; a device path
// becomes the COMn that names the same device among `devices` (the numbering's list), or stays the
// path when none does.
QString UpdaterPortToken(const QString& port, const QStringList& devices);

// A double quote in a folder name would end the quoted argument early and split it (or smuggle in
// another argument); such a folder cannot be passed on and is refused with a message naming it.
Status CheckUpdaterFolders(const QString& masterDir, const QString& projectDir);

// What went wrong with a run of the updater, for the error box and the command line: it could not be
// started (its native path and the system's reason), it was still running at the limit, or it ended
// with an exit code other than 0. Empty for a run that ended with 0.
QString UpdaterOutcomeText(const ProcessOutcome& outcome, const QString& program);

// "Connect": closes the port (errors ignored), names it, opens it and raises DTR. On failure the text
// for the error box: PortCannotOpenText, then on a second line why (see PortFailureReason); the port
// is then left as the failure left it (Close frees it).
Status ConnectPort(TCustomComm& comm, const QString& portName);

// PortFailureReason (platform/SerialPlatform.h) says why a port could not be used.

} // namespace velmaro
