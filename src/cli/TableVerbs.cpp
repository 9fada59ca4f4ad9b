#include "cli/TableVerbs.h"

#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

// The table kind and the project folder named by the first two arguments, or nullptr with `exitCode`.
const CliTable* TableAndProject(const QStringList& args, Io& io, ProjectPaths& paths, int& exitCode)
{
    const CliTable* table = FindCliTable(args.at(0));
    if (!table) {
        io.err << "Unknown table '" << args.at(0) << "'. Tables: " << CliTableNames() << ".\n";
        exitCode = UsageError;
        return nullptr;
    }
    QString dir = args.at(1);
    while (dir.size() > 1 && (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\'))))
        dir.chop(1);
    if (!DirectoryExists(dir)) {
        io.err << "Project folder \"" << args.at(1) << "\" does not exist.\n";
        exitCode = Refused;
        return nullptr;
    }
    paths.ProjectDir = dir;
    SetDocumentPaths(paths);
    return table;
}

} // namespace

QString TablesLine()
{
    return QStringLiteral("TABLE: ") + CliTableNames();
}

OpenedTable OpenTableForVerb(const VerbArgs& args, Io& io)
{
    OpenedTable opened;
    opened.table = TableAndProject(args.positional, io, opened.paths, opened.exitCode);
    if (!opened.table)
        return opened;
    opened.session = opened.table->create();
    for (const QString& message : opened.session->load(opened.paths))
        io.err << message << "\n";
    return opened;
}

} // namespace velmaro::cli
