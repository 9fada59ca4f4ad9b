// Paths and texts at the command line's edges: a "\" in an argument is part of a name, a link that leads
// nowhere is an unreadable document (never a missing one, never written through), and texts from
// documents or folder names reach the terminal escaped.

#include "support/CliRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using namespace velmaro::test;

namespace {

const QString kData = QStringLiteral(VELMARO_TEST_DATA);

QByteArray dataFile(const QString& name)
{
    return readFile(kData + QLatin1Char('/') + name);
}

// A project folder at `dir` with a good pargen.xml.
void makeProject(const QString& dir)
{
    QVERIFY(QDir().mkpath(dir + QStringLiteral("/bin")));
    writeFile(dir + QStringLiteral("/pargen.xml"), dataFile(QStringLiteral("device/pargen_defaults.xml")));
}

// Arguments with T standing for the test's folder.
QStringList inFolder(QStringList args, const QString& folder)
{
    args.replaceInStrings(QStringLiteral("T/"), folder + QLatin1Char('/'));
    return args;
}

} // namespace

class TestCliPaths : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A "\" is a character of the folder's name: the verb works in "a\b", never in "a/b".
    void backslashIsPartOfTheName_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("written");   // must exist afterwards
        QTest::addColumn<QString>("untouched"); // must not
        QTest::newRow("image") << "image" << QStringList{"T/a\\b"} << "a\\b/bin/bank.bin"
                               << "a/b/bin/bank.bin";
        QTest::newRow("image, trailing backslash of the name")
            << "image" << QStringList{"T/c\\"} << "c\\/bin/bank.bin"
            << "c/bin/bank.bin";
        QTest::newRow("recover creates the named folder")
            << "recover" << QStringList{"T/bank.bin", "T/new\\proj"} << "new\\proj/pargen.xml"
            << "new";
        QTest::newRow("gsd output") << "gsd" << QStringList{"T/a\\b", "T/out\\x.gsd"} << "out\\x.gsd"
                                    << "out";
        QTest::newRow("report output") << "report" << QStringList{"T/a\\b", "T/r\\p.html"} << "r\\p.html"
                                       << "r";
    }
    void backslashIsPartOfTheName()
    {
        QFETCH(QString, verb);
        QFETCH(QStringList, args);
        QFETCH(QString, written);
        QFETCH(QString, untouched);
        QTemporaryDir dir;
        makeProject(dir.filePath(QStringLiteral("a\\b")));
        makeProject(dir.filePath(QStringLiteral("a/b")));
        makeProject(dir.filePath(QStringLiteral("c\\")));
        makeProject(dir.filePath(QStringLiteral("c")));
        writeFile(dir.filePath(QStringLiteral("bank.bin")),
                  dataFile(QStringLiteral("device/bank_defaults.bin")));
        const VerbRun run = runVerb(verb, inFolder(args, dir.path()));
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY(QFileInfo::exists(dir.filePath(written)));
        QVERIFY(!QFileInfo::exists(dir.filePath(untouched)));
        QVERIFY2(run.out.contains(dir.filePath(written)), qPrintable(run.out));
    }

    // A document that is a link to a place that does not exist (an unmounted share) is unreadable: the
    // verb fails naming the target, and nothing appears where the link points.
    void brokenLinkIsUnreadable_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("errHas");
        const QString target = QStringLiteral("share/gone");
        QTest::newRow("check, pargen.xml") << "pargen.xml"
                                           << "check" << QStringList{"T/p"} << target;
        QTest::newRow("image, pargen.xml") << "pargen.xml"
                                           << "image" << QStringList{"T/p"} << target;
        QTest::newRow("gsd, pargen.xml") << "pargen.xml"
                                         << "gsd" << QStringList{"T/p", "T/out.gsd"} << target;
        QTest::newRow("recover keeps a linked pargen.xml")
            << "pargen.xml"
            << "recover" << QStringList{"T/bank.bin", "T/p"} << "exists already";
        QTest::newRow("recover --force never writes through it")
            << "pargen.xml"
            << "recover" << QStringList{"T/bank.bin", "T/p", "--force"} << target;
        QTest::newRow("explain, bank.bin") << "bin/bank.bin"
                                           << "explain" << QStringList{"T/p"} << target;
        QTest::newRow("image over a linked bank.bin") << "bin/bank.bin"
                                                      << "image" << QStringList{"T/p"} << target;
        QTest::newRow("check over a linked bank.bin") << "bin/bank.bin"
                                                      << "check" << QStringList{"T/p"} << target;
        QTest::newRow("map, sdo.xml") << "sdo.xml"
                                      << "map" << QStringList{"T/p"} << target;
        QTest::newRow("export, rpdodef.xml") << "rpdodef.xml"
                                             << "export" << QStringList{"rpdodef", "T/p"} << target;
        QTest::newRow("import, the workbook")
            << "book.xlsx"
            << "import" << QStringList{"rpdodef", "T/p", "T/p/book.xlsx"} << target;
    }
    void brokenLinkIsUnreadable()
    {
        QFETCH(QString, document);
        QFETCH(QString, verb);
        QFETCH(QStringList, args);
        QFETCH(QString, errHas);
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("p"));
        makeProject(project);
        writeFile(dir.filePath(QStringLiteral("bank.bin")),
                  dataFile(QStringLiteral("device/bank_example2.bin")));
        const QString target = dir.filePath(QStringLiteral("share/gone"));
        QFile::remove(project + QLatin1Char('/') + document);
        QVERIFY(QFile::link(target, project + QLatin1Char('/') + document));
        const VerbRun run = runVerb(verb, inFolder(args, dir.path()));
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(errHas), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("share"))));
        QVERIFY(QFileInfo(project + QLatin1Char('/') + document).isSymLink()); // not replaced either
    }

    // Values from documents and folder names are printed with their control characters escaped; a row of
    // the map stays one line. The files a verb writes keep the document's bytes.
    void controlCharactersAreEscaped_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("sdo");
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("forged"); // text that must not start a line
        const QByteArray hostile = "<Serial_to_ProfiBus><ProfiBUS_IN><row Slave_ID=\"&#155;31m&#13;\" "
                                   "Type=\"Holding Register\" Address_Mod=\"1&#10;IN row 2: forged\" "
                                   "NPoint=\"1\" Address_Profi=\"0\" Mnemonic=\"\" /></ProfiBUS_IN>"
                                   "<ProfiBUS_OUT /></Serial_to_ProfiBus>";
        QTest::newRow("map rows") << "p" << hostile << "map" << QStringList{"T/p"}
                                  << "slave \\x9B31m\\r, register 1\\nIN row 2: forged"
                                  << "IN row 2";
        QTest::newRow("map --csv rows")
            << "p" << hostile << "map" << QStringList{"T/p", "--csv"} << "\\x9B31m\\r,1\\nIN row 2"
            << "IN row 2";
        QTest::newRow("folder name in a message")
            << "p\x1b[31m\r" << QByteArray() << "image" << QStringList{"T/p\x1b[31m\r"} << "p\\x1B[31m\\r/bin"
            << "/bin";
        QTest::newRow("missing folder in a refusal")
            << "p" << QByteArray() << "check" << QStringList{"T/q\x1b[2J"} << "q\\x1B[2J"
            << "";
    }
    void controlCharactersAreEscaped()
    {
        QFETCH(QString, folder);
        QFETCH(QByteArray, sdo);
        QFETCH(QString, verb);
        QFETCH(QStringList, args);
        QFETCH(QString, shown);
        QFETCH(QString, forged);
        QTemporaryDir dir;
        makeProject(dir.filePath(folder));
        if (!sdo.isEmpty())
            writeFile(dir.filePath(folder + QStringLiteral("/sdo.xml")), sdo);
        const VerbRun run = runVerb(verb, inFolder(args, dir.path()));
        const QString printed = run.out + run.err;
        QVERIFY2(printed.contains(shown), qPrintable(printed));
        for (const QChar c : printed)
            QVERIFY2(c == QLatin1Char('\n') || c.unicode() >= 0x20, qPrintable(printed));
        if (!forged.isEmpty())
            QVERIFY2(!printed.startsWith(forged) && !printed.contains(QLatin1Char('\n') + forged),
                     qPrintable(printed));
    }

    // export writes the table's values into the CSV file as they are; only the terminal gets escapes.
    void exportedFileKeepsItsBytes()
    {
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("p\x1b"));
        makeProject(project);
        writeFile(
            project + QStringLiteral("/rpdodef.xml"),
            "<rpdodef><row cobid=\"1&#155;x\" id_dev_orig=\"2\" en_bypass=\"1\" posind=\"0\" n_tpdo=\"1\" "
            "/></rpdodef>");
        const VerbRun run = runVerb(QStringLiteral("export"), {QStringLiteral("rpdodef"), project});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY(run.out.contains(QStringLiteral("p\\x1B/rpdodef.csv")));
        QVERIFY(readFile(project + QStringLiteral("/rpdodef.csv")).contains("1\xc2\x9bx"));
    }
};

QTEST_GUILESS_MAIN(TestCliPaths)
#include "tst_clipaths.moc"
