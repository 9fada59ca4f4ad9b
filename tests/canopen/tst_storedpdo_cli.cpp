#include "cli/Cli.h"
#include "support/CliRunner.h"
#include "tst_storedpdo_support.h"

#include <QFile>
#include <QTest>

using namespace velmaro;
using velmaro::test::runVerb;
using velmaro::test::StoredPdoProject;

class TestStoredPdoCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exportReadsAsTheEditorShows()
    {
        StoredPdoProject project;
        project.write(QStringLiteral("sdo.xml"), test::kMappingDocument);
        project.writePdos({"0x201:0", "0x181:3"});
        // An entry of a PDO the tab does not list would be left out of the CSV: refused, nothing written.
        project.writeStored({"0x2000:1:1:33", "0x1000:1:1:0", "7:7:129:16", "9:9:2:0"});
        QString out, err;
        QCOMPARE(runVerb("export", {"sdopdo", project.dir.path()}, out, err), 1);
        QVERIFY2(err.contains(QLatin1String("could not be read completely")), qPrintable(err));
        QVERIFY(!QFile::exists(project.dir.filePath(QStringLiteral("sdopdo.csv"))));
        // The SDO table's message does not stop the export: the stored entries do not depend on it.
        project.writeStored({"0x2000:1:1:33", "0x1000:1:1:0", "7:7:129:16"});
        err.clear();
        QCOMPARE(runVerb("export", {"sdopdo", project.dir.path()}, out, err), 0);
        QVERIFY2(err.startsWith(QLatin1String("Error in reading file SDO XML")), qPrintable(err));
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QCOMPARE(project.read(QStringLiteral("sdopdo.csv")),
                 QByteArray("0x2000,1,1,33,\r\n0x1000,1,1,0,\r\n7,7,129,16,\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestStoredPdoCli)
#include "tst_storedpdo_cli.moc"
