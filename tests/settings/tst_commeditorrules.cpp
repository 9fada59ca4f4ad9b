#include "settings/CommEditorRules.h"

#include <QTest>

#include <functional>

using namespace velmaro;

using Edit = std::function<void(CommEditorValues&)>;
Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(velmaro::CommEditorValues)

namespace {

const char kMsg1[] = "Error!! Serial Transmit timeOut must be between 0 and 10000 mS. ";
const char kMsg2[] = "Error!! Serial Receive End Caracter must be between 0 and 255. ";
const char kMsg3[] = "Error!! Serial Receive End TimeOut must be between 0 and 1000 mS. ";
const char kMsg4[] = "Error!! Serial TimeOut must be between 0 and 10000000 mS (0 to disable the timeout)";
const char kMsg5[] = "Error!! ProfiBus address must be between 1 and 126. ";
const char kMsg6[] = "Error!! ProfiBus N Byte IN must be between 0 and 244. ";
const char kMsg7[] = "Error!! ProfiBus N Byte OUT must be between 0 and 244. ";

// A complete record whose every value differs from the editor's defaults.
CommSettings storedSettings()
{
    CommSettings s;
    const QStringList texts = {"1", "0", "0",   "0", "500", "$0D", "20", "3",
                               "2", "1", "100", "5", "4",   "32",  "16"};
    for (int i = 0; i < 15; ++i)
        s.*CommFields()[i].member = texts.at(i);
    return s;
}

// What the editor shows for storedSettings().
CommEditorValues storedValues()
{
    CommEditorValues v;
    v.rs485 = true;
    v.receiveAndTransmit = false;
    v.transmitOnChange = false;
    v.endByTimeout = false;
    v.transmitEvery = "500";
    v.receiveEndChar = "$0D";
    v.receiveEndTime = "20";
    v.serialBaud = 3;
    v.parity = 2;
    v.dataBits = 1;
    v.timeOut = "100";
    v.profibusId = "5";
    v.bytesIn = "32";
    v.bytesOut = "16";
    return v;
}

// The stored values, but the field at `position` in the editor's reading order at its default.
CommEditorValues storedButDefaultAt(int position)
{
    CommEditorValues v = storedValues();
    const CommEditorValues d;
    const std::function<void()> steps[] = {
        [&] { v.rs485 = d.rs485; },
        [&] { v.receiveAndTransmit = d.receiveAndTransmit; },
        [&] { v.transmitOnChange = d.transmitOnChange; },
        [&] { v.endByTimeout = d.endByTimeout; },
        [&] { v.transmitEvery = d.transmitEvery; },
        [&] { v.receiveEndChar = d.receiveEndChar; },
        [&] { v.receiveEndTime = d.receiveEndTime; },
        [&] { v.serialBaud = d.serialBaud; },
        [&] { v.parity = d.parity; },
        [&] { v.dataBits = d.dataBits; },
    };
    steps[position]();
    return v;
}

QString dump(const CommEditorValues& v)
{
    return QStringLiteral("%1%2%3%4 [%5|%6|%7] %8/%9/%10 [%11|%12] %13 [%14|%15]")
        .arg(int(v.rs485))
        .arg(int(v.receiveAndTransmit))
        .arg(int(v.transmitOnChange))
        .arg(int(v.endByTimeout))
        .arg(v.transmitEvery, v.receiveEndChar, v.receiveEndTime)
        .arg(v.serialBaud)
        .arg(v.parity)
        .arg(v.dataBits)
        .arg(v.timeOut, v.profibusId)
        .arg(v.profibusBaud)
        .arg(v.bytesIn, v.bytesOut);
}

const std::optional<QString> kAbsent;

} // namespace

class TestCommEditorRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readingRules_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<std::optional<QString>>("text");
        QTest::addColumn<QString>("error"); // part of the failure text; empty: loads
        QTest::addColumn<CommEditorValues>("expected");

        const auto loads = [](const char* name, const char* element, std::optional<QString> text, Edit edit) {
            CommEditorValues v = storedValues();
            edit(v);
            QTest::newRow(name) << QString::fromLatin1(element) << text << QString() << v;
        };
        const auto fails = [](const char* name, const char* element, std::optional<QString> text,
                              const char* error, int position) {
            QTest::newRow(name) << QString::fromLatin1(element) << text << QString::fromLatin1(error)
                                << storedButDefaultAt(position);
        };
        const char* missing = "is missing";
        const char* notInt = "'abc' is not a valid integer value";

        loads("whole document", "Ser_Type", QStringLiteral("1"), [](CommEditorValues&) {});
        fails("Ser_Type absent", "Ser_Type", kAbsent, missing, 0);
        fails("Ser_Type not an integer", "Ser_Type", QStringLiteral("abc"), notInt, 0);
        loads("Ser_Type 2 is RS232", "Ser_Type", QStringLiteral("2"),
              [](CommEditorValues& v) { v.rs485 = false; });
        loads("Ser_Type 0x1 is RS485", "Ser_Type", QStringLiteral("0x1"), [](CommEditorValues&) {});
        fails("Ser_Type with trailing blank", "Ser_Type", QStringLiteral("1 "), "'1 ' is not a valid", 0);
        fails("Ser_RecTra absent", "Ser_RecTra", kAbsent, missing, 1);
        loads("Ser_RecTra 1", "Ser_RecTra", QStringLiteral(" 1"),
              [](CommEditorValues& v) { v.receiveAndTransmit = true; });
        fails("Ser_Transmit not an integer", "Ser_Transmit", QStringLiteral("abc"), notInt, 2);
        loads("Ser_Transmit -1", "Ser_Transmit", QStringLiteral("-1"), [](CommEditorValues&) {});
        fails("Ser_Receive absent", "Ser_Receive", kAbsent, missing, 3);
        fails("Ser_Receive empty", "Ser_Receive", QString(), "'' is not a valid integer value", 3);
        fails("Ser_Trans_Every absent", "Ser_Trans_Every", kAbsent, missing, 4);
        loads("Ser_Trans_Every not parsed", "Ser_Trans_Every", QStringLiteral("abc"),
              [](CommEditorValues& v) { v.transmitEvery = "abc"; });
        fails("Ser_Receive_End_C absent", "Ser_Receive_End_C", kAbsent, missing, 5);
        loads("Ser_Receive_End_C 0x13 as stored", "Ser_Receive_End_C", QStringLiteral("0x13"),
              [](CommEditorValues& v) { v.receiveEndChar = "0x13"; });
        fails("Ser_Receive_End_T absent", "Ser_Receive_End_T", kAbsent, missing, 6);
        fails("Ser_Baud absent", "Ser_Baud", kAbsent, missing, 7);
        fails("Ser_Baud not an integer", "Ser_Baud", QStringLiteral("abc"), notInt, 7);
        // A position the list cannot show fails, so that OK asks before replacing it.
        const char* outside = "is not a position of the list";
        fails("Ser_Baud 9 outside the list", "Ser_Baud", QStringLiteral("9"), outside, 7);
        fails("Ser_Baud -1 outside the list", "Ser_Baud", QStringLiteral("-1"), outside, 7);
        loads("Ser_Baud 0", "Ser_Baud", QStringLiteral("0"), [](CommEditorValues& v) { v.serialBaud = 0; });
        fails("Ser_Par absent", "Ser_Par", kAbsent, missing, 8);
        fails("Ser_Par not an integer", "Ser_Par", QStringLiteral("abc"), notInt, 8);
        fails("Ser_Par 3 outside the list", "Ser_Par", QStringLiteral("3"), outside, 8);
        loads("Ser_DataBits absent", "Ser_DataBits", kAbsent, [](CommEditorValues& v) { v.dataBits = 3; });
        loads("Ser_DataBits not an integer", "Ser_DataBits", QStringLiteral("abc"),
              [](CommEditorValues& v) { v.dataBits = 3; });
        fails("Ser_DataBits 4 outside the list", "Ser_DataBits", QStringLiteral("4"), outside, 9);
        loads("Ser_DataBits 0", "Ser_DataBits", QStringLiteral("0"),
              [](CommEditorValues& v) { v.dataBits = 0; });
        loads("Ser_TimeOut absent", "Ser_TimeOut", kAbsent, [](CommEditorValues& v) { v.timeOut = "0"; });
        loads("Profi_ID absent", "Profi_ID", kAbsent, [](CommEditorValues& v) { v.profibusId = "1"; });
        loads("Profi_ID not parsed", "Profi_ID", QStringLiteral("x"),
              [](CommEditorValues& v) { v.profibusId = "x"; });
        loads("Profi_Baud absent", "Profi_Baud", kAbsent, [](CommEditorValues&) {});
        loads("Profi_Baud not an integer", "Profi_Baud", QStringLiteral("abc"), [](CommEditorValues&) {});
        loads("Profi_NB_IN absent", "Profi_NB_IN", kAbsent, [](CommEditorValues& v) { v.bytesIn = "244"; });
        loads("Profi_NB_OUT absent", "Profi_NB_OUT", kAbsent,
              [](CommEditorValues& v) { v.bytesOut = "244"; });
    }
    void readingRules()
    {
        QFETCH(QString, element);
        QFETCH(std::optional<QString>, text);
        QFETCH(QString, error);
        QFETCH(CommEditorValues, expected);
        CommSettings s = storedSettings();
        for (const CommField& f : CommFields()) {
            if (element == QLatin1String(f.element))
                s.*f.member = text;
        }
        const CommEditorLoad load = CommEditorValuesFrom(s, QStringLiteral("P\\pargen.xml"));
        if (error.isEmpty()) {
            QVERIFY2(!load.error, qPrintable(load.error.value_or(QString())));
        } else {
            QVERIFY(load.error);
            QVERIFY2(load.error->contains(error), qPrintable(*load.error));
            QVERIFY2(load.error->contains(element), qPrintable(*load.error));
            QVERIFY2(load.error->startsWith(QStringLiteral("P\\pargen.xml")), qPrintable(*load.error));
        }
        QVERIFY2(load.values == expected, qPrintable(dump(load.values) + "  expected  " + dump(expected)));
    }

    void validation_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("message"); // empty: valid
        const auto row = [](const char* name, Edit edit, const char* message) {
            QTest::newRow(name) << edit << QString::fromLatin1(message);
        };
        using V = CommEditorValues;
        row(
            "defaults", [](V&) {}, "");
        row(
            "transmit period 10000", [](V& v) { v.transmitEvery = "10000"; }, "");
        row(
            "transmit period 10001", [](V& v) { v.transmitEvery = "10001"; }, kMsg1);
        row(
            "transmit period 0", [](V& v) { v.transmitEvery = "0"; }, "");
        row(
            "transmit period -1", [](V& v) { v.transmitEvery = "-1"; }, kMsg1);
        row(
            "transmit period empty", [](V& v) { v.transmitEvery = ""; }, kMsg1);
        row(
            "transmit period trailing blank", [](V& v) { v.transmitEvery = "19 "; }, kMsg1);
        row(
            "transmit period leading blanks", [](V& v) { v.transmitEvery = "  19"; }, "");
        row(
            "end character 0x13", [](V& v) { v.receiveEndChar = "0x13"; }, "");
        row(
            "end character 255", [](V& v) { v.receiveEndChar = "255"; }, "");
        row(
            "end character $FF", [](V& v) { v.receiveEndChar = "$FF"; }, "");
        row(
            "end character 256", [](V& v) { v.receiveEndChar = "256"; }, kMsg2);
        row(
            "end character 13h", [](V& v) { v.receiveEndChar = "13h"; }, kMsg2);
        row(
            "end character 0x alone", [](V& v) { v.receiveEndChar = "0x"; }, kMsg2);
        row(
            "end time-out 1000", [](V& v) { v.receiveEndTime = "1000"; }, "");
        row(
            "end time-out 1001", [](V& v) { v.receiveEndTime = "1001"; }, kMsg3);
        row(
            "time-out 10000000", [](V& v) { v.timeOut = "10000000"; }, "");
        row(
            "time-out 10000001", [](V& v) { v.timeOut = "10000001"; }, kMsg4);
        row(
            "time-out 0xFFFFFFFF wraps to -1", [](V& v) { v.timeOut = "0xFFFFFFFF"; }, kMsg4);
        row(
            "address empty", [](V& v) { v.profibusId = ""; }, kMsg5);
        row(
            "address 0", [](V& v) { v.profibusId = "0"; }, kMsg5);
        row(
            "address 1", [](V& v) { v.profibusId = "1"; }, "");
        row(
            "address 126", [](V& v) { v.profibusId = "126"; }, "");
        row(
            "address 127", [](V& v) { v.profibusId = "127"; }, kMsg5);
        row(
            "input bytes 0", [](V& v) { v.bytesIn = "0"; }, "");
        row(
            "input bytes 245", [](V& v) { v.bytesIn = "245"; }, kMsg6);
        row(
            "output bytes 244", [](V& v) { v.bytesOut = "+244"; }, "");
        row(
            "output bytes 245", [](V& v) { v.bytesOut = "245"; }, kMsg7);
        row(
            "first of two: period before address",
            [](V& v) {
                v.profibusId = "0";
                v.transmitEvery = "x";
            },
            kMsg1);
        row(
            "first of two: time-out before output bytes",
            [](V& v) {
                v.bytesOut = "999";
                v.timeOut = "-5";
            },
            kMsg4);
        row(
            "first of two: input before output bytes",
            [](V& v) {
                v.bytesOut = "999";
                v.bytesIn = "999";
            },
            kMsg6);
        row(
            "lists and choices are not checked",
            [](V& v) {
                v.serialBaud = 99;
                v.rs485 = true;
            },
            "");
    }
    void validation()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, message);
        CommEditorValues v;
        edit(v);
        QCOMPARE(ValidateCommEditorValues(v).value_or(QString()), message);
    }

    void savedRecordFromValues()
    {
        const CommSettings s = CommSettingsFromEditor(storedValues());
        const CommSettings expected = storedSettings();
        for (const CommField& f : CommFields()) {
            const QString want = QLatin1String(f.element) == QLatin1String("Profi_Baud")
                                     ? QStringLiteral("10")
                                     : *(expected.*f.member);
            QCOMPARE(*(s.*f.member), want);
        }
    }

    void summaryInWords()
    {
        CommEditorValues v = storedValues();
        v.profibusId = QStringLiteral("0x10");
        QCOMPARE(
            DescribeCommEditorValues(v),
            QStringLiteral("RS485, 9600 baud, parity ODD, 6 data bits, PROFIBUS address 16, 32 input bytes, "
                           "16 output bytes"));
        v.bytesIn = QStringLiteral("1");
        QVERIFY(DescribeCommEditorValues(v).endsWith(QLatin1String(", 1 input byte, 16 output bytes")));
    }
};

QTEST_GUILESS_MAIN(TestCommEditorRules)
#include "tst_commeditorrules.moc"
