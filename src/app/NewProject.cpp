#include "app/NewProject.h"

#include "app/Workspace.h"
#include "platform/FileSystem.h"

namespace velmaro {

NewProjectOutcome CreateNewProject(ProjectPaths& paths, const QString& dest, const QString& name)
{
    NewProjectOutcome outcome;
    if (dest.isEmpty())
        outcome.messages << QStringLiteral("directory destination not valid");
    // A ".." part would place the project beside or above the destination; a name of blanks alone
    // would be a folder that looks nameless.
    if (name.trimmed().isEmpty() || LeavesProjects(name))
        outcome.messages << QStringLiteral("Name project not valid");
    if (!outcome.messages.isEmpty())
        return outcome;

    const QString folder = dest + QLatin1Char('/') + name;
    if (DirectoryExists(folder)) {
        outcome.messages << QStringLiteral("Name project not valid because directory already exists");
        return outcome;
    }
    // An illegal name, a missing parent or missing rights: the dialog stays open and says why.
    const Status created = CreateFolder(folder);
    if (!created.ok()) {
        outcome.error = created.error();
        return outcome;
    }
    ForceDirectories(folder + QLatin1Char('/') + BinFolderName); // opened even without it
    paths.ProjectName = name;
    paths.ProjectDir = dest + QLatin1Char('\\') + name;
    SetDocumentPaths(paths);
    outcome.created = true;
    return outcome;
}

} // namespace velmaro
