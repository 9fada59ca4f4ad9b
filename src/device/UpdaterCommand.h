#pragma once

#include "base/Result.h"

#include <QString>

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

// The updater's parameter string: the port name, the four choice tokens, the quoted path of the data
// file in MASTER and the quoted project bin folder ending with "\" right before its closing quote.
QString UpdaterCommandLine(const QString& portName, const UpdateChoices& choices, const QString& masterDir,
                           const QString& projectDir);

// A double quote in a folder name would end the quoted argument early and split it (or smuggle in
// another argument); such a folder cannot be passed on and is refused with a message naming it.
Status CheckUpdaterFolders(const QString& masterDir, const QString& projectDir);

// "Connect": closes the port (errors ignored), names it, opens it and raises DTR. False when opening
// or raising DTR failed; the port is then left as the failure left it (Close frees it).
bool ConnectPort(TCustomComm& comm, const QString& portName);

} // namespace velmaro
