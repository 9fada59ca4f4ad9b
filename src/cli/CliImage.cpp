#include "cli/Cli.h"
#include "device/ParameterImage.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

// Builds PROJECT_DIR's bank.bin from its pargen.xml, as "Update Device" does before the update dialog.
int RunImage(const ProjectPaths& project, const VerbArgs&, Io& io)
{
    const Result<ParameterImage> image = BuildParameterImage(project);
    if (!Succeeded(image.status(), io) || !Succeeded(WriteParameterImage(*image, project.BankBinPath), io))
        return Refused;
    io.out << "Wrote " << DisplayPath(project.BankBinPath) << " (" << image->bytes.size() << " bytes)\n";
    return Success;
}

} // namespace

Verb ImageVerb()
{
    return {"image",
            "build PROJECT_DIR/bin/bank.bin from its pargen.xml",
            {QStringLiteral("PROJECT_DIR")},
            {},
            &OnProjectFolder<RunImage>};
}

} // namespace velmaro::cli
