#include "platform/XmlDocument.h"

#include "platform/FileSystem.h"
#include "platform/XmlEncoding.h"

#include <QFile>
#include <QXmlStreamReader>

#include <pugixml.hpp>

namespace velmaro {

namespace {

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

// Qt's stream reader checks what the tree parser lets pass: a second root element, text or markup after
// the root, references to characters XML 1.0 forbids, undeclared entities. The text is handed over as
// characters, so the declaration's encoding name is not read a second time.
Status checkWellFormed(const QByteArray& utf8, const QString& name)
{
    QXmlStreamReader reader(QString::fromUtf8(utf8));
    while (!reader.atEnd())
        reader.readNext();
    if (!reader.hasError())
        return {};
    return Status::failure(QStringLiteral("%1: %2 (line %3, column %4)")
                               .arg(name, reader.errorString(), QString::number(reader.lineNumber()),
                                    QString::number(reader.columnNumber() + 1)));
}

} // namespace

Result<std::shared_ptr<pugi::xml_document>> ParseXmlDocument(const QByteArray& bytes, const QString& name)
{
    if (bytes.size() > kMaxXmlDocumentBytes)
        return tooLarge(name, bytes.size());
    const Result<QByteArray> utf8 = XmlBytesAsUtf8(bytes, name);
    if (!utf8.ok())
        return utf8.status();
    auto doc = std::make_shared<pugi::xml_document>();
    // parse_default without DOCTYPE handling: entity declarations are never expanded.
    const unsigned options = pugi::parse_default;
    const pugi::xml_parse_result r =
        doc->load_buffer(utf8->constData(), size_t(utf8->size()), options, pugi::encoding_utf8);
    if (!r) {
        const auto [line, column] = LineAndColumn(*utf8, qsizetype(r.offset));
        return Result<std::shared_ptr<pugi::xml_document>>::failure(
            // One arg() call: a "%1" inside the file's name must stay text.
            QStringLiteral("%1: %2 (line %3, column %4)")
                .arg(name, QString::fromUtf8(r.description()), QString::number(line),
                     QString::number(column)));
    }
    if (!doc->document_element())
        return Result<std::shared_ptr<pugi::xml_document>>::failure(
            QStringLiteral("%1: the document has no root element").arg(name));
    const Status wellFormed = checkWellFormed(*utf8, name);
    if (!wellFormed.ok())
        return wellFormed;
    return doc;
}

Result<std::shared_ptr<pugi::xml_document>> LoadXmlDocument(const QString& path)
{
    const Status regular = CheckRegularFile(path);
    if (!regular.ok())
        return regular;
    QFile file(NativePath(path));
    if (!file.open(QIODevice::ReadOnly))
        return Result<std::shared_ptr<pugi::xml_document>>::failure(
            QStringLiteral("Cannot open file \"%1\". %2").arg(DisplayPath(path), file.errorString()));
    if (file.size() > kMaxXmlDocumentBytes)
        return tooLarge(DisplayPath(path), file.size());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<std::shared_ptr<pugi::xml_document>>::failure(
            QStringLiteral("Cannot read file \"%1\". %2").arg(DisplayPath(path), file.errorString()));
    return ParseXmlDocument(bytes, DisplayPath(path));
}

Status SaveXmlDocument(const pugi::xml_document& doc, const QString& path)
{
    StringWriter writer;
    doc.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    return WriteFileAtomically(path, writer.bytes);
}

} // namespace velmaro
