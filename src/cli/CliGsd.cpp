#include "cli/Cli.h"
#include "device/GsdFile.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

// Writes the GSD file for PROJECT_DIR's pargen.xml into OUT, as "GSD File" does.
int RunGsd(const VerbArgs& args, Io& io)
{
    const std::optional<ProjectPaths> folder = ProjectFolder(args.positional.at(0), io);
    const QString fileName = args.path(1);
    if (!folder)
        return Refused;
    const Status written = GenerateGsdFile(folder->PargenXmlPath, fileName);
    if (!written.ok()) {
        io.err << written.error() << "\n";
        return Refused;
    }
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
            RunGsd};
}

} // namespace velmaro::cli
