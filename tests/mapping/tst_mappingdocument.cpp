#include "mapping/MappingRules.h"
#include "platform/FileSystem.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using velmaro::test::readFile;
using velmaro::test::writeFile;

namespace {

QByteArray pargenWith(const QByteArray& children)
{
    return "<Par_Gen>" + children + "</Par_Gen>";
}

QByteArray manyRows(int count)
{
    QByteArray rows;
    for (int i = 1; i <= count; ++i)
        rows += "<row Slave_ID=\"" + QByteArray::number(i)
                + "\" Address_Mod=\"0\" NPoint=\"1\" "
                  "Address_Profi=\"0\" Mnemonic=\"\"/>";
    return rows;
}

} // namespace

class TestMappingDocument : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString sdoPath() const { return m_dir.path() + QStringLiteral("\\sdo.xml"); }
    QString pargenPath() const { return m_dir.path() + QStringLiteral("\\pargen.xml"); }

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("sdo.xml")));
        QFile::remove(m_dir.filePath(QStringLiteral("pargen.xml")));
    }

    void goldenRoundTrip()
    {
        const QString golden = QStringLiteral(VELMARO_TEST_DATA "/mapping/full.xml");
        const MappingLoad load = LoadMappingDocument(golden);
        QVERIFY2(load.ok(), qPrintable(load.error));
        QCOMPARE(load.tables.in.size(), 4);
        QCOMPARE(load.tables.in[1], (MappingRow{"0x13", "Input Register", "$FFFF", "127", "243", ""}));
        QCOMPARE(load.tables.in[2][5], QStringLiteral(" Temp <1> & \"2\" 'a' "));
        QCOMPARE(load.tables.in[3][5], QStringLiteral("Temp\u00E9rature\tline\nnext"));
        QVERIFY(SaveMappingDocument(sdoPath(), load.tables).ok());
        QCOMPARE(readFile(m_dir.filePath(QStringLiteral("sdo.xml"))), readFile(golden));
    }

    void fullTablesRoundTrip()
    {
        MappingTables t;
        for (int i = 0; i < MappingRowCount; ++i) {
            const QString n = QString::number(i + 1);
            t.in << MappingRow{n, i % 2 ? "Input Register" : "Holding Register", n, "1", n, "in " + n};
            t.out << MappingRow{n, n, "2", n, i % 3 ? QString() : QString("out " + n)};
        }
        QVERIFY(SaveMappingDocument(sdoPath(), t).ok());
        const MappingLoad load = LoadMappingDocument(sdoPath());
        QVERIFY(load.ok());
        QVERIFY(load.notices.isEmpty());
        QCOMPARE(load.tables.in, t.in);
        QCOMPARE(load.tables.out, t.out);
    }

    void emptyTablesWriteBareDocument()
    {
        QVERIFY(SaveMappingDocument(sdoPath(), MappingTables()).ok());
        QCOMPARE(readFile(m_dir.filePath(QStringLiteral("sdo.xml"))),
                 QByteArray(
                     "<Serial_to_ProfiBus>\n  <ProfiBUS_IN />\n  <ProfiBUS_OUT />\n</Serial_to_ProfiBus>\n"));
    }

    // Rows are the element children in document order whatever their names; attributes by name.
    void readsForeignLayout()
    {
        writeFile(
            m_dir.filePath(QStringLiteral("sdo.xml")),
            "<?xml version=\"1.0\"?>\n<Other><!-- c --><ProfiBUS_OUT>"
            "<x Mnemonic=\"b\" Address_Profi=\"3\" NPoint=\"2\" Address_Mod=\"1\" Slave_ID=\"9\" "
            "extra=\"e\"/>"
            "</ProfiBUS_OUT><ProfiBUS_IN> <entry Slave_ID=\"1\" Type=\"T\" Address_Mod=\"2\" NPoint=\"3\" "
            "Address_Profi=\"4\" Mnemonic=\"a\"/><row Slave_ID=\"5\" Type=\"\" Address_Mod=\"\" NPoint=\"\" "
            "Address_Profi=\"\" Mnemonic=\"\"/></ProfiBUS_IN></Other>");
        const MappingLoad load = LoadMappingDocument(sdoPath());
        QVERIFY2(load.ok(), qPrintable(load.error));
        QCOMPARE(load.tables.in,
                 (QList<MappingRow>{{"1", "T", "2", "3", "4", "a"}, {"5", "", "", "", "", ""}}));
        QCOMPARE(load.tables.out, (QList<MappingRow>{{"9", "1", "2", "3", "b"}}));
    }

    // Loading stops at the failure and keeps what came before it.
    void loadFailures_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("inRows");
        QTest::addColumn<int>("outRows");

        const QByteArray in2 =
            "<ProfiBUS_IN><row Slave_ID=\"1\" Type=\"T\" Address_Mod=\"2\" NPoint=\"3\" "
            "Address_Profi=\"4\" Mnemonic=\"a\"/><row Slave_ID=\"2\" Type=\"T\" Address_Mod=\"2\" "
            "NPoint=\"3\" Address_Profi=\"4\" Mnemonic=\"a\"/></ProfiBUS_IN>";
        QTest::newRow("not well-formed")
            << QByteArray("<Serial_to_ProfiBus><ProfiBUS_IN>") << "(line 1" << 0 << 0;
        QTest::newRow("no input holder")
            << QByteArray("<S><ProfiBUS_OUT/></S>") << "the element \"ProfiBUS_IN\" is missing" << 0 << 0;
        QTest::newRow("no output holder") << "<S>" + in2 + "</S>"
                                          << "the element \"ProfiBUS_OUT\" is missing" << 2 << 0;
        QTest::newRow("input row lacks NPoint")
            << QByteArray(
                   "<S><ProfiBUS_IN><row Slave_ID=\"1\" Type=\"T\" Address_Mod=\"2\" NPoint=\"3\" "
                   "Address_Profi=\"4\" Mnemonic=\"a\"/><row Slave_ID=\"1\" Type=\"T\" Address_Mod=\"2\" "
                   "Address_Profi=\"4\" Mnemonic=\"a\"/></ProfiBUS_IN><ProfiBUS_OUT/></S>")
            << "row 2 of \"ProfiBUS_IN\" has no attribute \"NPoint\"" << 1 << 0;
        QTest::newRow("output row lacks Mnemonic")
            << "<S>" + in2 + "<ProfiBUS_OUT>"
                   + manyRows(3).replace("Mnemonic=\"\"/><row Slave_ID=\"3\"", "/><row Slave_ID=\"3\"")
                   + "</ProfiBUS_OUT></S>"
            << "row 2 of \"ProfiBUS_OUT\" has no attribute \"Mnemonic\"" << 2 << 1;
    }
    void loadFailures()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, error);
        QFETCH(int, inRows);
        QFETCH(int, outRows);
        writeFile(m_dir.filePath(QStringLiteral("sdo.xml")), xml);
        const MappingLoad load = LoadMappingDocument(sdoPath());
        QVERIFY(load.found);
        QVERIFY2(load.error.contains(error), qPrintable(load.error));
        QVERIFY(load.error.contains(NativePath(sdoPath()))); // as the system writes it
        QCOMPARE(load.tables.in.size(), inRows);
        QCOMPARE(load.tables.out.size(), outRows);
        // The check of the command line reports the same failure.
        QCOMPARE(CheckMappingDocument(pargenPath(), sdoPath()).verdict.error(), load.error);
    }

    void rowsBeyondGridAreCountedNotLoaded()
    {
        writeFile(m_dir.filePath(QStringLiteral("sdo.xml")),
                  "<S><ProfiBUS_IN/><ProfiBUS_OUT>" + manyRows(300) + "</ProfiBUS_OUT></S>");
        const MappingLoad load = LoadMappingDocument(sdoPath());
        QVERIFY(load.ok());
        QCOMPARE(load.tables.out.size(), MappingRowCount);
        QCOMPARE(load.tables.out.last().first(), QStringLiteral("244"));
        QCOMPARE(load.notices.size(), 1);
        QVERIFY(load.notices.first().contains(QStringLiteral("holds 300 rows")));
        QVERIFY(load.notices.first().contains(QStringLiteral("rows 245 to 300 were not loaded")));
    }

    void limits_data()
    {
        QTest::addColumn<QByteArray>("pargen");
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("out");
        QTest::newRow("no pargen") << QByteArray() << 244 << 244;
        QTest::newRow("in 10 out absent") << pargenWith("<Profi_NB_IN>10</Profi_NB_IN>") << 10 << 244;
        QTest::newRow("hex and text")
            << pargenWith("<Profi_NB_OUT>0x14</Profi_NB_OUT><Profi_NB_IN>ten</Profi_NB_IN>") << 244 << 20;
        QTest::newRow("other root name")
            << QByteArray("<X><Profi_NB_IN>7</Profi_NB_IN><Profi_NB_OUT>8</Profi_NB_OUT></X>") << 7 << 8;
    }
    void limits()
    {
        QFETCH(QByteArray, pargen);
        QFETCH(int, in);
        QFETCH(int, out);
        if (!pargen.isEmpty())
            writeFile(m_dir.filePath(QStringLiteral("pargen.xml")), pargen);
        const Result<MappingLimits> limits = LoadMappingLimits(pargenPath());
        QVERIFY(limits.ok());
        QCOMPARE(limits->in, in);
        QCOMPARE(limits->out, out);
    }

    void malformedPargenFails()
    {
        writeFile(m_dir.filePath(QStringLiteral("pargen.xml")), "<Par_Gen><Profi_NB_IN>");
        QVERIFY(!LoadMappingLimits(pargenPath()).ok());
    }
};

QTEST_GUILESS_MAIN(TestMappingDocument)
#include "tst_mappingdocument.moc"
