#include "app/Workspace.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"

#include <QDir>

namespace velmaro {

namespace {
const QString Section = QStringLiteral("lastproj");
const QString Key = QStringLiteral("projectname");
} // namespace

bool LeavesProjects(const QString& name)
{
    const QStringList parts = NativePath(name).split(QLatin1Char('/'));
    return parts.contains(QStringLiteral(".."));
}

QString IniFilePath(const ProjectPaths& paths)
{
    return paths.AppDir + IniFileName;
}

bool RestoreLastProject(ProjectPaths& p, const QString& appDir, Status* folders, Status* ini)
{
    SetAppDirectories(p, appDir);
    QStringList failures;
    for (const QString& folder : {p.MasterDir, p.ProjectsDir}) {
        if (DirectoryExists(folder))
            continue;
        const Status created = CreateFolder(folder);
        if (!created.ok())
            failures << created.error();
    }
    if (folders)
        *folders = failures.isEmpty() ? Status() : Status::failure(failures.join(QLatin1Char('\n')));
    const Result<QString> stored = ReadProfileValue(NativePath(IniFilePath(p)), Section, Key);
    if (ini)
        *ini = stored.ok() ? Status()
                           : Status::failure(stored.error()
                                             + QStringLiteral("\nThe last project could not be restored."));
    p.ProjectName = stored.ok() ? *stored : QString();
    if (!p.ProjectName.isEmpty() && !p.ProjectName.startsWith(QLatin1Char('\\')))
        p.ProjectName.prepend(QLatin1Char('\\'));
    const bool usable = !p.ProjectName.isEmpty() && !LeavesProjects(p.ProjectName);
    if (usable && DirectoryExists(p.ProjectsDir + p.ProjectName)) {
        p.ProjectDir = p.ProjectsDir + p.ProjectName;
        return true;
    }
    p.ProjectDir = p.ProjectsDir;
    return false;
}

Status SaveLastProject(const ProjectPaths& p)
{
    const Status written = WriteProfileValue(NativePath(IniFilePath(p)), Section, Key, p.ProjectName);
    if (written.ok())
        return {};
    return Status::failure(QStringLiteral("Unable to write to %1").arg(DisplayPath(IniFilePath(p)))
                           + QLatin1Char('\n') + written.error());
}

bool SelectProjectFolder(IFileDialogs& dialogs, const QString& title, const QString& root, QString& dir)
{
    if (!DirectoryExists(dir))
        dir.clear();
    QString chosen = dir;
    if (!dialogs.browseForFolder(title, root, chosen))
        return false;
    // The picker answers in native form; the result keeps the root as given and "\" below it.
    const QString nativeRoot = QDir::cleanPath(NativePath(root));
    const QString nativeChosen = QDir::cleanPath(NativePath(chosen));
    if (nativeChosen != nativeRoot && !nativeChosen.startsWith(nativeRoot + QLatin1Char('/')))
        return false; // above or beside the root: nothing there can be chosen
    QString rest = nativeChosen.mid(nativeRoot.size());
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    dir = root + rest;
    return true;
}

namespace {

bool isProject(const QString& dir)
{
    const ProjectPaths project = ProjectPathsOf(dir);
    return DirectoryExists(project.BinDir) || FileExists(project.PargenXmlPath);
}

} // namespace

std::optional<QString> EnclosingProject(const QString& projectsDir, const QString& dir)
{
    if (dir.size() <= projectsDir.size() || !dir.startsWith(projectsDir) || isProject(dir))
        return std::nullopt;
    QString up = dir;
    for (;;) {
        const qsizetype cut = up.lastIndexOf(QLatin1Char('\\'));
        if (cut <= projectsDir.size())
            return std::nullopt;
        up.truncate(cut);
        if (isProject(up))
            return up;
    }
}

void OpenProject(ProjectPaths& p, IFileDialogs& dialogs, IMessageBoxes* messages)
{
    const bool chosen = SelectProjectFolder(dialogs, QStringLiteral("Select directory of project"),
                                            p.ProjectsDir, p.ProjectDir);
    if (chosen && messages) {
        if (const std::optional<QString> project = EnclosingProject(p.ProjectsDir, p.ProjectDir)) {
            const QString below = DisplayPath(p.ProjectDir.mid(p.ProjectsDir.size() + 1));
            const QString name = DisplayPath(project->mid(p.ProjectsDir.size() + 1));
            if (messages->askYesNo(QStringLiteral("\"%1\" is a folder inside the project \"%2\".\n"
                                                  "Open the project \"%2\" instead?")
                                       .arg(below, name)))
                p.ProjectDir = *project;
        }
    }
    p.ProjectName = p.ProjectDir.mid(p.ProjectsDir.size());
    SetDocumentPaths(p);
}

QString CaptionWithName(const ProjectPaths& p)
{
    return MainCaption + DisplayPath(p.ProjectName);
}

} // namespace velmaro
