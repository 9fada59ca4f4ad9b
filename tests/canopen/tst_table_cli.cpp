// velmaro-cli "import" and "export" over every table kind of the list that drives them: the same
// cases for each kind, with each kind's own fixtures.

#include "canopen/EmcyDocument.h"
#include "canopen/EmcyWordDocument.h"
#include "canopen/PdoDocument.h"
#include "canopen/StoredPdoDocument.h"
#include "cli/CliTables.h"
#include "platform/Workbook.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"
#include "tst_storedpdo_support.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using velmaro::test::readFile;
using velmaro::test::runVerb;
using velmaro::test::StoredPdoProject;
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
        // Without the document: the empty table, and no word of a file not found.
        QTest::newRow("rpdodef: no document")
            << "rpdodef" << QByteArray() << QByteArray("cobid,id_dev_orig,00,posind,n_tpdo,\r\n,,00,,,\r\n")
            << QByteArray("cobid,id_dev_orig,10,posind,n_tpdo,\r\n,,10,,,\r\n");
        for (const char* kind : {"sdopdo", "emcydef", "emcyword"})
            QTest::addRow("%s: no document", kind) << kind << QByteArray() << QByteArray() << QByteArray();
    }
    void exportWritesTheEditorsCsv()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, csv);
        QFETCH(QByteArray, sideB);
        QTemporaryDir dir;
        if (!document.isEmpty())
            writeFile(dir.filePath(kind + QStringLiteral(".xml")), document);
        const VerbRun r = runVerb(QStringLiteral("export"), {kind, dir.path()});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
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
        QByteArray eleven = "<rpdodef>";
        for (int i = 1; i <= 11; ++i)
            eleven += "<row cobid=\"" + QByteArray::number(i)
                      + "\" id_dev_orig=\"\" en_bypass=\"3\" posind=\"\" n_tpdo=\"\"/>";
        QTest::newRow("rpdodef, eleven records on side A")
            << "rpdodef" << true << eleven + "</rpdodef>" << 1
            << "holds 11 records on side A; the editor shows and exports 10.";
        QTest::newRow("sdopdo, PDO number 0")
            << "sdopdo" << true
            << QByteArray("<sdopdo><row index=\"1\" subindex=\"1\" nrpdo=\"0\" poscomp=\"0\"/></sdopdo>") << 1
            << "could not be read completely: row 1 names PDO number 0";
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
        if (code != 1 || !folder)
            return;
        // The report lists the document with the verdict export gave.
        const QString verdict =
            r.err.section(QStringLiteral(" The CSV would miss"), 0, 0).section(QLatin1Char('\n'), -1);
        QVERIFY2(verdict.contains(kind + QStringLiteral(".xml\"")), qPrintable(r.err));
        const VerbRun report =
            runVerb(QStringLiteral("report"), {dir.path(), dir.filePath(QStringLiteral("report.html"))});
        QCOMPARE(report.code, 0);
        // check gives the same verdict, and fails only where the editor's OK would ask.
        const VerbRun checked = runVerb(QStringLiteral("check"), {dir.path()});
        QVERIFY2(checked.err.contains(verdict), qPrintable(checked.err));
        QCOMPARE(checked.code, verdict.contains(QLatin1String("could not be read completely")) ? 1 : 0);
        QVERIFY2(report.err.contains(kind + QStringLiteral(".xml: ") + verdict),
                 qPrintable(report.err + verdict));
    }

    // What the strict import (velmaro-cli) keeps, the OK saves and the Export writes; a record that would
    // not get there stops it, named with its worksheet row.
    void strictImportStopsWhereSaveOrExportWouldNot_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<QStringList>>("records"); // below the headings
        QTest::addColumn<int>("record");                 // where it stops; 0: imported
        QTest::addColumn<QString>("reason");
        QList<QStringList> pdos;
        for (int i = 1; i <= 11; ++i)
            pdos << QStringList{QString::number(i), "", "1", "", ""};
        QTest::newRow("rpdodef, ten records on side A") << "rpdodef" << pdos.mid(0, 10) << 0 << "";
        QTest::newRow("rpdodef, an eleventh on side A")
            << "rpdodef" << pdos << 11 << "side A already holds 10 records";
        QTest::newRow("rpdodef, eleven split over both sides")
            << "rpdodef" << pdos.mid(0, 10) + QList<QStringList>{{"11", "", "11", "", ""}} << 0 << "";
        QTest::newRow("rpdodef, cobid not an integer")
            << "rpdodef" << QList<QStringList>{{"1", "", "1", "", ""}, {"1z", "", "1", "", ""}} << 2
            << "its \"cobid\": '1z' is not a valid integer value";
        QTest::newRow("sdopdo, subindex not an integer")
            << "sdopdo" << QList<QStringList>{{"0x6000", "one", "1", "0"}} << 1
            << "its \"subindex\": 'one' is not";
        QStringList emcy(12, QStringLiteral("1"));
        emcy[0] = QStringLiteral("dev");
        QTest::newRow("emcydef, id_dev not an integer")
            << "emcydef" << QList<QStringList>{emcy} << 1 << "its \"id_dev\": 'dev' is not";
        QStringList word(52, QStringLiteral("0"));
        word[3] = QString();
        QTest::newRow("emcyword, empty devid")
            << "emcyword" << QList<QStringList>{word} << 1 << "its \"devid\": '' is not";
    }
    void strictImportStopsWhereSaveOrExportWouldNot()
    {
        QFETCH(QString, kind);
        QFETCH(QList<QStringList>, records);
        QFETCH(int, record);
        QFETCH(QString, reason);
        MemoryWorkbook book;
        const cli::CliTable* table = cli::FindCliTable(kind);
        QVERIFY(table);
        book.sheets.append({kind, QList<QStringList>{table->definition().AttributeNames} + records});
        ProjectPaths paths;
        QTemporaryDir dir;
        paths.ProjectDir = dir.path();
        SetDocumentPaths(paths);
        writeFile(dir.filePath(QStringLiteral("rpdodef.xml")), pdoDocument(1));
        const auto run = [&](auto document) {
            using Document = decltype(document);
            typename Document::Table t;
            Document::load(paths, t);
            const ImportOutcome r = Document::importWorkbook(book, t, ImportRule::EveryRecordKept);
            QCOMPARE(r.record, record);
            if (record == 0) {
                QVERIFY(r.ok());
                QVERIFY(Document::exportCsv(paths, t).ok());
                const QByteArray csv = readFile(dir.filePath(kind + QStringLiteral(".csv")));
                for (const QStringList& fields : records)
                    QVERIFY2(csv.contains(QByteArray(fields.at(0).toUtf8() + ",")), csv.constData());
                QVERIFY(Document::save(paths, t).ok());
                return;
            }
            QCOMPARE(r.sheetRow, record + 1);
            QVERIFY2(r.reason.contains(reason), qPrintable(r.reason));
        };
        if (kind == QLatin1String("rpdodef"))
            run(PdoDocument());
        else if (kind == QLatin1String("sdopdo"))
            run(StoredPdoDocument());
        else if (kind == QLatin1String("emcydef"))
            run(EmcyDocument());
        else
            run(EmcyWordDocument());
    }

    // The editor's Import says when it placed records that the grid does not show.
    void editorImportNamesRecordsNotShown()
    {
        QList<QStringList> rows{PdoDocument::definition().AttributeNames};
        for (int i = 1; i <= 12; ++i)
            rows << QStringList{QString::number(i), "", "1", "", ""};
        MemoryWorkbook book;
        book.sheets.append({QStringLiteral("rpdodef"), rows});
        PdoTable table;
        const ImportOutcome r = PdoDocument::importWorkbook(book, table, ImportRule::Editor);
        QVERIFY(r.ok());
        QVERIFY2(r.editorNote(QStringLiteral("w.xlsx"), QStringLiteral("rpdodef"))
                     .startsWith("side A holds 12 records"),
                 qPrintable(r.editorNote(QStringLiteral("w.xlsx"), QStringLiteral("rpdodef"))));
        rows.removeLast();
        rows.removeLast();
        book.sheets[0].rows = rows;
        QCOMPARE(PdoDocument::importWorkbook(book, table, ImportRule::Editor).editorNote({}, {}), QString());
    }

    // The stored-PDO export refuses a document its editor would not show whole; another document's
    // read error does not stop it.
    void storedPdoExportReadsAsTheEditorShows()
    {
        StoredPdoProject project;
        project.write(QStringLiteral("sdo.xml"), test::kMappingDocument);
        project.writePdos({"0x201:0", "0x181:3"});
        // An entry of a PDO the tab does not list would be left out of the CSV: refused, nothing written.
        project.writeStored({"0x2000:1:1:33", "0x1000:1:1:0", "7:7:129:16", "9:9:2:0"});
        QString out, err;
        QCOMPARE(runVerb("export", {"sdopdo", project.dir.path()}, out, err), 1);
        QVERIFY2(err.contains(QLatin1String("could not be read completely")), qPrintable(err));
        QVERIFY(!QFile::exists(project.dir.filePath(QStringLiteral("sdopdo.csv"))));
        // The SDO table's message does not stop the export: the stored entries do not depend on it.
        project.writeStored({"0x2000:1:1:33", "0x1000:1:1:0", "7:7:129:16"});
        err.clear();
        QCOMPARE(runVerb("export", {"sdopdo", project.dir.path()}, out, err), 0);
        QVERIFY2(err.startsWith(QLatin1String("Error in reading file SDO XML")), qPrintable(err));
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QCOMPARE(project.read(QStringLiteral("sdopdo.csv")),
                 QByteArray("0x2000,1,1,33,\r\n0x1000,1,1,0,\r\n7,7,129,16,\r\n"));
    }

    // An EMCY word workbook imported, then exported: side A in save order, then side B.
    void emcyWordImportThenExport()
    {
        QTemporaryDir dir;
        QString out, err;
        QCOMPARE(runVerb("import",
                         {"emcyword", dir.path(), data(QStringLiteral("emcyword/emcyword_kept.xlsx"))}, out,
                         err),
                 0);
        QVERIFY(QFile::exists(dir.path() + QStringLiteral("/emcyword.xml")));
        QCOMPARE(runVerb("export", {"emcyword", dir.path()}, out, err), 0);
        QFile f(dir.path() + QStringLiteral("/emcyword.csv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 4); // three words, then nothing after the last CR LF
        // Side A in save order (devid 5, then 7), then side B; the fourth value is always "0".
        QVERIFY(lines.at(0).startsWith("0x2000,1,5,0,0xFF,1,16,0xFF,1,17,"));
        QVERIFY(lines.at(2).startsWith("8192,2,6,0,"));
        QVERIFY(lines.at(2).endsWith(",\r"));
    }
};

QTEST_GUILESS_MAIN(TestTableCli)
#include "tst_table_cli.moc"
