#pragma once

#include "base/ProjectPaths.h"
#include "cli/Cli.h"
#include "cli/CliTables.h"

#include <memory>

namespace velmaro::cli {

// A table opened for "export" or "import". `session` is null when the verb stops before it
// (`exitCode` then says how).
struct OpenedTable
{
    const CliTable* table = nullptr;
    ProjectPaths paths;
    std::unique_ptr<TableSession> session;
    int exitCode = Success;
};

// Shared by "export" and "import": finds the table kind and the project folder named by the first two
// arguments, or explains why not, then loads the table as its editor's showing does, the messages on stderr.
OpenedTable OpenTableForVerb(const VerbArgs& args, Io& io);

// The run of a table verb: `Body` gets the opened table, or the verb stops as OpenTableForVerb says.
template <int (*Body)(const OpenedTable& opened, const VerbArgs& args, Io& io)>
int OnOpenedTable(const VerbArgs& args, Io& io)
{
    const OpenedTable opened = OpenTableForVerb(args, io);
    return opened.session ? Body(opened, args, io) : opened.exitCode;
}

// "TABLE: rpdodef, sdopdo, ..." for the verbs' --help.
QString TablesLine();

} // namespace velmaro::cli
