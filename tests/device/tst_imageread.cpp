#include "device/ParameterImage.h"
#include "settings/CommEditorRules.h"
#include "support/CliRunner.h"
#include "tst_image_support.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace velmaro;
using test::Golden;
using test::ReadBytes;
using test::runVerb;
using test::WriteBytes;

namespace {

// The default image with `bytes` written over it at `offset`.
QByteArray Patched(int offset, const QByteArray& bytes)
{
    QByteArray image = Golden("bank_defaults.bin");
    image.replace(offset, bytes.size(), bytes);
    return image;
}

QString ElementText(const QByteArray& xml, const QString& element)
{
    const QString text = QString::fromUtf8(xml);
    const int start = text.indexOf(QLatin1Char('<') + element + QLatin1Char('>'));
    const int end = text.indexOf(QStringLiteral("</") + element + QLatin1Char('>'));
    if (start < 0 || end < 0)
        return QStringLiteral("(absent)");
    const int from = start + int(element.size()) + 2;
    return text.mid(from, end - from);
}

} // namespace

class TestImageRead : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // recover, then image, gives the bytes back; the editor reads the document without a message.
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("warnings");
        QTest::newRow("editor defaults") << Golden("bank_defaults.bin") << "Ser_Receive_End_C"
                                         << "0x13" << 0;
        QTest::newRow("RS485 9600 EVEN 10/4") << Golden("bank_example2.bin") << "Ser_TimeOut"
                                              << "5000" << 0;
        QTest::newRow("period 0xFFFF") << Patched(8, QByteArray::fromHex("FFFF")) << "Ser_Trans_Every"
                                       << "65535" << 1;
        QTest::newRow("70000 stored as 70 11") << Patched(8, QByteArray::fromHex("7011")) << "Ser_Trans_Every"
                                               << "4464" << 0;
        QTest::newRow("time-out 0xFFFFFFFF") << Patched(20, QByteArray::fromHex("FFFFFFFF")) << "Ser_TimeOut"
                                             << "-1" << 1;
        QTest::newRow("time-out 0x80000000") << Patched(20, QByteArray::fromHex("00000080")) << "Ser_TimeOut"
                                             << "-2147483648" << 1;
        QTest::newRow("end character 0xFF") << Patched(10, QByteArray::fromHex("FF")) << "Ser_Receive_End_C"
                                            << "0xFF" << 0;
        QTest::newRow("list position outside its list")
            << Patched(13, QByteArray::fromHex("09")) << "Ser_Baud"
            << "9" << 1;
        QTest::newRow("choice 2, address 0, baud 3")
            << Patched(4, QByteArray::fromHex("02")).replace(15, 2, QByteArray::fromHex("0003")) << "Ser_Type"
            << "2" << 3;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, image);
        QFETCH(QString, element);
        QFETCH(QString, text);
        QFETCH(int, warnings);
        QTemporaryDir tmp;
        const QString bin = tmp.filePath(QStringLiteral("bank.bin"));
        QVERIFY(WriteBytes(bin, image));
        const QString project = tmp.filePath(QStringLiteral("lost/project")); // created with its bin folder

        const test::VerbRun recovered = runVerb(QStringLiteral("recover"), {bin, project});
        QCOMPARE(recovered.code, 0);
        QCOMPARE(int(recovered.err.count(QStringLiteral("Warning:"))), warnings);
        const QByteArray pargen = ReadBytes(project + QStringLiteral("/pargen.xml"));
        QCOMPARE(ElementText(pargen, element), text);
        // The editor reads what recover wrote; only a list position it cannot show is a failed field.
        QCOMPARE(bool(LoadCommEditorValues(project + QStringLiteral("\\pargen.xml")).error),
                 element == QLatin1String("Ser_Baud"));

        QCOMPARE(runVerb(QStringLiteral("image"), {project}).code, 0);
        QCOMPARE(ReadBytes(project + QStringLiteral("/bin/bank.bin")).toHex(' '), image.toHex(' '));

        const test::VerbRun explained = runVerb(QStringLiteral("explain"), {project});
        QCOMPARE(explained.code, 0);
        QCOMPARE(int(explained.out.count(QStringLiteral("  !! "))), warnings);
    }

    void explainRefuses_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        QTest::newRow("empty file") << QByteArray() << 1 << "0 bytes";
        QTest::newRow("1 byte") << QByteArray(1, '\x04') << 1 << "is 1 byte long";
        QTest::newRow("3 bytes") << QByteArray::fromHex("040000") << 1 << "3 bytes";
        QTest::newRow("23 bytes") << Golden("bank_defaults.bin").left(23) << 1 << "23 bytes";
        QTest::newRow("25 bytes") << Golden("bank_defaults.bin") + '\0' << 1 << "25 bytes";
        QTest::newRow("4 KiB") << QByteArray(4096, '\x04') << 1 << "4096 bytes";
        QTest::newRow("header 5, 24 bytes") << Patched(0, QByteArray::fromHex("05")) << 1 << "header is 5";
        QTest::newRow("header 0x01000004")
            << Patched(3, QByteArray::fromHex("01")) << 1 << "header is 16777220";
        QTest::newRow("header 0, 4 bytes") << QByteArray(4, '\0') << 1 << "header is 0";
        QTest::newRow("header alone") << QByteArray::fromHex("04000000") << 0 << "no settings";
    }
    void explainRefuses()
    {
        QFETCH(QByteArray, image);
        QFETCH(int, code);
        QFETCH(QString, says);
        QTemporaryDir tmp;
        const QString bin = tmp.filePath(QStringLiteral("bank.bin"));
        QVERIFY(WriteBytes(bin, image));
        const test::VerbRun run = runVerb(QStringLiteral("explain"), {bin});
        QCOMPARE(run.code, code);
        const QString all = run.out + run.err;
        QVERIFY2(all.contains(says), qPrintable(all));
        if (code != 0)
            QCOMPARE(runVerb(QStringLiteral("recover"), {bin, tmp.filePath(QStringLiteral("p"))}).code, 1);
    }

    // Each field's line of the second example with Profi_ID 0x7F: offset, bytes, name, value, meaning.
    void explainNamesMeaningsAndMarks_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("line"); // '*' stands for any text
        const struct
        {
            const char* name;
            const char* field;
            const char* line;
        } rows[] = {
            {"list position and its text", "Ser_Baud", "13 03 Ser_Baud 3 Baudrate 9600"},
            {"serial type", "Ser_Type", "*RS485"},
            {"direction", "Ser_RecTra", "*Only Receive from Serial"},
            {"parity", "Ser_Par", "*Parity EVEN"},
            {"PROFIBUS baud rate", "Profi_Baud", "*Auto Baudrate"},
            {"end character in hex", "Ser_Receive_End_C", "*0x0D*"},
            {"four bytes, low byte first", "Ser_TimeOut", "20 88 13 00 00 Ser_TimeOut 5000*"},
            {"address outside its range marked", "Profi_ID", "*!! outside 1..126*"},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.field << row.line;
    }
    void explainNamesMeaningsAndMarks()
    {
        QFETCH(QString, field);
        QFETCH(QString, line);
        QTemporaryDir tmp;
        const QString bin = tmp.filePath(QStringLiteral("bank.bin"));
        QVERIFY(WriteBytes(bin, Golden("bank_example2.bin").replace(15, 1, QByteArray::fromHex("7F"))));
        const test::VerbRun run = runVerb(QStringLiteral("explain"), {bin});
        QCOMPARE(run.code, 0);
        const QStringList lines =
            run.out.split(QLatin1Char('\n')).filter(QLatin1Char(' ') + field + QLatin1Char(' '));
        QVERIFY2(!lines.isEmpty(), qPrintable(run.out));
        const QString shown = lines.first().simplified();
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(line).replace(QStringLiteral("\\*"), QStringLiteral(".*"))));
        QVERIFY2(pattern.match(shown).hasMatch(), qPrintable(shown));
    }

    // Every value of every choice field is explained with the caption the editor shows for it; a value
    // outside the choices is marked.
    void explainNamesEveryChoice_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("line"); // field, value and meaning as the simplified line shows them
        const struct
        {
            const char* field;
            int offset;
            const char* prefix;
            QStringList captions;
        } choices[] = {
            {"Ser_Type", 4, "", {"RS232", "RS485"}},
            {"Ser_RecTra", 5, "", {"Only Receive from Serial", "Receive and Transmit"}},
            {"Ser_Transmit", 6, "", {"Transmit Every", "Transmit on Change DATA"}},
            {"Ser_Receive", 7, "", {"Character for end frame", "Timeout for end frame ms"}},
            {"Ser_Baud",
             13,
             "Baudrate ",
             {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}},
            {"Ser_Par", 14, "Parity ", {"NONE", "EVEN", "ODD"}},
            {"Profi_Baud",
             16,
             "PROFIBUS Baudrate ",
             {"9600", "19200", "45.45K", "93.75K", "187.5K", "500K", "1.5M", "3.0M", "6.0M", "12M",
              "Auto Baudrate"}},
            {"Ser_DataBits", 19, "Data Bits ", {"5 bits", "6 bits", "7 bits", "8 bits"}},
        };
        for (const auto& c : choices) {
            for (int value = 0; value < c.captions.size(); ++value) {
                QTest::addRow("%s %d", c.field, value)
                    << c.offset << value
                    << QStringLiteral("%1 %2 %3%4")
                           .arg(QLatin1String(c.field))
                           .arg(value)
                           .arg(QLatin1String(c.prefix), c.captions.at(value));
            }
        }
        QTest::newRow("Ser_Type 2 reads as RS232, marked") << 4 << 2 << "Ser_Type 2 RS232 !! *";
        QTest::newRow("Ser_Par past the list") << 14 << 3 << "Ser_Par 3 Parity: position 3 * !! *";
    }
    void explainNamesEveryChoice()
    {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(QString, line);
        QTemporaryDir tmp;
        const QString bin = tmp.filePath(QStringLiteral("bank.bin"));
        QVERIFY(WriteBytes(bin, Patched(offset, QByteArray(1, char(value)))));
        const test::VerbRun run = runVerb(QStringLiteral("explain"), {bin});
        QCOMPARE(run.code, 0);
        const QString field = line.section(QLatin1Char(' '), 0, 0);
        const QStringList lines =
            run.out.split(QLatin1Char('\n')).filter(QLatin1Char(' ') + field + QLatin1Char(' '));
        QVERIFY2(!lines.isEmpty(), qPrintable(run.out));
        // The line after the offset and bytes; a choice the editor can save carries no mark.
        const QString shown = lines.first().simplified().section(QLatin1Char(' '), 2);
        QStringList pieces = line.split(QLatin1Char('*'));
        for (QString& piece : pieces)
            piece = QRegularExpression::escape(piece);
        const QString tail = line.contains(QLatin1Char('*')) ? QString() : QStringLiteral("( !! .*)?");
        const QRegularExpression expected(
            QRegularExpression::anchoredPattern(pieces.join(QStringLiteral(".*")) + tail));
        QVERIFY2(expected.match(shown).hasMatch(), qPrintable(shown + QStringLiteral(" / ") + line));
    }

    // What is not a regular file is refused without being read: a named pipe (explain would wait for a
    // writer for ever), a device that never ends, a link that leads nowhere.
    void explainRefusesSpecialFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        QTest::newRow("named pipe") << "fifo"
                                    << "named pipe";
        QTest::newRow("link to /dev/zero") << "zero"
                                           << "device";
        QTest::newRow("dangling link") << "dangling"
                                       << "bank.bin";
    }
    void explainRefusesSpecialFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, says);
        QTemporaryDir tmp;
        const QString bin = tmp.filePath(QStringLiteral("bank.bin"));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(bin).constData(), 0600), 0);
        else if (kind == QLatin1String("zero"))
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), bin));
        else
            QVERIFY(QFile::link(tmp.filePath(QStringLiteral("gone.bin")), bin));
        for (const QStringList& args :
             {QStringList{bin}, QStringList{bin, tmp.filePath(QStringLiteral("p"))}}) {
            const test::VerbRun run =
                runVerb(args.size() == 1 ? QStringLiteral("explain") : QStringLiteral("recover"), args);
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains(says), qPrintable(run.err));
            QVERIFY(run.out.isEmpty());
        }
        QVERIFY(!QFileInfo::exists(tmp.filePath(QStringLiteral("p/pargen.xml"))));
    }

    // explain shows the value recover writes to pargen.xml, and recover's warning names it and the bytes.
    void explainAndRecoverAgree_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("explained"); // the line after its offset, simplified
        QTest::addColumn<QString>("warning");   // empty: none
        QTest::newRow("time-out FF FF FF FF is -1")
            << 20 << QByteArray::fromHex("FFFFFFFF") << "Ser_TimeOut"
            << "FF FF FF FF Ser_TimeOut -1 serial time-out -1 ms !! outside"
            << "Ser_TimeOut = -1 (bytes FF FF FF FF): outside";
        QTest::newRow("time-out 00 00 00 80 is the lowest value")
            << 20 << QByteArray::fromHex("00000080") << "Ser_TimeOut"
            << "00 00 00 80 Ser_TimeOut -2147483648 serial time-out -2147483648 ms !!"
            << "written as stored, \"-2147483648\"";
        QTest::newRow("address 0x7F") << 15 << QByteArray::fromHex("7F") << "Profi_ID"
                                      << "7F Profi_ID 127 station address (ID Dev.) 127 !!"
                                      << "Profi_ID = 127 (bytes 7F): outside 1..126";
        QTest::newRow("one input byte") << 17 << QByteArray::fromHex("01") << "Profi_NB_IN"
                                        << "01 Profi_NB_IN 1 1 input byte (N Byte IN)"
                                        << "";
        QTest::newRow("ten output bytes") << 18 << QByteArray::fromHex("0A") << "Profi_NB_OUT"
                                          << "0A Profi_NB_OUT 10 10 output bytes (N Byte OUT)"
                                          << "";
    }
    void explainAndRecoverAgree()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, field);
        QFETCH(QString, explained);
        QFETCH(QString, warning);
        QTemporaryDir tmp;
        const QString bin = tmp.filePath(QStringLiteral("bank.bin"));
        QVERIFY(WriteBytes(bin, Patched(offset, bytes)));
        const test::VerbRun run = runVerb(QStringLiteral("explain"), {bin});
        const QStringList lines =
            run.out.split(QLatin1Char('\n')).filter(QLatin1Char(' ') + field + QLatin1Char(' '));
        QVERIFY2(!lines.isEmpty(), qPrintable(run.out));
        const QString shown = lines.first().simplified().section(QLatin1Char(' '), 1);
        QVERIFY2(shown.startsWith(explained), qPrintable(shown));
        const test::VerbRun recovered =
            runVerb(QStringLiteral("recover"), {bin, tmp.filePath(QStringLiteral("p"))});
        QCOMPARE(recovered.code, 0);
        if (warning.isEmpty())
            QCOMPARE(recovered.err, QString());
        else
            QVERIFY2(recovered.err.contains(warning), qPrintable(recovered.err));
        const QString value = shown.section(QLatin1Char(' '), int(bytes.size()) + 1, int(bytes.size()) + 1);
        QCOMPARE(ElementText(ReadBytes(tmp.filePath(QStringLiteral("p/pargen.xml"))), field), value);
    }

    // A project folder that cannot be made is refused with the system's reason.
    void recoverNamesWhyAFolderCannotBeMade()
    {
        QTemporaryDir tmp;
        const QString bin = tmp.filePath(QStringLiteral("bank.bin"));
        QVERIFY(WriteBytes(bin, Golden("bank_example2.bin")));
        QVERIFY(WriteBytes(tmp.filePath(QStringLiteral("file")), "x"));
        const test::VerbRun run =
            runVerb(QStringLiteral("recover"), {bin, tmp.filePath(QStringLiteral("file/p"))});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(QStringLiteral(": Not a directory.")), qPrintable(run.err));
    }

    void recoverKeepsAnExistingDocumentUnlessForced()
    {
        QTemporaryDir tmp;
        const QString bin = tmp.filePath(QStringLiteral("bank.bin"));
        QVERIFY(WriteBytes(bin, Golden("bank_example2.bin")));
        const QString pargen = tmp.filePath(QStringLiteral("pargen.xml"));
        QVERIFY(WriteBytes(pargen, "<Par_Gen/>"));

        const test::VerbRun refused = runVerb(QStringLiteral("recover"), {bin, tmp.path()});
        QCOMPARE(refused.code, 1);
        QVERIFY(refused.err.contains(QStringLiteral("--force")));
        QCOMPARE(ReadBytes(pargen), QByteArray("<Par_Gen/>"));

        QCOMPARE(runVerb(QStringLiteral("recover"), {bin, tmp.path(), QStringLiteral("--force")}).code, 0);
        QCOMPARE(ElementText(ReadBytes(pargen), QStringLiteral("Profi_NB_IN")), QStringLiteral("10"));
        QVERIFY(QDir(tmp.filePath(QStringLiteral("bin"))).exists());
    }
};

QTEST_GUILESS_MAIN(TestImageRead)
#include "tst_imageread.moc"
