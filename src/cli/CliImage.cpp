#include "cli/Cli.h"
#include "device/ParameterImage.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

// Builds PROJECT_DIR's bank.bin from its pargen.xml, as "Update Device" does before the update dialog.
int RunImage(const VerbArgs& args, Io& io)
{
    const std::optional<ProjectPaths> folder = ProjectFolder(args.positional.at(0), io);
    if (!folder)
        return Refused;
    const QString projectDir = folder->ProjectDir;
    const Result<ParameterImage> image = BuildParameterImage(folder->PargenXmlPath);
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
    io.out << "Wrote " << DisplayPath(binPath) << " (" << image->bytes.size() << " bytes)\n";
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
