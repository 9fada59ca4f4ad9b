#include "device/ImageExplanation.h"

#include "platform/FileSystem.h"
#include "settings/CommFieldWords.h"

namespace velmaro {

QString ImageHex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QList<ExplainedField> ExplainParameterImage(const DecodedImage& image)
{
    QList<ExplainedField> fields;
    ExplainedField header;
    header.name = QStringLiteral("header");
    header.raw = image.bytes.left(ImageHeaderSize);
    header.value = kImageHeaderValue;
    header.number = kImageHeaderValue;
    header.meaning = image.hasSettings() ? QStringLiteral("parameter image with settings")
                                         : QStringLiteral("parameter image without settings (the project had "
                                                          "no pargen.xml)");
    fields << header;
    if (!image.hasSettings())
        return fields;
    const auto& layout = ParameterImageFields();
    const CommSettings document = CommSettingsFromImage(image);
    for (int i = 0; i < int(layout.size()); ++i) {
        const ImageField& f = layout[size_t(i)];
        ExplainedField field;
        field.name = QLatin1String(f.element);
        field.offset = f.offset;
        field.raw = image.bytes.mid(f.offset, f.width);
        field.value = image.values.at(i);
        // The editor and the image builder read the document's text, so the four bytes of the time-out
        // mean the signed value recover writes (FF FF FF FF is -1).
        field.number = f.width == 4 ? qint64(qint32(field.value)) : qint64(field.value);
        field.written = (document.*f.member).value_or(QString());
        const CommFieldWords words = DescribeCommField(f.member, field.number);
        field.meaning = words.meaning;
        field.refusal = words.refusal;
        fields << field;
    }
    return fields;
}

Result<Recovery> RecoverProject(const QString& binPath, const ProjectPaths& project, bool force)
{
    const Result<DecodedImage> image = ReadParameterImage(binPath);
    if (!image.ok())
        return Result<Recovery>::failure(DisplayPath(binPath) + QStringLiteral(": ") + image.error());
    if (!image->hasSettings()) {
        return Result<Recovery>::failure(
            QStringLiteral("\"%1\" holds the header alone, no settings: the project it came from had no "
                           "pargen.xml, so there is nothing to recover.")
                .arg(DisplayPath(binPath)));
    }
    Recovery recovery;
    recovery.pargenPath = project.PargenXmlPath;
    if (FileExists(recovery.pargenPath) && !force) {
        return Result<Recovery>::failure(QStringLiteral("\"%1\" exists already; give --force to replace it.")
                                             .arg(DisplayPath(recovery.pargenPath)));
    }
    if (const Status folders = CreateFolders(project.BinDir); !folders.ok())
        return folders;
    for (const ExplainedField& field : ExplainParameterImage(*image)) {
        if (field.refusal)
            recovery.warnings << QStringLiteral("%1 = %2 (bytes %3): %4; written as stored, \"%5\".")
                                     .arg(field.name)
                                     .arg(field.number)
                                     .arg(ImageHex(field.raw), *field.refusal, field.written);
    }
    const Status saved = SaveCommSettings(recovery.pargenPath, CommSettingsFromImage(*image));
    if (!saved.ok())
        return saved;
    return recovery;
}

} // namespace velmaro
