#include "base/IntegerText.h"
#include "canopen/StoredPdoDocument.h"
#include "platform/Workbook.h"
#include "tst_storedpdo_support.h"

#include <QTest>

Q_DECLARE_METATYPE(velmaro::TClPdo)

using namespace velmaro;
using velmaro::test::StoredPdoProject;

namespace {

// "number:index:subindex:poscomp" for every entry of a tab, in list order.
QStringList entries(const StoredPdoTable& table, Side tab)
{
    QStringList out;
    for (const TClPdo& pdo : table.pdos(tab))
        for (const TClSdo& s : pdo.Sdos)
            out << QStringLiteral("%1:%2:%3:%4").arg(pdo.Number).arg(s.Index, s.Subindex, s.Poscomp);
    return out;
}

QStringList cobIds(const StoredPdoTable& table, Side tab)
{
    QStringList out;
    for (const TClPdo& pdo : table.pdos(tab))
        out << QStringLiteral("%1=%2").arg(pdo.Number).arg(pdo.CobId);
    return out;
}

// Rows of a written sdopdo document as "index:subindex:nrpdo:poscomp".
QStringList documentRows(const QByteArray& xml)
{
    QStringList out;
    for (const QByteArray& line : xml.split('\n')) {
        if (!line.contains("<row"))
            continue;
        QStringList values;
        for (const char* name : {"index", "subindex", "nrpdo", "poscomp"}) {
            const QByteArray key = QByteArray(" ") + name + "=\"";
            const qsizetype at = line.indexOf(key) + key.size();
            values << QString::fromUtf8(line.mid(at, line.indexOf('"', at) - at));
        }
        out << values.join(QLatin1Char(':'));
    }
    return out;
}

TClPdo pdo(int number, const QString& cobid, const QList<TClSdo>& sdos = {})
{
    return TClPdo{cobid, number, sdos};
}

} // namespace

class TestStoredPdo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tabsTakeThePdosByBitOne_data()
    {
        QTest::addColumn<QStringList>("pdos");
        QTest::addColumn<QStringList>("canA");
        QTest::addColumn<QStringList>("canB");
        QTest::newRow("A-to-B record listed on CanB, B-to-A record on CanA")
            << QStringList{"0x181:3", "0x201:1"} << QStringList{"1=0x201"} << QStringList{"1=0x181"};
        QTest::newRow("enabled bit does not matter")
            << QStringList{"0x181:2", "0x182:0", "0x183:6"} << QStringList{"1=0x182"}
            << QStringList{"1=0x181", "2=0x183"};
        QTest::newRow("numbers follow document order per tab")
            << QStringList{"0x300:0", "0x100:1", "0x200:0"} << QStringList{"1=0x300", "2=0x100", "3=0x200"}
            << QStringList{};
    }
    void tabsTakeThePdosByBitOne()
    {
        QFETCH(QStringList, pdos);
        StoredPdoProject project;
        project.writePdos(pdos);
        StoredPdoTable table;
        const QStringList messages = StoredPdoDocument::load(project.paths, table).messages();
        QCOMPARE(messages, (QStringList{storedpdo::SdoNotFoundMessage, storedpdo::StoredNotFoundMessage}));
        QTEST(cobIds(table, Side::A), "canA");
        QTEST(cobIds(table, Side::B), "canB");
    }

    void storedRowsFindTheirPdo_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("canA");
        QTest::addColumn<QStringList>("canB");
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        const QStringList readError{storedpdo::StoredReadErrorMessage};
        QTest::newRow("2 is the second PDO of CanA, 130 the second of CanB")
            << QStringList{"0x2000:1:2:33", "0x3000:2:130:16"} << QStringList{"2:0x2000:1:33"}
            << QStringList{"2:0x3000:2:16"} << none;
        QTest::newRow("hex nrpdo") << QStringList{"1:1:0x81:0"} << none << QStringList{"1:1:1:0"} << none;
        QTest::newRow("number above the tab's count dropped silently")
            << QStringList{"1:1:3:0", "2:2:1:0", "3:3:131:0"} << QStringList{"1:2:2:0"} << none << none;
        QTest::newRow("0 ends the read, rows before stay")
            << QStringList{"1:1:1:0", "2:2:0:0", "3:3:2:0"} << QStringList{"1:1:1:0"} << none << readError;
        QTest::newRow("128 ends the read")
            << QStringList{"1:1:128:0", "3:3:2:0"} << none << none << readError;
        QTest::newRow("nrpdo not an integer")
            << QStringList{"1:1:1:0", "2:2:x:0"} << QStringList{"1:1:1:0"} << none << readError;
        QTest::newRow("values kept as written")
            << QStringList{" 8192:+1:1:$21"} << QStringList{"1: 8192:+1:$21"} << none << none;
    }
    void storedRowsFindTheirPdo()
    {
        QFETCH(QStringList, rows);
        StoredPdoProject project;
        project.writeSdoTable({});
        project.writePdos({"0x201:0", "0x202:0", "0x181:3", "0x182:2"});
        project.writeStored(rows);
        StoredPdoTable table;
        QTEST(StoredPdoDocument::load(project.paths, table).messages(), "messages");
        QTEST(entries(table, Side::A), "canA");
        QTEST(entries(table, Side::B), "canB");
    }

    void readsAreIndependentAndInOrder_data()
    {
        QTest::addColumn<QByteArray>("sdo");
        QTest::addColumn<QByteArray>("rpdodef");
        QTest::addColumn<QByteArray>("sdopdo");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("refsA");
        QTest::addColumn<int>("pdosA");
        QTest::addColumn<int>("entriesA");
        const QByteArray stored = "<sdopdo><row index='1' subindex='1' nrpdo='1' poscomp='0'/></sdopdo>";
        const QByteArray pdos = "<rpdodef><row cobid='0x201' en_bypass='0'/></rpdodef>";
        QTest::newRow("all three missing")
            << QByteArray() << QByteArray() << QByteArray()
            << QStringList{storedpdo::SdoNotFoundMessage, storedpdo::PdoNotFoundMessage,
                           storedpdo::StoredNotFoundMessage}
            << 0 << 0 << 0;
        QTest::newRow("mapping document in place of the SDO table")
            << test::kMappingDocument << pdos << stored << QStringList{storedpdo::SdoReadErrorMessage} << 0
            << 1 << 1;
        QTest::newRow("SDO rows before a bad one stay")
            << QByteArray("<sdo><row conf='0' IndexA='1' SubindexA='2'/><row conf='0' IndexA='3'/></sdo>")
            << pdos << stored << QStringList{storedpdo::SdoReadErrorMessage} << 1 << 1 << 1;
        QTest::newRow("PDO document not well-formed, stored rows then have no PDO")
            << QByteArray("<sdo/>") << QByteArray("<rpdodef><row") << stored
            << QStringList{storedpdo::PdoReadErrorMessage} << 0 << 0 << 0;
        QTest::newRow("PDO rows need only cobid and en_bypass, under any element name")
            << QByteArray("<sdo/>") << QByteArray("<rpdodef><pdo en_bypass='0' cobid='1' x='y'/></rpdodef>")
            << stored << QStringList{} << 0 << 1 << 1;
        QTest::newRow("stored document not well-formed")
            << QByteArray("<sdo/>") << pdos << QByteArray("<sdopdo>")
            << QStringList{storedpdo::StoredReadErrorMessage} << 0 << 1 << 0;
        QTest::newRow("stored row without poscomp")
            << QByteArray("<sdo/>") << pdos
            << QByteArray("<sdopdo><row index='1' subindex='1' nrpdo='1'/></sdopdo>")
            << QStringList{storedpdo::StoredReadErrorMessage} << 0 << 1 << 0;
    }
    void readsAreIndependentAndInOrder()
    {
        QFETCH(QByteArray, sdo);
        QFETCH(QByteArray, rpdodef);
        QFETCH(QByteArray, sdopdo);
        StoredPdoProject project;
        if (!sdo.isEmpty())
            project.write(QStringLiteral("sdo.xml"), sdo);
        if (!rpdodef.isEmpty())
            project.write(QStringLiteral("rpdodef.xml"), rpdodef);
        if (!sdopdo.isEmpty())
            project.write(QStringLiteral("sdopdo.xml"), sdopdo);
        StoredPdoTable table;
        QTEST(StoredPdoDocument::load(project.paths, table).messages(), "messages");
        QTEST(int(table.SdoRefListA().size()), "refsA");
        QTEST(int(table.PdoListA().size()), "pdosA");
        QTEST(int(entries(table, Side::A).size()), "entriesA");
    }

    void sdoTableSplitsByConfBitZero()
    {
        StoredPdoProject project;
        project.writeSdoTable({"0:0x1000:1", "1:0x1000:2", "2:0x1000:3", "3:0x1000:4"});
        StoredPdoTable table;
        StoredPdoDocument::load(project.paths, table);
        QCOMPARE(table.SdoRefListA().size(), 2);
        QCOMPARE(table.SdoRefListB().size(), 2);
        QCOMPARE(table.SdoRefListA().at(1).Subindex, QStringLiteral("3"));
        QCOMPARE(table.SdoRefListB().at(0).Subindex, QStringLiteral("2"));
    }

    void checkSdoEntry_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("subindex");
        QTest::addColumn<int>("exceptPdo");
        QTest::addColumn<int>("exceptSdo");
        QTest::addColumn<bool>("withLists");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        const int ok = EditOutcome::Accepted;
        const int rejected = EditOutcome::Rejected;
        const int failed = EditOutcome::Failed;
        // Stored: PDO 0 holds 8192/1, PDO 1 holds 0x3000/2; the SDO table holds 0x1000/5.
        QTest::newRow("0x2000/1 against 8192/1 of another PDO")
            << "0x2000"
            << "1" << -1 << -1 << true << rejected << storedpdo::AlreadyStoredMessage;
        QTest::newRow("pair of the SDO table")
            << "4096"
            << "0x5" << -1 << -1 << true << rejected << storedpdo::InSdoTableMessage;
        QTest::newRow("same index, other subindex") << "0x2000"
                                                    << "2" << -1 << -1 << true << ok << QString();
        QTest::newRow("modify keeps its own pair") << "8192"
                                                   << "1" << 0 << 0 << true << ok << QString();
        QTest::newRow("modify onto another entry's pair")
            << "0x3000"
            << "2" << 0 << 0 << true << rejected << storedpdo::AlreadyStoredMessage;
        QTest::newRow("exception on the same PDO, another entry")
            << "0x3000"
            << "2" << 1 << 1 << true << rejected << storedpdo::AlreadyStoredMessage;
        QTest::newRow("index not an integer")
            << "abc"
            << "1" << -1 << -1 << true << failed << QStringLiteral("'abc' is not a valid integer value");
        QTest::newRow("subindex converted only where the index matched")
            << "0x7000"
            << "junk" << -1 << -1 << true << ok << QString();
        QTest::newRow("subindex not an integer where the index matched")
            << "0x1000"
            << "" << -1 << -1 << true << failed << QStringLiteral("'' is not a valid integer value");
        QTest::newRow("nothing converted when the lists are empty")
            << ""
            << "x" << -1 << -1 << false << ok << QString();
    }
    void checkSdoEntry()
    {
        QFETCH(QString, index);
        QFETCH(QString, subindex);
        QFETCH(int, exceptPdo);
        QFETCH(int, exceptSdo);
        QFETCH(bool, withLists);
        QList<TClPdo> pdos;
        QList<TClSdo> refs;
        if (withLists) {
            pdos = {pdo(1, "0x201", {{"8192", "1", "0"}}), pdo(2, "0x202", {{"0x3000", "2", "0"}})};
            refs = {{"0x1000", "5", QString()}};
        }
        std::optional<EntryPosition> except;
        if (exceptPdo >= 0)
            except = EntryPosition{exceptPdo, exceptSdo};
        const EditOutcome outcome = CheckSdoEntry(index, subindex, except, pdos, refs);
        QTEST(int(outcome.kind), "kind");
        QTEST(outcome.messages.join(QLatin1Char('\n')), "message");
    }

    void pairOnTheOtherTabIsAccepted()
    {
        StoredPdoTable table;
        table.PdoListA() = {pdo(1, "0x201", {{"8192", "1", "0"}})};
        table.PdoListB() = {pdo(1, "0x181")};
        QVERIFY(AddSdoEntry(table, Side::B, 0, {"0x2000", "1", "0"}).accepted());
        QCOMPARE(entries(table, Side::B), QStringList{"1:0x2000:1:0"});
        QCOMPARE(AddSdoEntry(table, Side::A, 0, {"0x2000", "1", "0"}).kind, EditOutcome::Rejected);
        QCOMPARE(entries(table, Side::A), QStringList{"1:8192:1:0"});
    }

    void positionComposition_data()
    {
        QTest::addColumn<QString>("poscomp");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("B2 with B1") << "33" << 2 << 1;
        QTest::newRow("B3 with none") << "48" << 3 << 0;
        QTest::newRow("nibbles above 8 select B8") << "137" << 8 << 8;
        QTest::newRow("0xFF") << "0xFF" << 8 << 8;
        QTest::newRow("none with none") << "0" << 0 << 0;
    }
    void positionComposition()
    {
        QFETCH(QString, poscomp);
        const Result<std::pair<int, int>> items = SplitPoscomp(poscomp);
        QVERIFY(items.ok());
        QTEST(items->first, "high");
        QTEST(items->second, "low");
        if (items->first < 8 && items->second < 8)
            QCOMPARE(ComposePoscomp(items->first, items->second),
                     QString::number(ParseIntegerTextOr(poscomp, -1)));
        QCOMPARE(SplitPoscomp(QString()).error(), QStringLiteral("'' is not a valid integer value"));
    }

    void saveOrdersAcrossPdosOfATab_data()
    {
        QTest::addColumn<QList<TClPdo>>("canA");
        QTest::addColumn<QList<TClPdo>>("canB");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("PDO 2's smaller index first")
            << QList<TClPdo>{pdo(1, "0x201", {{"0x2000", "1", "0"}}),
                             pdo(2, "0x202", {{"0x1000", "5", "33"}})}
            << QList<TClPdo>{} << QStringList{"0x1000:5:2:33", "0x2000:1:1:0"};
        QTest::newRow("subindex decides within an index, side B gets 128")
            << QList<TClPdo>{pdo(1, "0x201", {{"1", "0", "0"}})}
            << QList<TClPdo>{pdo(1, "0x181", {{"0x10", "9", "1"}, {"16", "$2", "2"}}), pdo(2, "0x182")}
            << QStringList{"1:0:1:0", "16:$2:129:2", "0x10:9:129:1"};
        QTest::newRow("equal pairs keep their list order")
            << QList<TClPdo>{pdo(1, "0x201", {{"5", "1", "a"}}), pdo(2, "0x202", {{"0x5", "0x1", "b"}})}
            << QList<TClPdo>{} << QStringList{"5:1:1:a", "0x5:0x1:2:b"};
        QTest::newRow("sentinel index still in its place")
            << QList<TClPdo>{pdo(1, "0x201", {{"0x999999", "0", "0"}, {"1", "0", "0"}})} << QList<TClPdo>{}
            << QStringList{"1:0:1:0", "0x999999:0:1:0"};
        QTest::newRow("empty table") << QList<TClPdo>{pdo(1, "0x201")} << QList<TClPdo>{} << QStringList{};
    }
    void saveOrdersAcrossPdosOfATab()
    {
        QFETCH(QList<TClPdo>, canA);
        QFETCH(QList<TClPdo>, canB);
        StoredPdoProject project;
        StoredPdoTable table;
        table.PdoListA() = canA;
        table.PdoListB() = canB;
        const Result<bool> saved = StoredPdoDocument::save(project.paths, table);
        QVERIFY2(saved.ok(), qPrintable(saved.error()));
        const QByteArray xml = project.read(QStringLiteral("sdopdo.xml"));
        QVERIFY(xml.startsWith("<sdopdo"));
        QTEST(documentRows(xml), "rows");

        // What was written reads back into the same tabs.
        project.writePdos({"0x201:0", "0x202:0", "0x181:2", "0x182:2"});
        StoredPdoTable reread;
        StoredPdoDocument::load(project.paths, reread);
        QCOMPARE(entries(reread, Side::A).size(), entries(table, Side::A).size());
        QCOMPARE(entries(reread, Side::B).size(), entries(table, Side::B).size());
    }

    void refusedSaveWritesNothing_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("error");
        // An index that is not an integer: see tst_tabledocuments.
        QTest::newRow("PDO beyond the 127th") << 128 << "1"
                                              << "Cannot save: PDO 128 (COB-ID 0x37f) of tab \"CanB\" has "
                                                 "stored SDO entries, but only the first "
                                                 "127 PDOs of a tab can hold them. Nothing was written.";
    }
    void refusedSaveWritesNothing()
    {
        QFETCH(int, number);
        QFETCH(QString, index);
        StoredPdoProject project;
        project.write(QStringLiteral("sdopdo.xml"), "<sdopdo/>");
        StoredPdoTable table;
        for (int n = 1; n <= number; ++n)
            table.PdoListB().append(pdo(n, QStringLiteral("0x%1").arg(0x300 + n - 1, 0, 16)));
        table.PdoListB().last().Sdos = {{index, "1", "0"}};
        const Result<bool> saved = StoredPdoDocument::save(project.paths, table);
        QTEST(saved.error(), "error");
        QCOMPARE(project.read(QStringLiteral("sdopdo.xml")), QByteArray("<sdopdo/>"));
    }

    void pdo127IsStillWritten()
    {
        StoredPdoProject project;
        StoredPdoTable table;
        for (int n = 1; n <= 128; ++n)
            table.PdoListB().append(pdo(n, QString::number(n)));
        table.PdoListB()[126].Sdos = {{"1", "1", "0"}};
        QVERIFY(StoredPdoDocument::save(project.paths, table).ok());
        QCOMPARE(documentRows(project.read(QStringLiteral("sdopdo.xml"))), QStringList{"1:1:255:0"});
    }

    void exportWritesListOrderWithoutHeading()
    {
        StoredPdoProject project;
        StoredPdoTable table;
        table.PdoListA() = {
            pdo(1, "0x201", {{"0x2000", "1", "33"}, {"0x1000", "2", "0"}, {"a,b", "", "16"}})};
        table.PdoListB() = {pdo(1, "0x181"), pdo(2, "0x182", {{"5", "0", "137"}})};
        QVERIFY(StoredPdoDocument::exportCsv(project.paths, table).ok());
        QCOMPARE(project.read(QStringLiteral("sdopdo.csv")),
                 QByteArray("0x2000,1,1,33,\r\n0x1000,2,1,0,\r\na,b,,1,16,\r\n5,0,130,137,\r\n"));
    }

    void importDropsEntriesOnlyOnceTheWorksheetIsFound_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QStringList>("canA");
        QTest::addColumn<QStringList>("canB");
        QTest::addColumn<int>("strictStopsAt"); // 0: a strict import reads every record
        const QStringList heading{"index", "subindex", "nrpdo", "poscomp"};
        const QStringList kept{"1:0x1000:1:0"};
        QTest::newRow("no worksheet keeps the entries")
            << "other" << QList<QStringList>{heading, {"1", "1", "1", "0"}} << kept << QStringList{} << 0;
        QTest::newRow("worksheet without rows drops them all")
            << "sdopdo" << QList<QStringList>{heading} << QStringList{} << QStringList{} << 0;
        QTest::newRow("records go to their PDO, name in another case")
            << "SdoPdo"
            << QList<QStringList>{heading,
                                  {"0x2000", "1", "2", "33"},
                                  {"7", "", "129", ""},
                                  {"8", "8", "9", "0"}}
            << QStringList{"2:0x2000:1:33"} << QStringList{"1:7::"}
            << 2; // strict: its empty subindex is no key the save takes
        QTest::newRow("PDO number 0 ends the import, records before stay")
            << "sdopdo"
            << QList<QStringList>{heading, {"1", "1", "1", "0"}, {"2", "2", "128", "0"}, {"3", "3", "1", "0"}}
            << QStringList{"1:1:1:0"} << QStringList{} << 2;
        QTest::newRow("empty flag cell ends the import")
            << "sdopdo" << QList<QStringList>{heading, {"1", "1", "", "0"}, {"3", "3", "1", "0"}}
            << QStringList{} << QStringList{} << 1;
    }
    void importDropsEntriesOnlyOnceTheWorksheetIsFound()
    {
        QFETCH(QString, sheet);
        QFETCH(QList<QStringList>, rows);
        StoredPdoTable table;
        table.PdoListA() = {pdo(1, "0x201", {{"0x1000", "1", "0"}}), pdo(2, "0x202")};
        table.PdoListB() = {pdo(1, "0x181", {{"0x1000", "2", "0"}})};
        if (sheet == QLatin1String("other"))
            table.PdoListB()[0].Sdos.clear();
        MemoryWorkbook workbook;
        workbook.sheets.append(MemoryWorkbook::Sheet{sheet, rows});
        int emptied = 0;
        StoredPdoTable strictTable = table;
        StoredPdoDocument::importWorkbook(workbook, table, ImportRule::Editor, [&] { ++emptied; });
        QCOMPARE(emptied, 1);
        QTEST(entries(table, Side::A), "canA");
        QTEST(entries(table, Side::B), "canB");
        const ImportOutcome strict =
            StoredPdoDocument::importWorkbook(workbook, strictTable, ImportRule::EveryRecordKept);
        QTEST(strict.outcome == ImportOutcome::Outcome::StoppedAtRecord ? strict.record : 0, "strictStopsAt");
    }
};

QTEST_GUILESS_MAIN(TestStoredPdo)
#include "tst_storedpdo.moc"
