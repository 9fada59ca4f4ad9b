#pragma once

#include "base/Result.h"

#include <QString>

#include <memory>

namespace pugi {
class xml_document;
}

namespace velmaro {

// Documents larger than this are refused unread: no project document comes near it, and reading one
// would hold several times its size in memory.
constexpr qint64 kMaxXmlDocumentBytes = 64 * 1024 * 1024;

// Parses the file at `path` (built with "\"). Only the predefined entities are expanded and no external
// file is read. A file that is not well-formed (a second root element, text after the root, a reference
// to a character XML 1.0 forbids included) fails with the parser's text, its line and column; a file
// over kMaxXmlDocumentBytes fails with a text saying it is too large; anything but a regular file is
// refused unopened. The text is decoded as XmlBytesAsUtf8 says (an unknown encoding is refused).
Result<std::shared_ptr<pugi::xml_document>> LoadXmlDocument(const QString& path);

// Parses XML text held in memory, with the same rules and messages.
Result<std::shared_ptr<pugi::xml_document>> ParseXmlDocument(const QByteArray& bytes, const QString& name);

// Writes the document without an XML declaration, indented, atomically.
Status SaveXmlDocument(const pugi::xml_document& doc, const QString& path);

} // namespace velmaro
