#include "device/ParameterImage.h"

#include "base/IntegerText.h"
#include "platform/FileSystem.h"
#include "settings/CommSettings.h"

namespace velmaro {

namespace {

// One field of the image, in image order (which differs from the document's).
struct ImageField
{
    const char* element;
    std::optional<QString> CommSettings::*member;
    int width; // bytes
};

const ImageField kImageFields[] = {
    {"Ser_Type", &CommSettings::Ser_Type, 1},
    {"Ser_RecTra", &CommSettings::Ser_RecTra, 1},
    {"Ser_Transmit", &CommSettings::Ser_Transmit, 1},
    {"Ser_Receive", &CommSettings::Ser_Receive, 1},
    {"Ser_Trans_Every", &CommSettings::Ser_Trans_Every, 2},
    {"Ser_Receive_End_C", &CommSettings::Ser_Receive_End_C, 1},
    {"Ser_Receive_End_T", &CommSettings::Ser_Receive_End_T, 2},
    {"Ser_Baud", &CommSettings::Ser_Baud, 1},
    {"Ser_Par", &CommSettings::Ser_Par, 1},
    {"Profi_ID", &CommSettings::Profi_ID, 1},
    {"Profi_Baud", &CommSettings::Profi_Baud, 1},
    {"Profi_NB_IN", &CommSettings::Profi_NB_IN, 1},
    {"Profi_NB_OUT", &CommSettings::Profi_NB_OUT, 1},
    {"Ser_DataBits", &CommSettings::Ser_DataBits, 1},
    {"Ser_TimeOut", &CommSettings::Ser_TimeOut, 4},
};

// Appends the low `width` bytes of the two's-complement value, least significant first.
void AppendLittleEndian(QByteArray& bytes, qint32 value, int width)
{
    const quint32 bits = quint32(value);
    for (int i = 0; i < width; ++i)
        bytes.append(char((bits >> (8 * i)) & 0xFFu));
}

} // namespace

QString ParameterImagePath(const QString& projectDir)
{
    return projectDir + QStringLiteral("\\bin\\bank.bin");
}

Result<ParameterImage> BuildParameterImage(const QString& pargenPath)
{
    ParameterImage image;
    AppendLittleEndian(image.bytes, 4, 4);

    const auto loaded = LoadCommSettings(pargenPath);
    if (!loaded.ok())
        return loaded.status();
    if (!loaded.value())
        return image;
    const CommSettings& settings = *loaded.value();

    for (const ImageField& f : kImageFields) {
        const std::optional<QString>& text = settings.*f.member;
        const bool optional = f.member == &CommSettings::Ser_TimeOut;
        qint32 value = 0;
        if (optional) {
            value = text ? ParseIntegerTextOr(*text, 0) : 0;
        } else {
            if (!text) {
                return Result<ParameterImage>::failure(
                    QStringLiteral("The element \"%1\" is missing in \"%2\".")
                        .arg(QLatin1String(f.element), DisplayPath(pargenPath)));
            }
            const Result<qint32> parsed = ParseIntegerText(*text);
            if (!parsed.ok())
                return parsed.status();
            value = parsed.value();
        }
        AppendLittleEndian(image.bytes, value, f.width);
    }
    return image;
}

Status WriteParameterImage(const ParameterImage& image, const QString& binPath)
{
    return WriteFileAtomically(binPath, image.bytes);
}

} // namespace velmaro
