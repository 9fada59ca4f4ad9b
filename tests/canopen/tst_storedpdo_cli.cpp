#include "cli/Cli.h"
#include "support/CliRunner.h"
#include "tst_storedpdo_support.h"

#include <QTest>

using namespace velmaro;
using velmaro::test::runVerb;
using velmaro::test::StoredPdoProject;

namespace {

QString workbook(const char* name)
{
    return QStringLiteral(VELMARO_TEST_DATA "/canopen/storedpdo/") + QLatin1String(name);
}

} // namespace

class TestStoredPdoCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exportReadsAsTheEditorShows()
    {
        StoredPdoProject project;
        project.write(QStringLiteral("sdo.xml"), test::kMappingDocument);
        project.writePdos({"0x201:0", "0x181:3"});
        project.writeStored({"0x2000:1:1:33", "0x1000:1:1:0", "7:7:129:16", "9:9:2:0"});
        QString out, err;
        QCOMPARE(runVerb("export", {"sdopdo", project.dir.path()}, out, err), 0);
        QVERIFY2(err.startsWith(QLatin1String("Error in reading file SDO XML")), qPrintable(err));
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QCOMPARE(project.read(QStringLiteral("sdopdo.csv")),
                 QByteArray("0x2000,1,1,33,\r\n0x1000,1,1,0,\r\n7,7,129,16,\r\n"));
    }

    void import_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("document"); // empty: untouched
        QTest::newRow("records saved in key order across PDOs")
            << workbook("sdopdo.xlsx") << 0
            << QByteArray("index=\"5\" subindex=\"5\" nrpdo=\"9\" poscomp=\"0\"|"
                          "index=\"0x6000\" subindex=\"1\" nrpdo=\"1\" poscomp=\"33\"|"
                          "index=\"0x6001\" subindex=\"2\" nrpdo=\"2\" poscomp=\"\"|"
                          "index=\"0x7000\" subindex=\"1\" nrpdo=\"129\" poscomp=\"16\"");
        QTest::newRow("record naming a PDO the tab lacks refused")
            << workbook("sdopdo.xlsx") << 1 << QByteArray();
        QTest::newRow("worksheet without rows saves an empty table")
            << workbook("norows.xlsx") << 0 << QByteArray();
        QTest::newRow("no worksheet refused") << workbook("nosheet.xlsx") << 1 << QByteArray();
        QTest::newRow("PDO number 0 refused") << workbook("stopped.xlsx") << 1 << QByteArray();
        QTest::newRow("missing workbook refused") << workbook("missing.xlsx") << 1 << QByteArray();
    }
    void import()
    {
        QFETCH(QString, book);
        QFETCH(QByteArray, document);
        StoredPdoProject project;
        project.writeSdoTable({});
        QStringList pdos{"0x201:0", "0x202:0", "0x181:3"};
        if (QTest::currentDataTag() == QLatin1String("records saved in key order across PDOs"))
            pdos << "0x203:0"
                 << "0x204:0"
                 << "0x205:0"
                 << "0x206:0"
                 << "0x207:0"
                 << "0x208:0"
                 << "0x209:0";
        project.writePdos(pdos);
        project.writeStored({"1:1:1:0"});
        const QByteArray before = project.read(QStringLiteral("sdopdo.xml"));
        QString out, err;
        QTEST(runVerb("import", {"sdopdo", project.dir.path(), book}, out, err), "exitCode");
        const QByteArray after = project.read(QStringLiteral("sdopdo.xml"));
        if (QTest::currentDataTag() == QLatin1String("worksheet without rows saves an empty table")) {
            QVERIFY(!after.contains("<row"));
            QVERIFY(after.contains("sdopdo"));
        } else if (document.isEmpty()) {
            QCOMPARE(after, before);
            QVERIFY(!err.isEmpty());
        } else {
            QList<QByteArray> rows;
            for (const QByteArray& line : after.split('\n'))
                if (line.contains("<row"))
                    rows << line.trimmed().mid(5, line.trimmed().size() - 8);
            QCOMPARE(rows, document.split('|'));
        }
    }
};

QTEST_GUILESS_MAIN(TestStoredPdoCli)
#include "tst_storedpdo_cli.moc"
