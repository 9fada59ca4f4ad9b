#pragma once

#include <QString>

namespace velmaro {

// A text from a document or a name, made safe to print on a terminal: every control character (C0, DEL,
// C1) is shown escaped, "\n", "\r" and "\t" by name and the others as "\x1B", so no value can move the
// cursor, change colours or start a new line. Everything else, "\" included, stays as it is.
QString TerminalText(const QString& text);

// The same, but line breaks ("\n") stay: for a message of several lines built by the program itself.
QString TerminalLines(const QString& text);

} // namespace velmaro
