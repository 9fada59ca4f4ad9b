#include "base/IntegerText.h"
#include "cli/CliCheck.h"
#include "device/GsdFile.h"
#include "device/ParameterImage.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

bool CheckParameterImage(const ProjectPaths& paths, Io& io)
{
    const Result<ParameterImage> image = BuildParameterImage(paths);
    if (!image.ok()) {
        io.err << BankBinName << ": cannot be built: " << image.error() << "\n";
        return false;
    }
    // image writes nothing into a place that is not a regular file (a link that leads nowhere, a folder).
    const QString& bank = paths.BankBinPath;
    if (const std::optional<QString> kind = NonRegularFileKind(bank)) {
        io.err << BankBinName << ": cannot be written: \"" << DisplayPath(bank) << "\" is " << *kind << ".\n";
        return false;
    }
    io.out << BankBinName << ": can be built (" << ByteCount(image->bytes.size()) << ")\n";
    return true;
}

bool CheckGsdSizes(const ProjectPaths& paths, Io& io)
{
    const Result<GsdSizes> sizes = ReadGsdSizes(paths.PargenXmlPath);
    if (!sizes.ok()) {
        io.err << "GSD file: refused: " << sizes.error() << "\n";
        return false;
    }
    io.out << "GSD file: " << sizes->nbIn << (sizes->nbIn == 1 ? " input byte, " : " input bytes, ")
           << sizes->nbOut << (sizes->nbOut == 1 ? " output byte\n" : " output bytes\n");
    return true;
}

} // namespace velmaro::cli
