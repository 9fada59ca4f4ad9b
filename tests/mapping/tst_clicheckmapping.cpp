#include "cli/Cli.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro::cli;
using velmaro::test::runVerb;

namespace {

const QByteArray inRow =
    "<S><ProfiBUS_IN><row Slave_ID=\"1\" Type=\"Input Register\" Address_Mod=\"0\" NPoint=\"1\" "
    "Address_Profi=\"%\" Mnemonic=\"\"/></ProfiBUS_IN><ProfiBUS_OUT/></S>";

} // namespace

// `velmaro-cli check` gives the mapping editor's verdict on sdo.xml after pargen.xml passes.
class TestCliCheckMapping : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("sdo"); // empty: no sdo.xml
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("outLine");
        QTest::addColumn<QString>("err");

        QByteArray gap = inRow;
        gap.replace("</ProfiBUS_IN>",
                    "<row Slave_ID=\"\" Type=\"\" Address_Mod=\"\" NPoint=\"\" Address_Profi=\"\" "
                    "Mnemonic=\"\"/><row Slave_ID=\"0\" Type=\"\" Address_Mod=\"\" NPoint=\"\" "
                    "Address_Profi=\"\" Mnemonic=\"\"/></ProfiBUS_IN>");
        QByteArray many = "<S><ProfiBUS_IN/><ProfiBUS_OUT>";
        for (int i = 0; i < 245; ++i)
            many += "<row Slave_ID=\"1\" Address_Mod=\"0\" NPoint=\"1\" Address_Profi=\"0\" Mnemonic=\"\"/>";
        many += "</ProfiBUS_OUT></S>";

        QTest::newRow("no sdo.xml") << QByteArray() << 0 << ""
                                    << "";
        QTest::newRow("address 10 within limit 10")
            << QByteArray(inRow).replace("%", "10") << 0 << "sdo.xml: 1 input row, 0 output rows in use"
            << "warning: ProfiBus IN --> Serial Read: row 1 (slave 1, register 0) covers bytes 10..11, past "
               "the "
               "data length of 10 bytes (bytes 10..11)\n";
        QTest::newRow("address 11 beyond limit 10")
            << QByteArray(inRow).replace("%", "11") << 1 << ""
            << "Error row 1!! [ProfiBus IN --> Serial Read] Address Profibus must be between 0 and 10. \n";
        QTest::newRow("row after empty slave ignored")
            << gap.replace("%", "0") << 0 << "sdo.xml: 1 input row, 0 output rows in use"
            << "";
        QTest::newRow("rows beyond the grid reported, first 244 checked")
            << many << 0 << "sdo.xml: 0 input rows, 244 output rows in use"
            << "rows 245 to 245 were not loaded, and OK would drop them.\n";
        QTest::newRow("load failure") << QByteArray("<S><ProfiBUS_IN/></S>") << 1 << ""
                                      << "the element \"ProfiBUS_OUT\" is missing\n";
    }
    void verdicts()
    {
        QFETCH(QByteArray, sdo);
        QFETCH(int, code);
        QFETCH(QString, outLine);
        QFETCH(QString, err);

        QTemporaryDir dir;
        QFile pargen(dir.filePath(QStringLiteral("pargen.xml")));
        QFile defaults(QStringLiteral(VELMARO_TEST_DATA "/settings/defaults.xml"));
        QVERIFY(defaults.open(QIODevice::ReadOnly) && pargen.open(QIODevice::WriteOnly));
        pargen.write(defaults.readAll().replace("<Profi_NB_IN>244<", "<Profi_NB_IN>10<"));
        pargen.close();
        if (!sdo.isEmpty())
            velmaro::test::writeFile(dir.filePath(QStringLiteral("sdo.xml")), sdo);

        QString out, errText;
        QCOMPARE(runVerb(QStringLiteral("check"), {dir.path()}, out, errText), code);
        if (outLine.isEmpty())
            QVERIFY2(!out.contains(QStringLiteral("sdo.xml")), qPrintable(out));
        else
            QVERIFY2(out.contains(outLine + "\n"), qPrintable(out));
        QVERIFY2(err.isEmpty() ? errText.isEmpty() : errText.endsWith(err), qPrintable(errText));
        // map warns about what check reports of the document's rows (it leaves the verdicts to check).
        if (code == 0 && !err.isEmpty() && !err.startsWith(QLatin1String("warning: "))) {
            QString mapOut, mapErr;
            QCOMPARE(runVerb(QStringLiteral("map"), {dir.path()}, mapOut, mapErr), 0);
            QVERIFY2(mapErr.contains(QStringLiteral("warning: ")) && mapErr.endsWith(err),
                     qPrintable(mapErr));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliCheckMapping)
#include "tst_clicheckmapping.moc"
