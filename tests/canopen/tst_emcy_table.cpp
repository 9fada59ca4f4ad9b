#include "canopen/EmcyDocument.h"
#include "canopen/EmcyTable.h"
#include "platform/Workbook.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;

namespace {

EmcyControls controls(const QString& id, std::optional<int> alias = 0, bool enable = false)
{
    EmcyControls c;
    c.texts[0] = id;
    for (int i = 1; i < EmcyTextFieldCount; ++i)
        c.texts[size_t(i)] = QString::number(i);
    c.alias = alias;
    c.enable = enable;
    return c;
}

EmcyTable tableWithLabels(const QStringList& a, const QStringList& b = {})
{
    EmcyTable t;
    for (const QString& l : a)
        AppendEmcy(t, Side::A, TClEmcy{}, l);
    for (const QString& l : b)
        AppendEmcy(t, Side::B, TClEmcy{}, l);
    return t;
}

} // namespace

class TestEmcyTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void unpacksBypassSet_data()
    {
        QTest::addColumn<int>("packed");
        QTest::addColumn<int>("side");
        QTest::addColumn<bool>("enable");
        QTest::addColumn<int>("alias");
        QTest::newRow("35: side B, enabled, error code high") << 35 << 1 << true << 1;
        QTest::newRow("16: side A, disabled, Manu3") << 16 << 0 << false << 8;
        QTest::newRow("30: side A, code 15 kept") << 30 << 0 << false << 15;
        QTest::newRow("37: side B, enabled, error code low") << 37 << 1 << true << 2;
        QTest::newRow("higher bits ignored") << (64 + 128 + 3) << 0 << true << 1;
        QTest::newRow("negative: all bits set") << -1 << 1 << true << 15;
    }
    void unpacksBypassSet()
    {
        QFETCH(int, packed);
        TClEmcy e;
        QFETCH(int, side);
        QCOMPARE(EmcyDocument::UnpackBypassSet(packed, e), Side(side));
        QTEST(e.enable, "enable");
        QTEST(e.alias_use, "alias");
    }

    void packsBypassSet_data()
    {
        QTest::addColumn<int>("alias");
        QTest::addColumn<bool>("enable");
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("packed");
        QTest::newRow("side A, nothing") << 0 << false << 0 << "0";
        QTest::newRow("side A, Manu3, enabled") << 8 << true << 0 << "17";
        QTest::newRow("side B, error code low, enabled") << 2 << true << 1 << "37";
        QTest::newRow("side B, nothing") << 0 << false << 1 << "32";
        QTest::newRow("code 15 read back stays in its bits") << 15 << false << 0 << "30";
    }
    void packsBypassSet()
    {
        QFETCH(int, alias);
        QFETCH(bool, enable);
        QFETCH(int, side);
        TClEmcy e;
        e.alias_use = alias;
        e.enable = enable;
        QTEST(EmcyDocument::RowValues(e, Side(side)).last(), "packed");
        TClEmcy back;
        QCOMPARE(EmcyDocument::UnpackBypassSet(EmcyDocument::PackBypassSet(e, Side(side)), back), Side(side));
        QCOMPARE(back.alias_use, alias);
        QCOMPARE(back.enable, enable);
    }

    void checksIdentifier_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("newText");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("isNew");
        QTest::addColumn<int>("side");
        QTest::addColumn<bool>("rejected");
        QTest::addColumn<int>("messages");
        const QStringList lines{"5", "12", "0xA"};
        QTest::newRow("duplicate") << lines << "12"
                                   << "5" << true << 0 << true << 1;
        QTest::newRow("leading zero differs") << lines << "012"
                                              << "5" << true << 0 << false << 0;
        QTest::newRow("hex form differs") << lines << "0x5"
                                          << "5" << true << 0 << false << 0;
        QTest::newRow("case differs") << lines << "0XA"
                                      << "5" << true << 0 << false << 0;
        QTest::newRow("blank not trimmed") << lines << " 12"
                                           << "5" << true << 0 << false << 0;
        QTest::newRow("range not tested") << lines << "500"
                                          << "5" << true << 0 << false << 0;
        QTest::newRow("empty") << lines << ""
                               << "5" << true << 0 << true << 1;
        QTest::newRow("empty and an empty line: two messages") << QStringList{"1", ""} << ""
                                                               << "1" << true << 0 << true << 2;
        QTest::newRow("modify unchanged: not tested") << lines << "12"
                                                      << "12" << false << 0 << false << 0;
        QTest::newRow("modify unchanged empty: not tested") << QStringList{""} << ""
                                                            << "" << false << 0 << false << 0;
        QTest::newRow("modify to another line") << lines << "5"
                                                << "12" << false << 0 << true << 1;
        QTest::newRow("other side's lines not scanned") << lines << "12"
                                                        << "5" << true << 1 << false << 0;
        QTest::newRow("side B, empty text") << lines << ""
                                            << "5" << true << 1 << true << 1;
    }
    void checksIdentifier()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, newText);
        QFETCH(QString, current);
        QFETCH(bool, isNew);
        QFETCH(int, side);
        const EmcyTable t = tableWithLabels(lines);
        QStringList messages;
        QTEST(CheckEmcyId(t, newText, current, isNew, Side(side), messages), "rejected");
        QTEST(int(messages.size()), "messages");
        for (const QString& m : messages)
            QCOMPARE(m, QStringLiteral("Index Not Valid"));
    }

    void newEntryRules_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("added");
        QTest::newRow("duplicate while a line is selected") << 0 << "12" << false;
        QTest::newRow("leading zero while a line is selected") << 1 << "012" << true;
        QTest::newRow("empty while a line is selected") << 0 << "" << false;
        QTest::newRow("duplicate, nothing selected: no test") << -1 << "12" << true;
        QTest::newRow("empty, nothing selected: no test") << -1 << "" << true;
    }
    void newEntryRules()
    {
        QFETCH(int, selected);
        QFETCH(QString, id);
        QFETCH(bool, added);
        EmcyTable t = tableWithLabels({"3", "12"});
        t.sides[Side::A].selected = selected;
        const EditOutcome outcome = NewEmcy(t, Side::A, controls(id, 4, true));
        QCOMPARE(outcome.accepted(), added);
        QCOMPARE(outcome.messages.isEmpty(), added);
        QCOMPARE(t.sides[Side::A].entries.size(), t.sides[Side::A].labels.size());
        if (!added) {
            QCOMPARE(t.sides[Side::A].labels, (QStringList{"3", "12"}));
            QCOMPARE(t.sides[Side::A].selected, selected);
            return;
        }
        QCOMPARE(t.sides[Side::A].labels.last(), id);
        QCOMPARE(t.sides[Side::A].selected, 2);
        const TClEmcy& e = t.sides[Side::A].entries.last();
        QCOMPARE(e.id_dev, id.isEmpty() ? QStringLiteral("0") : id);
        QCOMPARE(e.alias_use, 4);
        QVERIFY(e.enable);
        QCOMPARE(e.enmask_eq_m3, QStringLiteral("10"));
        QVERIFY(t.sides[Side::B].entries.isEmpty());
    }

    void emptyEditsBecomeZero()
    {
        EmcyTable t;
        EmcyControls c; // every edit empty, no option checked
        c.alias.reset();
        QVERIFY(NewEmcy(t, Side::B, c).accepted());
        const TClEmcy& e = t.sides[Side::B].entries.at(0);
        for (QString TClEmcy::*f : EmcyTextFields())
            QCOMPARE(e.*f, QStringLiteral("0"));
        QCOMPARE(e.alias_use, 0);
        QCOMPARE(t.sides[Side::B].labels, QStringList{QString()});
    }

    void modifyRules()
    {
        EmcyTable t = tableWithLabels({"3", "12", ""});
        // Nothing selected: nothing happens.
        const EditOutcome nothingSelected = ModifyEmcy(t, Side::A, controls("99"));
        QVERIFY(!nothingSelected.accepted());
        QVERIFY(nothingSelected.messages.isEmpty());
        QCOMPARE(t.sides[Side::A].labels, (QStringList{"3", "12", ""}));
        // An empty label left unchanged is not tested; the option not checked keeps alias_use.
        t.sides[Side::A].selected = 2;
        t.sides[Side::A].entries[2].alias_use = 13;
        const EditOutcome unchanged = ModifyEmcy(t, Side::A, controls("", std::nullopt, true));
        QVERIFY(unchanged.accepted());
        QVERIFY(unchanged.messages.isEmpty());
        QCOMPARE(t.sides[Side::A].entries[2].alias_use, 13);
        QCOMPARE(t.sides[Side::A].entries[2].id_dev, QStringLiteral("0"));
        // Changed to a listed identifier: refused, entry untouched.
        const EditOutcome listed = ModifyEmcy(t, Side::A, controls("3", 7));
        QVERIFY(!listed.accepted());
        QCOMPARE(listed.messages, QStringList{IndexNotValidMessage});
        QCOMPARE(t.sides[Side::A].entries[2].alias_use, 13);
        // Changed to a new identifier: line and entry replaced, selection kept.
        QVERIFY(ModifyEmcy(t, Side::A, controls("0x20", 7)).accepted());
        QCOMPARE(t.sides[Side::A].labels, (QStringList{"3", "12", "0x20"}));
        QCOMPARE(t.sides[Side::A].entries[2].alias_use, 7);
        QCOMPARE(t.sides[Side::A].selected, 2);
    }

    void deleteRules()
    {
        EmcyTable t = tableWithLabels({"3", "12", "7"});
        QVERIFY(!DeleteEmcy(t, Side::A).accepted());
        t.sides[Side::A].selected = 1;
        QVERIFY(DeleteEmcy(t, Side::A).accepted());
        QCOMPARE(t.sides[Side::A].labels, (QStringList{"3", "7"}));
        QCOMPARE(t.sides[Side::A].entries.size(), 2);
        QCOMPARE(t.sides[Side::A].selected, -1);
        // Right after a delete nothing is selected, so New makes no test.
        QVERIFY(NewEmcy(t, Side::A, controls("3")).accepted());
        QCOMPARE(t.sides[Side::A].labels, (QStringList{"3", "7", "3"}));
    }
    void importsWorksheetRecords_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QStringList>("linesA");
        QTest::addColumn<QStringList>("linesB");
        QTest::addColumn<bool>("complete");
        const QStringList a{"7", "", "2", "3", "4", "5", "6", "7", "8", "9", "", "3"};
        const QStringList b{"0x10", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "37"};
        QTest::newRow("both sides") << QList<QStringList>{a, b} << QStringList{"7"} << QStringList{"0x10"}
                                    << true;
        QStringList emptyFlag = b;
        emptyFlag[11].clear();
        QTest::newRow("empty flag stops at that record")
            << QList<QStringList>{a, emptyFlag, a} << QStringList{"7"} << QStringList{} << false;
        QStringList textFlag = b;
        textFlag[11] = QStringLiteral("3.5");
        QTest::newRow("non-integer flag stops")
            << QList<QStringList>{textFlag, a} << QStringList{} << QStringList{} << false;
        QTest::newRow("eleven columns stop")
            << QList<QStringList>{a.mid(0, 11)} << QStringList{} << QStringList{} << false;
        QStringList emptyId = a;
        emptyId[0].clear();
        QTest::newRow("empty identifier stays empty")
            << QList<QStringList>{emptyId} << QStringList{""} << QStringList{} << true;
    }
    void importsWorksheetRecords()
    {
        QFETCH(QList<QStringList>, rows);
        MemoryWorkbook book;
        QStringList headings = EmcyDocument::definition().AttributeNames.mid(0, rows.first().size());
        book.sheets << MemoryWorkbook::Sheet{QStringLiteral("EMCYDEF"), QList<QStringList>{headings} + rows};
        EmcyTable t;
        AppendEmcy(t, Side::A, TClEmcy{}, QStringLiteral("old"));
        const ImportOutcome outcome = EmcyDocument::importWorkbook(book, t, ImportRule::Editor);
        QTEST(outcome.ok(), "complete");
        QTEST(t.sides[Side::A].labels, "linesA");
        QTEST(t.sides[Side::B].labels, "linesB");
        if (!t.sides[Side::A].entries.isEmpty()) {
            // Empty cells stay empty: no "0" is put in their place.
            QCOMPARE(t.sides[Side::A].entries.at(0).mask_eq_ec, QString());
            QCOMPARE(t.sides[Side::A].entries.at(0).enmask_eq_m3, QString());
            QCOMPARE(t.sides[Side::A].entries.at(0).alias_use, 1);
            QVERIFY(t.sides[Side::A].entries.at(0).enable);
        }
    }

    void importWithoutWorksheetEmpties()
    {
        MemoryWorkbook book;
        book.sheets << MemoryWorkbook::Sheet{QStringLiteral("emcydef2"),
                                             {EmcyDocument::definition().AttributeNames}};
        EmcyTable t;
        AppendEmcy(t, Side::B, TClEmcy{}, QStringLiteral("old"));
        const ImportOutcome outcome = EmcyDocument::importWorkbook(book, t, ImportRule::Editor);
        QCOMPARE(outcome.outcome, ImportOutcome::Outcome::NoWorksheet);
        QCOMPARE(t.size(), 0);
    }
    void savesSidesInLabelOrder_data()
    {
        QTest::addColumn<QStringList>("labelsA");
        QTest::addColumn<QStringList>("labelsB");
        QTest::addColumn<QStringList>("written"); // id_dev of the rows, "#n" marking the n-th entry of A
        QTest::newRow("integer value order")
            << QStringList{"20", "3", "0x10"} << QStringList{} << QStringList{"#1", "#2", "#0"};
        QTest::newRow("equal labels: later listed first")
            << QStringList{"7", "2", "7", "+7"} << QStringList{} << QStringList{"#1", "#3", "#2", "#0"};
        QTest::newRow("side B after side A")
            << QStringList{"9"} << QStringList{"1"} << QStringList{"#0", "B"};
        QTest::newRow("sentinel, then labels above it")
            << QStringList{"1000000", "999999", "5", "0x100000"} << QStringList{}
            << QStringList{"#2", "#1", "#0", "#3"};
        QTest::newRow("negative before zero")
            << QStringList{"0", "-1"} << QStringList{} << QStringList{"#1", "#0"};
    }
    void savesSidesInLabelOrder()
    {
        QFETCH(QStringList, labelsA);
        QFETCH(QStringList, labelsB);
        EmcyTable t;
        for (int i = 0; i < labelsA.size(); ++i) {
            TClEmcy e;
            e.id_dev = QStringLiteral("#%1").arg(i); // the label, not id_dev, is the key
            AppendEmcy(t, Side::A, e, labelsA.at(i));
        }
        for (const QString& l : labelsB) {
            TClEmcy e;
            e.id_dev = QStringLiteral("B");
            AppendEmcy(t, Side::B, e, l);
        }
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("\\emcydef.xml");
        ProjectPaths paths;
        paths.EmcyDefXmlPath = path;
        QVERIFY(EmcyDocument::save(paths, t).ok());
        QFile f(dir.filePath(QStringLiteral("emcydef.xml")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray xml = f.readAll();
        QStringList written;
        for (qsizetype at = 0; (at = xml.indexOf("id_dev=\"", at)) >= 0;) {
            at += 8;
            written << QString::fromUtf8(xml.mid(at, xml.indexOf('"', at) - at));
        }
        QTEST(written, "written");
        // What the save writes reads back to the same lists.
        EmcyTable back;
        QVERIFY(EmcyDocument::load(paths, back).failures.isEmpty());
        QCOMPARE(back.size(), t.size());
    }
};

QTEST_GUILESS_MAIN(TestEmcyTable)
#include "tst_emcy_table.moc"
