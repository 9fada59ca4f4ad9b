#include "canopen/EmcyWordDocument.h"
#include "canopen/EmcyWordTable.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using namespace velmaro::emcyword;
using velmaro::test::writeFile;

namespace {

TClWEmcy word(const QString& devid, const QString& index, const QString& subindex)
{
    TClWEmcy w;
    w.devid = devid;
    w.index_addrm = index;
    w.subindex = subindex;
    return w;
}

QStringList record(const QString& extdata)
{
    QStringList r = EmcyWordDocument::RowValues(
        word(QStringLiteral("5"), QStringLiteral("0x2000"), QStringLiteral("1")), Side::A);
    r[2] = extdata;
    return r;
}

QString dataFile(const char* name)
{
    return QStringLiteral(VELMARO_TEST_DATA "/canopen/emcyword/") + QLatin1String(name);
}

// A row element with all 52 attributes; `name` and `extra` vary the element and add attributes.
QByteArray rowXml(const char* name, const QString& index, const QString& extdata, const QString& poscomp,
                  const char* extra = "")
{
    QStringList values =
        EmcyWordDocument::RowValues(word(QStringLiteral("1"), index, QStringLiteral("0")), Side::A);
    values[2] = extdata;
    values[6] = poscomp;
    QString xml = QStringLiteral("<") + QLatin1String(name);
    for (int i = 0; i < values.size(); ++i)
        xml += QStringLiteral(" %1=\"%2\"")
                   .arg(EmcyWordDocument::definition().AttributeNames.at(i), values.at(i));
    xml += QLatin1String(extra) + QStringLiteral("/>");
    return xml.toUtf8();
}

} // namespace

class TestEmcyWord : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void attributeNames()
    {
        const QStringList& names = EmcyWordDocument::definition().AttributeNames;
        QCOMPARE(names.size(), 52);
        QCOMPARE(names.mid(0, 7), (QStringList{"index_addrm", "subindex", "extdata", "devid", "bit0_b0",
                                               "bit0_b1", "bit0_poscomp"}));
        QCOMPARE(names.at(49), QStringLiteral("bit15_b0"));
        QCOMPARE(names.last(), QStringLiteral("bit15_poscomp"));
    }

    void packing_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("packed");
        QTest::addColumn<QString>("shownFirst");
        QTest::addColumn<QString>("shownSecond");
        QTest::newRow("2 and 5") << "2"
                                 << "5"
                                 << "37"
                                 << "2"
                                 << "5";
        QTest::newRow("second carries into first") << "1"
                                                   << "17"
                                                   << "33"
                                                   << "2"
                                                   << "1";
        QTest::newRow("hex texts") << "0x3"
                                   << "$F"
                                   << "63"
                                   << "3"
                                   << "15";
        QTest::newRow("modulo 65536") << "4096"
                                      << "1"
                                      << "1"
                                      << "0"
                                      << "1";
        QTest::newRow("negative wraps") << "-1"
                                        << "0"
                                        << "65520"
                                        << "4095"
                                        << "0";
    }
    void packing()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, packed);
        QFETCH(QString, shownFirst);
        QFETCH(QString, shownSecond);
        const auto p = PackPositions(first, second);
        QVERIFY(p.ok());
        QCOMPARE(p.value(), packed);
        const auto u = UnpackPositions(p.value());
        QVERIFY(u.ok());
        QCOMPARE(u->first, shownFirst);
        QCOMPARE(u->second, shownSecond);
    }

    void unpackKeepsLow16Bits()
    {
        const auto u = UnpackPositions(QStringLiteral("0x10025"));
        QVERIFY(u.ok());
        QCOMPARE(u->first, QStringLiteral("2"));
        QCOMPARE(u->second, QStringLiteral("5"));
    }

    void conversionFailures()
    {
        QCOMPARE(UnpackPositions(QString()).error(), QStringLiteral("'' is not a valid integer value"));
        QCOMPARE(PackPositions(QStringLiteral("1"), QStringLiteral("x")).error(),
                 QStringLiteral("'x' is not a valid integer value"));
    }

    void recordSide_data()
    {
        QTest::addColumn<QString>("extdata");
        QTest::addColumn<int>("wordsA");
        QTest::addColumn<int>("wordsB");
        QTest::newRow("0 is side A") << "0" << 1 << 0;
        QTest::newRow("1 is side B") << "1" << 0 << 1;
        QTest::newRow("2 is dropped") << "2" << 0 << 0;
        QTest::newRow("hex 1 is side B") << "0x1" << 0 << 1;
    }
    void recordSide()
    {
        QFETCH(QString, extdata);
        QFETCH(int, wordsA);
        QFETCH(int, wordsB);
        const auto r = EmcyWordDocument::WordFromRecord(record(extdata));
        QVERIFY(r.ok());
        EmcyWordTable table;
        table.addRecord(r.value());
        QCOMPARE(table.side(Side::A).words.size(), wordsA);
        QCOMPARE(table.side(Side::B).words.size(), wordsB);
    }

    void recordFailures()
    {
        QVERIFY(!EmcyWordDocument::WordFromRecord(record(QString())).ok());
        QVERIFY(!EmcyWordDocument::WordFromRecord(record(QStringLiteral("one"))).ok());
        QVERIFY(!EmcyWordDocument::WordFromRecord(record(QStringLiteral("0")).mid(0, 51)).ok());
    }

    void loadedLabels()
    {
        // Two side-A rows and one side-B row give W0, W1 on A and W0 on B.
        EmcyWordTable table;
        for (const char* side : {"0", "1", "0"})
            table.addRecord(EmcyWordDocument::WordFromRecord(record(QLatin1String(side))).value());
        QCOMPARE(table.side(Side::A).labels, (QStringList{"W0", "W1"}));
        QCOMPARE(table.side(Side::B).labels, QStringList{"W0"});
    }

    void rowAndCsvValues()
    {
        TClWEmcy w = word(QStringLiteral("7"), QStringLiteral("0x2000"), QStringLiteral("3"));
        w.bits[15].poscomp = QStringLiteral("33");
        const QStringList row = EmcyWordDocument::RowValues(w, Side::B);
        QCOMPARE(row.mid(0, 4), (QStringList{"0x2000", "3", "1", "7"}));
        QCOMPARE(row.last(), QStringLiteral("33"));
        const QStringList csv = EmcyWordDocument::CsvValues(w);
        QCOMPARE(csv.size(), 52);
        QCOMPARE(csv.mid(0, 4), (QStringList{"0x2000", "3", "7", "0"}));
    }

    void saveOrder_data()
    {
        QTest::addColumn<QStringList>("tuples"); // "devid,index,subindex" in list order
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("by devid, index, subindex")
            << QStringList{"2,1,0", "1,8192,2", "1,4096,9", "1,8192,1"} << QList<int>{2, 3, 1, 0};
        QTest::newRow("subindex decides last") << QStringList{"1,1,5", "1,2,0"} << QList<int>{0, 1};
        QTest::newRow("equal tuples later-listed first")
            << QStringList{"1,1,1", "1,1,1", "0,0,0"} << QList<int>{2, 1, 0};
        QTest::newRow("hex equals decimal") << QStringList{"1,0x2000,1", "1,8192,1"} << QList<int>{1, 0};
        QTest::newRow("sentinel itself ordered")
            << QStringList{"999999,999999,999999", "3,0,0"} << QList<int>{1, 0};
        QTest::newRow("above sentinel after the others")
            << QStringList{"1000000,0,0", "999999,999999,999999", "5,0,0"} << QList<int>{2, 1, 0};
        QTest::newRow("empty") << QStringList{} << QList<int>{};
    }
    void saveOrder()
    {
        QFETCH(QStringList, tuples);
        QFETCH(QList<int>, order);
        QList<TClWEmcy> words;
        for (const QString& t : tuples) {
            const QStringList p = t.split(QLatin1Char(','));
            words << word(p.at(0), p.at(1), p.at(2));
        }
        QList<QStringList> keys;
        for (const TClWEmcy& w : words)
            keys << EmcyWordDocument::SaveKey(w);
        const auto r = OrderByKey(keys, EmcyWordDocument::format().order);
        QVERIFY(r.ok());
        QCOMPARE(r.value(), order);
    }

    void checkWordKey_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("subindex");
        QTest::addColumn<QString>("devid");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("own");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("new, free key") << "0x2000"
                                       << "2"
                                       << "5" << int(NewOnA) << -1 << true;
        QTest::newRow("new, empty subindex") << "0x2000"
                                             << ""
                                             << "5" << int(NewOnA) << -1 << false;
        QTest::newRow("new, duplicate on A") << "0x2000"
                                             << "1"
                                             << "5" << int(NewOnA) << -1 << false;
        QTest::newRow("new, same key on B") << "0x2000"
                                            << "1"
                                            << "5" << int(NewOnB) << -1 << true;
        QTest::newRow("texts compared exactly") << "8192"
                                                << "1"
                                                << "5" << int(NewOnA) << -1 << true;
        QTest::newRow("modify itself unchanged") << "0x2000"
                                                 << "1"
                                                 << "5" << int(ModifyOnA) << 0 << true;
        QTest::newRow("modify onto another word") << "0x2000"
                                                  << "1"
                                                  << "5" << int(ModifyOnA) << 1 << false;
        QTest::newRow("other mode accepts") << ""
                                            << ""
                                            << "" << 7 << -1 << true;
    }
    void checkWordKey()
    {
        QFETCH(QString, index);
        QFETCH(QString, subindex);
        QFETCH(QString, devid);
        QFETCH(int, mode);
        QFETCH(int, own);
        QFETCH(bool, accepted);
        EmcyWordTable table;
        QVERIFY(table.newWord(Side::A, "0x2000", "1", "5").accepted());
        QVERIFY(table.newWord(Side::A, "0x3000", "1", "5").accepted());
        QCOMPARE(table.CheckWordKey(index, subindex, devid, mode, own), accepted);
    }

    void numbersNeverRenumbered()
    {
        EmcyWordTable table;
        QCOMPARE(table.NextWordNumber(Side::A), QStringLiteral("0"));
        for (const char* index : {"1", "2", "3"})
            QVERIFY(table.newWord(Side::A, QLatin1String(index), "0", "1").accepted());
        QVERIFY(!table.deleteNode(Side::A, NodesPerWord + 3).accepted()); // a bit node
        QVERIFY(table.deleteNode(Side::A, NodesPerWord).accepted());      // W1
        QVERIFY(table.newWord(Side::A, "4", "0", "1").accepted());
        QCOMPARE(table.side(Side::A).labels, (QStringList{"W0", "W2", "W3"}));
    }

    void modifyBitKeepsMasksOnBadPosition()
    {
        EmcyWordTable table;
        QVERIFY(table.newWord(Side::B, "1", "1", "1").accepted());
        QVERIFY(table.modifyBit(Side::B, 1, {"0xFF", "0x01", "1", "17"}).accepted());
        QCOMPARE(table.side(Side::B).words[0].bits[0].poscomp, QStringLiteral("33"));
        const EditOutcome s = table.modifyBit(Side::B, 1, {"0x0F", "0x02", "a", "1"});
        QCOMPARE(s.kind, EditOutcome::Failed);
        QCOMPARE(s.messages, QStringList{"'a' is not a valid integer value"});
        const ClEbm& bit = table.side(Side::B).words[0].bits[0];
        QCOMPARE(bit.b0, QStringLiteral("0x0F"));
        QCOMPARE(bit.b1, QStringLiteral("0x02"));
        QCOMPARE(bit.poscomp, QStringLiteral("33"));
    }

    void modifyWord()
    {
        EmcyWordTable table;
        QVERIFY(table.newWord(Side::A, "1", "1", "1").accepted());
        QVERIFY(table.newWord(Side::A, "2", "1", "1").accepted());
        QVERIFY(!table.modifyWord(Side::A, NodesPerWord, "1", "1", "1").accepted());
        QCOMPARE(table.side(Side::A).words[1].index_addrm, QStringLiteral("2"));
        QVERIFY(table.modifyWord(Side::A, NodesPerWord, "3", "1", "1").accepted());
        QCOMPARE(table.side(Side::A).words[1].index_addrm, QStringLiteral("3"));
        QCOMPARE(table.side(Side::A).labels.at(1), QStringLiteral("W1"));
    }

    void loadsDocument()
    {
        QTemporaryDir dir;
        writeFile(dir.path() + QStringLiteral("/emcyword.xml"),
                  "<emcyword>\n" + rowXml("row", "1", "0", "37") + rowXml("item", "2", "1", "", " note=\"x\"")
                      + rowXml("row", "3", "0", "5") + rowXml("row", "4", "2", "5") + "</emcyword>");
        EmcyWordTable table;
        ProjectPaths paths;
        paths.EmcyWordXmlPath = dir.path() + QStringLiteral("\\emcyword.xml");
        const DocumentLoad r = EmcyWordDocument::load(paths, table);
        QVERIFY(r.failures.isEmpty());
        QVERIFY(!r.readWhole); // the word with marker 2 is not kept
        QCOMPARE(table.side(Side::A).labels, (QStringList{"W0", "W1"}));
        QCOMPARE(table.side(Side::A).words.at(1).index_addrm, QStringLiteral("3"));
        QCOMPARE(table.side(Side::B).labels, QStringList{"W0"});
        QCOMPARE(table.side(Side::B).words.at(0).bits[0].poscomp, QString());
    }

    void loadFailures_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<int>("wordsKept");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing attribute")
            << QByteArray("<emcyword>" + rowXml("row", "1", "0", "1") + "<row index_addrm=\"2\"/></emcyword>")
            << 1 << "Error in reading file XML";
        QTest::newRow("side marker not an integer") << QByteArray(
            "<emcyword>" + rowXml("row", "1", "0", "1") + rowXml("row", "2", "A", "1") + "</emcyword>")
                                                    << 1 << "Error in reading file XML";
        QTest::newRow("not well-formed") << QByteArray("<emcyword><row") << 0 << "Error in reading file XML";
        QTest::newRow("empty root") << QByteArray("<emcyword/>") << 0 << "";
    }
    void loadFailures()
    {
        QFETCH(QByteArray, xml);
        QFETCH(int, wordsKept);
        QFETCH(QString, message);
        QTemporaryDir dir;
        writeFile(dir.path() + QStringLiteral("/emcyword.xml"), xml);
        EmcyWordTable table;
        ProjectPaths paths;
        paths.EmcyWordXmlPath = dir.path() + QStringLiteral("\\emcyword.xml");
        const DocumentLoad r = EmcyWordDocument::load(paths, table);
        QCOMPARE(r.messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(r.readWhole, message.isEmpty());
        QCOMPARE(table.side(Side::A).words.size(), wordsKept);
        EmcyWordTable none;
        paths.EmcyWordXmlPath = dir.path() + QStringLiteral("\\nothing.xml");
        const DocumentLoad missing = EmcyWordDocument::load(paths, none);
        QCOMPARE(missing.messages(), QStringList{QStringLiteral("File XML not found")});
        QVERIFY(missing.readWhole);
    }

    void saveRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("\\emcyword.xml");
        EmcyWordTable table;
        QVERIFY(table.newWord(Side::B, "0x1000", "1", "9").accepted());
        QVERIFY(table.newWord(Side::A, "8192", "2", "2").accepted());
        QVERIFY(table.newWord(Side::A, "4096", "9", "1").accepted());
        QVERIFY(table.modifyBit(Side::A, 1, {"0xFF", "0x0F", "1", "17"}).accepted());
        ProjectPaths paths;
        paths.EmcyWordXmlPath = path;
        QVERIFY(EmcyWordDocument::save(paths, table).ok());
        EmcyWordTable again;
        QVERIFY(EmcyWordDocument::load(paths, again).failures.isEmpty());
        // Side A in key order (devid 1 before 2), then side B.
        QCOMPARE(again.side(Side::A).words.at(0).index_addrm, QStringLiteral("4096"));
        QCOMPARE(again.side(Side::A).words.at(1).bits[0].poscomp, QStringLiteral("33"));
        QCOMPARE(again.side(Side::A).words.at(1).bits[0].b1, QStringLiteral("0x0F"));
        QCOMPARE(again.side(Side::B).words.at(0).devid, QStringLiteral("9"));
        QFile f(dir.path() + QStringLiteral("/emcyword.xml"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.startsWith("<emcyword>"));
        QVERIFY(
            text.contains("<row index_addrm=\"4096\" subindex=\"9\" extdata=\"0\" devid=\"1\" bit0_b0=\"\""));
        QVERIFY(text.contains("extdata=\"1\" devid=\"9\""));
    }

    void importsWorksheet_data()
    {
        QTest::addColumn<QString>("workbook");
        QTest::addColumn<int>("wordsA");
        QTest::addColumn<int>("wordsB");
        QTest::addColumn<int>("outcome");
        QTest::newRow("sheet name in another case")
            << "emcyword.xlsx" << 2 << 1 << int(ImportOutcome::Outcome::Imported);
        QTest::newRow("no worksheet empties")
            << "emcyword_nosheet.xlsx" << 0 << 0 << int(ImportOutcome::Outcome::NoWorksheet);
        QTest::newRow("empty side marker stops")
            << "emcyword_stop.xlsx" << 1 << 0 << int(ImportOutcome::Outcome::StoppedAtRecord);
    }
    void importsWorksheet()
    {
        QFETCH(QString, workbook);
        QFETCH(int, wordsA);
        QFETCH(int, wordsB);
        QFETCH(int, outcome);
        EmcyWordTable table;
        QVERIFY(table.newWord(Side::A, "7", "7", "7").accepted());
        const ImportOutcome r = EmcyWordDocument::importWorkbook(dataFile(workbook.toLatin1().constData()),
                                                                 table, ImportRule::Editor);
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(table.side(Side::A).words.size(), wordsA);
        QCOMPARE(table.side(Side::B).words.size(), wordsB);
    }

    void importedTexts()
    {
        EmcyWordTable table;
        EmcyWordDocument::importWorkbook(dataFile("emcyword.xlsx"), table, ImportRule::Editor);
        const TClWEmcy& w = table.side(Side::A).words.at(0);
        QCOMPARE(w.index_addrm, QStringLiteral("0x2000"));
        QCOMPARE(w.devid, QStringLiteral("5"));
        QCOMPARE(w.bits[0].b0, QStringLiteral("0xFF"));
        QCOMPARE(w.bits[0].poscomp, QStringLiteral("37"));
        QCOMPARE(w.bits[1].b1, QString()); // an empty cell stays empty
        QCOMPARE(table.side(Side::B).words.at(0).index_addrm, QStringLiteral("8192"));
    }
};

QTEST_GUILESS_MAIN(TestEmcyWord)
#include "tst_emcyword.moc"
