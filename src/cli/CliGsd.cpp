#include "cli/Cli.h"
#include "device/GsdFile.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

// Writes the GSD file for PROJECT_DIR's pargen.xml into OUT, as "GSD File" does.
int RunGsd(const QStringList& args, Io& io)
{
    if (args.size() != 2) {
        io.err << "Usage: velmaro-cli gsd PROJECT_DIR OUT.gsd\n";
        return UsageError;
    }
    const QString projectDir = args[0];
    const QString fileName = args[1];
    if (!DirectoryExists(projectDir)) {
        io.err << "The project folder \"" << projectDir << "\" does not exist.\n";
        return Refused;
    }
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
    return {"gsd", "gsd PROJECT_DIR OUT.gsd      write the GSD file for PROJECT_DIR's pargen.xml", RunGsd};
}

} // namespace velmaro::cli
