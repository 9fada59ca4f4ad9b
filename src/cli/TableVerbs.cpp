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

OpenedTable OpenTableForVerb(const QStringList& args, qsizetype argCount, const char* synopsis, Io& io)
{
    OpenedTable opened;
    if (args.size() != argCount) {
        io.err << "Usage: velmaro-cli " << synopsis << " (TABLE: " << CliTableNames() << ")\n";
        opened.exitCode = UsageError;
        return opened;
    }
    opened.table = TableAndProject(args, io, opened.paths, opened.exitCode);
    if (!opened.table)
        return opened;
    opened.session = opened.table->create();
    for (const QString& message : opened.session->load(opened.paths))
        io.err << message << "\n";
    return opened;
}

} // namespace velmaro::cli
