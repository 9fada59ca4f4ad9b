#pragma once

#include "base/ProjectPaths.h"

#include <QStringList>

namespace velmaro {

// What "OK" of the new-project dialog produced: the messages to show, in order, the error for the
// error box (the project folder could not be created: the folder and the system's reason), and whether
// the dialog may close (the project was created and opened).
struct NewProjectOutcome
{
    QStringList messages;
    QString error;
    bool created = false;
};

// Creates the project folder `name` (taken exactly as typed) and its "bin" folder below `dest`, then
// makes it the open project: ProjectName without a leading "\", ProjectDir joined with "\", document
// paths recomputed. The folders are tested and created with "/". On any failure `paths` is unchanged.
NewProjectOutcome CreateNewProject(ProjectPaths& paths, const QString& dest, const QString& name);

} // namespace velmaro
