#include "cli/TableVerbs.h"

namespace velmaro::cli {

// import TABLE PROJECT_DIR WORKBOOK: the editor's showing, its Import, then its OK. Unlike the quiet
// editor it refuses, leaving the document untouched, when the workbook cannot be read, lacks the
// worksheet, or a record ended the import early: a batch run never saves a half-read table.
namespace {

int RunImport(const QStringList& args, Io& io)
{
    if (args.size() != 3) {
        io.err << "Usage: velmaro-cli import TABLE PROJECT_DIR WORKBOOK (TABLE: " << CliTableNames() << ")\n";
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
    const ImportOutcome outcome = session->importWorkbook(args.at(2));
    if (!outcome.ok()) {
        io.err << outcome.describe(args.at(2), QLatin1String(table->name)) << "\n"
               << "Nothing was saved.\n";
        return Refused;
    }
    const Status saved = session->save(paths);
    if (!saved.ok()) {
        io.err << saved.error() << "\n";
        return Refused;
    }
    io.out << outcome.describe(args.at(2), QLatin1String(table->name)) << "\n";
    return Success;
}

} // namespace

Verb ImportVerb()
{
    return {"import", "import TABLE PROJECT_DIR WORKBOOK import worksheet TABLE of WORKBOOK and save the table document", RunImport};
}

} // namespace velmaro::cli
