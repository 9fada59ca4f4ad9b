#include "base/IntegerText.h"

#include "base/TerminalText.h"

namespace velmaro {

namespace {

// Length of the hex prefix at `pos`, or 0.
int hexPrefixLength(const QString& text, int pos)
{
    if (pos >= text.size())
        return 0;
    const QChar c = text.at(pos);
    if (c == QLatin1Char('$') || c == QLatin1Char('x') || c == QLatin1Char('X'))
        return 1;
    if (c == QLatin1Char('0') && pos + 1 < text.size()
        && (text.at(pos + 1) == QLatin1Char('x') || text.at(pos + 1) == QLatin1Char('X')))
        return 2;
    return 0;
}

std::optional<qint32> parse(const QString& text)
{
    int pos = 0;
    const int n = text.size();
    while (pos < n && text.at(pos) == QLatin1Char(' '))
        ++pos;
    bool negative = false;
    if (pos < n && (text.at(pos) == QLatin1Char('+') || text.at(pos) == QLatin1Char('-'))) {
        negative = text.at(pos) == QLatin1Char('-');
        ++pos;
    }
    if (const int prefix = hexPrefixLength(text, pos)) {
        pos += prefix;
        if (pos >= n)
            return std::nullopt;
        quint64 value = 0;
        for (; pos < n; ++pos) {
            const int d = HexDigitValue(text.at(pos));
            if (d < 0)
                return std::nullopt;
            value = value * 16 + quint64(d);
            if (value > 0xFFFFFFFFull)
                return std::nullopt;
        }
        quint32 bits = quint32(value);
        if (negative)
            bits = 0u - bits;
        return qint32(bits);
    }
    if (pos >= n)
        return std::nullopt;
    const quint64 limit = negative ? 2147483648ull : 2147483647ull;
    quint64 value = 0;
    for (; pos < n; ++pos) {
        const ushort u = text.at(pos).unicode();
        if (u < '0' || u > '9')
            return std::nullopt;
        value = value * 10 + (u - '0');
        if (value > limit)
            return std::nullopt;
    }
    const qint64 signedValue = negative ? -qint64(value) : qint64(value);
    return qint32(signedValue);
}

} // namespace

int HexDigitValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

QString NotAnIntegerMessage(const QString& text)
{
    // A line break or another control character (a tab aside) is shown escaped, so the message keeps its
    // one line and cannot drive a terminal.
    QString shown;
    for (const QChar c : text)
        shown += c == QLatin1Char('\t') ? QString(c) : TerminalText(QString(c));
    return QStringLiteral("'%1' is not a valid integer value").arg(shown);
}

Result<qint32> ParseIntegerText(const QString& text)
{
    if (const auto v = parse(text))
        return *v;
    return Result<qint32>::failure(NotAnIntegerMessage(text));
}

qint32 ParseIntegerTextOr(const QString& text, qint32 fallback)
{
    const auto v = parse(text);
    return v ? *v : fallback;
}

QString ByteCount(qint64 n)
{
    return QString::number(n) + (n == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
}

} // namespace velmaro
