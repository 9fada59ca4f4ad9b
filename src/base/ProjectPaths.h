#pragma once

#include <QString>

namespace velmaro {

// The open project and the paths of its documents. One instance for the whole program; every window
// reads it to find its files. Paths are built with "\" and mapped to native form only where a file is
// touched (NativePath). An empty ProjectDir means there is no valid project.
struct ProjectPaths
{
    QString AppDir; // directory of the executable, no trailing separator
    QString MasterDir;
    QString ProjectsDir;
    QString ProjectName;
    QString ProjectDir;
    QString PargenXmlPath;
    QString SdoXmlPath;
    QString EmcyDefXmlPath;
    QString EmcyWordXmlPath;
    QString RpdoDefXmlPath;
    QString SdoPdoXmlPath;
    QString PdoXmlPath;
};

// Recomputes the seven document paths from ProjectDir.
void SetDocumentPaths(ProjectPaths& paths);

} // namespace velmaro
