#include "app/ProjectReport.h"
#include "base/IntegerText.h"
#include "device/ImageExplanation.h"
#include "settings/CommFieldWords.h"

namespace velmaro {

namespace {

// Every text that reaches the page: markup characters escaped, and characters XML cannot carry
// (control characters from a folder name) replaced, so the page stays well-formed.
QString Esc(const QString& text)
{
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool allowed = u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u != 0xFFFE && u != 0xFFFF);
        clean += allowed ? c : QChar(0xFFFD);
    }
    return clean.toHtmlEscaped();
}

const char* const kStyle = R"css(
body { font-family: "DejaVu Sans", Arial, Helvetica, sans-serif; font-size: 10pt; color: #111;
       max-width: 62em; margin: 1.5em auto; padding: 0 1em; line-height: 1.35; }
h1 { font-size: 17pt; margin: 0 0 .3em; }
h2 { font-size: 12.5pt; margin: 1.6em 0 .4em; padding-bottom: .15em; border-bottom: 1.5px solid #456; color: #234; }
h3 { font-size: 10.5pt; margin: 1em 0 .3em; }
h2, h3 { page-break-after: avoid; break-after: avoid; }
p { margin: .3em 0; }
table { border-collapse: collapse; margin: .3em 0 .8em; }
th, td { border: 1px solid #b8bec4; padding: 2px 6px; text-align: left; vertical-align: top; }
th { background: #e8edf1; font-weight: bold; }
thead { display: table-header-group; }
tr { page-break-inside: avoid; break-inside: avoid; }
td.num, th.num { text-align: right; }
code, .mono { font-family: "DejaVu Sans Mono", "Courier New", monospace; font-size: 9.5pt; }
.facts th { background: none; border: none; padding: 1px 12px 1px 0; font-weight: normal; color: #555; }
.facts td { border: none; padding: 1px 0; }
.verdict { padding: 3px 8px; border-left: 4px solid; margin: .4em 0; }
.ok { border-color: #2e7d32; background: #eef7ee; }
.bad { border-color: #b00020; background: #fcebee; }
.note { border-color: #8a6d00; background: #fbf5e3; }
.mark { color: #b00020; font-weight: bold; }
.muted { color: #666; }
table.map td { width: 2.1em; height: 1.3em; padding: 0 1px; text-align: center; font-size: 7.5pt; }
table.map th { font-size: 7.5pt; padding: 0 3px; }
td.free { background: #ffffff; }
td.used { background: #cfe6d0; }
td.collision { background: #f2a7b0; }
td.beyond { background: #f6d890; }
.legend span { display: inline-block; padding: 0 6px; margin-right: 6px; border: 1px solid #b8bec4; font-size: 8.5pt; }
.wide td, .wide th { font-size: 8.5pt; }
@page { size: A4; margin: 14mm 12mm; }
@media print {
  body { max-width: none; margin: 0; padding: 0; font-size: 9pt; }
  h2 { margin-top: 1.1em; }
  * { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
)css";

// Builds the page as text; every value passed to cell() and text() is escaped.
class Page
{
public:
    void raw(const QString& markup) { m_html += markup; }
    void heading(int level, const QString& text)
    {
        m_html += QStringLiteral("<h%1>%2</h%1>\n").arg(level).arg(Esc(text));
    }
    void paragraph(const QString& text, const QString& cls = QString())
    {
        m_html += cls.isEmpty() ? QStringLiteral("<p>") : QStringLiteral("<p class=\"%1\">").arg(cls);
        m_html += Esc(text) + QStringLiteral("</p>\n");
    }
    void verdict(bool ok, const QString& text)
    {
        paragraph(text, ok ? QStringLiteral("verdict ok") : QStringLiteral("verdict bad"));
    }
    void note(const QString& text) { paragraph(text, QStringLiteral("verdict note")); }

    // A table with a heading row; `numeric` columns are right-aligned.
    // `remark`: a column whose texts are refusals, shown in the warning colour.
    void table(const QStringList& head, const QList<QStringList>& rows, const QString& cls = QString(),
               const QList<int>& numeric = {}, int remark = -1)
    {
        m_html += cls.isEmpty() ? QStringLiteral("<table>") : QStringLiteral("<table class=\"%1\">").arg(cls);
        m_html += QStringLiteral("<thead><tr>");
        for (int i = 0; i < head.size(); ++i)
            m_html += cellTag(QStringLiteral("th"), head.at(i), numeric.contains(i));
        m_html += QStringLiteral("</tr></thead><tbody>\n");
        for (const QStringList& row : rows) {
            m_html += QStringLiteral("<tr>");
            for (int i = 0; i < row.size(); ++i) {
                QString cell = cellTag(QStringLiteral("td"), row.at(i), numeric.contains(i));
                if (i == remark && !row.at(i).isEmpty())
                    cell.replace(0, 3, QStringLiteral("<td class=\"mark\""));
                m_html += cell;
            }
            m_html += QStringLiteral("</tr>\n");
        }
        m_html += QStringLiteral("</tbody></table>\n");
    }
    QString html() const { return m_html; }

private:
    static QString cellTag(const QString& tag, const QString& text, bool numeric)
    {
        return QStringLiteral("<%1%2>%3</%1>")
            .arg(tag, numeric ? QStringLiteral(" class=\"num\"") : QString(), Esc(text));
    }
    QString m_html;
};

using Field = std::optional<QString> CommSettings::*;

const char* ElementOf(Field field)
{
    for (const CommField& f : CommFields()) {
        if (f.member == field)
            return f.element;
    }
    return "";
}

void WriteSettings(Page& page, const ProjectReportData& d)
{
    page.heading(2, QStringLiteral("Communication settings (pargen.xml)"));
    if (!d.pargenFound)
        page.note(QStringLiteral("The project has no pargen.xml: the SET COMMUNICATION editor would show its "
                                 "defaults, listed below, and the device image holds the header alone."));
    if (d.pargenFound && !d.pargenRead) {
        page.verdict(false, QStringLiteral("The SET COMMUNICATION editor cannot read pargen.xml (see the "
                                           "documents that could not be read)."));
        return;
    }
    QList<QStringList> rows;
    for (const CommFieldLabel& r : CommFieldLabels()) {
        const std::optional<QString>& text = d.stored.*r.field;
        QString meaning;
        QString mark;
        if (!text) {
            meaning = QStringLiteral("absent: the editor uses its default");
        } else if (const Result<qint32> value = ParseIntegerText(*text); value.ok()) {
            const CommFieldWords words = DescribeCommField(r.field, *value);
            meaning = words.meaning;
            mark = words.refusal.value_or(QString());
        } else {
            meaning = QStringLiteral("not an integer");
        }
        rows << QStringList{QLatin1String(r.group),
                            QLatin1String(r.control),
                            QLatin1String(ElementOf(r.field)),
                            text.value_or(QStringLiteral("(absent)")),
                            meaning,
                            mark};
    }
    page.table({QStringLiteral("Group"), QStringLiteral("Control"), QStringLiteral("Element"),
                QStringLiteral("Stored text"), QStringLiteral("Meaning"), QStringLiteral("Remark")},
               rows, QString(), {}, 5);
    if (d.settingsVerdict)
        page.verdict(false, QStringLiteral("The editor refuses these settings on OK: ") + *d.settingsVerdict);
    else
        page.verdict(true, QStringLiteral("The editor accepts these settings on OK."));
}

void WriteImage(Page& page, const ProjectReportData& d)
{
    page.heading(2, QStringLiteral("Device parameter image (bin/bank.bin)"));
    if (!d.bankFound)
        page.note(QStringLiteral("The project has no bin/bank.bin yet (Update Device writes it)."));
    if (d.bank) {
        page.raw(QStringLiteral("<p><code>%1</code> (%2)</p>\n")
                     .arg(Esc(ImageHex(d.bank->bytes)), ByteCount(d.bank->bytes.size())));
        if (!d.built)
            page.verdict(false, QStringLiteral("pargen.xml does not build an image to compare with: ")
                                    + d.buildError);
        else if (*d.built == d.bank->bytes)
            page.verdict(true, QStringLiteral("bank.bin matches what pargen.xml builds now."));
        else
            page.verdict(false, QStringLiteral("bank.bin differs from what pargen.xml builds now: ")
                                    + ImageHex(*d.built)
                                    + QStringLiteral(". Update Device would write the new image."));
        QList<QStringList> rows;
        for (const ExplainedField& f : ExplainParameterImage(*d.bank)) {
            rows << QStringList{QString::number(f.offset), ImageHex(f.raw), f.name,
                                QString::number(f.value),  f.meaning,       f.refusal.value_or(QString())};
        }
        page.table({QStringLiteral("Offset"), QStringLiteral("Bytes"), QStringLiteral("Field"),
                    QStringLiteral("Value"), QStringLiteral("Meaning"), QStringLiteral("Remark")},
                   rows, QString(), {0, 3}, 5);
    } else if (d.built && !d.bankFound) {
        page.paragraph(QStringLiteral("pargen.xml builds: ") + ImageHex(*d.built));
    }
}

void WriteGsd(Page& page, const ProjectReportData& d)
{
    page.heading(2, QStringLiteral("GSD file"));
    if (!d.gsd) {
        page.verdict(false, d.gsdError.isEmpty() ? QStringLiteral("The sizes cannot be read from pargen.xml.")
                                                 : d.gsdError);
        return;
    }
    const QList<GsdModule> modules = GsdModules(*d.gsd);
    page.table({QStringLiteral("Input bytes"), QStringLiteral("Output bytes"), QStringLiteral("Data bytes"),
                QStringLiteral("Modules")},
               {{QString::number(d.gsd->nbIn), QString::number(d.gsd->nbOut),
                 QString::number(d.gsd->nbIn + d.gsd->nbOut), QString::number(modules.size())}},
               QString(), {0, 1, 2, 3});
    QList<QStringList> rows;
    for (const GsdModule& m : modules) {
        rows << QStringList{QString::number(m.number),
                            m.input ? QStringLiteral("DI (input)") : QStringLiteral("DO (output)"),
                            QString::number(m.bytes), m.identifier};
    }
    if (rows.isEmpty())
        page.paragraph(QStringLiteral("No modules: both sizes are 0."));
    else
        page.table({QStringLiteral("Module / slot"), QStringLiteral("Kind"), QStringLiteral("Bytes"),
                    QStringLiteral("Identifier")},
                   rows, QString(), {0, 2});
}

// The byte map of one table: 16 bytes per line, each cell naming the rows that fill it.
void WriteByteMap(Page& page, const ByteMap& map)
{
    if (map.bytes.isEmpty()) {
        page.paragraph(QStringLiteral("No bytes: the data length is 0 and no row is in use."),
                       QStringLiteral("muted"));
        return;
    }
    QString html = QStringLiteral("<table class=\"map\"><thead><tr><th></th>");
    for (int c = 0; c < 16; ++c)
        html += QStringLiteral("<th>+%1</th>").arg(c);
    html += QStringLiteral("</tr></thead><tbody>\n");
    for (int start = 0; start < map.bytes.size(); start += 16) {
        html += QStringLiteral("<tr><th class=\"num\">%1</th>").arg(start);
        for (int b = start; b < start + 16; ++b) {
            if (b >= map.bytes.size()) {
                html += QStringLiteral("<td></td>");
                continue;
            }
            static const char* const kClasses[] = {"free", "used", "collision", "beyond"};
            QStringList rows;
            for (int row : RowsAtByte(map, b))
                rows << QString::number(row);
            html += QStringLiteral("<td class=\"%1\">%2</td>")
                        .arg(QLatin1String(kClasses[int(map.bytes.at(b))]), Esc(rows.join(QLatin1Char('/'))));
        }
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</tbody></table>\n");
    page.raw(html);
}

QString MappingSectionName(MappingSide side)
{
    return side == MappingSide::In ? QStringLiteral("ProfiBus IN --> Serial Read")
                                   : QStringLiteral("Serial Write --> ProfiBus OUT");
}

void WriteMapping(Page& page, const ProjectReportData& d)
{
    page.heading(2, QStringLiteral("Serial / PROFIBUS mapping (sdo.xml)"));
    if (!d.mappingFound) {
        page.paragraph(QStringLiteral("The project has no sdo.xml."), QStringLiteral("muted"));
        return;
    }
    if (!d.mappingRead) {
        page.verdict(false,
                     QStringLiteral("The mapping editor cannot read sdo.xml (see the documents that could "
                                    "not be read)."));
        return;
    }
    for (const QString& notice : d.mappingNotices)
        page.note(notice);
    for (MappingSide side : {MappingSide::In, MappingSide::Out}) {
        const qint32 limit = side == MappingSide::In ? d.limits.in : d.limits.out;
        page.heading(3, QStringLiteral("%1 (%2)").arg(MappingSectionName(side), ByteCount(limit)));
        const QStringList head = QStringList{QStringLiteral("N°")} + MappingColumnCaptions(side);
        QList<QStringList> rows;
        const QList<MappingRow>& used = d.mapping.side(side);
        for (int i = 0; i < used.size(); ++i)
            rows << (QStringList{QString::number(i + 1)} + used.at(i));
        if (rows.isEmpty())
            page.paragraph(QStringLiteral("No rows in use."), QStringLiteral("muted"));
        else
            page.table(head, rows, QString(), {0});
        const ByteMap& map = d.byteMaps.side(side);
        WriteByteMap(page, map);
        page.paragraph(SummaryLine(map));
        for (const ByteFinding& finding : map.findings) {
            const bool problem = finding.kind != FindingKind::Unfilled;
            page.paragraph(DescribeFinding(finding, map.length),
                           problem ? QStringLiteral("mark") : QString());
        }
    }
    page.raw(
        QStringLiteral("<p class=\"legend\"><span class=\"used\" style=\"background:#cfe6d0\">row number: "
                       "filled by that row</span><span style=\"background:#f2a7b0\">collision</span>"
                       "<span style=\"background:#f6d890\">past the data length</span><span>empty: free"
                       "</span></p>\n"));
    if (d.mappingVerdict.isEmpty())
        page.verdict(true, QStringLiteral("The mapping editor accepts these tables on OK."));
    else
        page.verdict(false,
                     QStringLiteral("The mapping editor refuses these tables on OK: ") + d.mappingVerdict);
}

// Tables with many attributes are printed one record per column, so a page's width holds them.
void WriteCanopenTable(Page& page, const ReportTable& t)
{
    page.heading(3, QStringLiteral("%1 (%2), %3 rows").arg(t.title, t.document).arg(t.rows.size()));
    if (t.rows.isEmpty()) {
        page.paragraph(QStringLiteral("No rows."), QStringLiteral("muted"));
        return;
    }
    constexpr int kWide = 8;
    constexpr int kRecordsPerBlock = 8;
    if (t.columns.size() <= kWide) {
        QList<QStringList> rows;
        for (int i = 0; i < t.rows.size(); ++i)
            rows << (QStringList{QString::number(i + 1)} + t.rows.at(i));
        page.table(QStringList{QStringLiteral("#")} + t.columns, rows, QStringLiteral("wide"), {0});
        return;
    }
    for (int start = 0; start < t.rows.size(); start += kRecordsPerBlock) {
        const int end = std::min<int>(start + kRecordsPerBlock, t.rows.size());
        QStringList head{QStringLiteral("Attribute")};
        for (int r = start; r < end; ++r)
            head << QStringLiteral("Row %1").arg(r + 1);
        QList<QStringList> rows;
        for (int c = 0; c < t.columns.size(); ++c) {
            QStringList line{t.columns.at(c)};
            for (int r = start; r < end; ++r)
                line << t.rows.at(r).value(c);
            rows << line;
        }
        page.table(head, rows, QStringLiteral("wide"));
    }
}

void WriteFailures(Page& page, const ProjectReportData& d)
{
    page.heading(2, QStringLiteral("Documents not read or exported whole"));
    if (d.failures.isEmpty()) {
        page.paragraph(QStringLiteral("None: every document present was read whole."),
                       QStringLiteral("muted"));
        return;
    }
    QList<QStringList> rows;
    for (const ReportFailure& f : d.failures)
        rows << QStringList{f.document, f.message};
    page.table({QStringLiteral("Document"), QStringLiteral("Message")}, rows);
}

void WriteComparison(Page& page, const ReportComparison& c)
{
    page.heading(2, QStringLiteral("Differences from ") + c.other);
    page.paragraph(QStringLiteral("Old values are this project's, new values those of ") + c.other
                   + QStringLiteral(". Each line names what differs in the editors' words."));
    if (c.entries.isEmpty()) {
        page.verdict(true, QStringLiteral("No differences."));
        return;
    }
    QList<QStringList> rows;
    for (const DiffEntry& e : c.entries)
        rows << QStringList{e.document, e.place, e.field, e.oldValue, e.newValue};
    page.table({QStringLiteral("Document"), QStringLiteral("Place"), QStringLiteral("Field"),
                QStringLiteral("This project"), c.other},
               rows, QStringLiteral("wide"));
}

} // namespace

QString ProjectReportHtml(const ProjectReportData& d)
{
    Page page;
    page.raw(
        QStringLiteral("<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
                       "<meta charset=\"utf-8\"/>\n<title>%1</title>\n<style>")
            .arg(Esc(QStringLiteral("Velmaro project report: ") + d.projectName)));
    page.raw(QString::fromLatin1(kStyle));
    page.raw(QStringLiteral("</style>\n</head>\n<body>\n"));
    page.heading(1, QStringLiteral("Project report: ") + d.projectName);
    page.raw(QStringLiteral(
                 "<table class=\"facts\"><tbody>"
                 "<tr><th>Gateway</th><td>Quorvane Velmaro TQ4712 PROFIBUS / Serial</td></tr>"
                 "<tr><th>Project</th><td>%1</td></tr><tr><th>Folder</th><td class=\"mono\">%2</td></tr>"
                 "<tr><th>Date</th><td>%3</td></tr><tr><th>Written by</th><td>Velmaro %4</td></tr>"
                 "</tbody></table>\n")
                 .arg(Esc(d.projectName), Esc(d.projectDir),
                      Esc(QLocale::c().toString(d.created, QStringLiteral("yyyy-MM-dd HH:mm"))),
                      Esc(d.programVersion)));
    WriteSettings(page, d);
    WriteImage(page, d);
    WriteGsd(page, d);
    // The mapping and CANopen editors are hidden in this configuration: their sections only when the
    // project holds their documents.
    if (d.mappingFound)
        WriteMapping(page, d);
    if (d.canopenFound > 0) {
        page.heading(2, QStringLiteral("CANopen tables"));
        if (d.canopen.isEmpty())
            page.paragraph(QStringLiteral("The project has no CANopen table document that could be read."),
                           QStringLiteral("muted"));
        for (const ReportTable& t : d.canopen)
            WriteCanopenTable(page, t);
    }
    WriteFailures(page, d);
    if (d.comparison)
        WriteComparison(page, *d.comparison);
    page.raw(QStringLiteral("</body>\n</html>\n"));
    return page.html();
}

} // namespace velmaro
