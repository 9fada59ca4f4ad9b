#pragma once

#include "base/Result.h"

#include <QString>

#include <cstdint>

namespace velmaro {

// The one conversion of a text into a 32-bit signed integer: leading blanks (not tabs), an optional
// sign, then decimal digits or a hex prefix ("$", "0x", "0X", "x", "X") and hex digits; nothing may
// follow. Hex values 0x80000000..0xFFFFFFFF wrap to negative. Fails with
// "'<text>' is not a valid integer value".
Result<qint32> ParseIntegerText(const QString& text);

// The same conversion, with `fallback` where the text is not an integer.
qint32 ParseIntegerTextOr(const QString& text, qint32 fallback);

QString NotAnIntegerMessage(const QString& text);

// The value of one hex digit (0-9, a-f, A-F), or -1.
int HexDigitValue(QChar c);

// A count of bytes in words: "1 byte", "0 bytes", "24 bytes".
QString ByteCount(qint64 n);

} // namespace velmaro
