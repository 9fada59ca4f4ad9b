#include "base/TerminalText.h"

namespace velmaro {

namespace {

bool IsControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

QString Escaped(const QString& text, bool keepLineBreaks)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!IsControl(c) || (keepLineBreaks && c == u'\n')) {
            shown += ch;
            continue;
        }
        switch (c) {
        case u'\n': shown += QStringLiteral("\\n"); break;
        case u'\r': shown += QStringLiteral("\\r"); break;
        case u'\t': shown += QStringLiteral("\\t"); break;
        default:
            shown += QStringLiteral("\\x")
                     + QString::number(int(c), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        }
    }
    return shown;
}

} // namespace

QString TerminalText(const QString& text)
{
    return Escaped(text, false);
}

QString TerminalLines(const QString& text)
{
    return Escaped(text, true);
}

} // namespace velmaro
