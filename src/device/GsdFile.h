#pragma once

#include "base/ProjectPaths.h"
#include "base/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace velmaro {

// The largest PROFIBUS input or output length the gateway offers, in bytes.
constexpr qint32 kMaxGsdBytes = 244;

// The PROFIBUS input and output data lengths the GSD file describes.
struct GsdSizes
{
    qint32 nbIn = kMaxGsdBytes;
    qint32 nbOut = kMaxGsdBytes;
};

// Reads Profi_NB_IN and Profi_NB_OUT from the pargen.xml at `pargenPath`. A size the document does not
// supply (no document, element absent, not an integer) is 244. Fails with the parser's text for a
// document that is not well-formed, and with a text naming the field, its value and the range for a
// size outside 0..244.
Result<GsdSizes> ReadGsdSizes(const QString& pargenPath);

// One module of the GSD file. Modules are numbered from 1 across both directions, inputs first; a
// direction has one module per started 64 bytes, the last holding the rest.
struct GsdModule
{
    int number = 0;
    bool input = true; // "DI" (identifier 0x42), otherwise "DO" (0x82)
    qint32 bytes = 0;
    QString identifier; // the identifier bytes as written, e.g. "0x42,0x3F,0x00,0x01"
};
QList<GsdModule> GsdModules(const GsdSizes& sizes);

// The whole GSD text for sizes within 0..244: ASCII, every line ending with CR LF.
QByteArray GsdText(const GsdSizes& sizes);

// Reads the sizes from the project's pargen.xml (PargenXmlPath) and replaces `fileName` with the GSD
// text, atomically. Nothing is written when the sizes cannot be read or are refused.
Status GenerateGsdFile(const ProjectPaths& paths, const QString& fileName);

} // namespace velmaro
