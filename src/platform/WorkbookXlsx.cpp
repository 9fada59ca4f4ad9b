#include "platform/WorkbookReaders.h"

#include <cstring>
#include <pugixml.hpp>

namespace velmaro::workbook {

namespace {

// Keeps a text of blanks only when it is an element's whole content (a cell holding " ").
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

Result<std::shared_ptr<pugi::xml_document>> parsePart(const ZipPackage& package, const QString& name)
{
    const Result<QByteArray> bytes = package.read(name);
    if (!bytes.ok())
        return bytes.status();
    auto doc = std::make_shared<pugi::xml_document>();
    const pugi::xml_parse_result r =
        doc->load_buffer(bytes->constData(), size_t(bytes->size()), kParseOptions);
    if (!r)
        return Result<std::shared_ptr<pugi::xml_document>>::failure(
            QStringLiteral("part \"%1\" is not well-formed: %2")
                .arg(name, QString::fromUtf8(r.description())));
    return doc;
}

bool is(const pugi::xml_node& node, const char* localName)
{
    return node.type() == pugi::node_element && std::strcmp(LocalName(node.name()), localName) == 0;
}

pugi::xml_node child(const pugi::xml_node& node, const char* localName)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (is(c, localName))
            return c;
    }
    return {};
}

// The value of the attribute whose local name is `localName` ("r:id" matches "id").
const char* attributeValue(const pugi::xml_node& node, const char* localName)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        if (std::strcmp(LocalName(a.name()), localName) == 0)
            return a.value();
    }
    return "";
}

// Texts may carry characters escaped as _xHHHH_.
QString unescape(const char* raw)
{
    QString text = QString::fromUtf8(raw);
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('_') && i + 6 < text.size() && text.at(i + 1) == QLatin1Char('x')
            && text.at(i + 6) == QLatin1Char('_')) {
            bool ok = false;
            const ushort code = text.mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 6;
                continue;
            }
        }
        out += text.at(i);
    }
    return out;
}

// The text of a string item (<si> or <is>): a plain <t>, or the <t> of every rich-text run.
QString itemText(const pugi::xml_node& item)
{
    QString text;
    for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
        if (is(c, "t")) {
            text += unescape(c.text().get());
        } else if (is(c, "r")) {
            for (pugi::xml_node t = c.first_child(); t; t = t.next_sibling()) {
                if (is(t, "t"))
                    text += unescape(t.text().get());
            }
        }
    }
    return text;
}

// "BC12" gives column 54 and row 11 (0-based); false when it is not a cell reference.
bool parseReference(const char* ref, int& row, int& column)
{
    int c = 0;
    int letters = 0;
    for (; *ref && ((*ref >= 'A' && *ref <= 'Z') || (*ref >= 'a' && *ref <= 'z')); ++ref, ++letters)
        c = c * 26 + ((*ref | 0x20) - 'a' + 1);
    int r = 0;
    int digits = 0;
    for (; *ref >= '0' && *ref <= '9' && digits < 8; ++ref, ++digits)
        r = r * 10 + (*ref - '0');
    if (*ref || letters == 0 || letters > 3 || digits == 0 || r == 0)
        return false;
    row = r - 1;
    column = c - 1;
    return true;
}

struct Relationship
{
    QString id;
    QString type;
    QString target; // resolved part name
};

Result<QList<Relationship>> readRelationships(const ZipPackage& package, const QString& sourcePart)
{
    const int slash = int(sourcePart.lastIndexOf(QLatin1Char('/')));
    const QString relsPart = sourcePart.left(slash + 1) + QStringLiteral("_rels/") + sourcePart.mid(slash + 1)
                             + QStringLiteral(".rels");
    QList<Relationship> list;
    if (!package.contains(relsPart))
        return list;
    const auto doc = parsePart(package, relsPart);
    if (!doc.ok())
        return doc.status();
    for (pugi::xml_node r = (*doc)->document_element().first_child(); r; r = r.next_sibling()) {
        if (!is(r, "Relationship")
            || QLatin1String(r.attribute("TargetMode").value()) == QLatin1String("External"))
            continue;
        list.append({QString::fromUtf8(r.attribute("Id").value()),
                     QString::fromUtf8(r.attribute("Type").value()),
                     ResolvePartName(sourcePart, QString::fromUtf8(r.attribute("Target").value()))});
    }
    return list;
}

class XlsxWorkbook : public IndexedWorkbook
{
public:
    Result<WorksheetRows> readSheet(qsizetype index, const QString&) const override
    {
        if (!m_sharedStringsRead) {
            const Status s = readSharedStrings();
            if (!s.ok())
                return s;
        }
        const auto doc = parsePart(*m_package, m_parts.at(index));
        if (!doc.ok())
            return doc.status();
        SparseSheet sheet;
        const pugi::xml_node data = child((*doc)->document_element(), "sheetData");
        int row = -1;
        for (pugi::xml_node r = data.first_child(); r; r = r.next_sibling()) {
            if (!is(r, "row"))
                continue;
            const int number = r.attribute("r").as_int(0);
            row = number > 0 ? number - 1 : row + 1;
            if (row >= MaxWorksheetRows)
                break;
            int column = -1;
            for (pugi::xml_node c = r.first_child(); c; c = c.next_sibling()) {
                if (!is(c, "c"))
                    continue;
                int refRow = row;
                int refColumn = column + 1;
                if (parseReference(c.attribute("r").value(), refRow, refColumn))
                    column = refColumn;
                else
                    ++column;
                if (column >= MaxWorksheetColumns)
                    break;
                const Result<QString> text = cellText(c);
                if (!text.ok())
                    return text.status();
                sheet.set(row, column, *text);
            }
        }
        return sheet.usedRange();
    }

    std::shared_ptr<ZipPackage> m_package;
    QStringList m_parts;
    QString m_sharedStringsPart;

private:
    Status readSharedStrings() const
    {
        m_sharedStringsRead = true;
        if (m_sharedStringsPart.isEmpty() || !m_package->contains(m_sharedStringsPart))
            return {};
        const auto doc = parsePart(*m_package, m_sharedStringsPart);
        if (!doc.ok())
            return doc.status();
        for (pugi::xml_node si = (*doc)->document_element().first_child(); si; si = si.next_sibling()) {
            if (is(si, "si"))
                m_sharedStrings.append(itemText(si));
        }
        return {};
    }

    Result<QString> cellText(const pugi::xml_node& c) const
    {
        const char* type = c.attribute("t").value();
        const pugi::xml_node v = child(c, "v");
        const char* value = v.text().get();
        if (std::strcmp(type, "inlineStr") == 0)
            return itemText(child(c, "is"));
        if (!v)
            return QString(); // no value, or a formula without a cached result
        if (std::strcmp(type, "s") == 0) {
            bool ok = false;
            const int index = QByteArray(value).trimmed().toInt(&ok);
            if (!ok || index < 0 || index >= m_sharedStrings.size())
                return Result<QString>::failure(
                    QStringLiteral("a cell refers to a shared string that does not exist"));
            return m_sharedStrings.at(index);
        }
        if (std::strcmp(type, "str") == 0 || std::strcmp(type, "d") == 0)
            return unescape(value);
        if (std::strcmp(type, "b") == 0)
            return BooleanCellText(std::strcmp(value, "0") != 0 && std::strcmp(value, "false") != 0);
        if (std::strcmp(type, "e") == 0)
            return QString(); // an error value is no value
        bool ok = false;
        const double number = QByteArray(value).trimmed().toDouble(&ok); // locale-independent
        return ok ? FormatWorkbookNumber(number) : QString::fromUtf8(value);
    }

    mutable bool m_sharedStringsRead = false;
    mutable QStringList m_sharedStrings;
};

} // namespace

Result<std::shared_ptr<Workbook>> OpenXlsx(std::shared_ptr<ZipPackage> package, const QString&)
{
    using Failure = Result<std::shared_ptr<Workbook>>;
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    const auto rootRels = readRelationships(*package, QString());
    if (!rootRels.ok())
        return rootRels.status();
    for (const Relationship& r : *rootRels) {
        if (r.type.endsWith(QLatin1String("/officeDocument"))) {
            workbookPart = r.target;
            break;
        }
    }
    const auto doc = parsePart(*package, workbookPart);
    if (!doc.ok())
        return doc.status();
    const auto rels = readRelationships(*package, workbookPart);
    if (!rels.ok())
        return rels.status();
    auto book = std::make_shared<XlsxWorkbook>();
    book->m_package = package;
    for (const Relationship& r : *rels) {
        if (r.type.endsWith(QLatin1String("/sharedStrings")))
            book->m_sharedStringsPart = r.target;
    }
    auto partOf = [&](const QString& id) {
        for (const Relationship& r : *rels) {
            if (r.id == id)
                return r.target;
        }
        return QString();
    };
    const pugi::xml_node sheets = child((*doc)->document_element(), "sheets");
    for (pugi::xml_node s = sheets.first_child(); s; s = s.next_sibling()) {
        if (!is(s, "sheet"))
            continue;
        const QString name = QString::fromUtf8(s.attribute("name").value());
        const QString part = partOf(QString::fromUtf8(attributeValue(s, "id")));
        if (part.isEmpty())
            return Failure::failure(QStringLiteral("worksheet \"%1\" has no part").arg(name));
        book->m_names.append(name);
        book->m_parts.append(part);
    }
    return std::shared_ptr<Workbook>(book);
}

} // namespace velmaro::workbook
