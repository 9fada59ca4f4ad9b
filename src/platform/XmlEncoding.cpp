#include "platform/XmlEncoding.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace velmaro {

namespace {

enum class Encoding
{
    Utf8,
    Ascii,
    Latin1,
    Windows1252,
};

// windows-1252 from 0x80 to 0x9F; every other byte is the code point of the same value. The five bytes the
// code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same
// value, as Windows converts them, so that they survive a save.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const char* const kReadable = "UTF-8, UTF-16, UTF-32, US-ASCII, ISO-8859-1, windows-1252";

struct Declared
{
    Encoding encoding = Encoding::Utf8;
    QString name = QStringLiteral("UTF-8");
    bool named = false; // the declaration names an encoding
    bool known = true;
};

// The encoding named in the declaration "<?xml ... encoding="..." ?>" of an 8-bit document.
Declared declaredEncoding(const QByteArray& bytes)
{
    Declared declared;
    if (!bytes.startsWith("<?xml"))
        return declared;
    const qsizetype end = bytes.indexOf("?>");
    if (end < 0)
        return declared; // the parser reports the broken declaration
    static const QRegularExpression attribute(QStringLiteral("\\sencoding\\s*=\\s*([\"'])([^\"']*)\\1"));
    const QRegularExpressionMatch match = attribute.match(QString::fromLatin1(bytes.left(end)));
    if (!match.hasMatch())
        return declared;
    declared.name = match.captured(2);
    declared.named = true;
    const QString key = declared.name.toLower();
    static const QStringList utf8 = {"utf-8", "utf8", "utf-16", "utf-16le", "utf-16be", "utf-32", "ucs-2"};
    static const QStringList ascii = {"us-ascii", "ascii", "ansi_x3.4-1968", "iso646-us"};
    static const QStringList latin1 = {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1",
                                       "latin-1",    "l1",        "cp819",      "ibm819"};
    static const QStringList windows1252 = {"windows-1252", "cp1252", "x-cp1252"};
    // A document declared UTF-16 or UTF-32 whose bytes are 8-bit is read as UTF-8, as it always was.
    if (utf8.contains(key))
        declared.encoding = Encoding::Utf8;
    else if (ascii.contains(key))
        declared.encoding = Encoding::Ascii;
    else if (latin1.contains(key))
        declared.encoding = Encoding::Latin1;
    else if (windows1252.contains(key))
        declared.encoding = Encoding::Windows1252;
    else
        declared.known = false;
    return declared;
}

// The UTF-16 or UTF-32 form given by a byte order mark or by the bytes of the first "<".
std::optional<QStringConverter::Encoding> wideEncoding(const QByteArray& b)
{
    const auto at = [&b](qsizetype i) { return i < b.size() ? char(b.at(i)) : char(1); };
    if (b.startsWith(QByteArray("\x00\x00\xFE\xFF", 4)) || b.startsWith(QByteArray("\x00\x00\x00<", 4)))
        return QStringConverter::Utf32BE;
    if (b.startsWith(QByteArray("\xFF\xFE\x00\x00", 4)) || b.startsWith(QByteArray("<\x00\x00\x00", 4)))
        return QStringConverter::Utf32LE;
    if (b.startsWith("\xFE\xFF") || (at(0) == 0 && at(1) == '<' && at(2) == 0))
        return QStringConverter::Utf16BE;
    if (b.startsWith("\xFF\xFE") || (at(0) == '<' && at(1) == 0 && at(2) != 0 && at(3) == 0))
        return QStringConverter::Utf16LE;
    return std::nullopt;
}

// Offset of the first byte that does not begin a well-formed UTF-8 sequence (overlong forms, surrogates
// and values beyond U+10FFFF included), or -1.
qsizetype firstInvalidUtf8(const QByteArray& bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned lead = s[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t least = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07, least = 0x10000;
        } else {
            return i;
        }
        if (i + length > n)
            return i;
        for (int k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return i;
            code = (code << 6) | (s[i + k] & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return i;
        i += length;
    }
    return -1;
}

QByteArray windows1252ToUtf8(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar c = uchar(bytes.at(i));
        text[i] = c >= 0x80 && c <= 0x9F ? QChar(kWindows1252High[c - 0x80]) : QChar(c);
    }
    return text.toUtf8();
}

} // namespace

std::pair<int, int> LineAndColumn(const QByteArray& bytes, qsizetype offset)
{
    int line = 1;
    int column = 1;
    for (qsizetype i = 0; i < offset && i < bytes.size(); ++i) {
        if (bytes.at(i) == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return {line, column};
}

Result<QByteArray> XmlBytesAsUtf8(const QByteArray& bytes, const QString& name)
{
    if (const auto wide = wideEncoding(bytes)) {
        QStringDecoder decoder(*wide);
        const QString text = decoder.decode(bytes);
        if (decoder.hasError())
            return Result<QByteArray>::failure(
                QStringLiteral("%1: the document is not valid %2")
                    .arg(name, QString::fromLatin1(QStringConverter::nameForEncoding(*wide))));
        return text.toUtf8();
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        const QByteArray rest = bytes.mid(3); // the mark of UTF-8 wins over any declared name
        const qsizetype bad = firstInvalidUtf8(rest);
        if (bad >= 0) {
            const auto [line, column] = LineAndColumn(rest, bad);
            return Result<QByteArray>::failure(
                QStringLiteral("%1: the document is not valid UTF-8 (line %2, column %3)")
                    .arg(name, QString::number(line), QString::number(column)));
        }
        return rest;
    }
    const Declared declared = declaredEncoding(bytes);
    if (!declared.known)
        return Result<QByteArray>::failure(
            QStringLiteral("%1: the document's encoding \"%2\" cannot be read (readable: %3)")
                .arg(name, declared.name, QLatin1String(kReadable)));
    switch (declared.encoding) {
    case Encoding::Latin1: return QString::fromLatin1(bytes).toUtf8();
    case Encoding::Windows1252: return windows1252ToUtf8(bytes);
    case Encoding::Utf8:
    case Encoding::Ascii: break;
    }
    qsizetype bad = firstInvalidUtf8(bytes);
    if (declared.encoding == Encoding::Ascii) {
        for (qsizetype i = 0; i < bytes.size() && bad < 0; ++i)
            bad = uchar(bytes.at(i)) >= 0x80 ? i : -1;
    }
    if (bad >= 0) {
        const auto [line, column] = LineAndColumn(bytes, bad);
        return Result<QByteArray>::failure(
            QStringLiteral("%1: the document is not valid %2 (line %3, column %4)%5")
                .arg(name, declared.name, QString::number(line), QString::number(column),
                     declared.named ? QString() : QStringLiteral("; it declares no other encoding")));
    }
    return bytes;
}

} // namespace velmaro
