#include "app/AppDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace velmaro {

namespace {

// Folders that belong to the system's packages: never a place for a user's projects.
bool isSystemFolder(const QString& dir)
{
    for (const char* root : {"/usr", "/bin", "/sbin"}) {
        const QString r = QLatin1String(root);
        if (dir == r || dir.startsWith(r + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

QString ChooseApplicationDirectory(const QString& executableDir, const QString& userDataDir, bool create)
{
    const QString exe = QDir::cleanPath(executableDir);
    const QFileInfo info(exe);
    if (!exe.isEmpty() && info.isDir() && info.isWritable() && !isSystemFolder(exe))
        return exe;
    const QString data = QDir::cleanPath(userDataDir);
    // A failure shows later, when MASTER and PROJECTS cannot be created inside it.
    if (create)
        QDir().mkpath(data);
    return data;
}

QString UserDataDirectory()
{
    // The same folder for both programs, whatever each calls itself.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/velmaro");
}

QString ApplicationDirectory(bool create)
{
    return ChooseApplicationDirectory(QCoreApplication::applicationDirPath(), UserDataDirectory(), create);
}

} // namespace velmaro
