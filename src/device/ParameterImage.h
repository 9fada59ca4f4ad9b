#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>

namespace velmaro {

// The device parameter image as bank.bin holds it: a 32-bit header 4, then the communication settings
// packed little-endian without alignment. 24 bytes, or the 4-byte header alone without pargen.xml.
struct ParameterImage
{
    QByteArray bytes;
};

// The image's place in a project: ProjectDir + "\bin\bank.bin".
QString ParameterImagePath(const QString& projectDir);

// Builds the image from the pargen.xml at `pargenPath` (ProjectDir + "\pargen.xml"). A missing file
// gives the header alone. Fails with the parser's text for a document that is not well-formed, with
// "'<text>' is not a valid integer value" for a field that is not an integer, and with a text naming
// the element for an absent field; Ser_TimeOut absent or not an integer is stored as 0.
Result<ParameterImage> BuildParameterImage(const QString& pargenPath);

// Replaces the file at `binPath` (ProjectDir + "\bin\bank.bin") with the image's bytes, atomically.
// The bin folder is not created. Fails with "Cannot create file "<path>". <reason>".
Status WriteParameterImage(const ParameterImage& image, const QString& binPath);

} // namespace velmaro
