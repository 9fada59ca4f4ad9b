#include "app/IntegerText.h"

#include <QTest>

using velmaro::ParseIntegerText;

class TestIntegerText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "385" << true << 385;
        QTest::newRow("leading zero is not octal") << "010" << true << 10;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("minus") << "-12" << true << -12;
        QTest::newRow("leading blanks") << "   42" << true << 42;
        QTest::newRow("trailing blank") << "42 " << false << 0;
        QTest::newRow("leading tab") << "\t42" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("blank only") << " " << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("int max") << "2147483647" << true << 2147483647;
        QTest::newRow("int max + 1") << "2147483648" << false << 0;
        QTest::newRow("int min") << "-2147483648" << true << int(0x80000000u);
        QTest::newRow("int min - 1") << "-2147483649" << false << 0;
        QTest::newRow("0x") << "0x13" << true << 19;
        QTest::newRow("0X") << "0X1f" << true << 31;
        QTest::newRow("dollar") << "$FF" << true << 255;
        QTest::newRow("x") << "x10" << true << 16;
        QTest::newRow("X") << "X10" << true << 16;
        QTest::newRow("negative hex") << "-0x10" << true << -16;
        QTest::newRow("hex prefix only") << "0x" << false << 0;
        QTest::newRow("hex wraps negative") << "0xFFFFFFFF" << true << -1;
        QTest::newRow("hex 0x80000000") << "$80000000" << true << int(0x80000000u);
        QTest::newRow("hex overflow") << "0x100000000" << false << 0;
        QTest::newRow("hex leading zeros") << "0x000000000FF" << true << 255;
        QTest::newRow("hex bad digit") << "0x1G" << false << 0;
        QTest::newRow("blank after sign") << "- 5" << false << 0;
        QTest::newRow("blanks then hex") << "  $10" << true << 16;
        QTest::newRow("decimal with dot") << "3.5" << false << 0;
        QTest::newRow("sentinel") << "10066329" << true << 10066329;
    }
    void parses()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const auto r = ParseIntegerText(text);
        QCOMPARE(r.ok(), ok);
        if (ok)
            QCOMPARE(r.value(), value);
        else
            QCOMPARE(r.error(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
};

QTEST_GUILESS_MAIN(TestIntegerText)
#include "tst_integertext.moc"
