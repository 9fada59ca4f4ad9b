#pragma once

#include "base/ProjectPaths.h"
#include "base/Result.h"

namespace velmaro {

class IFileDialogs;

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
// or PROJECTS and an INI file that is there but cannot be read (a broken link): one text, a line for
// each with the system's reason.
bool RestoreLastProject(ProjectPaths& paths, const QString& appDir, Status* folders = nullptr);

// Writes ProjectName to the INI file; fails with "Unable to write to <ini path>".
Status SaveLastProject(const ProjectPaths& paths);
// Asked after that failure, at close: Yes closes all the same.
inline const QString CloseWithoutRememberingText =
    QStringLiteral("Close without remembering the open project for the next start?");

// The folder picker rooted at `root`. `dir` (built with "\") is the initial selection and the result;
// it is emptied first when it does not name an existing directory.
bool SelectProjectFolder(IFileDialogs& dialogs, const QString& title, const QString& root, QString& dir);

// "Open project": picker, then ProjectName from the chosen folder and the document paths, also when
// the picker was cancelled.
void OpenProject(ProjectPaths& paths, IFileDialogs& dialogs);

// The caption for the current state.
QString CaptionWithName(const ProjectPaths& paths);

} // namespace velmaro
