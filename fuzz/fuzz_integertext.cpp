// ParseIntegerText on any text, read as UTF-8 and as Latin-1.

#include "base/IntegerText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* chars = reinterpret_cast<const char*>(data);
    const QString forms[] = {QString::fromUtf8(chars, qsizetype(size)),
                             QString::fromLatin1(chars, qsizetype(size))};
    for (const QString& text : forms) {
        const velmaro::Result<qint32> value = velmaro::ParseIntegerText(text);
        if (value.ok()) {
            // The fallback form agrees, and the decimal form of the value reads back as the same value.
            if (velmaro::ParseIntegerTextOr(text, value.value() ^ 1) != value.value())
                std::abort();
            const velmaro::Result<qint32> again = velmaro::ParseIntegerText(QString::number(value.value()));
            if (!again.ok() || again.value() != value.value())
                std::abort();
        } else {
            // Refused: the fallback is used, and the message names the text; one with a control character
            // (a tab aside) is named escaped, so the message itself holds none.
            if (velmaro::ParseIntegerTextOr(text, 7) != 7)
                std::abort();
            const auto isControl = [](QChar c) {
                return c != QLatin1Char('\t') && (c < u'\x20' || (c >= u'\x7f' && c <= u'\x9f'));
            };
            const bool plain = std::none_of(text.begin(), text.end(), isControl);
            const QString& message = value.error();
            if (plain ? !message.contains(text) : std::any_of(message.begin(), message.end(), isControl))
                std::abort();
        }
    }
    return 0;
}
