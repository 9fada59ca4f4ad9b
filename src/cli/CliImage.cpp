#include "cli/Cli.h"
#include "device/ParameterImage.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

// Builds PROJECT_DIR's bank.bin from its pargen.xml, as "Update Device" does before the update dialog.
int RunImage(const VerbArgs& args, Io& io)
{
    const QString projectDir = args.positional.at(0);
    if (!ProjectFolder(projectDir, io))
        return Refused;
    const Result<ParameterImage> image = BuildParameterImage(projectDir + QStringLiteral("\\pargen.xml"));
    if (!image.ok()) {
        io.err << image.error() << "\n";
        return Refused;
    }
    const QString binPath = ParameterImagePath(projectDir);
    const Status written = WriteParameterImage(*image, binPath);
    if (!written.ok()) {
        io.err << written.error() << "\n";
        return Refused;
    }
    io.out << "Wrote " << NativePath(binPath) << " (" << image->bytes.size() << " bytes)\n";
    return Success;
}

} // namespace

Verb ImageVerb()
{
    return {"image",
            "build PROJECT_DIR/bin/bank.bin from its pargen.xml",
            {QStringLiteral("PROJECT_DIR")},
            {},
            RunImage};
}

} // namespace velmaro::cli
