#include "base/ProjectPaths.h"

namespace velmaro {

namespace {

// Every appended name carries its own leading "\".
QString below(const QString& dir, const QString& name)
{
    return dir + QLatin1Char('\\') + name;
}

} // namespace

void SetDocumentPaths(ProjectPaths& p)
{
    p.PargenXmlPath = below(p.ProjectDir, PargenXmlName);
    p.SdoXmlPath = below(p.ProjectDir, SdoXmlName);
    p.EmcyDefXmlPath = below(p.ProjectDir, EmcyDefXmlName);
    p.EmcyWordXmlPath = below(p.ProjectDir, EmcyWordXmlName);
    p.RpdoDefXmlPath = below(p.ProjectDir, RpdoDefXmlName);
    p.SdoPdoXmlPath = below(p.ProjectDir, SdoPdoXmlName);
    p.PdoXmlPath = below(p.ProjectDir, PdoXmlName);
    p.BinDir = below(p.ProjectDir, BinFolderName);
    p.BankBinPath = below(p.BinDir, BankBinName);
}

void SetAppDirectories(ProjectPaths& p, const QString& appDir)
{
    p.AppDir = appDir;
    p.MasterDir = below(p.AppDir, MasterFolderName);
    p.ProjectsDir = below(p.AppDir, ProjectsFolderName);
}

ProjectPaths ProjectPathsOf(const QString& projectDir)
{
    ProjectPaths paths;
    paths.ProjectDir = projectDir;
    SetDocumentPaths(paths);
    return paths;
}

QString TableCsvPath(const QString& projectDir, const QString& tableName)
{
    // Joined with "/" as the export always has been; both separate folders where files are touched.
    return projectDir + QLatin1Char('/') + tableName + QStringLiteral(".csv");
}

} // namespace velmaro
