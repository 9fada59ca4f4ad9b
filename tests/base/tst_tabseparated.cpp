#include "base/TabSeparated.h"

#include <QTest>

using namespace velmaro;

using Block = QList<QStringList>;

class TestTabSeparated : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Block>("block");
        QTest::newRow("no last line break") << "1\t2\n3\t4" << Block{{"1", "2"}, {"3", "4"}};
        QTest::newRow("CR LF and an empty cell") << "1\t\r\n\t4\r\n" << Block{{"1", ""}, {"", "4"}};
        QTest::newRow("quoted line break and doubled quote") << "\"two\nlines\"\t\"say \"\"hi\"\"\"\n"
                                                             << Block{{"two\nlines", "say \"hi\""}};
        QTest::newRow("quote inside a cell is text") << "5\" pipe\t\"open\n" << Block{{"5\" pipe", "\"open"}};
        QTest::newRow("short rows filled") << "1\t2\t3\n4\n" << Block{{"1", "2", "3"}, {"4", "", ""}};
        QTest::newRow("one empty line") << "\n" << Block{{""}};
        QTest::newRow("nothing") << "" << Block{};
    }
    void read()
    {
        QFETCH(QString, text);
        QFETCH(Block, block);
        QCOMPARE(FromTabSeparated(text), block);
    }

    void writtenTextReadsBack()
    {
        const Block block{{"a\tb", "\"q\"", ""}, {"line\r\nbreak", "x", "0x13"}};
        QCOMPARE(FromTabSeparated(ToTabSeparated(block)), block);
    }
};

QTEST_GUILESS_MAIN(TestTabSeparated)
#include "tst_tabseparated.moc"
