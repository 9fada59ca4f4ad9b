#pragma once

// Project folders in tests.

#include "base/ProjectPaths.h"

#include <QString>

namespace velmaro::test {

// Points `paths` at the project folder `dir` and its documents, as opening a project does.
inline void UseProjectDir(ProjectPaths& paths, const QString& dir)
{
    paths.ProjectDir = dir;
    SetDocumentPaths(paths);
}

} // namespace velmaro::test
