#include "cli/Cli.h"
#include "device/ParameterImage.h"
#include "platform/FileSystem.h"
#include "support/CliRunner.h"
#include "tst_image_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using test::Golden;
using test::PargenXml;
using test::ReadBytes;
using test::runVerb;
using test::WriteBytes;
using Changes = QMap<QString, std::optional<QString>>;

namespace {

// A project folder with a bin folder and, when `pargen` is given, a pargen.xml.
struct Project
{
    QTemporaryDir dir;
    explicit Project(const std::optional<QByteArray>& pargen)
    {
        QDir(dir.path()).mkdir(QStringLiteral("bin"));
        if (pargen)
            WriteBytes(dir.path() + QStringLiteral("/pargen.xml"), *pargen);
    }
    QString projectDir() const { return dir.path(); }
    QString pargen() const { return dir.path() + QStringLiteral("\\pargen.xml"); }
    QString bin() const { return ProjectPathsOf(dir.path()).BankBinPath; }
    QString binNative() const { return dir.path() + QStringLiteral("/bin/bank.bin"); }
};

} // namespace

class TestParameterImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void workedExamples_data()
    {
        QTest::addColumn<QByteArray>("pargen");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("editor defaults") << Golden("pargen_defaults.xml") << Golden("bank_defaults.bin");
        QTest::newRow("RS485 9600 EVEN 10/4") << Golden("pargen_example2.xml") << Golden("bank_example2.bin");
        QTest::newRow("children in another order, other root") << QByteArray(
            "<Settings><Profi_NB_OUT>244</Profi_NB_OUT><Profi_NB_IN>244</Profi_NB_IN>"
            "<Other>9</Other><Profi_Baud>10</Profi_Baud><Profi_ID>1</Profi_ID>"
            "<Ser_TimeOut>0</Ser_TimeOut><Ser_DataBits>3</Ser_DataBits><Ser_Par>0</Ser_Par>"
            "<Ser_Baud>7</Ser_Baud><Ser_Baud>5</Ser_Baud><Ser_Receive_End_T>50</Ser_Receive_End_T>"
            "<Ser_Receive_End_C>19</Ser_Receive_End_C><Ser_Trans_Every>1000</Ser_Trans_Every>"
            "<Ser_Receive>1</Ser_Receive><Ser_Transmit>1</Ser_Transmit><Ser_RecTra>1</Ser_RecTra>"
            "<Ser_Type>0</Ser_Type></Settings>") << Golden("bank_defaults.bin");
        QTest::newRow("no pargen.xml: header alone") << QByteArray() << QByteArray::fromHex("04000000");
    }
    void workedExamples()
    {
        QFETCH(QByteArray, pargen);
        QFETCH(QByteArray, expected);
        QCOMPARE(expected.isEmpty(), false);
        Project p(pargen.isEmpty() ? std::nullopt : std::optional<QByteArray>(pargen));
        const Result<ParameterImage> image = BuildParameterImage(p.pargen());
        QVERIFY2(image.ok(), qPrintable(image.error()));
        QCOMPARE(image->bytes.toHex(' '), expected.toHex(' '));
        const Status written = WriteParameterImage(*image, p.bin());
        QVERIFY2(written.ok(), qPrintable(written.error()));
        QCOMPARE(ReadBytes(p.binNative()), expected);
        // A second build and write without a change gives the identical file.
        WriteParameterImage(*BuildParameterImage(p.pargen()), p.bin());
        QCOMPARE(ReadBytes(p.binNative()), expected);
    }

    void fieldPacking_data()
    {
        QTest::addColumn<Changes>("changes");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Ser_Trans_Every 70000 keeps low 16 bits")
            << Changes{{"Ser_Trans_Every", "70000"}} << 8 << QByteArray::fromHex("7011");
        QTest::newRow("Ser_TimeOut abc")
            << Changes{{"Ser_TimeOut", "abc"}} << 20 << QByteArray::fromHex("00000000");
        QTest::newRow("Ser_TimeOut absent")
            << Changes{{"Ser_TimeOut", std::nullopt}} << 20 << QByteArray::fromHex("00000000");
        QTest::newRow("Ser_TimeOut 5000")
            << Changes{{"Ser_TimeOut", "5000"}} << 20 << QByteArray::fromHex("88130000");
        QTest::newRow("Ser_TimeOut hex wraps")
            << Changes{{"Ser_TimeOut", "$FFFFFFFE"}} << 20 << QByteArray::fromHex("feffffff");
        QTest::newRow("Ser_Type 2 not reduced")
            << Changes{{"Ser_Type", "2"}} << 4 << QByteArray::fromHex("02");
        QTest::newRow("Ser_Receive_End_T unaligned 16 bits")
            << Changes{{"Ser_Receive_End_T", "0x1234"}} << 11 << QByteArray::fromHex("3412");
        QTest::newRow("Ser_Receive_End_T -1")
            << Changes{{"Ser_Receive_End_T", "-1"}} << 11 << QByteArray::fromHex("ffff");
        QTest::newRow("Profi_ID 300 keeps low 8 bits")
            << Changes{{"Profi_ID", "300"}} << 15 << QByteArray::fromHex("2c");
        QTest::newRow("end character with leading blanks")
            << Changes{{"Ser_Receive_End_C", "  19"}} << 10 << QByteArray::fromHex("13");
        QTest::newRow("Ser_DataBits after the PROFIBUS fields")
            << Changes{{"Ser_DataBits", "2"}} << 19 << QByteArray::fromHex("02");
    }
    void fieldPacking()
    {
        QFETCH(Changes, changes);
        QFETCH(int, offset);
        QFETCH(QByteArray, expected);
        Project p(PargenXml(changes));
        const Result<ParameterImage> image = BuildParameterImage(p.pargen());
        QVERIFY2(image.ok(), qPrintable(image.error()));
        QCOMPARE(image->bytes.size(), 24);
        QCOMPARE(image->bytes.mid(offset, expected.size()).toHex(' '), expected.toHex(' '));
        // Every other byte stays as in the default image.
        QByteArray rest = image->bytes;
        QByteArray defaults = Golden("bank_defaults.bin");
        rest.remove(offset, expected.size());
        defaults.remove(offset, expected.size());
        QCOMPARE(rest.toHex(' '), defaults.toHex(' '));
    }

    void failedBuild_data()
    {
        QTest::addColumn<QByteArray>("pargen");
        QTest::addColumn<QString>("error");
        QTest::newRow("Profi_ID absent") << PargenXml({{"Profi_ID", std::nullopt}})
                                         << QStringLiteral("The element \"Profi_ID\" is missing in \"");
        QTest::newRow("Ser_Type absent") << PargenXml({{"Ser_Type", std::nullopt}})
                                         << QStringLiteral("The element \"Ser_Type\" is missing in \"");
        QTest::newRow("Ser_Baud not an integer")
            << PargenXml({{"Ser_Baud", "abc"}}) << QStringLiteral("'abc' is not a valid integer value");
        QTest::newRow("Profi_NB_OUT trailing blank")
            << PargenXml({{"Profi_NB_OUT", "19 "}}) << QStringLiteral("'19 ' is not a valid integer value");
        QTest::newRow("Ser_DataBits empty")
            << PargenXml({{"Ser_DataBits", ""}}) << QStringLiteral("'' is not a valid integer value");
        QTest::newRow("first failure in image order wins")
            << PargenXml({{"Ser_DataBits", "x"}, {"Profi_ID", "y"}})
            << QStringLiteral("'y' is not a valid integer value");
        QTest::newRow("not well-formed") << QByteArray("<Par_Gen><Ser_Type>0</Par_Gen>") << QString();
    }
    void failedBuild()
    {
        QFETCH(QByteArray, pargen);
        QFETCH(QString, error);
        Project p(pargen);
        const Result<ParameterImage> image = BuildParameterImage(p.pargen());
        QVERIFY(!image.ok());
        QVERIFY(!image.error().isEmpty());
        QVERIFY2(image.error().startsWith(error), qPrintable(image.error()));
    }

    // One refusal lists every bad field in image order, each naming its element, so that one round of
    // corrections is enough.
    void everyBadFieldListedAtOnce()
    {
        Project p(PargenXml({{"Ser_DataBits", "x"}, {"Profi_ID", std::nullopt}, {"Ser_Baud", "fast"}}));
        const Result<ParameterImage> image = BuildParameterImage(p.pargen());
        QVERIFY(!image.ok());
        QCOMPARE(
            image.error().split(QLatin1Char('\n')),
            (QStringList{
                "'fast' is not a valid integer value (element \"Ser_Baud\")",
                QStringLiteral("The element \"Profi_ID\" is missing in \"%1\".").arg(DisplayPath(p.pargen())),
                "'x' is not a valid integer value (element \"Ser_DataBits\")"}));
    }

    void writeReplacesWholeFile()
    {
        Project p(Golden("pargen_example2.xml"));
        QVERIFY(WriteBytes(p.binNative(), QByteArray(100, 'x')));
        QVERIFY(WriteParameterImage(*BuildParameterImage(p.pargen()), p.bin()).ok());
        QCOMPARE(ReadBytes(p.binNative()), Golden("bank_example2.bin"));
    }
    void writeWithoutBinFolderFails()
    {
        QTemporaryDir dir;
        const QString bin = ProjectPathsOf(dir.path()).BankBinPath;
        const Status written = WriteParameterImage(*BuildParameterImage(dir.path() + "\\pargen.xml"), bin);
        QVERIFY(!written.ok());
        QVERIFY2(
            written.error().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(NativePath(bin))),
            qPrintable(written.error()));
        QVERIFY(!QDir(dir.path()).exists(QStringLiteral("bin")));
    }

    void cliImage_data()
    {
        QTest::addColumn<QByteArray>("pargen");
        QTest::addColumn<bool>("withBin");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("bankAfter");
        QTest::addColumn<QString>("err");
        const QByteArray old("old content");
        QTest::newRow("writes the example")
            << Golden("pargen_example2.xml") << true << 0 << Golden("bank_example2.bin") << QString();
        QTest::newRow("failed build keeps bank.bin")
            << PargenXml({{"Profi_ID", std::nullopt}}) << true << 1 << old
            << QStringLiteral("The element \"Profi_ID\" is missing in \"");
        QTest::newRow("no bin folder") << Golden("pargen_example2.xml") << false << 1 << QByteArray()
                                       << QStringLiteral("Cannot create file \"");
    }
    void cliImage()
    {
        QFETCH(QByteArray, pargen);
        QFETCH(bool, withBin);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, bankAfter);
        QFETCH(QString, err);
        Project p(pargen);
        if (withBin)
            QVERIFY(WriteBytes(p.binNative(), "old content"));
        else
            QVERIFY(QDir(p.projectDir()).rmdir(QStringLiteral("bin")));
        QString out, error;
        QCOMPARE(runVerb("image", {p.projectDir()}, out, error), exitCode);
        QCOMPARE(ReadBytes(p.binNative()), bankAfter);
        QVERIFY2(error.startsWith(err), qPrintable(error));
    }
    void cliImageUsage()
    {
        QString out, err;
        QCOMPARE(runVerb("image", {}, out, err), 2);
        QCOMPARE(runVerb("image", {"a", "b"}, out, err), 2);
        QTemporaryDir dir;
        QCOMPARE(runVerb("image", {dir.path() + "/missing"}, out, err), 1);
        QVERIFY(!QDir(dir.path() + "/missing").exists());
    }
};

QTEST_GUILESS_MAIN(TestParameterImage)
#include "tst_image.moc"
