#include "cli/TableVerbs.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

// export TABLE PROJECT_DIR: the editor's showing (its messages on stderr), then its Export. Where the
// window lets a person export what it shows after its message, a batch run refuses when the CSV would
// not hold the whole document (not read whole, or records the window neither shows nor exports), naming
// why: the CSV would miss rows and nothing would say so.
namespace {

int RunExport(const OpenedTable& opened, const VerbArgs&, Io& io)
{
    const DocumentLoad& loaded = opened.session->loaded();
    if (!loaded.exportsWhole()) {
        io.err << loaded.verdict(opened.session->documentPath(opened.paths))
               << " The CSV would miss records, so nothing was exported.\n";
        return Refused;
    }
    if (!Succeeded(opened.session->exportCsv(opened.paths), io))
        return Refused;
    const char* name = opened.table->name;
    io.out << "Exported " << name << " to \""
           << DisplayPath(TableCsvPath(opened.paths.ProjectDir, QLatin1String(name))) << "\".\n";
    return Success;
}

} // namespace

Verb ExportVerb()
{
    return {"export",
            "write PROJECT_DIR/TABLE.csv from the table document",
            {QStringLiteral("TABLE"), QStringLiteral("PROJECT_DIR")},
            {},
            &OnOpenedTable<RunExport>,
            TablesLine()};
}

} // namespace velmaro::cli
