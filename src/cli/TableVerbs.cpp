#include "cli/TableVerbs.h"

namespace velmaro::cli {

namespace {

// The table kind and the project folder named by the first two arguments, or nullptr with `exitCode`.
const CliTable* TableAndProject(const QStringList& args, Io& io, ProjectPaths& paths, int& exitCode)
{
    const CliTable* table = FindCliTable(args.at(0));
    if (!table) {
        io.err << "Unknown table '" << TerminalText(args.at(0)) << "'. Tables: " << CliTableNames() << ".\n";
        exitCode = UsageError;
        return nullptr;
    }
    const std::optional<ProjectPaths> folder = ProjectFolder(args.at(1), io);
    if (!folder) {
        exitCode = Refused;
        return nullptr;
    }
    paths = *folder;
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
