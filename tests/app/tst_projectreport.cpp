#include "app/ProjectReport.h"
#include "canopen/EmcyDocument.h"
#include "canopen/EmcyWordDocument.h"
#include "canopen/PdoTable.h"
#include "canopen/StoredPdoDocument.h"
#include "device/ParameterImage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace velmaro;

namespace {

// What a reader of the page sees: the headings, the elements used, the text, and whether it parsed.
struct ParsedPage
{
    QString error;
    QStringList h2;
    QStringList h3;
    QStringList elements;
    QStringList externalRefs; // src= or href= attributes
    QString text;
    QStringList failureRows; // first cells of the last section's table
};

ParsedPage Parse(const QString& html)
{
    ParsedPage page;
    QXmlStreamReader xml(html);
    QString current;
    QStringList cells;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            current = xml.name().toString();
            page.elements << current;
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                if (a.name() == QLatin1String("src") || a.name() == QLatin1String("href"))
                    page.externalRefs << a.value().toString();
            }
            if (current == QLatin1String("h2") || current == QLatin1String("h3"))
                (current == QLatin1String("h2") ? page.h2 : page.h3) << xml.readElementText();
            if (current == QLatin1String("tr") && !page.h2.isEmpty()
                && page.h2.constLast().startsWith(QLatin1String("Documents")))
                cells.clear();
        } else if (xml.isCharacters() && current != QLatin1String("style")) {
            page.text += xml.text();
            if (!page.h2.isEmpty() && page.h2.constLast().startsWith(QLatin1String("Documents"))
                && current == QLatin1String("td"))
                cells << xml.text().toString();
        } else if (xml.isEndElement() && xml.name() == QLatin1String("tr") && !cells.isEmpty()) {
            page.failureRows << cells.first();
            cells.clear();
        }
    }
    if (xml.hasError())
        page.error = xml.errorString();
    return page;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A table document with `rows` rows whose every attribute holds `value`.
QByteArray TableXml(const TableDefinition& table, int rows, const QString& value)
{
    QString xml = QLatin1Char('<') + table.TableName + QLatin1Char('>');
    for (int r = 0; r < rows; ++r) {
        xml += QStringLiteral("<row");
        for (const QString& name : table.AttributeNames)
            xml += QStringLiteral(" %1=\"%2\"").arg(name, value.toHtmlEscaped());
        xml += QStringLiteral("/>");
    }
    return (xml + QStringLiteral("</") + table.TableName + QLatin1Char('>')).toUtf8();
}

QString Report(const QString& dir)
{
    return ProjectReportHtml(LoadProjectReport(dir, QDateTime(QDate(2026, 3, 4), QTime(5, 6))));
}

} // namespace

class TestProjectReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyProject()
    {
        QTemporaryDir tmp;
        const ParsedPage page = Parse(Report(tmp.path()));
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        QCOMPARE(page.h2.size(), 6);
        QVERIFY(page.text.contains(QStringLiteral("2026-03-04 05:06")));
        QVERIFY(page.text.contains(QStringLiteral("has no pargen.xml")));
        QVERIFY(page.text.contains(QStringLiteral("has no sdo.xml")));
        QVERIFY(page.text.contains(QStringLiteral("0x42,0x3F,0x00,0x01"))); // 244 bytes: four modules a side
        QVERIFY(page.text.contains(QStringLiteral("0x82,0x33,0x00,0x08")));
        QVERIFY(page.h3.isEmpty());
        QVERIFY(page.failureRows.isEmpty());
        QVERIFY(!page.elements.contains(QStringLiteral("script")));
        QVERIFY(page.externalRefs.isEmpty());
    }

    void everyDocument()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        QFile::copy(QStringLiteral(VELMARO_TEST_DATA "/device/pargen_example2.xml"), dir + "/pargen.xml");
        QDir(dir).mkdir(QStringLiteral("bin"));
        QVERIFY(
            WriteParameterImage(*BuildParameterImage(dir + "\\pargen.xml"), ParameterImagePath(dir)).ok());
        Write(
            dir + "/sdo.xml",
            "<Serial_to_ProfiBus><ProfiBUS_IN>"
            "<row Slave_ID=\"1\" Type=\"Holding Register\" Address_Mod=\"0\" NPoint=\"2\" "
            "Address_Profi=\"0\" "
            "Mnemonic=\"a\"/>"
            "<row Slave_ID=\"2\" Type=\"Input Register\" Address_Mod=\"0\" NPoint=\"1\" Address_Profi=\"2\" "
            "Mnemonic=\"b\"/>"
            "</ProfiBUS_IN><ProfiBUS_OUT/></Serial_to_ProfiBus>");
        Write(dir + "/rpdodef.xml", TableXml(RpdoDefTable(), 3, QStringLiteral("1")));
        Write(dir + "/sdopdo.xml", TableXml(SdoPdoTable(), 1, QStringLiteral("2")));
        Write(dir + "/emcydef.xml", TableXml(EmcyDefTable(), 2, QStringLiteral("3")));
        Write(dir + "/emcyword.xml", TableXml(EmcyWordTableDefinition(), 9, QStringLiteral("4")));

        const ParsedPage page = Parse(Report(dir));
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        QVERIFY(page.failureRows.isEmpty());
        QVERIFY(page.text.contains(QStringLiteral("bank.bin matches what pargen.xml builds now")));
        QVERIFY(page.text.contains(
            QStringLiteral("04 00 00 00 01 00 00 00 C8 00 0D 14 00 03 01 05 0A 0A 04 03 88 13 00 00")));
        QVERIFY(page.text.contains(QStringLiteral("The editor accepts these settings on OK.")));
        QVERIFY(
            page.text.contains(QStringLiteral("collision on bytes 2..3"))); // row 1 fills 0..3, row 2 2..3
        QVERIFY(page.text.contains(QStringLiteral("bytes 4..9 are filled by no row")));
        const QStringList tables = {"rpdodef.xml), 3 rows", "sdopdo.xml), 1 rows", "emcydef.xml), 2 rows",
                                    "emcyword.xml), 9 rows"};
        for (const QString& t : tables)
            QVERIFY2(page.h3.filter(t).size() == 1, qPrintable(page.h3.join(QLatin1Char('|'))));
        QVERIFY(page.elements.contains(QStringLiteral("style")));
    }

    void unreadableDocumentsAreListed()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        Write(dir + "/pargen.xml", "<Par_Gen><Ser_Type>1</Par_Gen>");
        Write(dir + "/bin/bank.bin", QByteArray(7, '\x04'));
        Write(dir + "/sdo.xml", "<sdo><row IndexA=\"1\"/></sdo>"); // the stored-PDO editor's SDO table
        Write(dir + "/emcyword.xml", "<emcyword><row index_addrm=\"1\"/></emcyword>");
        const ParsedPage page = Parse(Report(dir));
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        QCOMPARE(page.failureRows, QStringList({"pargen.xml", "bin/bank.bin", "sdo.xml", "emcyword.xml"}));
        QVERIFY(page.text.contains(QStringLiteral("7 bytes long")));
    }

    void textsAreEscaped()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.filePath(QStringLiteral("<script>&amp;\"x"));
        Write(dir + "/sdo.xml", "<Serial_to_ProfiBus><ProfiBUS_IN>"
                                "<row Slave_ID=\"1\" Type=\"&lt;b&gt;\" Address_Mod=\"0\" NPoint=\"1\" "
                                "Address_Profi=\"0\" Mnemonic=\"&lt;/td&gt;&lt;script&gt;x&amp;&quot;\"/>"
                                "</ProfiBUS_IN><ProfiBUS_OUT/></Serial_to_ProfiBus>");
        Write(dir + "/rpdodef.xml", TableXml(RpdoDefTable(), 1, QStringLiteral("<img src=x>\x01")));
        const ParsedPage page = Parse(Report(dir));
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        QVERIFY(!page.elements.contains(QStringLiteral("script")));
        QVERIFY(!page.elements.contains(QStringLiteral("b")));
        QVERIFY(!page.elements.contains(QStringLiteral("img")));
        QVERIFY(page.externalRefs.isEmpty());
        QVERIFY(page.h2.size() == 6);
        QVERIFY(page.text.contains(QStringLiteral("Project report: <script>&amp;\"x")));
        QVERIFY(page.text.contains(QStringLiteral("</td><script>x&\"")));
        QVERIFY(page.text.contains(QStringLiteral("<img src=x>")));
    }
};

QTEST_GUILESS_MAIN(TestProjectReport)
#include "tst_projectreport.moc"
