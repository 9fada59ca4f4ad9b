#include "cli/TableVerbs.h"

namespace velmaro::cli {

// import TABLE PROJECT_DIR WORKBOOK: the editor's showing, its Import, then its OK. Unlike the quiet
// editor it refuses, leaving the document untouched, when the workbook cannot be read, lacks the
// worksheet, or a record ended the import early: a batch run never saves a half-read table.
namespace {

int RunImport(const QStringList& args, Io& io)
{
    const OpenedTable opened = OpenTableForVerb(args, 3, "import TABLE PROJECT_DIR WORKBOOK", io);
    if (!opened.session)
        return opened.exitCode;
    const ImportOutcome outcome = opened.session->importWorkbook(args.at(2));
    const QString summary = outcome.describe(args.at(2), QLatin1String(opened.table->name));
    if (!outcome.ok()) {
        io.err << summary << "\n"
               << "Nothing was saved.\n";
        return Refused;
    }
    const Status saved = opened.session->save(opened.paths);
    if (!saved.ok()) {
        io.err << saved.error() << "\n";
        return Refused;
    }
    io.out << summary << "\n";
    return Success;
}

} // namespace

Verb ImportVerb()
{
    return {
        "import",
        "import TABLE PROJECT_DIR WORKBOOK import worksheet TABLE of WORKBOOK and save the table document",
        RunImport};
}

} // namespace velmaro::cli
