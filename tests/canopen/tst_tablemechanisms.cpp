#include "base/IntegerText.h"
#include "canopen/TableMechanisms.h"
#include "platform/Workbook.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using velmaro::test::readFile;
using velmaro::test::writeFile;

namespace {

const TableDefinition kTable{QStringLiteral("demo"), {QStringLiteral("a"), QStringLiteral("b")}};

QList<QStringList> singleKeys(const QStringList& texts)
{
    QList<QStringList> keys;
    for (const QString& t : texts)
        keys << QStringList{t};
    return keys;
}

// The selection loop as the table rule states it, for keys the loop can choose.
QList<int> selectionLoop(const QList<QList<qint32>>& keys, qint32 sentinel, TieRule rule)
{
    QList<int> result;
    QList<bool> taken(keys.size(), false);
    for (;;) {
        int best = -1;
        QList<qint32> bestKey(keys.isEmpty() ? 0 : keys.first().size(), sentinel);
        for (int i = 0; i < keys.size(); ++i) {
            if (taken[i])
                continue;
            const QList<qint32>& k = keys[i];
            if (k < bestKey || (rule == TieRule::LaterWins && k == bestKey)) {
                best = i;
                bestKey = k;
            }
        }
        if (best < 0)
            return result;
        taken[best] = true;
        result << best;
    }
}

} // namespace

class TestTableMechanisms : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void orderByKey_data()
    {
        QTest::addColumn<QList<QStringList>>("keys");
        QTest::addColumn<QString>("sentinel");
        QTest::addColumn<int>("rule");
        QTest::addColumn<QList<int>>("order");
        const int later = int(TieRule::LaterWins);
        const int smaller = int(TieRule::SmallerTuple);
        const QString hexSentinel = QStringLiteral("0x999999");
        QTest::newRow("later wins: 5, 5, 3 gives 3, second 5, first 5")
            << singleKeys({"5", "5", "3"}) << hexSentinel << later << QList<int>{2, 1, 0};
        QTest::newRow("later wins: hex and decimal of one value are equal keys")
            << singleKeys({"0x181", "385", "1"}) << hexSentinel << later << QList<int>{2, 1, 0};
        QTest::newRow("key equal to the sentinel is still ordered")
            << singleKeys({"10066329", "7", "0x999999"}) << hexSentinel << later << QList<int>{1, 2, 0};
        QTest::newRow("keys above the sentinel follow, ascending, later wins")
            << singleKeys({"10066331", "10066330", "4", "10066330"}) << hexSentinel << later
            << QList<int>{2, 3, 1, 0};
        QTest::newRow("negative keys come first")
            << singleKeys({"1", "-1", "0xFFFFFFFE"}) << hexSentinel << later << QList<int>{2, 1, 0};
        QTest::newRow("smaller tuple: equal tuples keep their order")
            << QList<QStringList>{{"1", "2"}, {"1", "1"}, {"1", "2"}, {"0", "9"}} << hexSentinel << smaller
            << QList<int>{3, 1, 0, 2};
        QTest::newRow("smaller tuple: sentinel with a smaller second component is ordered")
            << QList<QStringList>{{"0x999999", "5"}, {"3", "3"}} << hexSentinel << smaller
            << QList<int>{1, 0};
        QTest::newRow("smaller tuple: the sentinel tuple itself follows the others")
            << QList<QStringList>{{"0x999999", "0x999999"}, {"0x999999", "0x999999"}, {"9", "9"}}
            << hexSentinel << smaller << QList<int>{2, 0, 1};
        QTest::newRow("later wins on tuples: equal tuples reversed, 999999 sentinel")
            << QList<QStringList>{{"1", "2", "3"},
                                  {"1", "2", "3"},
                                  {"999999", "999999", "999999"},
                                  {"0", "0", "1000000"}}
            << QStringLiteral("999999") << later << QList<int>{3, 1, 0, 2};
        QTest::newRow("empty side") << QList<QStringList>{} << hexSentinel << later << QList<int>{};
    }
    void orderByKey()
    {
        QFETCH(QList<QStringList>, keys);
        QFETCH(QString, sentinel);
        QFETCH(int, rule);
        QFETCH(QList<int>, order);
        const Result<QList<int>> result = OrderByKey(keys, OrderRule{sentinel, TieRule(rule)});
        QVERIFY2(result.ok(), qPrintable(result.error()));
        QCOMPARE(*result, order);
    }

    void orderByKeyMatchesSelectionLoop_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<int>("width");
        QTest::newRow("later wins, single key") << int(TieRule::LaterWins) << 1;
        QTest::newRow("later wins, three-part tuple") << int(TieRule::LaterWins) << 3;
        QTest::newRow("smaller tuple, pairs") << int(TieRule::SmallerTuple) << 2;
    }
    void orderByKeyMatchesSelectionLoop()
    {
        QFETCH(int, rule);
        QFETCH(int, width);
        QRandomGenerator random(7 + rule * 10 + width);
        for (int round = 0; round < 200; ++round) {
            QList<QStringList> texts;
            QList<QList<qint32>> values;
            const int n = int(random.bounded(12));
            for (int i = 0; i < n; ++i) {
                QStringList t;
                QList<qint32> v;
                for (int c = 0; c < width; ++c) {
                    // Few distinct values so ties are common; some equal to the sentinel.
                    const qint32 x = random.bounded(4) == 0 ? 999 : qint32(random.bounded(4));
                    v << x;
                    t << (random.bounded(2) ? QString::number(x)
                                            : QStringLiteral("0x") + QString::number(x, 16));
                }
                texts << t;
                values << v;
            }
            const Result<QList<int>> order =
                OrderByKey(texts, OrderRule{QStringLiteral("999"), TieRule(rule)});
            QVERIFY(order.ok());
            const QList<int> loop = selectionLoop(values, 999, TieRule(rule));
            QCOMPARE(order->mid(0, loop.size()), loop);
            QCOMPARE(order->size(), n);
        }
    }

    void orderByKeyRejectsNonIntegerKeys()
    {
        const Result<QList<int>> result = OrderByKey(
            singleKeys({"5", "0x", "bad"}), OrderRule{QStringLiteral("0x999999"), TieRule::LaterWins});
        QVERIFY(!result.ok());
        QCOMPARE(result.error(), QStringLiteral("'0x' is not a valid integer value"));
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("read");
        const int loaded = int(TableLoadResult::Outcome::Loaded);
        const int readError = int(TableLoadResult::Outcome::ReadError);
        QTest::newRow("empty root loads an empty table") << QByteArray("<demo/>") << loaded << QStringList{};
        QTest::newRow("rows under other names and with extra attributes")
            << QByteArray("<demo>\n  <row a=\"1\" b=\"2\" c=\"x\"/>\n  <line b=\"4\" a=\"3\"/>\n</demo>")
            << loaded << QStringList{"1/2", "3/4"};
        QTest::newRow("a row without an attribute ends the load, rows before stay")
            << QByteArray("<demo><row a=\"1\" b=\"2\"/><row a=\"3\"/><row a=\"5\" b=\"6\"/></demo>")
            << readError << QStringList{"1/2"};
        QTest::newRow("text between rows is a row without attributes")
            << QByteArray("<demo><row a=\"1\" b=\"2\"/>stray<row a=\"3\" b=\"4\"/></demo>") << readError
            << QStringList{"1/2"};
        QTest::newRow("not well-formed")
            << QByteArray("<demo><row a=\"1\" b=\"2\"></demo>") << readError << QStringList{};
        QTest::newRow("empty file") << QByteArray() << readError << QStringList{};
    }
    void load()
    {
        QFETCH(QByteArray, xml);
        QFETCH(int, outcome);
        QFETCH(QStringList, read);
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("\\demo.xml");
        writeFile(dir.path() + QStringLiteral("/demo.xml"), xml);
        QStringList got;
        const TableLoadResult result = LoadTableDocument(
            path, QStringLiteral("Not found"), QStringLiteral("Bad file"), [&](const TableRow& row) {
                const Result<QString> a = row.attribute(QStringLiteral("a"));
                if (!a.ok())
                    return a.status();
                const Result<QString> b = row.attribute(QStringLiteral("b"));
                if (!b.ok())
                    return b.status();
                got << *a + QLatin1Char('/') + *b;
                return Status();
            });
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(got, read);
        QCOMPARE(result.message,
                 outcome == int(TableLoadResult::Outcome::Loaded) ? QString() : QStringLiteral("Bad file"));
    }

    void loadMissingFile()
    {
        QTemporaryDir dir;
        bool called = false;
        const TableLoadResult result =
            LoadTableDocument(dir.path() + QStringLiteral("\\none.xml"), QStringLiteral("Not found"),
                              QStringLiteral("Bad file"), [&](const TableRow&) {
                                  called = true;
                                  return Status();
                              });
        QCOMPARE(int(result.outcome), int(TableLoadResult::Outcome::NotFound));
        QCOMPARE(result.message, QStringLiteral("Not found"));
        QVERIFY(!called);
    }

    // A reason that is a sentence of its own ends the verdict with one full stop, not two.
    void verdictEndsWithOneFullStop_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("reason without a stop") << "row 3 has no attribute \"cobid\"";
        QTest::newRow("reason with a stop") << "row 3 has no attribute \"cobid\".";
    }
    void verdictEndsWithOneFullStop()
    {
        QFETCH(QString, reason);
        DocumentLoad load;
        load.readWhole = false;
        load.incomplete = reason;
        const QString verdict = load.verdict(QStringLiteral("p/rpdodef.xml"));
        QVERIFY2(verdict.endsWith(QLatin1String("\"cobid\".")) && !verdict.endsWith(QLatin1String("..")),
                 qPrintable(verdict));
    }

    void saveWritesSidesInOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("\\demo.xml");
        TableSideRows a;
        a.append({"5"}, {"5", "first"});
        a.append({"5"}, {"5", "second"});
        a.append({"3"}, {"3", "x,y"});
        TableSideRows b;
        b.append({"1"}, {"1", "b"});
        QVERIFY(
            SaveTableDocument(kTable, path, a, b, OrderRule{QStringLiteral("0x999999"), TieRule::LaterWins})
                .ok());
        QCOMPARE(readFile(dir.path() + QStringLiteral("/demo.xml")),
                 QByteArray("<demo>\n  <row a=\"3\" b=\"x,y\" />\n  <row a=\"5\" b=\"second\" />\n"
                            "  <row a=\"5\" b=\"first\" />\n  <row a=\"1\" b=\"b\" />\n</demo>\n"));
    }

    void saveEmptyTableWritesTheRootOnly()
    {
        QTemporaryDir dir;
        QVERIFY(SaveTableDocument(kTable, dir.path() + QStringLiteral("\\demo.xml"), {}, {},
                                  OrderRule{QStringLiteral("999999"), TieRule::LaterWins})
                    .ok());
        QCOMPARE(readFile(dir.path() + QStringLiteral("/demo.xml")), QByteArray("<demo />\n"));
    }

    void saveWithBadKeyLeavesTheFile()
    {
        QTemporaryDir dir;
        writeFile(dir.path() + QStringLiteral("/demo.xml"), "<demo/>");
        TableSideRows a;
        a.append({"12 "}, {"12 ", "x"});
        const Status s = SaveTableDocument(kTable, dir.path() + QStringLiteral("\\demo.xml"), {}, a,
                                           OrderRule{QStringLiteral("0x999999"), TieRule::LaterWins});
        QCOMPARE(s.error(), QStringLiteral("'12 ' is not a valid integer value"));
        QCOMPARE(readFile(dir.path() + QStringLiteral("/demo.xml")), QByteArray("<demo/>"));
    }

    void exportCsv()
    {
        QTemporaryDir dir;
        QVERIFY(ExportCsv(dir.path(), kTable, {{"a", "b,c"}, {"", ""}, {}}).ok());
        QCOMPARE(readFile(dir.path() + QStringLiteral("/demo.csv")), QByteArray("a,b,c,\r\n,,\r\n\r\n"));
        QVERIFY(ExportCsv(dir.path(), kTable, {}).ok());
        QCOMPARE(readFile(dir.path() + QStringLiteral("/demo.csv")), QByteArray());
    }

    void exportCsvIntoMissingFolderFails()
    {
        QTemporaryDir dir;
        const Status s = ExportCsv(dir.path() + QStringLiteral("/gone"), kTable, {{"a"}});
        QVERIFY(!s.ok());
        QVERIFY(s.error().startsWith(QStringLiteral("Cannot create file \"")));
    }

    void importWorksheet_data()
    {
        QTest::addColumn<QString>("sheetName");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("placed");
        QTest::addColumn<int>("stoppedAt");
        const int imported = int(ImportOutcome::Outcome::Imported);
        const int stopped = int(ImportOutcome::Outcome::StoppedAtRecord);
        const QList<QStringList> rows{{"h1", "h2"}, {"1", "x"}, {"2", ""}, {"", "y"}, {"4", "z"}};
        QTest::newRow("name in another case, reader stops at a bad record")
            << "DeMo" << rows << stopped << QStringList{"1|x", "2|"} << 3;
        QTest::newRow("no worksheet of that name")
            << "demo2" << rows << int(ImportOutcome::Outcome::NoWorksheet) << QStringList{} << 0;
        QTest::newRow("headings only")
            << "demo" << QList<QStringList>{{"h1", "h2"}} << imported << QStringList{} << 0;
        QTest::newRow("short rows give empty cells")
            << "demo" << QList<QStringList>{{"h1", "h2"}, {"1"}} << imported << QStringList{"1|"} << 0;
        QTest::newRow("too few columns stops at the first record")
            << "demo" << QList<QStringList>{{"h1"}, {"1"}} << stopped << QStringList{} << 1;
        // XML cannot keep these, and a line break would split the CSV line: the record never reaches the
        // table.
        QTest::newRow("escape character in a cell stops before the record")
            << "demo" << QList<QStringList>{{"h1", "h2"}, {"1", "a\x1b[31m"}} << stopped << QStringList{}
            << 1;
        QTest::newRow("line break in a cell stops before the record")
            << "demo" << QList<QStringList>{{"h1", "h2"}, {"1", "a"}, {"2", "b\nc"}} << stopped
            << QStringList{"1|a"} << 2;
        QTest::newRow("a tab is kept") << "demo" << QList<QStringList>{{"h1", "h2"}, {"1", "a\tb"}}
                                       << imported << QStringList{"1|a\tb"} << 0;
    }
    void importWorksheet()
    {
        QFETCH(QString, sheetName);
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, outcome);
        QFETCH(QStringList, placed);
        QFETCH(int, stoppedAt);
        MemoryWorkbook book;
        book.sheets.append({QStringLiteral("other"), {{"h"}, {"9", "9"}}});
        book.sheets.append({sheetName, rows});
        QStringList got{"stale"};
        const ImportOutcome result = ImportWorksheet(
            kTable, book, [&] { got.clear(); },
            [&](const QStringList& fields) {
                if (!ParseIntegerText(fields.at(0)).ok())
                    return ParseIntegerText(fields.at(0)).status();
                got << fields.join(QLatin1Char('|'));
                return Status();
            });
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(got, placed);
        QCOMPARE(result.record, stoppedAt);
        if (stoppedAt > 0)
            QCOMPARE(result.sheetRow, stoppedAt + 1);
    }

    // A workbook that cannot be read is named once, with a plain reason (no signal or library number).
    void unreadableWorkbookNamedOnce()
    {
        const QString path = QStringLiteral(VELMARO_TEST_DATA "/bad/workbook/xls-crashes-freexl.xls");
        const ImportOutcome result =
            ImportWorksheet(kTable, path, {}, [](const QStringList&) { return Status(); });
        QCOMPARE(result.describe(path, kTable.TableName),
                 QStringLiteral("Cannot read workbook \"%1\": the file is damaged").arg(path));
    }

    void numbersInGeneralForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("integer") << 385.0 << "385";
        QTest::newRow("fraction") << 3.5 << "3.5";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("15 significant digits") << 0.1 + 0.2 << "0.3";
        QTest::newRow("large integer") << 123456789012345.0 << "123456789012345";
        QTest::newRow("negative fraction") << -0.25 << "-0.25";
    }
    void numbersInGeneralForm()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(FormatWorkbookNumber(value), text);
    }
};

QTEST_GUILESS_MAIN(TestTableMechanisms)
#include "tst_tablemechanisms.moc"
