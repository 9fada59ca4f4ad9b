#include "cli/Cli.h"

namespace velmaro::cli {

int RunExport(const QStringList& args, Io& io);
int RunImport(const QStringList& args, Io& io);

// Each verb lives in its own file; add it here.
const QList<Verb>& Verbs()
{
    static const QList<Verb> verbs = {
        {"export", "export TABLE PROJECT_DIR            write PROJECT_DIR/TABLE.csv from the table document", &RunExport},
        {"import", "import TABLE PROJECT_DIR WORKBOOK   import worksheet TABLE of WORKBOOK and save the document", &RunImport},
    };
    return verbs;
}

} // namespace velmaro::cli
