#include "cli/Cli.h"
#include "device/GsdFile.h"

namespace velmaro::cli {

namespace {

// Writes the GSD file for PROJECT_DIR's pargen.xml into OUT, as "GSD File" does.
int RunGsd(const VerbArgs& args, Io& io)
{
    const QString projectDir = args.positional.at(0);
    const QString fileName = args.positional.at(1);
    if (!ProjectFolder(projectDir, io))
        return Refused;
    const Status written = GenerateGsdFile(projectDir + QStringLiteral("\\pargen.xml"), fileName);
    if (!written.ok()) {
        io.err << written.error() << "\n";
        return Refused;
    }
    io.out << "Wrote " << fileName << "\n";
    return Success;
}

} // namespace

Verb GsdVerb()
{
    return {"gsd",
            "write the GSD file for PROJECT_DIR's pargen.xml into OUT.gsd",
            {QStringLiteral("PROJECT_DIR"), QStringLiteral("OUT.gsd")},
            {},
            RunGsd};
}

} // namespace velmaro::cli
