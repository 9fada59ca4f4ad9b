#include "cli/Cli.h"
#include "device/GsdFile.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

// Writes the GSD file for PROJECT_DIR's pargen.xml into OUT, as "GSD File" does.
int RunGsd(const ProjectPaths& project, const VerbArgs& args, Io& io)
{
    const QString fileName = args.path(1);
    if (!Succeeded(GenerateGsdFile(project, fileName), io))
        return Refused;
    io.out << "Wrote " << DisplayPath(fileName) << "\n";
    return Success;
}

} // namespace

Verb GsdVerb()
{
    return {"gsd",
            "write the GSD file for PROJECT_DIR's pargen.xml into OUT.gsd",
            {QStringLiteral("PROJECT_DIR"), QStringLiteral("OUT.gsd")},
            {},
            &OnProjectFolder<RunGsd>};
}

} // namespace velmaro::cli
