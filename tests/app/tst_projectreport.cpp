#include "app/ProjectReport.h"
#include "base/Version.h"
#include "canopen/EmcyDocument.h"
#include "canopen/EmcyWordDocument.h"
#include "canopen/PdoDocument.h"
#include "canopen/StoredPdoDocument.h"
#include "device/ParameterImage.h"
#include "support/TestFiles.h"

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

using Files = QMap<QString, QByteArray>; // path in the project folder -> contents

} // namespace

class TestProjectReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every page parses, has its six sections, runs no script, loads nothing from outside, and shows what
    // the project holds; the documents it cannot read are listed in the last section.
    void page_data()
    {
        QTest::addColumn<QString>("folder"); // a new folder for the project; empty: the temporary folder
        QTest::addColumn<Files>("files");
        QTest::addColumn<bool>("image"); // pargen.xml of the second example and the bank.bin built from it
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("headings"); // of the byte maps and tables, each in exactly one
        QTest::addColumn<QStringList>("failureRows");
        QTest::addColumn<int>("sections"); // the mapping and CANopen sections only with their documents

        QTest::newRow("empty project")
            << "" << Files() << false
            << QStringList{"2026-03-04 05:06", "has no pargen.xml", "Velmaro " VELMARO_VERSION,
                           "0x42,0x3F,0x00,0x01", // 244 bytes: four modules a side
                           "0x82,0x33,0x00,0x08"}
            << QStringList() << QStringList() << 4;
        QTest::newRow("CANopen table only")
            << "" << Files{{"emcydef.xml", TableXml(EmcyDocument::definition(), 2, QStringLiteral("3"))}}
            << false << QStringList() << QStringList{"emcydef.xml), 2 rows"} << QStringList() << 5;
        QTest::newRow("every document")
            << ""
            << Files{{"sdo.xml",
                      "<Serial_to_ProfiBus><ProfiBUS_IN>"
                      "<row Slave_ID=\"1\" Type=\"Holding Register\" Address_Mod=\"0\" NPoint=\"2\" "
                      "Address_Profi=\"0\" Mnemonic=\"a\"/>"
                      "<row Slave_ID=\"2\" Type=\"Input Register\" Address_Mod=\"0\" NPoint=\"1\" "
                      "Address_Profi=\"2\" Mnemonic=\"b\"/>"
                      "</ProfiBUS_IN><ProfiBUS_OUT/></Serial_to_ProfiBus>"},
                     {"rpdodef.xml", TableXml(PdoDocument::definition(), 3, QStringLiteral("1"))},
                     {"sdopdo.xml", TableXml(StoredPdoDocument::definition(), 1, QStringLiteral("2"))},
                     {"emcydef.xml", TableXml(EmcyDocument::definition(), 2, QStringLiteral("3"))},
                     {"emcyword.xml", TableXml(EmcyWordDocument::definition(), 9, QStringLiteral("4"))}}
            << true
            << QStringList{"bank.bin matches what pargen.xml builds now",
                           "04 00 00 00 01 00 00 00 C8 00 0D 14 00 03 01 05 0A 0A 04 03 88 13 00 00",
                           "The editor accepts these settings on OK.",
                           "collision on bytes 2..3", // row 1 fills 0..3, row 2 2..3
                           "bytes 4..9 are filled by no row"}
            << QStringList{"Read (10 bytes)",     "OUT (4 bytes)",        "rpdodef.xml), 3 rows",
                           "sdopdo.xml), 1 rows", "emcydef.xml), 2 rows", "emcyword.xml), 9 rows"}
            << QStringList{"emcyword.xml"} << 6; // "extdata" 4: the editor drops every word
        QTest::newRow("unreadable documents")
            << ""
            << Files{{"pargen.xml", "<Par_Gen><Ser_Type>1</Par_Gen>"},
                     {"bin/bank.bin", QByteArray(7, '\x04')},
                     {"sdo.xml", "<sdo><row IndexA=\"1\"/></sdo>"}, // the stored-PDO editor's SDO table
                     {"emcyword.xml", "<emcyword><row index_addrm=\"1\"/></emcyword>"}}
            << false << QStringList{"7 bytes long"} << QStringList()
            << QStringList{"pargen.xml", "bin/bank.bin", "sdo.xml", "emcyword.xml"} << 6;
        QByteArray many = "<S><ProfiBUS_IN/><ProfiBUS_OUT>";
        for (int i = 0; i < 245; ++i)
            many += "<row Slave_ID=\"1\" Address_Mod=\"0\" NPoint=\"1\" Address_Profi=\"0\" Mnemonic=\"\"/>";
        QTest::newRow("sdo.xml past its 244 rows: shown, and listed as the editor's OK would drop rows")
            << "" << Files{{"sdo.xml", many + "</ProfiBUS_OUT></S>"}} << false
            << QStringList{"rows 245 to 245"} << QStringList{"Read (244 bytes)", "OUT (244 bytes)"}
            << QStringList{"sdo.xml"} << 5;
        QTest::newRow("texts escaped")
            << "<script>&amp;\"x\x01"
            << Files{{"sdo.xml", "<Serial_to_ProfiBus><ProfiBUS_IN>"
                                 "<row Slave_ID=\"1\" Type=\"&lt;b&gt;\" Address_Mod=\"0\" NPoint=\"1\" "
                                 "Address_Profi=\"0\" Mnemonic=\"&lt;/td&gt;&lt;script&gt;x&amp;&quot;\"/>"
                                 "</ProfiBUS_IN><ProfiBUS_OUT/></Serial_to_ProfiBus>"},
                     {"rpdodef.xml", TableXml(PdoDocument::definition(), 1, QStringLiteral("<img src=x>"))}}
            << false << QStringList{"Project report: <script>&amp;\"x", "</td><script>x&\"", "<img src=x>"}
            << QStringList{"Read (244 bytes)", "OUT (244 bytes)", "rpdodef.xml), 1 rows"}
            << QStringList{"rpdodef.xml"} << 6; // its flag is not an integer: the editor stops there
    }
    void page()
    {
        QFETCH(QString, folder);
        QFETCH(Files, files);
        QFETCH(bool, image);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, headings);
        QFETCH(QStringList, failureRows);
        QFETCH(int, sections);

        QTemporaryDir tmp;
        const QString dir = folder.isEmpty() ? tmp.path() : tmp.filePath(folder);
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            const QString path = dir + QLatin1Char('/') + file.key();
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            test::writeFile(path, file.value());
        }
        if (image) {
            QVERIFY(QFile::copy(QStringLiteral(VELMARO_TEST_DATA "/device/pargen_example2.xml"),
                                dir + "/pargen.xml"));
            QDir(dir).mkdir(QStringLiteral("bin"));
            QVERIFY(WriteParameterImage(*BuildParameterImage(dir + "\\pargen.xml"),
                                        ProjectPathsOf(dir).BankBinPath)
                        .ok());
        }

        const ParsedPage page = Parse(Report(dir));
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        QCOMPARE(page.h2.size(), sections);
        for (const char* element : {"script", "b", "img"})
            QVERIFY2(!page.elements.contains(QLatin1String(element)), element);
        QVERIFY(page.elements.contains(QStringLiteral("style")));
        QCOMPARE(page.externalRefs, QStringList());
        for (const QString& text : texts)
            QVERIFY2(page.text.contains(text), qPrintable(text));
        QCOMPARE(page.h3.size(), headings.size());
        for (const QString& t : headings)
            QVERIFY2(page.h3.filter(t).size() == 1, qPrintable(page.h3.join(QLatin1Char('|'))));
        QCOMPARE(page.failureRows, failureRows);
    }

    // A folder given as "." or with ".." is named after the folder it stands for.
    void projectNamedAfterItsFolder_data()
    {
        QTest::addColumn<QString>("argument"); // relative to the current folder set below
        QTest::addColumn<QString>("cwd");      // under the temporary folder
        QTest::newRow(".") << "."
                           << "Plant 7";
        QTest::newRow("./") << "./"
                            << "Plant 7";
        QTest::newRow("..") << ".."
                            << "Plant 7/bin";
        QTest::newRow("bin/..") << "bin/.."
                                << "Plant 7";
    }
    void projectNamedAfterItsFolder()
    {
        QFETCH(QString, argument);
        QFETCH(QString, cwd);
        QTemporaryDir tmp;
        QVERIFY(QDir().mkpath(tmp.filePath(QStringLiteral("Plant 7/bin"))));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(tmp.filePath(cwd)));
        const ProjectReportData data = LoadProjectReport(argument, QDateTime());
        QDir::setCurrent(before);
        QCOMPARE(data.projectName, QStringLiteral("Plant 7"));
        QCOMPARE(data.projectDir, QDir(tmp.filePath(QStringLiteral("Plant 7"))).absolutePath());
    }
};

QTEST_GUILESS_MAIN(TestProjectReport)
#include "tst_projectreport.moc"
