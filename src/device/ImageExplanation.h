#pragma once

// Reading a parameter image back: every field in words (velmaro-cli explain, the project report) and
// the pargen.xml that builds the same bytes (velmaro-cli recover).

#include "base/Result.h"
#include "device/ParameterImage.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmaro {

// One field of an image as it stands, in image order; the header comes first.
struct ExplainedField
{
    QString name; // "header" or the pargen.xml element
    int offset = 0;
    QByteArray raw;                 // the field's bytes as stored, least significant first
    quint32 value = 0;              // the bytes read little-endian, unsigned
    qint64 number = 0;              // the value as pargen.xml holds it (the 32-bit time-out signed)
    QString written;                // the text recover writes to pargen.xml for it
    QString meaning;                // in the settings editor's words
    std::optional<QString> refusal; // why the editor would refuse the value or could not have written it
};

// The header alone for an image without settings.
QList<ExplainedField> ExplainParameterImage(const DecodedImage& image);

// "04 00 00 00 ..." as shown everywhere an image is printed.
QString ImageHex(const QByteArray& bytes);

struct Recovery
{
    QString pargenPath;   // the document written
    QStringList warnings; // one per value no editor could have written, stored as it was
};

// Writes the project's pargen.xml (PargenXmlPath) from the image at `binPath`, so that building the image
// again gives the same bytes. The project folder and its bin folder are created when missing. Refuses an
// image without settings or one that does not decode, and an existing pargen.xml unless `force`; the
// document is replaced atomically.
Result<Recovery> RecoverProject(const QString& binPath, const ProjectPaths& project, bool force);

} // namespace velmaro
