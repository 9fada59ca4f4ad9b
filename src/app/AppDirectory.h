#pragma once

#include <QString>

namespace velmaro {

// Where MASTER, PROJECTS, the INI file and the device updater live, and what start-up says about it.
struct AppDirectoryChoice
{
    QString dir;    // without a trailing separator
    QString notice; // empty, or why a read-only program folder that holds projects is not used
};

// The application directory. It is the executable's folder when the user can write it (a portable
// layout: run/bin from a source checkout, or a folder the user unpacked). Otherwise, and always for a
// folder a package installs into (/usr/..., /bin, /sbin, even when root could write it), it is the
// visible folder `documentsDir` (created when missing), unless the data folder of earlier versions,
// `legacyDataDir`, holds projects or the INI file: that one keeps being used, nothing is moved.
// A program folder that is not used although it holds PROJECTS or the INI file is named in `notice`.
AppDirectoryChoice ChooseApplicationDirectory(const QString& executableDir, const QString& documentsDir,
                                              const QString& legacyDataDir, bool create = true);

// "Velmaro" in the user's documents folder (~/Documents/Velmaro).
QString DocumentsDirectory();
// The data folder of earlier versions: $XDG_DATA_HOME/velmaro, by default ~/.local/share/velmaro.
QString UserDataDirectory();

// The rule for the running program (velmaro and velmaro-cli alike).
// Unless `create` is false (a look that changes nothing), the chosen folder is created when missing.
AppDirectoryChoice ApplicationDirectory(bool create = true);

} // namespace velmaro
