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
    header.raw = image.bytes.left(kImageHeaderSize);
    header.value = kImageHeaderValue;
    header.meaning = image.hasSettings() ? QStringLiteral("parameter image with settings")
                                         : QStringLiteral("parameter image without settings (the project had "
                                                          "no pargen.xml)");
    fields << header;
    if (!image.hasSettings())
        return fields;
    const auto& layout = ParameterImageFields();
    for (int i = 0; i < int(layout.size()); ++i) {
        const ImageField& f = layout[size_t(i)];
        ExplainedField field;
        field.name = QLatin1String(f.element);
        field.offset = f.offset;
        field.raw = image.bytes.mid(f.offset, f.width);
        field.value = image.values.at(i);
        const CommFieldWords words = DescribeCommField(f.member, qint64(field.value));
        field.meaning = words.meaning;
        field.refusal = words.refusal;
        fields << field;
    }
    return fields;
}

Result<Recovery> RecoverProject(const QString& binPath, const QString& projectDir, bool force)
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
    recovery.pargenPath = projectDir + QStringLiteral("\\pargen.xml");
    if (FileExists(recovery.pargenPath) && !force) {
        return Result<Recovery>::failure(QStringLiteral("\"%1\" exists already; give --force to replace it.")
                                             .arg(DisplayPath(recovery.pargenPath)));
    }
    const QString binDir = projectDir + QStringLiteral("\\bin");
    if (!DirectoryExists(binDir) && !ForceDirectories(binDir)) {
        return Result<Recovery>::failure(
            QStringLiteral("Cannot create the folder \"%1\".").arg(DisplayPath(binDir)));
    }
    for (const ExplainedField& field : ExplainParameterImage(*image)) {
        if (field.refusal)
            recovery.warnings << QStringLiteral("%1 = %2: %3; written as stored.")
                                     .arg(field.name)
                                     .arg(field.value)
                                     .arg(*field.refusal);
    }
    const Status saved = SaveCommSettings(recovery.pargenPath, CommSettingsFromImage(*image));
    if (!saved.ok())
        return saved;
    return recovery;
}

} // namespace velmaro
