#include "platform/XmlDocument.h"

#include "platform/FileSystem.h"

#include <QFile>

#include <pugixml.hpp>

namespace velmaro {

namespace {

// 1-based line and column of a byte offset.
std::pair<int, int> lineAndColumn(const QByteArray& bytes, qsizetype offset)
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

struct StringWriter : pugi::xml_writer
{
    QByteArray bytes;
    void write(const void* data, size_t size) override
    {
        bytes.append(static_cast<const char*>(data), qsizetype(size));
    }
};

Result<std::shared_ptr<pugi::xml_document>> tooLarge(const QString& name, qint64 size)
{
    return Result<std::shared_ptr<pugi::xml_document>>::failure(
        QStringLiteral("%1: the document is too large to be read (%2 bytes; at most %3 MB)")
            .arg(name, QString::number(size), QString::number(kMaxXmlDocumentBytes / (1024 * 1024))));
}

} // namespace

Result<std::shared_ptr<pugi::xml_document>> ParseXmlDocument(const QByteArray& bytes, const QString& name)
{
    if (bytes.size() > kMaxXmlDocumentBytes)
        return tooLarge(name, bytes.size());
    auto doc = std::make_shared<pugi::xml_document>();
    // parse_default without DOCTYPE handling: entity declarations are never expanded.
    const unsigned options = pugi::parse_default;
    const pugi::xml_parse_result r = doc->load_buffer(bytes.constData(), size_t(bytes.size()), options);
    if (!r) {
        const auto [line, column] = lineAndColumn(bytes, qsizetype(r.offset));
        return Result<std::shared_ptr<pugi::xml_document>>::failure(
            // One arg() call: a "%1" inside the file's name must stay text.
            QStringLiteral("%1: %2 (line %3, column %4)")
                .arg(name, QString::fromUtf8(r.description()), QString::number(line),
                     QString::number(column)));
    }
    if (!doc->document_element())
        return Result<std::shared_ptr<pugi::xml_document>>::failure(
            QStringLiteral("%1: the document has no root element").arg(name));
    return doc;
}

Result<std::shared_ptr<pugi::xml_document>> LoadXmlDocument(const QString& path)
{
    QFile file(NativePath(path));
    if (!file.open(QIODevice::ReadOnly))
        return Result<std::shared_ptr<pugi::xml_document>>::failure(
            QStringLiteral("Cannot open file \"%1\". %2").arg(DisplayPath(path), file.errorString()));
    if (file.size() > kMaxXmlDocumentBytes)
        return tooLarge(DisplayPath(path), file.size());
    return ParseXmlDocument(file.readAll(), DisplayPath(path));
}

Status SaveXmlDocument(const pugi::xml_document& doc, const QString& path)
{
    StringWriter writer;
    doc.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    return WriteFileAtomically(path, writer.bytes);
}

} // namespace velmaro
