#include "canopen/UInfoPdo.h"
#include "support/TestFiles.h"
#include "support/UndoKeys.h"
#include "support/WindowFixture.h"
#include "tst_storedpdo_support.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace velmaro;

namespace {

// A project, recorders and the window over them.
struct Fixture
{
    test::StoredPdoProject project;
    test::Recorders r;
    TFInfopdo window{r.context};

    Fixture()
    {
        r.paths = project.paths;
        project.writeSdoTable({"0:0x1000:5", "1:0x1000:6"});
        project.writePdos({"0x201:0", "0x202:0", "0x181:3"});
    }

    template <typename T>
    T* get(const QString& name)
    {
        return test::Control<T>(window, name);
    }
    QListWidget* list(const QString& name) { return get<QListWidget>(name); }
    QLineEdit* edit(const QString& name) { return get<QLineEdit>(name); }
    PoscompRadioGroup* group(const QString& name) { return get<PoscompRadioGroup>(name); }
    void press(const QString& name) { get<QPushButton>(name)->click(); }

    void show()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    // A mouse click on a list item, on its tab.
    void click(const QString& listName, int row)
    {
        get<QTabWidget>(QStringLiteral("TabbedNotebook1"))
            ->setCurrentIndex(listName.endsWith(QLatin1Char('B')) ? 1 : 0);
        QListWidget* l = list(listName);
        QListWidgetItem* item = l->item(row);
        QVERIFY(item);
        l->scrollToItem(item);
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(item).center());
    }

    QStringList items(const QString& listName)
    {
        QStringList out;
        QListWidget* l = list(listName);
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->text();
        return out;
    }

    void type(const QString& suffix, const QString& index, const QString& subindex, int high, int low)
    {
        edit(QStringLiteral("Eindex") + suffix)->setText(index);
        edit(QStringLiteral("Esubindex") + suffix)->setText(subindex);
        group(QStringLiteral("PoscompMsb") + suffix)->setItemIndex(high);
        group(QStringLiteral("PoscompLsb") + suffix)->setItemIndex(low);
    }
};

} // namespace

class TestStoredPdoWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controlsCarryTheirTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const QList<std::pair<const char*, const char*>> rows = {
            {"CorrelatedSdoA", "SDO CANB"},
            {"CorrelatedSdoB", "SDO CANA"},
            {"StaticText1", "Correlated"},
            {"StaticText6", "Correlated"},
            {"IndexPdoA", "Index PDO in CANA"},
            {"IndexPdoB", "Index PDO in CANB"},
            {"indexA", "Index SDO CANB"},
            {"indexB", "Index SDO CANA"},
            {"subindexA", "Subindex SDO CANB"},
            {"subindexB", "Subindex SDO CANA"},
            {"PoscompMsbA", "Selected PDO Byte"},
            {"PoscompLsbB", "Selected PDO Byte"},
            {"DELETEa", "Delete SDO"},
            {"Deleteb", "Delete SDO"},
            {"NewA", "New SDO"},
            {"Newb", "New SDO"},
            {"ModifyA", "Modify SDO"},
            {"Modifyb", "Modify SDO"},
            {"copyA", "Copy SDO"},
            {"copyB", "Copy SDO"},
            {"PasteA", "Paste SDO"},
            {"PasteB", "Paste SDO"},
            {"LbButton1", "OK"},
            {"bitbtn2", "Cancel"},
            {"button1", "Export"},
            {"bitbtn4", "Import"},
            {"PoscompLsbA_none", "none"},
            {"PoscompMsbB_B8", "B8"},
        };
        for (const auto& [name, text] : rows)
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text);
    }
    void controlsCarryTheirTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        test::Recorders r;
        TFInfopdo w(r.context);
        QCOMPARE(w.windowTitle(), QStringLiteral("Define Store PDO"));
        QObject* o = w.findChild<QObject*>(name);
        QVERIFY2(o, qPrintable(name));
        if (auto* l = qobject_cast<QLabel*>(o))
            QCOMPARE(l->text(), text);
        else if (auto* b = qobject_cast<QAbstractButton*>(o))
            QCOMPARE(b->text(), text);
        else if (auto* g = qobject_cast<QGroupBox*>(o))
            QCOMPARE(g->title(), text);
        else
            QFAIL("unexpected control kind");
    }

    void oddSpellingsBesideTheGroups()
    {
        test::Recorders r;
        TFInfopdo w(r.context);
        QStringList a, b;
        for (QLabel* l : w.findChild<QWidget*>(QStringLiteral("CanA"))->findChildren<QLabel*>())
            a << l->text();
        for (QLabel* l : w.findChild<QWidget*>(QStringLiteral("CanB"))->findChildren<QLabel*>())
            b << l->text();
        QVERIFY(a.contains(QStringLiteral("Trsalete in")) && a.contains(QStringLiteral("Traslate in")));
        QCOMPARE(b.count(QStringLiteral("Traslate in")), 2);
        QVERIFY(a.contains(QStringLiteral("High SDO Byte")) && a.contains(QStringLiteral("Low SDO Byte")));
    }

    void showingReloadsEverything()
    {
        Fixture f;
        f.project.writeStored({"0x2000:1:1:33"});
        f.show();
        QVERIFY(f.r.messages.all.isEmpty());
        QCOMPARE(f.items(QStringLiteral("LPdoCanA")), (QStringList{"0x201", "0x202"}));
        QCOMPARE(f.items(QStringLiteral("LPdoCanB")), QStringList{"0x181"});
        QVERIFY(f.items(QStringLiteral("LSdoCanA")).isEmpty());
        f.click(QStringLiteral("LPdoCanA"), 0);
        QCOMPARE(f.items(QStringLiteral("LSdoCanA")), QStringList{"Sdo0"});
        f.type(QStringLiteral("A"), QStringLiteral("9"), QStringLiteral("9"), 2, 2);
        f.press(QStringLiteral("NewA"));
        f.press(QStringLiteral("bitbtn2"));
        QVERIFY(!f.window.isVisible());

        // Cancel wrote nothing; the next showing starts from the documents, with its messages.
        QFile::remove(f.project.file(QStringLiteral("sdo.xml")));
        f.show();
        QCOMPARE(f.r.messages.messages, QStringList{storedpdo::SdoNotFoundMessage});
        QVERIFY(f.items(QStringLiteral("LSdoCanA")).isEmpty());
        QCOMPARE(f.edit(QStringLiteral("EindexA"))->text(), QString());
        QCOMPARE(f.group(QStringLiteral("PoscompMsbA"))->itemIndex(), 0);
        QCOMPARE(f.window.table().PdoListA().at(0).Sdos.size(), 1);
    }

    void focusDoesNotSelectButKeysDo()
    {
        Fixture f;
        f.project.writeStored({"1:1:1:0", "2:2:2:0", "3:3:2:0"});
        f.show();
        QListWidget* pdos = f.list(QStringLiteral("LPdoCanA"));
        pdos->setFocus(Qt::TabFocusReason);
        QVERIFY(f.items(QStringLiteral("LSdoCanA")).isEmpty());
        f.press(QStringLiteral("NewA")); // no PDO selected yet
        QCOMPARE(f.window.table().PdoListA().at(0).Sdos.size(), 1);
        pdos->setCurrentRow(0);
        QTest::keyClick(pdos, Qt::Key_Down);
        QCOMPARE(f.items(QStringLiteral("LSdoCanA")), (QStringList{"Sdo0", "Sdo1"}));
    }

    void deleteLeavesItemTextsAndNewNumbersByCount()
    {
        Fixture f;
        f.project.writeStored({"1:1:1:0", "2:2:1:0", "3:3:1:0"});
        f.show();
        f.click(QStringLiteral("LPdoCanA"), 0);
        QCOMPARE(f.items(QStringLiteral("LSdoCanA")), (QStringList{"Sdo0", "Sdo1", "Sdo2"}));
        f.click(QStringLiteral("LSdoCanA"), 1);
        QCOMPARE(f.edit(QStringLiteral("EindexA"))->text(), QStringLiteral("2"));
        f.press(QStringLiteral("DELETEa"));
        QCOMPARE(f.items(QStringLiteral("LSdoCanA")), (QStringList{"Sdo0", "Sdo2"}));
        f.type(QStringLiteral("A"), QStringLiteral("4"), QStringLiteral("4"), 0, 0);
        f.press(QStringLiteral("NewA"));
        QCOMPARE(f.items(QStringLiteral("LSdoCanA")), (QStringList{"Sdo0", "Sdo2", "Sdo2"}));
        QCOMPARE(f.list(QStringLiteral("LSdoCanA"))->currentRow(), 2);
        f.click(QStringLiteral("LPdoCanA"), 0);
        QCOMPARE(f.items(QStringLiteral("LSdoCanA")), (QStringList{"Sdo0", "Sdo1", "Sdo2"}));
        f.click(QStringLiteral("LSdoCanA"), 1);
        QCOMPARE(f.edit(QStringLiteral("EindexA"))->text(), QStringLiteral("3"));
    }

    void selectingAnEntryFillsEditsAndGroups_data()
    {
        QTest::addColumn<QString>("poscomp");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("137 selects B8 twice") << "137" << 8 << 8 << QStringList{};
        QTest::newRow("33 is B2 with B1") << "33" << 2 << 1 << QStringList{};
        QTest::newRow("not an integer: edits filled, groups unchanged")
            << "B2" << 5 << 6 << QStringList{"'B2' is not a valid integer value"};
    }
    void selectingAnEntryFillsEditsAndGroups()
    {
        QFETCH(QString, poscomp);
        Fixture f;
        f.project.writeStored({QStringLiteral("0x3000:7:129:") + poscomp});
        f.show();
        f.click(QStringLiteral("LPdoCanB"), 0);
        f.type(QStringLiteral("B"), QString(), QString(), 5, 6);
        f.click(QStringLiteral("LSdoCanB"), 0);
        QCOMPARE(f.edit(QStringLiteral("EindexB"))->text(), QStringLiteral("0x3000"));
        QCOMPARE(f.edit(QStringLiteral("EsubindexB"))->text(), QStringLiteral("7"));
        QTEST(f.group(QStringLiteral("PoscompMsbB"))->itemIndex(), "high");
        QTEST(f.group(QStringLiteral("PoscompLsbB"))->itemIndex(), "low");
        QTEST(f.r.messages.errors, "errors");
    }

    void newAndModifyCheckThePair_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("subindex");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<QStringList>("stored"); // entries of the second PDO of CanA afterwards
        const QStringList none;
        QTest::newRow("new: B3 with none stored as 48")
            << "NewA"
            << "0x2001"
            << "1" << none << none << QStringList{"0x1000:1:0", "0x2001:1:48"};
        QTest::newRow("new: pair of another PDO")
            << "NewA"
            << "0x2000"
            << "1" << QStringList{storedpdo::AlreadyStoredMessage} << none << QStringList{"0x1000:1:0"};
        QTest::newRow("new: pair of the SDO table")
            << "NewA"
            << "4096"
            << "5" << QStringList{storedpdo::InSdoTableMessage} << none << QStringList{"0x1000:1:0"};
        QTest::newRow("new: pair only in the other tab's SDO table")
            << "NewA"
            << "4096"
            << "6" << none << none << QStringList{"0x1000:1:0", "4096:6:48"};
        QTest::newRow("new: not an integer")
            << "NewA"
            << "abc"
            << "1" << none << QStringList{"'abc' is not a valid integer value"} << QStringList{"0x1000:1:0"};
        QTest::newRow("modify: own pair") << "ModifyA"
                                          << "4096"
                                          << "1" << none << none << QStringList{"4096:1:48"};
        QTest::newRow("modify: pair of another PDO")
            << "ModifyA"
            << "8192"
            << "1" << QStringList{storedpdo::AlreadyStoredMessage} << none << QStringList{"0x1000:1:0"};
    }
    void newAndModifyCheckThePair()
    {
        QFETCH(QString, button);
        QFETCH(QString, index);
        QFETCH(QString, subindex);
        Fixture f;
        f.project.writeStored({"0x2000:1:1:0", "0x1000:1:2:0"});
        f.show();
        f.click(QStringLiteral("LPdoCanA"), 1);
        f.click(QStringLiteral("LSdoCanA"), 0);
        f.type(QStringLiteral("A"), index, subindex, 3, 0);
        f.press(button);
        QTEST(f.r.messages.messages, "messages");
        QTEST(f.r.messages.errors, "errors");
        QStringList stored;
        for (const TClSdo& s : f.window.table().PdoListA().at(1).Sdos)
            stored << QStringList{s.Index, s.Subindex, s.Poscomp}.join(QLatin1Char(':'));
        QTEST(stored, "stored");
    }

    void newWithoutSelectedPdoDoesNothing()
    {
        Fixture f;
        f.show();
        f.type(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("1"), 0, 0);
        f.press(QStringLiteral("NewA"));
        f.press(QStringLiteral("ModifyA"));
        f.press(QStringLiteral("DELETEa"));
        QVERIFY(f.items(QStringLiteral("LSdoCanA")).isEmpty());
        QVERIFY(f.window.table().PdoListA().at(0).Sdos.isEmpty());
    }

    void copyAndPaste()
    {
        Fixture f;
        f.show();
        // Never copied: the edits are emptied, then the empty composition fails.
        f.type(QStringLiteral("A"), QStringLiteral("5"), QStringLiteral("6"), 2, 3);
        f.press(QStringLiteral("PasteA"));
        QCOMPARE(f.r.messages.errors, QStringList{"'' is not a valid integer value"});
        QCOMPARE(f.edit(QStringLiteral("EindexA"))->text(), QString());
        QCOMPARE(f.edit(QStringLiteral("EsubindexA"))->text(), QString());
        QCOMPARE(f.group(QStringLiteral("PoscompMsbA"))->itemIndex(), 2);
        QCOMPARE(f.group(QStringLiteral("PoscompLsbA"))->itemIndex(), 3);

        // A copy survives the next showing and stays on its tab.
        f.type(QStringLiteral("A"), QStringLiteral("0x10"), QStringLiteral("2"), 4, 1);
        f.press(QStringLiteral("copyA"));
        f.press(QStringLiteral("bitbtn2"));
        f.show();
        f.r.messages.clear();
        f.press(QStringLiteral("PasteA"));
        QCOMPARE(f.edit(QStringLiteral("EindexA"))->text(), QStringLiteral("0x10"));
        QCOMPARE(f.edit(QStringLiteral("EsubindexA"))->text(), QStringLiteral("2"));
        QCOMPARE(f.group(QStringLiteral("PoscompMsbA"))->itemIndex(), 4);
        QCOMPARE(f.group(QStringLiteral("PoscompLsbA"))->itemIndex(), 1);
        QVERIFY(f.r.messages.all.isEmpty());
        f.press(QStringLiteral("PasteB"));
        QCOMPARE(f.r.messages.errors.size(), 1);
    }

    void okSavesOrStaysOpen()
    {
        Fixture f;
        f.project.writeStored({"0x2000:1:1:0", "0x1000:5:2:33", "1:1:129:0"});
        f.show();
        f.press(QStringLiteral("LbButton1"));
        QCOMPARE(f.window.result(), int(QDialog::Accepted));
        const QByteArray xml = f.project.read(QStringLiteral("sdopdo.xml"));
        QVERIFY(xml.indexOf("0x1000") < xml.indexOf("0x2000"));
        QVERIFY(xml.contains("nrpdo=\"129\""));

        // A stored index that is not an integer refuses the save; the window stays open.
        f.project.writeStored({"idx:1:1:0"});
        const QByteArray bad = f.project.read(QStringLiteral("sdopdo.xml"));
        f.show();
        f.window.setResult(QDialog::Rejected);
        f.press(QStringLiteral("LbButton1"));
        QCOMPARE(f.r.messages.errors, QStringList{"'idx' is not a valid integer value"});
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.window.result(), int(QDialog::Rejected));
        QCOMPARE(f.project.read(QStringLiteral("sdopdo.xml")), bad);
    }

    void exportWritesTheListsAsTheyAre()
    {
        Fixture f;
        f.project.writeStored({"0x2000:1:1:0", "0x1000:5:1:33", "1:1:129:0"});
        f.show();
        f.press(QStringLiteral("button1"));
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.project.read(QStringLiteral("sdopdo.csv")),
                 QByteArray("0x2000,1,1,0,\r\n0x1000,5,1,33,\r\n1,1,129,0,\r\n"));
    }

    void import_data()
    {
        QTest::addColumn<QString>("workbook");
        QTest::addColumn<int>("entriesA");
        QTest::addColumn<int>("entriesB");
        QTest::addColumn<QString>("firstIndex");
        QTest::addColumn<int>("fileRequests");
        QTest::addColumn<int>("notes"); // plain boxes after the import
        QTest::newRow("cancelled") << QString() << 2 << 1 << "0x2000" << 1 << 0;
        QTest::newRow("worksheet with records")
            << QStringLiteral(VELMARO_TEST_DATA "/canopen/storedpdo/sdopdo.xlsx") << 2 << 1 << "0x6000" << 1
            << 0;
        QTest::newRow("worksheet without rows")
            << QStringLiteral(VELMARO_TEST_DATA "/canopen/storedpdo/norows.xlsx") << 0 << 0 << QString() << 1
            << 0;
        QTest::newRow("no worksheet sdopdo")
            << QStringLiteral(VELMARO_TEST_DATA "/canopen/storedpdo/nosheet.xlsx") << 2 << 1 << "0x2000" << 1
            << 1;
    }
    void import()
    {
        QFETCH(QString, workbook);
        Fixture f;
        f.project.writeStored({"0x2000:1:1:0", "0x2000:2:1:0", "3:1:129:0"});
        f.show();
        f.click(QStringLiteral("LPdoCanA"), 0);
        f.click(QStringLiteral("LSdoCanA"), 0);
        f.r.dialogs.fileAnswers.push_back(workbook.isEmpty() ? std::nullopt
                                                             : std::optional<QString>(workbook));
        f.press(QStringLiteral("bitbtn4"));
        QTEST(int(f.r.dialogs.fileRequests.size()), "fileRequests");
        QVERIFY(f.r.messages.errors.isEmpty());
        QTEST(int(f.r.messages.messages.size()), "notes");
        QTEST(int(f.window.table().PdoListA().at(0).Sdos.size()
                  + f.window.table().PdoListA().at(1).Sdos.size()),
              "entriesA");
        QTEST(int(f.window.table().PdoListB().at(0).Sdos.size()), "entriesB");
        const QList<TClSdo>& first = f.window.table().PdoListA().at(0).Sdos;
        QTEST(first.isEmpty() ? QString() : first.at(0).Index, "firstIndex");
        if (!workbook.isEmpty()) {
            QVERIFY(f.items(QStringLiteral("LSdoCanA")).isEmpty());
            QCOMPARE(f.edit(QStringLiteral("EindexA"))->text(), QString());
            QVERIFY(f.list(QStringLiteral("LPdoCanA"))->selectedItems().isEmpty());
            QCOMPARE(f.items(QStringLiteral("LPdoCanA")).size(), 2);
        }
    }

    void undoAndRedoReachTheLoadedAndTheEditedEntries_data() { test::addUndoRows(); }
    void undoAndRedoReachTheLoadedAndTheEditedEntries()
    {
        const auto saved = [](const QString& pressed, bool edit) {
            Fixture f;
            f.project.writeStored({"0x2000:1:1:0", "0x2000:2:1:0", "3:1:129:0"});
            f.show();
            if (edit) {
                f.r.dialogs.fileAnswers.push_back(
                    QStringLiteral(VELMARO_TEST_DATA "/canopen/storedpdo/sdopdo.xlsx"));
                f.press(QStringLiteral("bitbtn4"));
                f.click(QStringLiteral("LPdoCanA"), 0);
                f.type(QStringLiteral("A"), QStringLiteral("0x1000"), QStringLiteral("5"), 1, 2);
                f.press(QStringLiteral("NewA")); // the new entry is selected
                f.type(QStringLiteral("A"), QStringLiteral("0x1000"), QStringLiteral("6"), 3, 4);
                f.press(QStringLiteral("ModifyA"));
                f.click(QStringLiteral("LSdoCanA"), 0);
                f.press(QStringLiteral("DELETEa"));
            }
            test::pressUndoKeys(f.list(QStringLiteral("LPdoCanA")), pressed);
            f.press(QStringLiteral("LbButton1"));
            return test::readFile(f.project.file(QStringLiteral("sdopdo.xml")));
        };
        test::checkUndoRow(saved);
    }
};

QTEST_MAIN(TestStoredPdoWindow)
#include "tst_storedpdo_window.moc"
