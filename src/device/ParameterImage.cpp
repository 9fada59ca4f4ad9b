#include "device/ParameterImage.h"

#include "base/IntegerText.h"
#include "platform/FileSystem.h"
#include "settings/CommSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace velmaro {

namespace {

constexpr std::array<ImageField, 15> kImageFields = {{
    {"Ser_Type", &CommSettings::Ser_Type, 4, 1},
    {"Ser_RecTra", &CommSettings::Ser_RecTra, 5, 1},
    {"Ser_Transmit", &CommSettings::Ser_Transmit, 6, 1},
    {"Ser_Receive", &CommSettings::Ser_Receive, 7, 1},
    {"Ser_Trans_Every", &CommSettings::Ser_Trans_Every, 8, 2},
    {"Ser_Receive_End_C", &CommSettings::Ser_Receive_End_C, 10, 1},
    {"Ser_Receive_End_T", &CommSettings::Ser_Receive_End_T, 11, 2},
    {"Ser_Baud", &CommSettings::Ser_Baud, 13, 1},
    {"Ser_Par", &CommSettings::Ser_Par, 14, 1},
    {"Profi_ID", &CommSettings::Profi_ID, 15, 1},
    {"Profi_Baud", &CommSettings::Profi_Baud, 16, 1},
    {"Profi_NB_IN", &CommSettings::Profi_NB_IN, 17, 1},
    {"Profi_NB_OUT", &CommSettings::Profi_NB_OUT, 18, 1},
    {"Ser_DataBits", &CommSettings::Ser_DataBits, 19, 1},
    {"Ser_TimeOut", &CommSettings::Ser_TimeOut, 20, 4},
}};

// The fields follow each other without gaps from the header to the end of the image.
constexpr bool FieldsAreContiguous()
{
    int next = ImageHeaderSize;
    for (const ImageField& f : kImageFields) {
        if (f.offset != next)
            return false;
        next += f.width;
    }
    return next == ImageSize;
}
static_assert(FieldsAreContiguous(), "the image fields must tile offsets 4..23");

// Stores the low `width` bytes of the two's-complement value at `offset`, least significant first.
void StoreLittleEndian(QByteArray& bytes, int offset, qint32 value, int width)
{
    const quint32 bits = quint32(value);
    for (int i = 0; i < width; ++i)
        bytes[offset + i] = char((bits >> (8 * i)) & 0xFFu);
}

quint32 ReadLittleEndian(const QByteArray& bytes, int offset, int width)
{
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(offset + i));
    return value;
}

Status LengthRefusal(qint64 size)
{
    return Status::failure(
        QStringLiteral("The image is %1 long; a parameter image has %2 bytes, or %3 without settings.")
            .arg(ByteCount(size))
            .arg(ImageSize)
            .arg(ImageHeaderSize));
}

} // namespace

const std::array<ImageField, 15>& ParameterImageFields()
{
    return kImageFields;
}

Result<ParameterImage> BuildParameterImage(const ProjectPaths& paths)
{
    return BuildParameterImage(paths.PargenXmlPath);
}

Result<ParameterImage> BuildParameterImage(const QString& pargenPath)
{
    ParameterImage image;
    image.bytes = QByteArray(ImageHeaderSize, '\0');
    StoreLittleEndian(image.bytes, 0, kImageHeaderValue, ImageHeaderSize);

    const auto loaded = LoadCommSettings(pargenPath);
    if (!loaded.ok())
        return loaded.status();
    if (!loaded.value())
        return image;
    const CommSettings& settings = *loaded.value();

    QByteArray bytes = image.bytes.leftJustified(ImageSize, '\0');
    // Every field is tried, so that one refusal lists every bad field, in image order.
    QStringList failures;
    QStringList named; // the same failures, each naming its element
    for (const ImageField& f : kImageFields) {
        const std::optional<QString>& text = settings.*f.member;
        const bool optional = f.member == &CommSettings::Ser_TimeOut;
        qint32 value = 0;
        if (optional) {
            value = text ? ParseIntegerTextOr(*text, 0) : 0;
        } else if (!text) {
            failures << QStringLiteral("The element \"%1\" is missing in \"%2\".")
                            .arg(QLatin1String(f.element), DisplayPath(pargenPath));
            named << failures.constLast();
            continue;
        } else {
            const Result<qint32> parsed = ParseIntegerText(*text);
            if (!parsed.ok()) {
                failures << parsed.error();
                named << QStringLiteral("%1 (element \"%2\")").arg(parsed.error(), QLatin1String(f.element));
                continue;
            }
            value = parsed.value();
        }
        StoreLittleEndian(bytes, f.offset, value, f.width);
    }
    // One bad field keeps its plain text; several are listed one a line, each naming its element.
    if (failures.size() == 1)
        return Result<ParameterImage>::failure(failures.constFirst());
    if (!failures.isEmpty())
        return Result<ParameterImage>::failure(named.join(QLatin1Char('\n')));
    image.bytes = bytes;
    return image;
}

Status WriteParameterImage(const ParameterImage& image, const QString& binPath)
{
    return WriteFileAtomically(binPath, image.bytes);
}

Result<DecodedImage> DecodeParameterImage(const QByteArray& bytes)
{
    if (bytes.size() != ImageSize && bytes.size() != ImageHeaderSize)
        return LengthRefusal(bytes.size());
    const quint32 header = ReadLittleEndian(bytes, 0, ImageHeaderSize);
    if (header != kImageHeaderValue) {
        return Result<DecodedImage>::failure(
            QStringLiteral("The image's header is %1 (%2); a parameter image starts with %3 (04 00 00 00).")
                .arg(header)
                .arg(QString::fromLatin1(bytes.left(ImageHeaderSize).toHex(' ').toUpper()))
                .arg(kImageHeaderValue));
    }
    DecodedImage image;
    image.bytes = bytes;
    if (bytes.size() == ImageSize) {
        for (const ImageField& f : kImageFields)
            image.values << ReadLittleEndian(bytes, f.offset, f.width);
    }
    return image;
}

Result<DecodedImage> ReadParameterImage(const QString& binPath)
{
    const QString native = NativePath(binPath);
    const QFileInfo info(native);
    if (!FileExists(binPath))
        return Result<DecodedImage>::failure(QStringLiteral("no such file."));
    // Decided on the entry's kind before any open: opening a named pipe waits for a writer.
    if (const std::optional<QString> kind = NonRegularFileKind(binPath))
        return Result<DecodedImage>::failure(QStringLiteral("it is %1, not a regular file.").arg(*kind));
    if (!info.isFile())
        return Result<DecodedImage>::failure(QStringLiteral("not a regular file."));
    QFile file(native);
    if (!file.open(QIODevice::ReadOnly)) {
        return Result<DecodedImage>::failure(QStringLiteral("cannot be read. %1").arg(file.errorString()));
    }
    // One byte more than an image holds is enough to tell a longer file; its true size names it.
    const QByteArray bytes = file.read(ImageSize + 1);
    if (bytes.size() > ImageSize)
        return LengthRefusal(info.size());
    return DecodeParameterImage(bytes);
}

CommSettings CommSettingsFromImage(const DecodedImage& image)
{
    CommSettings settings;
    for (int i = 0; i < int(kImageFields.size()) && i < image.values.size(); ++i) {
        const ImageField& f = kImageFields[size_t(i)];
        const quint32 value = image.values.at(i);
        QString text;
        if (f.member == &CommSettings::Ser_Receive_End_C)
            text = QStringLiteral("0x")
                   + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else if (f.width == 4)
            text = QString::number(qint32(value));
        else
            text = QString::number(value);
        settings.*f.member = text;
    }
    return settings;
}

} // namespace velmaro
