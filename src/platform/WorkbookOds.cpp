#include "platform/WorkbookReaders.h"

#include <cstring>
#include <pugixml.hpp>

namespace velmaro::workbook {

namespace {

// Blanks between inline elements of a paragraph are text.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata;
// Repeated non-empty cells are expanded; beyond this many the sheet is refused as unreasonable.
constexpr qint64 kMaxExpandedCells = 5000000;

bool is(const pugi::xml_node& node, const char* localName)
{
    return node.type() == pugi::node_element && std::strcmp(LocalName(node.name()), localName) == 0;
}

const char* attr(const pugi::xml_node& node, const char* localName)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        if (std::strcmp(LocalName(a.name()), localName) == 0)
            return a.value();
    }
    return nullptr;
}

int repeat(const pugi::xml_node& node, const char* localName)
{
    const char* value = attr(node, localName);
    const int n = value ? std::atoi(value) : 1;
    return n > 0 ? n : 1;
}

// Paragraph content: text, <text:s text:c="n"/> blanks, tabs, line breaks, nested spans and links.
void appendInline(const pugi::xml_node& node, QString& out)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
            out += QString::fromUtf8(c.value());
        } else if (is(c, "s")) {
            const char* count = attr(c, "c");
            const int n = count ? std::atoi(count) : 1;
            out += QString(std::clamp(n, 1, 1000), QLatin1Char(' '));
        } else if (is(c, "tab")) {
            out += QLatin1Char('\t');
        } else if (is(c, "line-break")) {
            out += QLatin1Char('\n');
        } else if (c.type() == pugi::node_element && !is(c, "annotation") && !is(c, "note")) {
            appendInline(c, out);
        }
    }
}

QString paragraphs(const pugi::xml_node& cell)
{
    QString text;
    bool first = true;
    for (pugi::xml_node p = cell.first_child(); p; p = p.next_sibling()) {
        if (!is(p, "p") && !is(p, "h"))
            continue;
        if (!first)
            text += QLatin1Char('\n');
        first = false;
        appendInline(p, text);
    }
    return text;
}

QString cellText(const pugi::xml_node& cell)
{
    const char* type = attr(cell, "value-type");
    if (!type)
        return paragraphs(cell);
    if (!std::strcmp(type, "float") || !std::strcmp(type, "percentage") || !std::strcmp(type, "currency")) {
        const char* value = attr(cell, "value");
        bool ok = false;
        const double number = QByteArray(value ? value : "").trimmed().toDouble(&ok); // locale-independent
        return ok ? FormatWorkbookNumber(number) : paragraphs(cell);
    }
    if (!std::strcmp(type, "boolean")) {
        const char* value = attr(cell, "boolean-value");
        return BooleanCellText(value && !std::strcmp(value, "true"));
    }
    if (!std::strcmp(type, "date") || !std::strcmp(type, "time")) {
        const char* value = attr(cell, !std::strcmp(type, "date") ? "date-value" : "time-value");
        return value ? QString::fromUtf8(value) : paragraphs(cell);
    }
    if (const char* value = attr(cell, "string-value"))
        return QString::fromUtf8(value);
    return paragraphs(cell);
}

class OdsWorkbook : public IndexedWorkbook
{
public:
    Result<WorksheetRows> readSheet(qsizetype index, const QString& name) const override
    {
        SparseSheet sheet;
        int row = 0;
        qint64 expanded = 0;
        if (!readRowsOf(m_tables.at(index), sheet, row, expanded))
            return Result<WorksheetRows>::failure(QStringLiteral("worksheet \"%1\" is too large").arg(name));
        return sheet.usedRange();
    }

    std::shared_ptr<pugi::xml_document> m_doc;
    QList<pugi::xml_node> m_tables;

private:
    // Walks rows, also inside row groups and header rows; false when the expansion grows too large.
    static bool readRowsOf(const pugi::xml_node& parent, SparseSheet& sheet, int& row, qint64& expanded)
    {
        for (pugi::xml_node r = parent.first_child(); r && row < MaxWorksheetRows; r = r.next_sibling()) {
            if (is(r, "table-row-group") || is(r, "table-header-rows") || is(r, "table-rows")) {
                if (!readRowsOf(r, sheet, row, expanded))
                    return false;
                continue;
            }
            if (!is(r, "table-row"))
                continue;
            const int rowRepeat = std::min(repeat(r, "number-rows-repeated"), MaxWorksheetRows - row);
            // Cells of one row, as (first column, count, text) for the non-empty ones.
            struct Run
            {
                int column, count;
                QString text;
            };
            QList<Run> runs;
            int column = 0;
            for (pugi::xml_node c = r.first_child(); c && column < MaxWorksheetColumns;
                 c = c.next_sibling()) {
                if (!is(c, "table-cell") && !is(c, "covered-table-cell"))
                    continue;
                const int count =
                    std::min(repeat(c, "number-columns-repeated"), MaxWorksheetColumns - column);
                QString text = cellText(c);
                if (!text.isEmpty())
                    runs.append({column, count, std::move(text)});
                column += count;
            }
            if (!runs.isEmpty()) {
                for (int k = 0; k < rowRepeat; ++k) {
                    for (const Run& run : runs) {
                        expanded += run.count;
                        if (expanded > kMaxExpandedCells)
                            return false;
                        for (int i = 0; i < run.count; ++i)
                            sheet.set(row + k, run.column + i, run.text);
                    }
                }
            }
            row += rowRepeat;
        }
        return true;
    }
};

} // namespace

Result<std::shared_ptr<Workbook>> OpenOds(std::shared_ptr<ZipPackage> package, const QString&)
{
    const Result<QByteArray> bytes = package->read(QStringLiteral("content.xml"));
    if (!bytes.ok())
        return bytes.status();
    auto book = std::make_shared<OdsWorkbook>();
    book->m_doc = std::make_shared<pugi::xml_document>();
    const pugi::xml_parse_result r =
        book->m_doc->load_buffer(bytes->constData(), size_t(bytes->size()), kParseOptions);
    if (!r)
        return Result<std::shared_ptr<Workbook>>::failure(
            QStringLiteral("content.xml is not well-formed: %1").arg(QString::fromUtf8(r.description())));
    pugi::xml_node body;
    for (pugi::xml_node n = book->m_doc->document_element().first_child(); n; n = n.next_sibling()) {
        if (is(n, "body"))
            body = n;
    }
    pugi::xml_node spreadsheet;
    for (pugi::xml_node n = body.first_child(); n; n = n.next_sibling()) {
        if (is(n, "spreadsheet"))
            spreadsheet = n;
    }
    if (!spreadsheet)
        return Result<std::shared_ptr<Workbook>>::failure(QStringLiteral("not a spreadsheet document"));
    for (pugi::xml_node t = spreadsheet.first_child(); t; t = t.next_sibling()) {
        if (!is(t, "table"))
            continue;
        const char* name = attr(t, "name");
        book->m_names.append(QString::fromUtf8(name ? name : ""));
        book->m_tables.append(t);
    }
    return std::shared_ptr<Workbook>(book);
}

} // namespace velmaro::workbook
