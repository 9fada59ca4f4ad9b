#include "cli/Cli.h"
#include "device/GsdFile.h"
#include "support/CliRunner.h"
#include "tst_image_support.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using test::Golden;
using test::PargenXml;
using test::ReadBytes;
using test::runVerb;
using test::WriteBytes;
using Changes = QMap<QString, std::optional<QString>>;

namespace {

// Splits a text into lines, failing the test on any line end other than CR LF or a missing last one.
QStringList Lines(const QByteArray& text)
{
    [&] {
        QVERIFY(text.endsWith("\r\n"));
        QCOMPARE(text.count('\r'), text.count('\n'));
        QCOMPARE(text.count("\r\n"), text.count('\n'));
        for (char c : text)
            QVERIFY2(uchar(c) < 0x80 && (uchar(c) >= 0x20 || c == '\r' || c == '\n'), "not printable ASCII");
    }();
    QStringList lines = QString::fromLatin1(text).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

// The shape every GSD text has: the 85-character frame and the banner widths.
void CheckShape(const QStringList& lines)
{
    QVERIFY(lines.size() > 21);
    QCOMPARE(lines[0], QStringLiteral(";"));
    for (int i = 1; i <= 20; ++i) {
        QVERIFY2(lines[i].size() == 85, qPrintable(QStringLiteral("line %1: %2").arg(i + 1).arg(lines[i])));
        QVERIFY2(lines[i].startsWith(QLatin1Char(';')), qPrintable(lines[i]));
        QVERIFY2(lines[i].endsWith(QLatin1Char('*')), qPrintable(lines[i]));
    }
    for (int i = 5; i <= 10; ++i) // contact lines start under the vendor name
        QVERIFY2(lines[i].startsWith(QStringLiteral(";*           ")) && lines[i][13] != QLatin1Char(' '),
                 qPrintable(lines[i]));
    const QMap<QString, int> banners = {{"Prm-Text-Def-List", 85},     {"Ext-User-Prm-Data-Def-List", 86},
                                        {"General DP Keywords", 86},   {"Supported baudrates", 79},
                                        {"Slave specific values", 79}, {"User-Prm-Data", 79},
                                        {"Modulstatus", 79},           {"Module-Definition-List", 79}};
    int found = 0;
    for (int i = 1; i + 1 < lines.size(); ++i) {
        if (!lines[i].startsWith(QStringLiteral(";==== ")))
            continue;
        const QString title = lines[i].mid(6).section(QStringLiteral(" ="), 0, 0);
        QVERIFY2(banners.contains(title), qPrintable(title));
        const int width = banners.value(title);
        const QString rule = QStringLiteral(";") + QString(width - 1, QLatin1Char('='));
        QCOMPARE(lines[i - 1], rule);
        QCOMPARE(lines[i + 1], rule);
        const QString titled = QStringLiteral(";==== ") + title + QLatin1Char(' ');
        QCOMPARE(lines[i], titled + QString(width - titled.size(), QLatin1Char('=')));
        ++found;
    }
    QCOMPARE(found, banners.size());
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^Unit_Diag_Area = "))).size(), 2);
}

} // namespace

class TestGsdFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wholeTextAt10And4()
    {
        QTemporaryDir project;
        QVERIFY(WriteBytes(project.path() + "/pargen.xml", Golden("pargen_example2.xml")));
        const QString gsd = project.path() + "/out.gsd";
        QVERIFY(WriteBytes(gsd, QByteArray(20000, 'x'))); // replaced whole, not overwritten in place
        for (int run = 0; run < 2; ++run) {
            const Status written = GenerateGsdFile(ProjectPathsOf(project.path()), gsd);
            QVERIFY2(written.ok(), qPrintable(written.error()));
            QCOMPARE(ReadBytes(gsd), Golden("gsd_10_4.gsd"));
        }
        CheckShape(Lines(ReadBytes(gsd)));
    }
    void moduleSectionAt244And244_data()
    {
        QTest::addColumn<QByteArray>("pargen"); // empty: no document
        QTest::newRow("editor defaults") << Golden("pargen_defaults.xml");
        QTest::newRow("no pargen.xml") << QByteArray();
        QTest::newRow("both sizes absent")
            << PargenXml({{"Profi_NB_IN", std::nullopt}, {"Profi_NB_OUT", std::nullopt}});
        QTest::newRow("both sizes not integers")
            << PargenXml({{"Profi_NB_IN", "all"}, {"Profi_NB_OUT", "244 "}});
        QTest::newRow("hex sizes") << PargenXml({{"Profi_NB_IN", "0xF4"}, {"Profi_NB_OUT", "$f4"}});
    }
    void moduleSectionAt244And244()
    {
        QFETCH(QByteArray, pargen);
        QTemporaryDir project;
        if (!pargen.isEmpty())
            QVERIFY(WriteBytes(project.path() + "/pargen.xml", pargen));
        const QString gsd = project.path() + "/out.gsd";
        QVERIFY(GenerateGsdFile(ProjectPathsOf(project.path()), gsd).ok());
        const QByteArray text = ReadBytes(gsd);
        const int first = text.indexOf("Module=\"");
        QVERIFY(first > 0);
        QCOMPARE(text.mid(first), Golden("gsd_244_244_modules.txt"));
        const QStringList lines = Lines(text);
        CheckShape(lines);
        QVERIFY(lines.contains("Max_Module=8"));
        QVERIFY(lines.contains("Max_Data_Len=488"));
    }

    void moduleBoundaries_data()
    {
        // Expected modules as kind, number and length byte.
        QTest::addColumn<int>("nbIn");
        QTest::addColumn<int>("nbOut");
        QTest::addColumn<QStringList>("modules");
        QTest::newRow("0/0") << 0 << 0 << QStringList{};
        QTest::newRow("0/4") << 0 << 4 << QStringList{"DO 1 03"};
        QTest::newRow("1/0") << 1 << 0 << QStringList{"DI 1 00"};
        QTest::newRow("63/0") << 63 << 0 << QStringList{"DI 1 3E"};
        QTest::newRow("64/0") << 64 << 0 << QStringList{"DI 1 3F"};
        QTest::newRow("65/0") << 65 << 0 << QStringList{"DI 1 3F", "DI 2 00"};
        QTest::newRow("128/0") << 128 << 0 << QStringList{"DI 1 3F", "DI 2 3F"};
        QTest::newRow("129/0") << 129 << 0 << QStringList{"DI 1 3F", "DI 2 3F", "DI 3 00"};
        QTest::newRow("192/0") << 192 << 0 << QStringList{"DI 1 3F", "DI 2 3F", "DI 3 3F"};
        QTest::newRow("193/0") << 193 << 0 << QStringList{"DI 1 3F", "DI 2 3F", "DI 3 3F", "DI 4 00"};
        QTest::newRow("244/0") << 244 << 0 << QStringList{"DI 1 3F", "DI 2 3F", "DI 3 3F", "DI 4 33"};
        QTest::newRow("10/4") << 10 << 4 << QStringList{"DI 1 09", "DO 2 03"};
        QTest::newRow("65/129 numbered across")
            << 65 << 129 << QStringList{"DI 1 3F", "DI 2 00", "DO 3 3F", "DO 4 3F", "DO 5 00"};
        QTest::newRow("0/200 outputs from 1")
            << 0 << 200 << QStringList{"DO 1 3F", "DO 2 3F", "DO 3 3F", "DO 4 07"};
        QTest::newRow("91/0 upper-case length") << 91 << 0 << QStringList{"DI 1 3F", "DI 2 1A"};
    }
    void moduleBoundaries()
    {
        QFETCH(int, nbIn);
        QFETCH(int, nbOut);
        QFETCH(QStringList, modules);
        const QStringList lines = Lines(GsdText(GsdSizes{nbIn, nbOut}));
        CheckShape(lines);
        const auto value = [&](const QString& key) {
            const QStringList found = lines.filter(QRegularExpression("^" + key + "="));
            return found.size() == 1 ? found.first().mid(key.size() + 1) : QStringLiteral("?");
        };
        QCOMPARE(value("Max_Module"), QString::number(modules.size()));
        QCOMPARE(value("Max_Input_Len"), QString::number(nbIn));
        QCOMPARE(value("Max_Output_Len"), QString::number(nbOut));
        QCOMPARE(value("Max_Data_Len"), QString::number(nbIn + nbOut));

        // After the module banner and its blank line: three lines per module, three blanks, slots.
        const int start =
            lines.indexOf(QRegularExpression(QStringLiteral("^;==== Module-Definition-List =+$"))) + 3;
        QVERIFY(start > 3);
        QCOMPARE(lines[start - 1], QString());
        QStringList expected;
        for (const QString& m : modules) {
            const QStringList p = m.split(' ');
            expected << QStringLiteral("Module=\"%1  (PORT%2)    \" %3,0x%4,0x00,0x0%2")
                            .arg(p[0], p[1], p[0] == "DI" ? "0x42" : "0x82", p[2])
                     << p[1] << "EndModule";
        }
        expected << ""
                 << ""
                 << ""
                 << "SlotDefinition";
        for (int k = 1; k <= modules.size(); ++k)
            expected << QStringLiteral("Slot(%1) = \"Slot %1\" %1 %1").arg(k);
        expected << "EndSlotDefinition"
                 << ""
                 << ""
                 << ""
                 << "";
        QCOMPARE(lines.mid(start), expected);
    }

    void sizesFromDocument_data()
    {
        QTest::addColumn<QByteArray>("pargen"); // empty: no document
        QTest::addColumn<int>("nbIn");
        QTest::addColumn<int>("nbOut");
        QTest::addColumn<QString>("error"); // start of the refusal; null when accepted
        QTest::newRow("no document") << QByteArray() << 244 << 244 << QString();
        QTest::newRow("in absent") << PargenXml({{"Profi_NB_IN", std::nullopt}, {"Profi_NB_OUT", "4"}}) << 244
                                   << 4 << QString();
        QTest::newRow("out not an integer")
            << PargenXml({{"Profi_NB_IN", "0"}, {"Profi_NB_OUT", "4 bytes"}}) << 0 << 244 << QString();
        QTest::newRow("hex and blanks")
            << PargenXml({{"Profi_NB_IN", "0x10"}, {"Profi_NB_OUT", "  7"}}) << 16 << 7 << QString();
        QTest::newRow("in 245 refused")
            << PargenXml({{"Profi_NB_IN", "245"}}) << 0 << 0
            << QStringLiteral("The value \"245\" of Profi_NB_IN is outside the range 0..244");
        QTest::newRow("out -1 refused")
            << PargenXml({{"Profi_NB_OUT", "-1"}}) << 0 << 0
            << QStringLiteral("The value \"-1\" of Profi_NB_OUT is outside the range 0..244");
        QTest::newRow("in 0x7FFFFFFF refused")
            << PargenXml({{"Profi_NB_IN", "$7FFFFFFF"}}) << 0 << 0
            << QStringLiteral("The value \"$7FFFFFFF\" of Profi_NB_IN is outside");
        QTest::newRow("not well-formed")
            << QByteArray("<Par_Gen><Profi_NB_IN>4</Par_Gen>") << 0 << 0 << QStringLiteral("");
    }
    void sizesFromDocument()
    {
        QFETCH(QByteArray, pargen);
        QFETCH(int, nbIn);
        QFETCH(int, nbOut);
        QFETCH(QString, error);
        QTemporaryDir project;
        if (!pargen.isEmpty())
            QVERIFY(WriteBytes(project.path() + "/pargen.xml", pargen));
        const QString pargenPath = project.path() + "\\pargen.xml";
        const Result<GsdSizes> sizes = ReadGsdSizes(pargenPath);
        const QString gsd = project.path() + "/out.gsd";
        QVERIFY(WriteBytes(gsd, "previous file"));
        const Status written = GenerateGsdFile(ProjectPathsOf(project.path()), gsd);
        if (error.isNull()) {
            QVERIFY2(sizes.ok(), qPrintable(sizes.error()));
            QCOMPARE(sizes->nbIn, nbIn);
            QCOMPARE(sizes->nbOut, nbOut);
            QVERIFY(written.ok());
            QCOMPARE(ReadBytes(gsd), GsdText(*sizes));
        } else {
            QVERIFY(!sizes.ok());
            QVERIFY(!written.ok());
            QVERIFY2(written.error().startsWith(error) && !written.error().isEmpty(),
                     qPrintable(written.error()));
            QCOMPARE(ReadBytes(gsd), QByteArray("previous file"));
        }
    }

    void unwritableFileIsReported()
    {
        QTemporaryDir dir;
        const QString gsd = dir.path() + "/missing/out.gsd";
        const Status written = GenerateGsdFile(ProjectPathsOf(dir.path()), gsd);
        QVERIFY(!written.ok());
        QVERIFY2(written.error().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(gsd)),
                 qPrintable(written.error()));
        QVERIFY(written.error().size() > QStringLiteral("Cannot create file \"%1\". ").arg(gsd).size());
    }

    void cliGsd_data()
    {
        QTest::addColumn<QByteArray>("pargen");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("fileAfter");
        QTest::addColumn<QString>("err");
        QTest::newRow("writes the 10/4 file")
            << Golden("pargen_example2.xml") << 0 << Golden("gsd_10_4.gsd") << QString();
        QTest::newRow("refused size keeps the file")
            << PargenXml({{"Profi_NB_OUT", "300"}}) << 1 << QByteArray("previous file")
            << QStringLiteral("The value \"300\" of Profi_NB_OUT");
    }
    void cliGsd()
    {
        QFETCH(QByteArray, pargen);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, fileAfter);
        QFETCH(QString, err);
        QTemporaryDir project;
        QVERIFY(WriteBytes(project.path() + "/pargen.xml", pargen));
        const QString gsd = project.path() + "/out.gsd";
        QVERIFY(WriteBytes(gsd, "previous file"));
        QString out, error;
        QCOMPARE(runVerb("gsd", {project.path(), gsd}, out, error), exitCode);
        QCOMPARE(ReadBytes(gsd), fileAfter);
        QVERIFY2(error.startsWith(err), qPrintable(error));
    }
    void cliGsdUsage()
    {
        QString out, err;
        QCOMPARE(runVerb("gsd", {}, out, err), 2);
        QCOMPARE(runVerb("gsd", {"only-one"}, out, err), 2);
        QTemporaryDir dir;
        QCOMPARE(runVerb("gsd", {dir.path() + "/missing", dir.path() + "/out.gsd"}, out, err), 1);
        QVERIFY(!QFile::exists(dir.path() + "/out.gsd"));
    }
};

QTEST_GUILESS_MAIN(TestGsdFile)
#include "tst_gsd.moc"
