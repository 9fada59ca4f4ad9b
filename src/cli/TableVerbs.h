#pragma once

#include "app/ProjectPaths.h"
#include "cli/Cli.h"
#include "cli/CliTables.h"

namespace velmaro::cli {

// Shared by "export" and "import": finds the table kind and the project folder named by the first two
// arguments, or explains why not (then returns nullptr and sets `exitCode`).
const CliTable* TableAndProject(const QStringList& args, Io& io, ProjectPaths& paths, int& exitCode);

} // namespace velmaro::cli
