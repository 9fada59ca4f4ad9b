#pragma once

#include <QString>

namespace velmaro {

// The names of the folders beside the executable and of a project's files, as stored and shown. Only
// this file joins them into paths; elsewhere they appear in messages alone ("no pargen.xml").
inline const QString MasterFolderName = QStringLiteral("MASTER");
inline const QString ProjectsFolderName = QStringLiteral("PROJECTS");
inline const QString BinFolderName = QStringLiteral("bin");
inline const QString BankBinName = QStringLiteral("bank.bin");
inline const QString PargenXmlName = QStringLiteral("pargen.xml");
inline const QString SdoXmlName = QStringLiteral("sdo.xml");
inline const QString EmcyDefXmlName = QStringLiteral("emcydef.xml");
inline const QString EmcyWordXmlName = QStringLiteral("emcyword.xml");
inline const QString RpdoDefXmlName = QStringLiteral("rpdodef.xml");
inline const QString SdoPdoXmlName = QStringLiteral("sdopdo.xml");
inline const QString PdoXmlName = QStringLiteral("pdo.xml");

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
    QString BinDir;      // ProjectDir + "\bin", where the device parameter image goes
    QString BankBinPath; // BinDir + "\bank.bin"
};

// Recomputes the seven document paths, then BinDir and BankBinPath, from ProjectDir.
void SetDocumentPaths(ProjectPaths& paths);

// AppDir := `appDir`, and MasterDir and ProjectsDir below it.
void SetAppDirectories(ProjectPaths& paths, const QString& appDir);

// A project folder's paths: ProjectDir and everything below it (the application directories empty).
ProjectPaths ProjectPathsOf(const QString& projectDir);

// The CSV export of the table `tableName` ("rpdodef") in `projectDir`: projectDir + "/rpdodef.csv".
QString TableCsvPath(const QString& projectDir, const QString& tableName);

} // namespace velmaro
