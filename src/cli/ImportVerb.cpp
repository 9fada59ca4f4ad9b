#include "cli/TableVerbs.h"

namespace velmaro::cli {

// import TABLE PROJECT_DIR WORKBOOK: the editor's showing, its Import, then its OK. Unlike the quiet
// editor it refuses, leaving the document untouched, when the workbook cannot be read, lacks the
// worksheet, or a record ended the import early, a record the OK would drop included: a batch run
// never saves a half-read table, and the count it prints is the count of rows it saved.
namespace {

int RunImport(const OpenedTable& opened, const VerbArgs& args, Io& io)
{
    const QString workbook = args.path(2);
    ImportOutcome outcome = opened.session->importWorkbook(workbook);
    const QString name = QLatin1String(opened.table->name);
    if (!outcome.ok()) {
        io.err << outcome.describe(workbook, name) << "\n"
               << "Nothing was saved.\n";
        return Refused;
    }
    // Every record read must reach the document; the import rule makes this hold, this keeps it so.
    const int rows = opened.session->savedRows();
    if (rows != outcome.records) {
        io.err << "The worksheet gave " << outcome.records << " records, but the table would save " << rows
               << ".\nNothing was saved.\n";
        return Refused;
    }
    outcome.records = rows;
    const QString summary = outcome.describe(workbook, name);
    if (!Succeeded(opened.session->save(opened.paths), io))
        return Refused;
    io.out << summary << "\n";
    return Success;
}

} // namespace

Verb ImportVerb()
{
    return {"import",
            "import worksheet TABLE of WORKBOOK (.xls, .xlsx, .ods) and save the table document",
            {QStringLiteral("TABLE"), QStringLiteral("PROJECT_DIR"), QStringLiteral("WORKBOOK")},
            {},
            &OnOpenedTable<RunImport>,
            TablesLine()};
}

} // namespace velmaro::cli
