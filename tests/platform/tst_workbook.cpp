#include "platform/Workbook.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(VELMARO_TEST_DATA "/canopen/") + QLatin1String(name);
}

QList<QStringList> cellsOf(const WorksheetRows& rows)
{
    QList<QStringList> out;
    for (const WorksheetRow& r : rows.rows)
        out << r.cells;
    return out;
}

} // namespace

class TestWorkbook : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The same worksheet as written by different programs; only the formula cell (=1+2) differs:
    // .xls gives formulas as empty, openpyxl stores none of their results.
    void readsTheSameWorksheet_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("formula");
        QTest::newRow("xls written by xlwt") << fixture("pdo_xlwt.xls") << "";
        QTest::newRow("xls saved by a spreadsheet program") << fixture("pdo_calc.xls") << "";
        QTest::newRow("xlsx written by openpyxl") << fixture("pdo_openpyxl.xlsx") << "";
        QTest::newRow("xlsx saved by a spreadsheet program") << fixture("pdo_calc.xlsx") << "3";
        QTest::newRow("ods saved by a spreadsheet program") << fixture("pdo_calc.ods") << "3";
    }
    void readsTheSameWorksheet()
    {
        QFETCH(QString, file);
        QFETCH(QString, formula);
        const auto book = OpenWorkbook(file);
        QVERIFY2(book.ok(), qPrintable(book.error()));
        QCOMPARE((*book)->worksheetNames(), (QStringList{"Other", "RpdoDef"}));
        const auto rows = (*book)->readRows(QStringLiteral("RpdoDef"));
        QVERIFY2(rows.ok(), qPrintable(rows.error()));
        QCOMPARE(rows->columns, 5);
        QCOMPARE(cellsOf(*rows), (QList<QStringList>{{"385", "0x10", "0", "3.5", " "},
                                                     {"0x181", "7", "1", "", "2"},
                                                     {"640", "12", "10", formula, "x"},
                                                     {"0x201", "5", "11", "1", "123456789"}}));
        QCOMPARE(rows->rows.first().sheetRow, 2);
    }

    void numbersAndBooleans_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("xls: booleans as 1 and 0")
            << fixture("pdo_xlwt.xls") << QStringList{"9", "1", "0", "-0.25", "1e+20"};
        QTest::newRow("xlsx: booleans as 1 and 0")
            << fixture("pdo_openpyxl.xlsx") << QStringList{"9", "1", "0", "-0.25", "1e+20"};
        QTest::newRow("ods") << fixture("pdo_calc.ods") << QStringList{"9", "1", "0", "-0.25", "1e+20"};
    }
    void numbersAndBooleans()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, cells);
        const auto book = OpenWorkbook(file);
        QVERIFY(book.ok());
        const auto rows = (*book)->readRows(QStringLiteral("Other"));
        QVERIFY(rows.ok());
        QCOMPARE(cellsOf(*rows), QList<QStringList>{cells});
    }

    // Inline and rich strings, a prefixed namespace, relative targets with "..", cached formula
    // results, an error value, gaps, cells without references and a used range starting at B2.
    void handmadeXlsx()
    {
        const auto book = OpenWorkbook(fixture("pdo_handmade.xlsx"));
        QVERIFY2(book.ok(), qPrintable(book.error()));
        QCOMPARE((*book)->worksheetNames(), (QStringList{"Notes", "RPDODEF"}));
        const auto rows = (*book)->readRows(QStringLiteral("RPDODEF"));
        QVERIFY2(rows.ok(), qPrintable(rows.error()));
        QCOMPARE(rows->columns, 5);
        QCOMPARE(cellsOf(*rows), (QList<QStringList>{{"385", "", "1", "", "rich  text"},
                                                     {"0x181", "ab", "10", "6", " "},
                                                     {},
                                                     {"0.0015", "", "11", "", "a\tb"}}));
        QCOMPARE(rows->rows.at(2).sheetRow, 5);
        const auto notes = (*book)->readRows(QStringLiteral("Notes"));
        QVERIFY(notes.ok());
        QCOMPARE(notes->rows.size(), 0); // the heading row only
    }

    void badFilesFailWithAMessage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("text") << QByteArray("cobid,id\r\n1,2\r\n");
        QTest::newRow("compound header only")
            << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0');
        QTest::newRow("truncated zip") << QByteArray("PK\x03\x04\x14\x00\x00\x00", 8);
    }
    void badFilesFailWithAMessage()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/book.xls");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const auto book = OpenWorkbook(path);
        QVERIFY(!book.ok());
        QVERIFY2(book.error().contains(path), qPrintable(book.error()));
    }

    void missingFileFails()
    {
        const auto book = OpenWorkbook(QStringLiteral("/nonexistent/book.xlsx"));
        QVERIFY(!book.ok());
        QVERIFY(book.error().contains(QStringLiteral("/nonexistent/book.xlsx")));
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
