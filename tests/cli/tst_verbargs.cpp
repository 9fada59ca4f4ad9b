// The command-line parsing every verb shares: --help, argument counts, options.

#include "support/CliRunner.h"

#include <QTest>

using namespace velmaro;
using namespace velmaro::test;

class TestVerbArgs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parsing_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("outStarts"); // empty: nothing on stdout
        QTest::addColumn<QString>("errHas");
        const QStringList help{QStringLiteral("--help")};
        QTest::newRow("help is not a folder")
            << "check" << help << 0 << "Usage: velmaro-cli check PROJECT_DIR"
            << "";
        QTest::newRow("-h after arguments")
            << "gsd" << QStringList{"p", "o.gsd", "-h"} << 0 << "Usage: velmaro-cli gsd"
            << "";
        QTest::newRow("too few") << "import" << QStringList{"rpdodef", "p"} << 2 << ""
                                 << "Usage: velmaro-cli import";
        QTest::newRow("too many") << "image" << QStringList{"a", "b"} << 2 << ""
                                  << "Usage: velmaro-cli image";
        QTest::newRow("unknown option") << "image" << QStringList{"--bogus", "a"} << 2 << ""
                                        << "bogus";
        QTest::newRow("required option missing") << "update" << QStringList{"p"} << 2 << ""
                                                 << "--port";
        QTest::newRow("option value missing") << "update" << QStringList{"p", "--port"} << 2 << ""
                                              << "port";
        QTest::newRow("empty argument") << "check" << QStringList{""} << 2 << ""
                                        << "empty";
        QTest::newRow("folder after --") << "check" << QStringList{"--", "-nowhere"} << 1 << ""
                                         << "-nowhere";
    }
    void parsing()
    {
        QFETCH(QString, verb);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, outStarts);
        QFETCH(QString, errHas);
        const VerbRun run = runVerb(verb, args);
        QCOMPARE(run.code, code);
        if (outStarts.isEmpty())
            QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        else
            QVERIFY2(run.out.startsWith(outStarts), qPrintable(run.out));
        QVERIFY2(run.err.contains(errHas), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestVerbArgs)
#include "tst_verbargs.moc"
