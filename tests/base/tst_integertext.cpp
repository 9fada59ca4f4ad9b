#include "base/IntegerText.h"

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
        QTest::newRow("hex sentinel") << "0x999999" << true << 10066329;
        QTest::newRow("settings: 0x13") << "0x13" << true << 19;
        QTest::newRow("settings: $13") << "$13" << true << 19;
        QTest::newRow("settings: x13") << "x13" << true << 19;
        QTest::newRow("settings: +19") << "+19" << true << 19;
        QTest::newRow("settings: two blanks, 19") << "  19" << true << 19;
        QTest::newRow("settings: 19 and a blank") << "19 " << false << 0;
        QTest::newRow("settings: dollar alone") << "$" << false << 0;
        QTest::newRow("settings: 13h") << "13h" << false << 0;
        QTest::newRow("tables: 385") << "385" << true << 385;
        QTest::newRow("tables: +385") << "+385" << true << 385;
        QTest::newRow("tables: 0x181") << "0x181" << true << 385;
        QTest::newRow("tables: $181") << "$181" << true << 385;
        QTest::newRow("tables: x181") << "x181" << true << 385;
        QTest::newRow("tables: blanks, 385") << "   385" << true << 385;
        QTest::newRow("tables: 385 and a blank") << "385 " << false << 0;
        QTest::newRow("tables: 0x1000 is 4096") << "0x1000" << true << 4096;
        QTest::newRow("flag text 10") << "10" << true << 10;
        QTest::newRow("flag text 01") << "01" << true << 1;
        QTest::newRow("hex upper and lower digits") << "0xaBcD" << true << 0xABCD;
        QTest::newRow("minus before dollar") << "-$FF" << true << -255;
        QTest::newRow("plus before hex") << "+0x10" << true << 16;
        QTest::newRow("minus 0xFFFFFFFF") << "-0xFFFFFFFF" << true << 1;
        QTest::newRow("minus 0x80000000") << "-0x80000000" << true << int(0x80000000u);
        QTest::newRow("hex eight digits max") << "0x7FFFFFFF" << true << 2147483647;
        QTest::newRow("hex nine digits with leading zero") << "0x0FFFFFFFF" << true << -1;
        QTest::newRow("decimal leading zeros") << "0000000000002147483647" << true << 2147483647;
        QTest::newRow("decimal far overflow") << "99999999999999999999" << false << 0;
        QTest::newRow("two signs") << "+-1" << false << 0;
        QTest::newRow("blank between sign and digits") << "+ 1" << false << 0;
        QTest::newRow("tab after digits") << "1\t" << false << 0;
        QTest::newRow("blank inside hex prefix") << "0 x10" << false << 0;
        QTest::newRow("hex prefix twice") << "0x0x1" << false << 0;
        QTest::newRow("x then blank") << "x 1" << false << 0;
        QTest::newRow("octal-looking hex digit") << "08" << true << 8;
        QTest::newRow("non-ASCII digit") << QString::fromUtf8("\u0661") << false << 0;
        QTest::newRow("fullwidth digit") << QString::fromUtf8("\xEF\xBC\x91") << false << 0;
        QTest::newRow("non-breaking space before") << QString::fromUtf8("\xC2\xA0"
                                                                        "1")
                                                   << false << 0;
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
        // Where a text that is not an integer counts as -1.
        QCOMPARE(velmaro::ParseIntegerTextOr(text, -1), ok ? value : -1);
    }
};

QTEST_GUILESS_MAIN(TestIntegerText)
#include "tst_integertext.moc"
