#pragma once

#include "base/ProjectPaths.h"
#include "base/Result.h"
#include "settings/CommSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace velmaro {

// The device parameter image as bank.bin holds it: a 32-bit header 4, then the communication settings
// packed little-endian without alignment. 24 bytes, or the 4-byte header alone without pargen.xml.
struct ParameterImage
{
    QByteArray bytes;
};

constexpr quint32 kImageHeaderValue = 4;
constexpr int ImageHeaderSize = 4;
constexpr int ImageSize = 24;

// One field of the image: its pargen.xml element, its place in the image and its width in bytes.
// The image order differs from the document's: Ser_DataBits follows the PROFIBUS fields and
// Ser_TimeOut comes last.
struct ImageField
{
    const char* element;
    std::optional<QString> CommSettings::*member;
    int offset;
    int width; // 1, 2 or 4
};

// The fields from offset 4 on, in image order. The builder and the decoder both walk this one table.
const std::array<ImageField, 15>& ParameterImageFields();

// Builds the project's image from its pargen.xml (PargenXmlPath); it belongs at BankBinPath.
Result<ParameterImage> BuildParameterImage(const ProjectPaths& paths);

// Builds the image from the pargen.xml at `pargenPath`, in a project or alone. A missing file
// gives the header alone. Fails with the parser's text for a document that is not well-formed, with
// "'<text>' is not a valid integer value" for a field that is not an integer, and with a text naming
// the element for an absent field; Ser_TimeOut absent or not an integer is stored as 0. Several bad
// fields fail with one line each, in image order, every line naming its element.
Result<ParameterImage> BuildParameterImage(const QString& pargenPath);

// Replaces the file at `binPath` (a project's BankBinPath) with the image's bytes, atomically.
// The bin folder is not created. Fails with "Cannot create file "<path>". <reason>".
Status WriteParameterImage(const ParameterImage& image, const QString& binPath);

// An image read back: its bytes and, per field of ParameterImageFields(), the stored value (the
// field's bits, unsigned). `values` is empty for the header alone.
struct DecodedImage
{
    QByteArray bytes;
    QList<quint32> values;
    bool hasSettings() const { return !values.isEmpty(); }
};

// Decodes 24 bytes, or the 4-byte header alone. Refuses any other length and a header other than 4,
// with a text naming the length or the header.
Result<DecodedImage> DecodeParameterImage(const QByteArray& bytes);

// Reads and decodes the file at `binPath`; refuses what is not a regular file, and reads no further
// than a parameter image could reach.
Result<DecodedImage> ReadParameterImage(const QString& binPath);

// The pargen.xml texts that build exactly these bytes: every field in decimal, the end character as
// "0x" and two upper-case hexadecimal digits, the 32-bit time-out as its signed value (so that
// FF FF FF FF reads back as "-1", the text that packs to those bits). Needs an image with settings.
CommSettings CommSettingsFromImage(const DecodedImage& image);

} // namespace velmaro
