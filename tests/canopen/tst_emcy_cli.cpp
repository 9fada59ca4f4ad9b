#include "cli/Cli.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using velmaro::test::readFile;
using velmaro::test::runVerb;
using velmaro::test::VerbRun;
using velmaro::test::writeFile;

namespace {

QString workbook(const QString& name)
{
    return QStringLiteral(VELMARO_TEST_DATA "/canopen/emcy/") + name;
}

const QByteArray twoRows =
    "<emcydef>"
    "<row id_dev=\"9\" mask_eq_ec=\"\" mask_eq_er=\"2\" mask_eq_m1=\"3\" mask_eq_m2=\"4\" mask_eq_m3=\"5\" "
    "enmask_eq_ec=\"6\" enmask_eq_er=\"7\" enmask_eq_m1=\"8\" enmask_eq_m2=\"9\" enmask_eq_m3=\"10\" "
    "bypass_set=\"37\"/>"
    "<row id_dev=\"4\" mask_eq_ec=\"0xFF\" mask_eq_er=\"2\" mask_eq_m1=\"3\" mask_eq_m2=\"4\" "
    "mask_eq_m3=\"5\" "
    "enmask_eq_ec=\"6\" enmask_eq_er=\"7\" enmask_eq_m1=\"8\" enmask_eq_m2=\"9\" enmask_eq_m3=\"10\" "
    "bypass_set=\"17\"/>"
    "</emcydef>";

} // namespace

class TestEmcyCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exportsAsTheEditorDoes()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("emcydef.xml")), twoRows);
        const VerbRun r = runVerb(QStringLiteral("export"), {QStringLiteral("emcydef"), dir.path()});
        QCOMPARE(r.code, 0);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("emcydef.csv"))),
                 QByteArray("4,0xFF,2,3,4,5,6,7,8,9,10,17,\r\n9,0,2,3,4,5,6,7,8,9,10,37,\r\n"));
    }

    void importsAndSavesInOrder()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("emcydef.xml")), twoRows);
        const VerbRun r = runVerb(QStringLiteral("import"), {QStringLiteral("emcydef"), dir.path(),
                                                             workbook(QStringLiteral("emcydef.xls"))});
        QCOMPARE(r.code, 0);
        const QByteArray saved = readFile(dir.filePath(QStringLiteral("emcydef.xml")));
        QVERIFY(saved.startsWith("<emcydef>"));
        QVERIFY(!saved.contains("id_dev=\"9\""));
        const qsizetype three = saved.indexOf("id_dev=\"3\"");
        const qsizetype twenty = saved.indexOf("id_dev=\"20\"");
        const qsizetype sixteen = saved.indexOf("id_dev=\"0x10\"");
        QVERIFY(three >= 0 && three < twenty && twenty < sixteen);
        QVERIFY(saved.contains("bypass_set=\"37\""));
    }

    void refusesHalfReadImports_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("no worksheet") << "nosheet.xlsx";
        QTest::newRow("flag not an integer") << "badflag.xlsx";
        QTest::newRow("not a workbook") << "make_workbooks.py";
        QTest::newRow("missing file") << "absent.xlsx";
    }
    void refusesHalfReadImports()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("emcydef.xml")), twoRows);
        const VerbRun r =
            runVerb(QStringLiteral("import"), {QStringLiteral("emcydef"), dir.path(), workbook(file)});
        QCOMPARE(r.code, 1);
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(readFile(dir.filePath(QStringLiteral("emcydef.xml"))), twoRows);
    }

    void reportsUnreadableDocument()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("emcydef.xml")), "<emcydef><row id_dev=\"1\"/></emcydef>");
        const VerbRun r = runVerb(QStringLiteral("export"), {QStringLiteral("emcydef"), dir.path()});
        QVERIFY(r.err.contains(QStringLiteral("Error in reading file XML")));
    }
};

QTEST_GUILESS_MAIN(TestEmcyCli)
#include "tst_emcy_cli.moc"
