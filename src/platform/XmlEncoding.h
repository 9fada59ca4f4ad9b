#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>

#include <utility>

namespace velmaro {

// The bytes of an XML document as UTF-8, for the parser. A byte order mark or the first characters
// tell UTF-16 and UTF-32; otherwise the declaration's encoding name counts: UTF-8 (also when none is
// declared), US-ASCII, ISO-8859-1 and windows-1252 are read. Fails, with `name` first, for an encoding
// this reader does not know (naming it) and for bytes that are not valid in the document's encoding,
// so that no character is ever replaced on the way in.
Result<QByteArray> XmlBytesAsUtf8(const QByteArray& bytes, const QString& name);

// 1-based line and column (in bytes) of a byte offset, for messages.
std::pair<int, int> LineAndColumn(const QByteArray& bytes, qsizetype offset);

} // namespace velmaro
