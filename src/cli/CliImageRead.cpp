#include "base/IntegerText.h"
#include "cli/Cli.h"
#include "device/ImageExplanation.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

// FILE is a bank.bin, or a project folder whose bin\bank.bin is meant.
QString ImageFileOf(const QString& file)
{
    return DirectoryExists(file) ? ProjectPathsOf(file).BankBinPath : file;
}

int RunExplain(const VerbArgs& args, Io& io)
{
    const QString binPath = ImageFileOf(args.path(0));
    const Result<DecodedImage> image = ReadParameterImage(binPath);
    if (!image.ok()) {
        io.err << DisplayPath(binPath) << ": " << image.error() << "\n";
        return Refused;
    }
    // No path here: as a git textconv the same bytes must print the same text whatever the file's name.
    io.out << "Parameter image of " << ByteCount(image->bytes.size()) << "\n";
    const QList<ExplainedField> fields = ExplainParameterImage(*image);
    int nameWidth = 0;
    for (const ExplainedField& f : fields)
        nameWidth = std::max(nameWidth, int(f.name.size()));
    io.out << "Offset  " << QStringLiteral("Bytes").leftJustified(13)
           << QStringLiteral("Field").leftJustified(nameWidth + 2)
           << QStringLiteral("Value").leftJustified(12) << "Meaning\n";
    int refused = 0;
    for (const ExplainedField& f : fields) {
        io.out << QString::number(f.offset).rightJustified(6) << "  " << ImageHex(f.raw).leftJustified(13)
               << f.name.leftJustified(nameWidth + 2) << QString::number(f.number).leftJustified(12)
               << f.meaning;
        if (f.refusal) {
            io.out << "  !! " << *f.refusal;
            ++refused;
        }
        io.out << "\n";
    }
    if (!image->hasSettings())
        io.out << "The image holds no settings (the header alone).\n";
    else if (refused > 0)
        io.out << refused << (refused == 1 ? " value" : " values")
               << " marked !! the settings editor would not save.\n";
    return Success;
}

int RunRecover(const VerbArgs& args, Io& io)
{
    const QString binPath = ImageFileOf(args.path(0));
    // PROJECT_DIR may not exist yet: recover creates it.
    const Result<Recovery> recovery =
        RecoverProject(binPath, ProjectPathsOf(args.path(1)), args.isSet(QStringLiteral("force")));
    if (!Succeeded(recovery.status(), io))
        return Refused;
    for (const QString& warning : recovery->warnings)
        io.err << "Warning: " << warning << "\n";
    io.out << "Wrote " << DisplayPath(recovery->pargenPath) << " from " << DisplayPath(binPath) << "\n";
    return Success;
}

} // namespace

Verb ExplainVerb()
{
    return {
        "explain",
        "show every field of a bank.bin (or a project folder's) in the settings editor's words",
        {QStringLiteral("FILE")},
        {},
        RunExplain,
        QStringLiteral(
            "Prints one line per field in image order: offset, bytes as stored (hex, least significant\n"
            "first), value, and its meaning as the SET COMMUNICATION editor shows it. A value the editor\n"
            "would refuse, or could not have written, is marked \"!!\". A 4-byte image holds the header\n"
            "alone (the project had no pargen.xml).\n"
            "Exit status: 0 explained; 1 when FILE is missing, not a file, not 24 or 4 bytes long, or its\n"
            "header is not 4; 2 usage error.")};
}

Verb RecoverVerb()
{
    return {
        "recover",
        "write PROJECT_DIR/pargen.xml back from a bank.bin, so that \"image\" rebuilds the same bytes",
        {QStringLiteral("BANK.BIN"), QStringLiteral("PROJECT_DIR")},
        {{QStringLiteral("force"), QStringLiteral("replace an existing pargen.xml")}},
        RunRecover,
        QStringLiteral(
            "Every field is written in decimal, the end character as 0x and two hex digits, the time-out\n"
            "as the signed value of its 32 bits. PROJECT_DIR and its bin folder are created when missing;\n"
            "pargen.xml is replaced atomically. A value no editor could have written (a list position\n"
            "outside its list, a choice other than 0 or 1, a number outside the editor's range) is written\n"
            "as stored, with a warning on stderr.\n"
            "Exit status: 0 written (warnings or not); 1 when the image cannot be read, holds no settings,\n"
            "pargen.xml exists and --force is not given, or a folder or the file cannot be written;\n"
            "2 usage error.")};
}

} // namespace velmaro::cli
