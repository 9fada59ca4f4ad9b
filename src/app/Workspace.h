#pragma once

#include "base/ProjectPaths.h"
#include "base/Result.h"

namespace velmaro {

class IFileDialogs;
class IMessageBoxes;

// The fixed caption of the main window; the open project's name is appended directly.
inline const QString MainCaption = QStringLiteral("Quorvane Velmaro TQ4712 PROFIBUS / Serial :");
inline const QString IniFileName = QStringLiteral("\\Velmaro_Ferrant.ini");

QString IniFilePath(const ProjectPaths& paths);

// Whether a project name read from the INI file climbs out of PROJECTS with a ".." part; such a name
// never opens a project (the fallback project is used instead).
bool LeavesProjects(const QString& name);

// Start-up: fills the directories beside the executable (creating MASTER and PROJECTS), reads the last
// project from the INI file and chooses ProjectDir. Returns whether the caption shows ProjectName.
// Does not compute the document paths. `folders`, when given, receives the failure to create MASTER
// or PROJECTS: one text, a line for each folder with the system's reason. `ini`, when given, receives
// the failure to read an INI file that exists (or a link to one that cannot be followed) (the fallback
// project is used then).
bool RestoreLastProject(ProjectPaths& paths, const QString& appDir, Status* folders = nullptr,
                        Status* ini = nullptr);

// Writes ProjectName to the INI file; fails with "Unable to write to <ini path>" and the reason on the
// next line.
Status SaveLastProject(const ProjectPaths& paths);
// Asked after that failure, at close: Yes closes all the same.
inline const QString CloseWithoutRememberingText =
    QStringLiteral("Close without remembering the open project for the next start?");

// The folder picker rooted at `root`. `dir` (built with "\") is the initial selection and the result;
// it is emptied first when it does not name an existing directory.
bool SelectProjectFolder(IFileDialogs& dialogs, const QString& title, const QString& root, QString& dir);

// The project a folder below PROJECTS lies in when it is not a project itself (a project's bin folder,
// a folder inside a project): the nearest folder above it, below PROJECTS, that holds a bin folder or
// pargen.xml. Both in the "\" form of ProjectDir; nothing when there is none.
std::optional<QString> EnclosingProject(const QString& projectsDir, const QString& dir);

// "Open project": picker, then ProjectName from the chosen folder and the document paths, also when
// the picker was cancelled. When the chosen folder lies inside a project, `messages` (when given) asks
// whether to open that project instead; No opens the chosen folder.
void OpenProject(ProjectPaths& paths, IFileDialogs& dialogs, IMessageBoxes* messages = nullptr);

// The caption for the current state.
QString CaptionWithName(const ProjectPaths& paths);

} // namespace velmaro
