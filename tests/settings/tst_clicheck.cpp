#include "cli/Cli.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro::cli;

namespace {

using velmaro::test::VerbRun;

VerbRun runCheck(const QStringList& args)
{
    return velmaro::test::runVerb(QStringLiteral("check"), args);
}

QByteArray defaultsWith(const QByteArray& from, const QByteArray& to)
{
    QFile f(QStringLiteral(VELMARO_TEST_DATA "/settings/defaults.xml"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().replace(from, to);
}

} // namespace

class TestCliCheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void projectFolders_data()
    {
        QTest::addColumn<QByteArray>("document"); // empty: no pargen.xml
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("no document")
            << QByteArray() << 0
            << "pargen.xml (none, the editor's defaults): RS232, 115200 baud, parity NONE, "
               "8 data bits, PROFIBUS address 1, 244 input bytes, 244 output bytes\n"
            << "";
        QTest::newRow("valid document")
            << defaultsWith("<Ser_Type>0", "<Ser_Type>1").replace("<Profi_ID>1<", "<Profi_ID>$7E<") << 0
            << "pargen.xml: RS485, 115200 baud, parity NONE, 8 data bits, PROFIBUS address 126, 244 input "
               "bytes, "
               "244 output bytes\n"
            << "";
        QTest::newRow("first failure only")
            << defaultsWith("<Ser_TimeOut>0<", "<Ser_TimeOut><")
                   .replace("<Profi_NB_IN>244", "<Profi_NB_IN>245")
            << 1 << ""
            << "Error!! Serial TimeOut must be between 0 and 10000000 mS (0 to disable the timeout)\n";
        QTest::newRow("trailing blank kept in the message")
            << defaultsWith("<Profi_NB_OUT>244", "<Profi_NB_OUT>245") << 1 << ""
            << "Error!! ProfiBus N Byte OUT must be between 0 and 244. \n";
        QTest::newRow("absent element fails loading") << defaultsWith("<Ser_Par>0</Ser_Par>", "") << 1 << ""
                                                      << "pargen.xml: the element \"Ser_Par\" is missing\n";
        QTest::newRow("not well-formed") << QByteArray("<Par_Gen>") << 1 << ""
                                         << "pargen.xml: ";
    }
    void projectFolders()
    {
        QFETCH(QByteArray, document);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        if (!document.isEmpty())
            velmaro::test::writeFile(dir.filePath(QStringLiteral("pargen.xml")), document);
        const VerbRun r = runCheck({dir.path() + QStringLiteral("/")});
        QCOMPARE(r.code, code);
        // The document's line; the outputs' lines follow (outputs()).
        QCOMPARE(r.out.startsWith(QLatin1String("pargen.xml")) ? r.out.section(QLatin1Char('\n'), 0, 0) + '\n'
                                                               : QString(),
                 out);
        if (code == 0 || err.startsWith(QLatin1String("Error!!")))
            QCOMPARE(r.err.isEmpty() ? r.err : r.err.section(QLatin1Char('\n'), 0, 0) + '\n', err);
        else
            QVERIFY2(r.err.contains(err), qPrintable(r.err));
    }

    // The verdicts on bank.bin and the GSD file, one line each; a failing one fails the check.
    void outputs_data()
    {
        QTest::addColumn<QByteArray>("document"); // empty: no pargen.xml; "folder": a folder in its place
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("no document")
            << QByteArray() << 0
            << "bank.bin: can be built (4 bytes)\nGSD file: 244 input bytes, 244 output bytes"
            << "";
        QTest::newRow("sizes 32 and 16")
            << defaultsWith("<Profi_NB_IN>244", "<Profi_NB_IN>32")
                   .replace("<Profi_NB_OUT>244", "<Profi_NB_OUT>0x10")
            << 0 << "bank.bin: can be built (24 bytes)\nGSD file: 32 input bytes, 16 output bytes"
            << "";
        QTest::newRow("misspelt element: the editor's default, but no image")
            << defaultsWith("Profi_Baud>", "Profi_Bauds>") << 1
            << "GSD file: 244 input bytes, 244 output bytes"
            << "bank.bin: cannot be built: The element \"Profi_Baud\" is missing";
        QTest::newRow("input length beyond 244")
            << defaultsWith("<Profi_NB_IN>244", "<Profi_NB_IN>300") << 1
            << "bank.bin: can be built (24 bytes)"
            << "GSD file: refused: The value \"300\" of Profi_NB_IN is outside";
        QTest::newRow("pargen.xml is a folder") << QByteArray("folder") << 1 << ""
                                                << "bank.bin: cannot be built: Cannot read";
    }
    void outputs()
    {
        QFETCH(QByteArray, document);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        const QString pargen = dir.filePath(QStringLiteral("pargen.xml"));
        if (document == "folder")
            QVERIFY(QDir().mkdir(pargen));
        else if (!document.isEmpty())
            velmaro::test::writeFile(pargen, document);
        const VerbRun r = runCheck({dir.path()});
        QCOMPARE(r.code, code);
        QStringList lines = r.out.split(QLatin1Char('\n'));
        lines.removeIf([](const QString& line) {
            return line.startsWith(QLatin1String("pargen.xml")) || line.isEmpty();
        });
        QCOMPARE(lines.join(QLatin1Char('\n')), out);
        QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.contains(err), qPrintable(r.err));
    }

    void refusesBadArguments()
    {
        QTemporaryDir dir;
        QCOMPARE(runCheck({}).code, int(UsageError));
        QCOMPARE(runCheck({dir.path(), dir.path()}).code, int(UsageError));
        const VerbRun missing = runCheck({dir.filePath(QStringLiteral("nope"))});
        QCOMPARE(missing.code, int(Refused));
        QVERIFY(missing.err.contains(QStringLiteral("does not exist")));
    }
};

QTEST_GUILESS_MAIN(TestCliCheck)
#include "tst_clicheck.moc"
