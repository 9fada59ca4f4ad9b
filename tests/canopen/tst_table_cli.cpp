// velmaro-cli "import" and "export" over every table kind of the list that drives them: the same
// cases for each kind, with each kind's own fixtures.

#include "cli/CliTables.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using velmaro::test::readFile;
using velmaro::test::runVerb;
using velmaro::test::VerbRun;
using velmaro::test::writeFile;

namespace {

QString data(const QString& name)
{
    return QStringLiteral(VELMARO_TEST_DATA "/canopen/") + name;
}

// An emcydef row whose masks hold 1..10, the first of them `ec`.
QByteArray emcyRow(const QByteArray& device, const QByteArray& ec, const QByteArray& bypass)
{
    return "<row id_dev=\"" + device + "\" mask_eq_ec=\"" + ec
           + "\" mask_eq_er=\"2\" mask_eq_m1=\"3\" mask_eq_m2=\"4\" mask_eq_m3=\"5\" enmask_eq_ec=\"6\" "
             "enmask_eq_er=\"7\" enmask_eq_m1=\"8\" enmask_eq_m2=\"9\" enmask_eq_m3=\"10\" bypass_set=\""
           + bypass + "\"/>";
}

// A document of one record per kind: what an import that is refused must leave as it was.
QByteArray documentBefore(const QString& kind)
{
    if (kind == QLatin1String("rpdodef"))
        return "<rpdodef><row cobid=\"1\" id_dev_orig=\"d1\" en_bypass=\"3\" posind=\"p\" "
               "n_tpdo=\"n\"/></rpdodef>";
    if (kind == QLatin1String("sdopdo"))
        return "<sdopdo><row index=\"1\" subindex=\"1\" nrpdo=\"1\" poscomp=\"0\"/></sdopdo>";
    if (kind == QLatin1String("emcydef"))
        return "<emcydef>" + emcyRow("9", "", "37") + "</emcydef>";
    return "<emcyword/>";
}

// rpdodef.xml for the stored-PDO imports: tab "CanA" lists `canA` PDOs, tab "CanB" one.
QByteArray pdoDocument(int canA)
{
    QByteArray xml = "<rpdodef>";
    for (int i = 1; i <= canA; ++i)
        xml += "<row cobid=\"0x20" + QByteArray::number(i)
               + "\" id_dev_orig=\"1\" en_bypass=\"0\" posind=\"0\" n_tpdo=\"1\"/>";
    return xml
           + "<row cobid=\"0x181\" id_dev_orig=\"1\" en_bypass=\"3\" posind=\"0\" n_tpdo=\"1\"/></rpdodef>";
}

// The attribute text of every row element, in document order.
QByteArrayList rowsOf(const QByteArray& document)
{
    QByteArrayList rows;
    static const QRegularExpression row(QStringLiteral("<row ([^>]*?) ?/>"));
    for (const QRegularExpressionMatch& m : row.globalMatch(QString::fromUtf8(document)))
        rows << m.captured(1).toUtf8();
    return rows;
}

struct Project
{
    QTemporaryDir dir;
    explicit Project(const QString& kind, int pdos = 10)
    {
        writeFile(document(kind), documentBefore(kind));
        if (kind == QLatin1String("sdopdo"))
            writeFile(dir.filePath(QStringLiteral("rpdodef.xml")), pdoDocument(pdos));
    }
    QString document(const QString& kind) const { return dir.filePath(kind + QStringLiteral(".xml")); }
};

} // namespace

class TestTableCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyKindIsListed()
    {
        QStringList names;
        for (const cli::CliTable& table : cli::CliTables())
            names << QLatin1String(table.name) + QLatin1Char('=') + table.definition().TableName;
        QCOMPARE(names,
                 (QStringList{"rpdodef=rpdodef", "sdopdo=sdopdo", "emcydef=emcydef", "emcyword=emcyword"}));
    }

    void importSavesWhatItReports_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("workbook");
        QTest::addColumn<QByteArrayList>("rows"); // the start of each saved row, in order
        QTest::newRow("rpdodef, both sides in cobid order")
            << "rpdodef"
            << "pdo_calc.ods"
            << QByteArrayList{
                   "cobid=\"0x181\" id_dev_orig=\"7\" en_bypass=\"3\" posind=\"\" n_tpdo=\"2\"",
                   "cobid=\"385\" id_dev_orig=\"0x10\" en_bypass=\"2\" posind=\"3.5\" n_tpdo=\" \"",
                   "cobid=\"0x201\" id_dev_orig=\"5\" en_bypass=\"1\" posind=\"1\" n_tpdo=\"123456789\"",
                   "cobid=\"640\" id_dev_orig=\"12\" en_bypass=\"0\" posind=\"3\" n_tpdo=\"x\""};
        QTest::newRow("sdopdo, key order across PDOs")
            << "sdopdo"
            << "storedpdo/sdopdo.xlsx"
            << QByteArrayList{"index=\"5\" subindex=\"5\" nrpdo=\"9\" poscomp=\"0\"",
                              "index=\"0x6000\" subindex=\"1\" nrpdo=\"1\" poscomp=\"33\"",
                              "index=\"0x6001\" subindex=\"2\" nrpdo=\"2\" poscomp=\"\"",
                              "index=\"0x7000\" subindex=\"1\" nrpdo=\"129\" poscomp=\"16\""};
        QTest::newRow("sdopdo, worksheet without rows") << "sdopdo"
                                                        << "storedpdo/norows.xlsx" << QByteArrayList();
        QTest::newRow("emcydef, label order, side A first")
            << "emcydef"
            << "emcy/emcydef.xls"
            << QByteArrayList{
                   "id_dev=\"3\"", "id_dev=\"20\" mask_eq_ec=\"0xFF00\"",
                   "id_dev=\"0x10\" mask_eq_ec=\"1\" mask_eq_er=\"2\" mask_eq_m1=\"3\" mask_eq_m2=\"4\" "
                   "mask_eq_m3=\"5\" enmask_eq_ec=\"6\" enmask_eq_er=\"7\" enmask_eq_m1=\"8\" "
                   "enmask_eq_m2=\"9\" enmask_eq_m3=\"10\" bypass_set=\"37\"",
                   "id_dev=\"127\""};
        QTest::newRow("emcyword, key order per side")
            << "emcyword"
            << "emcyword/emcyword_kept.xlsx"
            << QByteArrayList{"index_addrm=\"0x2000\" subindex=\"1\" extdata=\"0\" devid=\"5\"",
                              "index_addrm=\"4096\" subindex=\"3\" extdata=\"0\" devid=\"7\"",
                              "index_addrm=\"8192\" subindex=\"2\" extdata=\"1\" devid=\"6\""};
    }
    void importSavesWhatItReports()
    {
        QFETCH(QString, kind);
        QFETCH(QString, workbook);
        QFETCH(QByteArrayList, rows);
        Project project(kind);
        const VerbRun r = runVerb(QStringLiteral("import"), {kind, project.dir.path(), data(workbook)});
        QCOMPARE(r.code, 0);
        const QByteArrayList saved = rowsOf(readFile(project.document(kind)));
        QVERIFY2(r.out.contains(QStringLiteral("Imported %1 records").arg(saved.size())), qPrintable(r.out));
        QCOMPARE(saved.size(), rows.size());
        for (int i = 0; i < rows.size(); ++i)
            QVERIFY2(saved.at(i).contains(rows.at(i)), saved.at(i).constData());
    }

    void importRefusesAndKeepsTheDocument_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("workbook");
        QTest::addColumn<QString>("reason");
        const QString wrongKind = QStringLiteral("storedpdo/make_workbooks.sh");
        const QString missing = QStringLiteral("absent.xlsx");
        for (const char* kind : {"rpdodef", "sdopdo", "emcydef", "emcyword"}) {
            QTest::addRow("%s, not a workbook", kind) << kind << wrongKind << "Cannot read workbook";
            QTest::addRow("%s, missing workbook", kind) << kind << missing << "Cannot read workbook";
        }
        QTest::newRow("rpdodef, no worksheet") << "rpdodef"
                                               << "pdo_nosheet_openpyxl.xlsx"
                                               << "has no worksheet \"rpdodef\"";
        QTest::newRow("sdopdo, no worksheet") << "sdopdo"
                                              << "storedpdo/nosheet.xlsx"
                                              << "has no worksheet \"sdopdo\"";
        QTest::newRow("emcydef, no worksheet") << "emcydef"
                                               << "emcy/nosheet.xlsx"
                                               << "has no worksheet \"emcydef\"";
        QTest::newRow("emcyword, no worksheet") << "emcyword"
                                                << "emcyword/emcyword_nosheet.xlsx"
                                                << "has no worksheet \"emcyword\"";
        QTest::newRow("rpdodef, flag not an integer")
            << "rpdodef"
            << "pdo_stop_openpyxl.xlsx"
            << "Import stopped at record 2 (worksheet row 3): '' is not a valid integer value";
        QTest::newRow("sdopdo, PDO number 0") << "sdopdo"
                                              << "storedpdo/stopped.xlsx"
                                              << "Import stopped at record";
        QTest::newRow("emcydef, flag not an integer") << "emcydef"
                                                      << "emcy/badflag.xlsx"
                                                      << "Import stopped at record";
        QTest::newRow("emcyword, empty side marker") << "emcyword"
                                                     << "emcyword/emcyword_stop.xlsx"
                                                     << "Import stopped at record 2 (worksheet row 3)";
        // Records the editor's OK would drop: the import used to report them and save fewer.
        QTest::newRow("rpdodef, empty cobid drops the records after it")
            << "rpdodef"
            << "rpdodef_emptycobid.xlsx"
            << "Import stopped at record 2 (worksheet row 3): its \"cobid\" is empty";
        QTest::newRow("emcyword, side marker 2") << "emcyword"
                                                 << "emcyword/emcyword.xlsx"
                                                 << "Import stopped at record 4 (worksheet row 5): its "
                                                    "\"extdata\" is 2, not 0 (side A) or 1 (side B)";
        QTest::newRow("sdopdo, a PDO the tab lacks") << "sdopdo"
                                                     << "storedpdo/sdopdo.xlsx"
                                                     << "which lists 2 PDO(s)";
    }
    void importRefusesAndKeepsTheDocument()
    {
        QFETCH(QString, kind);
        QFETCH(QString, workbook);
        QFETCH(QString, reason);
        Project project(kind, 2);
        const VerbRun r = runVerb(QStringLiteral("import"), {kind, project.dir.path(), data(workbook)});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(reason), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Nothing was saved.")), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(readFile(project.document(kind)), documentBefore(kind));
    }

    void exportWritesTheEditorsCsv_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("csv");   // the start of the file, or all of it when `sideB` is empty
        QTest::addColumn<QByteArray>("sideB"); // found further on in the file
        QTest::newRow("rpdodef: heading and ten grid rows per side")
            << "rpdodef"
            << QByteArray("<rpdodef><row cobid=\"0x181\" id_dev_orig=\"d\" en_bypass=\"3\" posind=\"p\" "
                          "n_tpdo=\"n\"/><row cobid=\"7\" id_dev_orig=\"d7\" en_bypass=\"0\" posind=\"p\" "
                          "n_tpdo=\"n\"/></rpdodef>")
            << QByteArray("cobid,id_dev_orig,00,posind,n_tpdo,\r\n0x181,d,01,p,n,\r\n,,00,,,\r\n")
            << QByteArray("cobid,id_dev_orig,10,posind,n_tpdo,\r\n7,d7,10,p,n,\r\n");
        QTest::newRow("emcydef: side A first, flags packed")
            << "emcydef"
            << "<emcydef>" + emcyRow("9", "", "37") + emcyRow("4", "0xFF", "17") + "</emcydef>"
            << QByteArray("4,0xFF,2,3,4,5,6,7,8,9,10,17,\r\n9,0,2,3,4,5,6,7,8,9,10,37,\r\n") << QByteArray();
        QTest::newRow("emcyword: an empty document")
            << "emcyword" << QByteArray("<emcyword/>") << QByteArray() << QByteArray();
    }
    void exportWritesTheEditorsCsv()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, csv);
        QFETCH(QByteArray, sideB);
        QTemporaryDir dir;
        writeFile(dir.filePath(kind + QStringLiteral(".xml")), document);
        const VerbRun r = runVerb(QStringLiteral("export"), {kind, dir.path()});
        QCOMPARE(r.code, 0);
        const QByteArray written = readFile(dir.filePath(kind + QStringLiteral(".csv")), "missing");
        if (sideB.isEmpty()) {
            QCOMPARE(written, csv);
        } else {
            QVERIFY2(written.startsWith(csv), written.constData());
            QVERIFY2(written.contains(sideB), written.constData());
        }
    }

    // Each kind's document with a row the editor cannot read (named on stderr), an unknown table, a missing
    // folder.
    void exportReportsBadInput_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("folder");         // false: the project folder does not exist
        QTest::addColumn<QByteArray>("document"); // the table document, when there is one
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString partly = QStringLiteral("could not be read completely");
        for (const char* kind : {"rpdodef", "emcydef", "emcyword"})
            QTest::addRow("%s, unreadable document", kind)
                << kind << true << "<" + QByteArray(kind) + "><row/></" + QByteArray(kind) + ">" << 1
                << "Error in reading file XML";
        QTest::newRow("sdopdo, unreadable document")
            << "sdopdo" << true << QByteArray("<sdopdo><row/></sdopdo>") << 1
            << "Error in reading file SDOPDO XML";
        QTest::newRow("rpdodef, a row after an empty cobid")
            << "rpdodef" << true
            << QByteArray(
                   "<rpdodef><row cobid=\"\" id_dev_orig=\"\" en_bypass=\"3\" posind=\"\" n_tpdo=\"\"/>"
                   "<row cobid=\"1\" id_dev_orig=\"\" en_bypass=\"3\" posind=\"\" n_tpdo=\"\"/></rpdodef>")
            << 1 << partly;
        QTest::newRow("sdopdo, an entry of a PDO not listed")
            << "sdopdo" << true
            << QByteArray("<sdopdo><row index=\"1\" subindex=\"1\" nrpdo=\"5\" poscomp=\"0\"/></sdopdo>") << 1
            << partly;
        QTest::newRow("unknown table") << "nosuch" << true << QByteArray() << 2 << "";
        QTest::newRow("missing folder") << "rpdodef" << false << QByteArray() << 1 << "";
    }
    void exportReportsBadInput()
    {
        QFETCH(QString, kind);
        QFETCH(bool, folder);
        QFETCH(QByteArray, document);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir dir;
        if (!document.isEmpty())
            writeFile(dir.filePath(kind + QStringLiteral(".xml")), document);
        const VerbRun r = runVerb(QStringLiteral("export"),
                                  {kind, folder ? dir.path() : dir.filePath(QStringLiteral("missing"))});
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath(kind + QStringLiteral(".csv")))); // nothing half-written
    }
};

QTEST_GUILESS_MAIN(TestTableCli)
#include "tst_table_cli.moc"
