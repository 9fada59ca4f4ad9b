#include "app/ProjectDiff.h"
#include "base/TabSeparated.h"
#include "canopen/EmcyDocument.h"
#include "canopen/EmcyWordDocument.h"
#include "canopen/PdoDocument.h"
#include "canopen/StoredPdoDocument.h"
#include "mapping/MappingRules.h"
#include "settings/CommSettings.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"
#include "support/TestProject.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <functional>

using namespace velmaro;

namespace {

const QString kCases = QStringLiteral(VELMARO_TEST_DATA "/diff/");

// Loads one document as its editor does, changes one cell when asked, and saves it as OK does.
using Resave = std::function<Status(const ProjectPaths& paths, bool change)>;

struct NamedResave
{
    const char* document;
    Resave resave;
};

const QList<NamedResave>& resaves()
{
    static const QList<NamedResave> all = {
        {"pargen.xml",
         [](const ProjectPaths& p, bool change) {
             CommSettings settings = **LoadCommSettings(p.PargenXmlPath);
             if (change)
                 settings.Ser_Baud = QStringLiteral("3");
             return SaveCommSettings(p.PargenXmlPath, settings);
         }},
        {"sdo.xml",
         [](const ProjectPaths& p, bool change) {
             MappingTables tables = LoadMappingDocument(p.SdoXmlPath).tables;
             if (change)
                 tables.in[2][3] = QStringLiteral("4");
             return SaveMappingDocument(p.SdoXmlPath, RowsInUse(tables));
         }},
        {"rpdodef.xml",
         [](const ProjectPaths& p, bool change) {
             PdoTable table;
             PdoDocument::load(p, table);
             if (change)
                 table.side(Side::A)[0][PdoPosInd] = QStringLiteral("5");
             return PdoDocument::save(p, table).status();
         }},
        {"sdopdo.xml",
         [](const ProjectPaths& p, bool change) {
             StoredPdoTable table;
             StoredPdoDocument::load(p, table);
             if (change)
                 table.pdos(Side::A)[0].Sdos[0].Poscomp = QStringLiteral("32");
             return StoredPdoDocument::save(p, table).status();
         }},
        {"emcydef.xml",
         [](const ProjectPaths& p, bool change) {
             EmcyTable table;
             EmcyDocument::load(p, table);
             if (change)
                 table.side(Side::A).entries[0].mask_eq_er = QStringLiteral("7");
             return EmcyDocument::save(p, table).status();
         }},
        {"emcyword.xml",
         [](const ProjectPaths& p, bool change) {
             EmcyWordTable table;
             EmcyWordDocument::load(p, table);
             if (change)
                 table.modifyBit(
                     Side::B, 1,
                     {QStringLiteral("9"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("2")});
             return EmcyWordDocument::save(p, table).status();
         }},
    };
    return all;
}

} // namespace

class TestProjectDiff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compare_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("expected"); // file in the folder
        QTest::addColumn<int>("exitCode");

        const QString txt = QStringLiteral("expected.txt");
        const QString a = QStringLiteral("a");
        const QString b = QStringLiteral("b");
        QTest::newRow("identical projects") << "identical" << a << b << QStringList() << txt << 0;
        QTest::newRow("one field; 0x13 equals 19") << "one_field" << a << b << QStringList() << txt << 1;
        QTest::newRow("one field with --text")
            << "one_field" << a << b << QStringList{QStringLiteral("--text")} << "expected_text.txt" << 1;
        QTest::newRow("one cell and the collision it makes")
            << "one_cell" << a << b << QStringList() << txt << 1;
        QTest::newRow("project against a single sdo.xml")
            << "one_cell" << a << "b/sdo.xml" << QStringList() << txt << 1;
        QTest::newRow("two single sdo.xml") << "one_cell"
                                            << "a/sdo.xml"
                                            << "b/sdo.xml" << QStringList() << txt << 1;
        QTest::newRow("inserted row is one line") << "inserted_row" << a << b << QStringList() << txt << 1;
        QTest::newRow("deleted rows") << "deleted_rows" << a << b << QStringList() << txt << 1;
        QTest::newRow("reordered attributes and a declaration")
            << "reordered_attributes" << a << b << QStringList() << txt << 0;
        QTest::newRow("re-indented files") << "reindented" << a << b << QStringList() << txt << 0;
        QTest::newRow("table rows by side and key") << "table_rows" << a << b << QStringList() << txt << 1;
        QTest::newRow("table rows as CSV")
            << "table_rows" << a << b << QStringList{QStringLiteral("--csv")} << "expected.csv" << 1;
        QTest::newRow("a document missing on one side")
            << "missing_one_side" << a << b << QStringList() << txt << 1;
        QTest::newRow("unreadable documents") << "unreadable" << a << b << QStringList() << txt << 2;
        QTest::newRow("image against project")
            << "image_against_project" << a << "b/bin/bank.bin" << QStringList() << txt << 1;
        QTest::newRow("image against pargen.xml") << "image_against_project"
                                                  << "a/pargen.xml"
                                                  << "b/bin/bank.bin" << QStringList() << txt << 1;
        QTest::newRow("kinds that cannot be compared") << "one_cell"
                                                       << "a/pargen.xml"
                                                       << "b/sdo.xml" << QStringList() << QString() << 2;
        QTest::newRow("argument that does not exist")
            << "one_cell" << a << "c" << QStringList() << QString() << 2;
        // Literal expectations start with "=".
        QTest::newRow("git's /dev/null for a removed document")
            << "one_cell"
            << "a/sdo.xml"
            << "/dev/null" << QStringList() << "=sdo.xml: only in A\n"
            << 1;
        QTest::newRow("git's /dev/null for an added document")
            << "one_cell"
            << "/dev/null"
            << "b/pargen.xml" << QStringList() << "=pargen.xml: only in B\n"
            << 1;
        QTest::newRow("/dev/null against a project") << "one_cell"
                                                     << "/dev/null" << b << QStringList() << QString() << 2;
        QTest::newRow("folders holding no document") << "one_cell"
                                                     << ".."
                                                     << "../one_cell/.." << QStringList() << QString() << 2;
        QTest::newRow("a file of no known kind beside a pargen.xml is read as one")
            << "one_cell"
            << "a/pargen.txt"
            << "b/pargen.xml" << QStringList()
            << "=pargen.xml: cannot be read in A: $A/pargen.txt: Start-end tags mismatch (line 1, column "
               "20)\n"
            << 2;
    }
    void compare()
    {
        QFETCH(QString, folder);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QStringList, options);
        QFETCH(QString, expected);
        QFETCH(int, exitCode);

        const QString dir = kCases + folder + QLatin1Char('/');
        const auto at = [&](const QString& p) { return p.startsWith(QLatin1Char('/')) ? p : dir + p; };
        const test::VerbRun run = test::runVerb(QStringLiteral("diff"), QStringList{at(a), at(b)} + options);
        QString out = run.out;
        out.replace(dir + QStringLiteral("b"), QStringLiteral("$B"));
        out.replace(dir + QStringLiteral("a"), QStringLiteral("$A"));
        const QString wanted = expected.isEmpty() ? QString()
                               : expected.startsWith(QLatin1Char('='))
                                   ? expected.mid(1)
                                   : QString::fromUtf8(test::readFile(dir + expected, "(missing)"));
        QCOMPARE(out, wanted);
        QCOMPARE(run.code, exitCode);
        QCOMPARE(run.err.isEmpty(), exitCode < 2);
    }

    // The report's comparison: the same entries as diff, escaped, in a page that still parses.
    void reportAppendsDifferences()
    {
        QTemporaryDir tmp;
        const QString page = tmp.filePath(QStringLiteral("r.html"));
        const QString dir = kCases + QStringLiteral("table_rows/");
        const test::VerbRun run =
            test::runVerb(QStringLiteral("report"), {dir + QStringLiteral("a"), page,
                                                     QStringLiteral("--compare"), dir + QStringLiteral("b")});
        QCOMPARE(run.code, 0);
        QXmlStreamReader xml(QString::fromUtf8(test::readFile(page)));
        QStringList cells;
        bool inComparison = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("h2"))
                inComparison = xml.readElementText().startsWith(QLatin1String("Differences from"));
            else if (inComparison && xml.isStartElement() && xml.name() == QLatin1String("td"))
                cells << xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        const QStringList firstRow{QStringLiteral("rpdodef.xml"), QStringLiteral("CanA cobid 0x181"),
                                   QStringLiteral("posind"), QStringLiteral("0"), QStringLiteral("2")};
        QCOMPARE(cells.mid(0, 5), firstRow);
        QCOMPARE(cells.size(), 5 * 5);
    }

    // A value the line would hide (empty, blanks at an end) is quoted; CSV keeps it as it is.
    void linesShowHiddenValues_data()
    {
        QTest::addColumn<QString>("oldValue");
        QTest::addColumn<QString>("newValue");
        QTest::addColumn<QString>("line");
        QTest::newRow("plain") << "0"
                               << "2"
                               << "t.xml: CanA cobid 1: posind 0 -> 2";
        QTest::newRow("emptied") << "0"
                                 << ""
                                 << "t.xml: CanA cobid 1: posind 0 -> \"\"";
        QTest::newRow("a blank") << " "
                                 << "1"
                                 << "t.xml: CanA cobid 1: posind \" \" -> 1";
        QTest::newRow("trailing blank") << "1 "
                                        << "1"
                                        << "t.xml: CanA cobid 1: posind \"1 \" -> 1";
    }
    void linesShowHiddenValues()
    {
        QFETCH(QString, oldValue);
        QFETCH(QString, newValue);
        QFETCH(QString, line);
        const DiffEntry e{DiffEntry::Kind::Changed,
                          QStringLiteral("t.xml"),
                          QStringLiteral("CanA cobid 1"),
                          QStringLiteral("posind"),
                          oldValue,
                          newValue};
        QCOMPARE(DiffLine(e), line);
        QVERIFY(DiffCsv({e}).endsWith(CsvField(oldValue) + QLatin1Char(',') + CsvField(newValue)
                                      + QLatin1Char('\n')));
    }

    // Saving what was loaded gives the same bytes; one changed cell changes one line.
    void savingIsStable_data()
    {
        QTest::addColumn<int>("which");
        for (int i = 0; i < resaves().size(); ++i)
            QTest::newRow(resaves().at(i).document) << i;
    }
    void savingIsStable()
    {
        QFETCH(int, which);
        QTemporaryDir tmp;
        ProjectPaths paths;
        test::UseProjectDir(paths, tmp.path());
        const QString source = kCases + QStringLiteral("identical/a/");
        for (const QString& name : QDir(source).entryList(QDir::Files))
            QVERIFY(QFile::copy(source + name, tmp.filePath(name)));
        const Resave& resave = resaves().at(which).resave;
        const QString file = tmp.filePath(QLatin1String(resaves().at(which).document));

        QVERIFY(resave(paths, false).ok());
        const QByteArray first = test::readFile(file);
        QVERIFY(resave(paths, false).ok());
        QCOMPARE(test::readFile(file), first);

        QVERIFY(resave(paths, true).ok());
        const QList<QByteArray> before = first.split('\n');
        const QList<QByteArray> after = test::readFile(file).split('\n');
        QCOMPARE(after.size(), before.size());
        int changed = 0;
        for (int i = 0; i < before.size(); ++i)
            changed += before.at(i) != after.at(i) ? 1 : 0;
        QCOMPARE(changed, 1);
    }
};

QTEST_GUILESS_MAIN(TestProjectDiff)
#include "tst_projectdiff.moc"
