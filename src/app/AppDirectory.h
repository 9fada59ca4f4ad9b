#pragma once

#include <QString>

namespace velmaro {

// The application directory: MASTER, PROJECTS, the INI file and the device updater live there.
// It is the executable's folder when the user can write it (a portable layout: run/bin from a source
// checkout, or a folder the user unpacked). Otherwise, and always for a folder a package installs into
// (/usr/..., /bin, /sbin, even when root could write it), it is the user's data folder, created when
// missing (unless `create` is false: a look that changes nothing). Returned without a trailing separator.
QString ChooseApplicationDirectory(const QString& executableDir, const QString& userDataDir,
                                   bool create = true);

// The user's data folder of both programs: $XDG_DATA_HOME/velmaro, by default ~/.local/share/velmaro.
QString UserDataDirectory();

// The rule for the running program (velmaro and velmaro-cli alike).
QString ApplicationDirectory(bool create = true);

} // namespace velmaro
