#include "app/AppDirectory.h"

#include "base/ProjectPaths.h"

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

const QString IniName = QStringLiteral("Velmaro_Ferrant.ini");

// A PROJECTS folder with anything in it, or the INI file: what a person would miss if it were left.
bool holdsProjects(const QString& dir)
{
    const QDir projects(dir + QLatin1Char('/') + ProjectsFolderName);
    const bool projectsUsed =
        projects.exists()
        && !projects.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
    return projectsUsed || QFileInfo::exists(dir + QLatin1Char('/') + IniName);
}

// What a program folder holds that a person would miss: "PROJECTS", the INI file, both, or nothing.
QStringList heldThere(const QString& dir)
{
    QStringList held;
    if (QFileInfo(dir + QLatin1Char('/') + ProjectsFolderName).isDir())
        held << ProjectsFolderName;
    if (QFileInfo::exists(dir + QLatin1Char('/') + IniName))
        held << IniName;
    return held;
}

} // namespace

AppDirectoryChoice ChooseApplicationDirectory(const QString& executableDir, const QString& documentsDir,
                                              const QString& legacyDataDir, bool create)
{
    const QString exe = QDir::cleanPath(executableDir);
    const QFileInfo info(exe);
    if (!exe.isEmpty() && info.isDir() && info.isWritable() && !isSystemFolder(exe))
        return {exe, {}};
    const QString legacy = QDir::cleanPath(legacyDataDir);
    QString chosen = QDir::cleanPath(documentsDir);
    if (chosen.isEmpty() || (!legacy.isEmpty() && holdsProjects(legacy)))
        chosen = legacy;
    // A failure shows later, when MASTER and PROJECTS cannot be created inside it.
    if (create)
        QDir().mkpath(chosen);

    AppDirectoryChoice choice{chosen, {}};
    const QStringList held = exe.isEmpty() || isSystemFolder(exe) ? QStringList() : heldThere(exe);
    if (!held.isEmpty()) {
        choice.notice =
            QStringLiteral("The program's folder \"%1\" holds %2 but cannot be written, so projects "
                           "are kept in \"%3\" instead.\n"
                           "To go on with what \"%1\" holds, copy its PROJECTS and MASTER folders "
                           "and %4 into \"%3\", or make \"%1\" writable and start the program again.")
                .arg(exe, held.join(QStringLiteral(" and ")), chosen, IniName);
    }
    return choice;
}

QString DocumentsDirectory()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QString() : documents + QStringLiteral("/Velmaro");
}

QString UserDataDirectory()
{
    // The same folder for both programs, whatever each calls itself.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/velmaro");
}

AppDirectoryChoice ApplicationDirectory(bool create)
{
    return ChooseApplicationDirectory(QCoreApplication::applicationDirPath(), DocumentsDirectory(),
                                      UserDataDirectory(), create);
}

} // namespace velmaro
