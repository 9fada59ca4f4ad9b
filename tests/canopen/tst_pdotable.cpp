#include "canopen/PdoDocument.h"
#include "platform/Workbook.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using velmaro::test::readFile;
using velmaro::test::writeFile;

namespace {

QByteArray row(const char* cobid, const char* flag, const char* tail = "")
{
    return QByteArray("<row cobid=\"") + cobid + "\" id_dev_orig=\"d" + cobid + "\" en_bypass=\"" + flag
           + "\" posind=\"p\" n_tpdo=\"n\"" + tail + "/>";
}

QByteArray doc(const QByteArray& rows)
{
    return "<rpdodef>" + rows + "</rpdodef>";
}

// cobid texts of a side's records
QStringList cobids(const QList<QStringList>& side)
{
    QStringList ids;
    for (const QStringList& r : PdoRecords(side))
        ids << r.at(PdoCobId);
    return ids;
}

// a side's records, each as its cells joined by "|"
QStringList joined(const QList<QStringList>& side)
{
    QStringList out;
    for (const QStringList& rec : PdoRecords(side))
        out << rec.join(QLatin1Char('|'));
    return out;
}

} // namespace

class TestPdoTable : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    ProjectPaths paths() const
    {
        ProjectPaths p;
        p.ProjectDir = m_dir.path();
        SetDocumentPaths(p);
        return p;
    }
    DocumentLoad load(PdoTable& table) const { return PdoDocument::load(paths(), table); }
    bool save(const PdoTable& table) const { return PdoDocument::save(paths(), table).ok(); }
    QString nativeDoc() const { return m_dir.path() + QStringLiteral("/rpdodef.xml"); }

private Q_SLOTS:
    void flagPackingBothWays_data()
    {
        QTest::addColumn<QByteArray>("flag");
        QTest::addColumn<bool>("sideA");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("3: side A, enabled") << QByteArray("3") << true << "1" << QByteArray("3");
        QTest::newRow("2: side A, not enabled") << QByteArray("2") << true << "0" << QByteArray("2");
        QTest::newRow("1: side B, enabled") << QByteArray("1") << false << "1" << QByteArray("1");
        QTest::newRow("0: side B, not enabled") << QByteArray("0") << false << "0" << QByteArray("0");
        QTest::newRow("6: side A, not enabled, written back as 2")
            << QByteArray("6") << true << "0" << QByteArray("2");
        QTest::newRow("hex 0x3") << QByteArray("0x3") << true << "1" << QByteArray("3");
    }
    void flagPackingBothWays()
    {
        QFETCH(QByteArray, flag);
        QFETCH(bool, sideA);
        QFETCH(QString, cell);
        QFETCH(QByteArray, written);
        writeFile(nativeDoc(), doc(row("0x181", flag.constData())));
        PdoTable table;
        QVERIFY(load(table).failures.isEmpty());
        const QList<QStringList>& side = sideA ? table.side(Side::A) : table.side(Side::B);
        QCOMPARE(side.size(), PdoShownRows);
        QCOMPARE(side.at(0), (QStringList{"0x181", "d0x181", cell, "p", "n"}));
        QVERIFY(PdoRecords(sideA ? table.side(Side::B) : table.side(Side::A)).isEmpty());
        QVERIFY(save(table));
        QVERIFY(readFile(nativeDoc()).contains(QByteArray("en_bypass=\"" + written + "\"")));
    }

    void enTraslateOtherThanExactlyOne_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("sideA");
        QTest::addColumn<QString>("sideB");
        QTest::addColumn<QString>("csvA");
        QTest::newRow("1") << "1"
                           << "3"
                           << "1"
                           << "01";
        QTest::newRow("01") << "01"
                            << "2"
                            << "0"
                            << "00";
        QTest::newRow("blank then 1") << " 1"
                                      << "2"
                                      << "0"
                                      << "00";
        QTest::newRow("empty") << ""
                               << "2"
                               << "0"
                               << "00";
        QTest::newRow("yes") << "yes"
                             << "2"
                             << "0"
                             << "00";
    }
    void enTraslateOtherThanExactlyOne()
    {
        QFETCH(QString, cell);
        QFETCH(QString, sideA);
        QFETCH(QString, sideB);
        QFETCH(QString, csvA);
        QCOMPARE(PdoDocument::PackDocumentFlag(Side::A, cell), sideA);
        QCOMPARE(PdoDocument::PackDocumentFlag(Side::B, cell), sideB);
        QCOMPARE(PdoDocument::PackCsvFlag(Side::A, cell), csvA);
        QCOMPARE(PdoDocument::PackCsvFlag(Side::B, cell), QString(QLatin1Char('1') + csvA.at(1)));
    }

    void loadReadErrorKeepsEarlierRowsAndFilledCells()
    {
        writeFile(nativeDoc(),
                  doc(row("1", "3") + "<row cobid=\"2\" id_dev_orig=\"x\" en_bypass=\"2\" n_tpdo=\"n\"/>"
                      + row("3", "3")));
        PdoTable table;
        QCOMPARE(load(table).messages(), QStringList{QStringLiteral("Error in reading file XML")});
        QCOMPARE(table.side(Side::A).at(0).at(PdoCobId), QStringLiteral("1"));
        // The failing row keeps the cells filled before "posind".
        QCOMPARE(table.side(Side::A).at(1), (QStringList{"2", "x", "0", "", ""}));
        QCOMPARE(table.side(Side::A).at(2), (QStringList{"", "", "", "", ""}));
    }

    void loadRejectsBadFlagAndMissingFile()
    {
        writeFile(nativeDoc(), doc(row("1", "3") + row("2", "three")));
        PdoTable table;
        QCOMPARE(load(table).messages().value(0), QStringLiteral("Error in reading file XML"));
        QCOMPARE(cobids(table.side(Side::A)), QStringList{"1"});
        QVERIFY(QFile::remove(nativeDoc()));
        QCOMPARE(load(table).messages().value(0), QStringLiteral("File XML not found"));
        QVERIFY(cobids(table.side(Side::A)).isEmpty());
    }

    void rowsAfterEmptyCobidAreDropped()
    {
        PdoTable table;
        table.side(Side::A)[0] = QStringList{"1", "a", "1", "p", "n"};
        table.side(Side::A)[1] = QStringList{"2", "b", "0", "p", "n"};
        table.side(Side::A)[3] = QStringList{"4", "d", "1", "p", "n"};
        QVERIFY(save(table));
        PdoTable again;
        QVERIFY(load(again).failures.isEmpty());
        QCOMPARE(cobids(again.side(Side::A)), (QStringList{"1", "2"}));
        QCOMPARE(again.side(Side::A).at(3).at(PdoCobId), QString());
    }

    void readWholeOnlyWhenEveryRowIsKept_data()
    {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<bool>("whole");
        QByteArray ten, eleven;
        for (int i = 1; i <= 10; ++i)
            ten += row(QByteArray::number(i).constData(), "3");
        eleven = ten + row("11", "3");
        QTest::newRow("ten rows of a side") << ten << true;
        QTest::newRow("eleven rows of a side: one not shown, but kept") << eleven << true;
        QTest::newRow("a row after an empty cobid")
            << (row("1", "1") + row("", "1") + row("3", "1")) << false;
        QTest::newRow("an empty cobid last") << (row("1", "1") + row("", "1")) << false;
        QTest::newRow("read error") << (row("1", "1") + "<row cobid=\"2\"/>") << false;
    }
    void readWholeOnlyWhenEveryRowIsKept()
    {
        QFETCH(QByteArray, rows);
        QFETCH(bool, whole);
        writeFile(nativeDoc(), doc(rows));
        PdoTable table;
        QCOMPARE(load(table).readWhole, whole);
    }

    void equalKeysSwapAtEverySaveAndReopen()
    {
        PdoTable table;
        table.side(Side::A)[0] = QStringList{"0x181", "first", "1", "", ""};
        table.side(Side::A)[1] = QStringList{"385", "second", "1", "", ""};
        table.side(Side::A)[2] = QStringList{"0x80", "low", "0", "", ""};
        QVERIFY(save(table));
        const QByteArray once = readFile(nativeDoc());
        QVERIFY(save(table));
        QCOMPARE(readFile(nativeDoc()), once); // two saves within one opening agree
        QVERIFY(load(table).failures.isEmpty());
        QCOMPARE(cobids(table.side(Side::A)), (QStringList{"0x80", "385", "0x181"}));
        QVERIFY(save(table));
        QVERIFY(load(table).failures.isEmpty());
        QCOMPARE(cobids(table.side(Side::A)), (QStringList{"0x80", "0x181", "385"}));
    }

    void twelveRecordsShownAsTenSavedAsTwelve()
    {
        QByteArray rows;
        for (int i = 12; i >= 1; --i)
            rows += row(QByteArray::number(i).constData(), "3");
        writeFile(nativeDoc(), doc(rows));
        PdoTable table;
        QVERIFY(load(table).failures.isEmpty());
        QCOMPARE(table.side(Side::A).size(), 12);
        const QList<QStringList> lines = PdoDocument::format().csvLines(table);
        QCOMPARE(lines.size(), 22);
        QCOMPARE(lines.at(10).at(PdoCobId), QStringLiteral("3")); // tenth record; 2 and 1 are left out
        QVERIFY(save(table));
        QVERIFY(load(table).failures.isEmpty());
        QCOMPARE(cobids(table.side(Side::A)).size(), 12);
        QCOMPARE(cobids(table.side(Side::A)).first(), QStringLiteral("1"));
    }

    void exportOfAnEmptyEditor()
    {
        PdoTable table;
        QVERIFY(PdoDocument::exportCsv(paths(), table).ok());
        QByteArray expected = "cobid,id_dev_orig,00,posind,n_tpdo,\r\n";
        for (int i = 0; i < 10; ++i)
            expected += ",,00,,,\r\n";
        expected += "cobid,id_dev_orig,10,posind,n_tpdo,\r\n";
        for (int i = 0; i < 10; ++i)
            expected += ",,10,,,\r\n";
        QCOMPARE(readFile(m_dir.path() + QStringLiteral("/rpdodef.csv")), expected);
    }

    void importFlagsAndStops_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QStringList>("sideA");
        QTest::addColumn<QStringList>("sideB");
        QTest::addColumn<bool>("complete");
        const QStringList head{"cobid", "id", "flag", "pos", "n"};
        QTest::newRow("flags 0, 1, 10, 11")
            << QList<QStringList>{head,
                                  {"1", "a", "0", "p", ""},
                                  {"2", "b", "1", "p", "n"},
                                  {"3", "c", "10", "p", "n"},
                                  {"4", "d", "11", "p", "n"}}
            << QStringList{"1|a|0|p|", "2|b|1|p|n"} << QStringList{"3|c|0|p|n", "4|d|1|p|n"} << true;
        QTest::newRow("empty flag cell ends the import at that record")
            << QList<QStringList>{head,
                                  {"1", "a", "1", "p", "n"},
                                  {"2", "b", "", "p", "n"},
                                  {"3", "c", "0", "p", "n"}}
            << QStringList{"1|a|1|p|n"} << QStringList{} << false;
    }
    void importFlagsAndStops()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(QStringList, sideA);
        QFETCH(QStringList, sideB);
        QFETCH(bool, complete);
        MemoryWorkbook book;
        book.sheets.append({QStringLiteral("RPDODEF"), rows});
        PdoTable table;
        table.side(Side::A)[0] = QStringList{"old", "", "", "", ""};
        const ImportOutcome r = PdoDocument::importWorkbook(book, table, ImportRule::Editor);
        QCOMPARE(r.ok(), complete);
        QCOMPARE(joined(table.side(Side::A)), sideA);
        QCOMPARE(joined(table.side(Side::B)), sideB);
    }

    void importFixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("sideA");
        QTest::addColumn<QStringList>("sideB");
        const int imported = int(ImportOutcome::Outcome::Imported);
        const int stopped = int(ImportOutcome::Outcome::StoppedAtRecord);
        // Worksheet "RpdoDef": flags 0, 1, 10, 11; the formula cell differs by writer.
        const QStringList a{"385|0x10|0|3.5| ", "0x181|7|1||2"};
        const QStringList bEmpty{"640|12|0||x", "0x201|5|1|1|123456789"};
        const QStringList bThree{"640|12|0|3|x", "0x201|5|1|1|123456789"};
        QTest::newRow("xls by xlwt") << "pdo_xlwt.xls" << imported << a << bEmpty;
        QTest::newRow("xls by a spreadsheet program") << "pdo_calc.xls" << imported << a << bEmpty;
        QTest::newRow("xlsx by openpyxl") << "pdo_openpyxl.xlsx" << imported << a << bEmpty;
        QTest::newRow("xlsx by a spreadsheet program") << "pdo_calc.xlsx" << imported << a << bThree;
        QTest::newRow("ods by a spreadsheet program") << "pdo_calc.ods" << imported << a << bThree;
        QTest::newRow("no worksheet rpdodef empties quietly")
            << "pdo_nosheet_openpyxl.xlsx" << int(ImportOutcome::Outcome::NoWorksheet) << QStringList{}
            << QStringList{};
        QTest::newRow("xls: empty flag cell stops at record 2")
            << "pdo_stop_xlwt.xls" << stopped << QStringList{"1|2|1|3|4"} << QStringList{};
        QTest::newRow("xlsx: empty flag cell stops at record 2")
            << "pdo_stop_openpyxl.xlsx" << stopped << QStringList{"1|2|1|3|4"} << QStringList{};
        QTest::newRow("ods: empty flag cell stops at record 2")
            << "pdo_stop_calc.ods" << stopped << QStringList{"1|2|1|3|4"} << QStringList{};
        QTest::newRow("not a workbook") << "make_workbooks.py" << int(ImportOutcome::Outcome::Unreadable)
                                        << QStringList{} << QStringList{};
    }
    void importFixtures()
    {
        QFETCH(QString, file);
        QFETCH(int, outcome);
        QFETCH(QStringList, sideA);
        QFETCH(QStringList, sideB);
        PdoTable table;
        table.side(Side::B)[0] = QStringList{"old", "", "", "", ""};
        const ImportOutcome r = PdoDocument::importWorkbook(
            QStringLiteral(VELMARO_TEST_DATA "/canopen/") + file, table, ImportRule::Editor);
        QCOMPARE(int(r.outcome), outcome);
        if (r.outcome == ImportOutcome::Outcome::StoppedAtRecord) {
            QCOMPARE(r.record, 2);
            QCOMPARE(r.sheetRow, 3);
        }
        QCOMPARE(joined(table.side(Side::A)), sideA);
        QCOMPARE(joined(table.side(Side::B)), sideB);
    }
};

QTEST_GUILESS_MAIN(TestPdoTable)
#include "tst_pdotable.moc"
