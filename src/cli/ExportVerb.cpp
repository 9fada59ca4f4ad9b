#include "cli/TableVerbs.h"

namespace velmaro::cli {

// export TABLE PROJECT_DIR: the editor's showing (its messages on stderr), then its Export.
namespace {

int RunExport(const QStringList& args, Io& io)
{
    if (args.size() != 2) {
        io.err << "Usage: velmaro-cli export TABLE PROJECT_DIR (TABLE: " << CliTableNames() << ")\n";
        return UsageError;
    }
    ProjectPaths paths;
    int exitCode = Success;
    const CliTable* table = TableAndProject(args, io, paths, exitCode);
    if (!table)
        return exitCode;
    const auto session = table->create();
    for (const QString& message : session->load(paths))
        io.err << message << "\n";
    const Status written = session->exportCsv(paths);
    if (!written.ok()) {
        io.err << written.error() << "\n";
        return Refused;
    }
    io.out << "Exported " << table->name << " to \"" << paths.ProjectDir << "/" << table->name << ".csv\".\n";
    return Success;
}

} // namespace

Verb ExportVerb()
{
    return {"export", "export TABLE PROJECT_DIR          write PROJECT_DIR/TABLE.csv from the table document", RunExport};
}

} // namespace velmaro::cli
