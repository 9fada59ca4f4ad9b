#include "canopen/Uemcy.h"
#include "support/TestFiles.h"
#include "support/UndoKeys.h"
#include "support/WindowFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace velmaro;

namespace {

const char* const allAttributes[] = {"id_dev",       "mask_eq_ec",   "mask_eq_er",   "mask_eq_m1",
                                     "mask_eq_m2",   "mask_eq_m3",   "enmask_eq_ec", "enmask_eq_er",
                                     "enmask_eq_m1", "enmask_eq_m2", "enmask_eq_m3", "bypass_set"};

// A row element with every attribute: id_dev, the masks "1".."10", and the flag.
QByteArray row(const QByteArray& id, const QByteArray& flag, const QByteArray& element = "row")
{
    QByteArray r = "<" + element;
    for (int i = 0; i < 12; ++i) {
        const QByteArray value = i == 0 ? id : i == 11 ? flag : QByteArray::number(i);
        r += " " + QByteArray(allAttributes[i]) + "=\"" + value + "\"";
    }
    return r + "/>";
}

QByteArray document(const QByteArray& rows)
{
    return "<emcydef>" + rows + "</emcydef>";
}

struct Project : test::WindowFixture
{
    QString xmlPath() const { return file(QStringLiteral("emcydef.xml")); }
    void write(const QByteArray& bytes) const { test::writeFile(xmlPath(), bytes); }
    QByteArray read(const QString& path) const { return test::readFile(path); }
};

QStringList lines(const QListWidget* list)
{
    QStringList l;
    for (int i = 0; i < list->count(); ++i)
        l << list->item(i)->text();
    return l;
}

template <typename T>
T* child(const TFemcy& w, const QByteArray& name)
{
    return test::Control<T>(w, QString::fromLatin1(name));
}

// The window with its pages' controls found by their names.
struct EmcyWindow : TFemcy
{
    using TFemcy::TFemcy;
    QListWidget* LBCanA = child<QListWidget>(*this, "LBCanA");
    QListWidget* LBCanB = child<QListWidget>(*this, "LBCanB");
    QCheckBox* enablea = child<QCheckBox>(*this, "enablea");
    QCheckBox* enableb = child<QCheckBox>(*this, "enableb");
    QPushButton* DeleteA = child<QPushButton>(*this, "DeleteA");
    QPushButton* NewA = child<QPushButton>(*this, "NewA");
    QPushButton* ModifyA = child<QPushButton>(*this, "ModifyA");
    QPushButton* NewB = child<QPushButton>(*this, "NewB");
    QPushButton* ModifyB = child<QPushButton>(*this, "ModifyB");
};

QString checkedOption(const TFemcy& w, const QString& low)
{
    for (const char* n : {"r1", "r2", "r3", "r9", "r4", "r5", "r6", "r7", "r8"}) {
        if (child<QRadioButton>(w, QByteArray(n) + low.toLatin1())->isChecked())
            return QLatin1String(n);
    }
    return QString();
}

void setId(TFemcy& w, const char* side, const QString& text)
{
    child<QLineEdit>(w, QByteArray("Eid_dev") + side)->setText(text);
}

// The id_dev values of the saved document, in row order.
QStringList savedIds(const QByteArray& xml)
{
    QStringList ids;
    qsizetype at = 0;
    while ((at = xml.indexOf("id_dev=\"", at)) >= 0) {
        at += 8;
        ids << QString::fromUtf8(xml.mid(at, xml.indexOf('"', at) - at));
    }
    return ids;
}

QString workbook(const QString& name)
{
    return QStringLiteral(VELMARO_TEST_DATA "/canopen/emcy/") + name;
}

} // namespace

class TestEmcyWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layout()
    {
        Project p;
        EmcyWindow w(p.r.context);
        QCOMPARE(w.windowTitle(), QStringLiteral("Set Traslate EMCY"));
        QCOMPARE(child<QRadioButton>(w, "r2a")->text(), QStringLiteral("Error code byte  HIGH"));
        QCOMPARE(child<QRadioButton>(w, "r1b")->text(), QStringLiteral("No traslate ID CANB"));
        QCOMPARE(child<QRadioButton>(w, "r9a")->text(), QStringLiteral("Error Reg"));
        QCOMPARE(w.ModifyA->text(), QStringLiteral("Modify ENCY"));
        QCOMPARE(w.ModifyB->text(), QStringLiteral("Modify EMCY"));
        QCOMPARE(w.enableb->text(), QStringLiteral("Enabled_Traslate to CANA"));
        QVERIFY(w.DeleteA->x() < w.NewA->x() && w.NewA->x() < w.ModifyA->x());
        QVERIFY(child<QLineEdit>(w, "Eid_devA")->width() < child<QLineEdit>(w, "Emask_eq_erA")->width());
        QVERIFY(child<QLineEdit>(w, "Emask_eq_erB")->width()
                < child<QLineEdit>(w, "Eenmask_eq_m2B")->width());
    }

    void loadsFlagAndIdentifier_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QByteArray>("flag");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("option");
        QTest::newRow("35: page B, enabled, error code high") << QByteArray("5") << QByteArray("35") << "B"
                                                              << "5" << true << "r2";
        QTest::newRow("16: page A, Manu3") << QByteArray("0x7F") << QByteArray("16") << "A"
                                           << "0x7F" << false << "r8";
        QTest::newRow("30: code 15 leaves the options") << QByteArray("9") << QByteArray("30") << "A"
                                                        << "9" << false << "r1";
        QTest::newRow("empty id_dev listed as 0") << QByteArray("") << QByteArray("7") << "A"
                                                  << "0" << true << "r9";
    }
    void loadsFlagAndIdentifier()
    {
        QFETCH(QByteArray, id);
        QFETCH(QByteArray, flag);
        QFETCH(QString, page);
        Project p;
        p.write(document(row(id, flag)));
        EmcyWindow w(p.r.context);
        w.show();
        QVERIFY(p.r.messages.all.isEmpty());
        QListWidget* list = page == QLatin1String("A") ? w.LBCanA : w.LBCanB;
        QListWidget* other = page == QLatin1String("A") ? w.LBCanB : w.LBCanA;
        QTEST(lines(list).join(QLatin1Char('|')), "line");
        QCOMPARE(other->count(), 0);
        QCOMPARE(list->currentRow(), 0);
        const QByteArray s = page.toLatin1();
        QCOMPARE(child<QLineEdit>(w, "Eid_dev" + s)->text(), list->item(0)->text());
        QCOMPARE(child<QLineEdit>(w, "Eenmask_eq_m3" + s)->text(), QStringLiteral("10"));
        QTEST(child<QCheckBox>(w, "enable" + s.toLower())->isChecked(), "enabled");
        QTEST(checkedOption(w, page.toLower()), "option");
    }

    void readErrorsKeepEarlierRowsUnselected_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("linesA");
        const QByteArray missing = "<row id_dev=\"4\"/>";
        QTest::newRow("missing attribute") << document(row("1", "0") + missing + row("2", "0"))
                                           << "Error in reading file XML" << QStringList{"1"};
        QTest::newRow("empty flag") << document(row("1", "0") + row("3", "")) << "Error in reading file XML"
                                    << QStringList{"1"};
        QTest::newRow("flag not an integer")
            << document(row("1", "0") + row("3", "0x")) << "Error in reading file XML" << QStringList{"1"};
        QTest::newRow("not well-formed")
            << QByteArray("<emcydef><row") << "Error in reading file XML" << QStringList{};
        QTest::newRow("no file") << QByteArray() << "File XML not found" << QStringList{};
    }
    void readErrorsKeepEarlierRowsUnselected()
    {
        QFETCH(QByteArray, xml);
        Project p;
        if (!xml.isEmpty())
            p.write(xml);
        EmcyWindow w(p.r.context);
        w.show();
        QStringList firstLines; // a read error gives the file and the reason on a second line
        for (const QString& m : p.r.messages.messages)
            firstLines << m.section(QLatin1Char('\n'), 0, 0);
        QTEST(firstLines.join(QLatin1Char('|')), "message");
        QVERIFY(p.r.messages.errors.isEmpty());
        QTEST(lines(w.LBCanA), "linesA");
        QVERIFY(w.LBCanA->selectedItems().isEmpty());
        QCOMPARE(child<QLineEdit>(w, "Eid_devA")->text(), QString());
    }

    void otherElementNamesAreRows()
    {
        Project p;
        p.write(document(row("8", "33", "item") + "\n  " + row("2", "0", "row")));
        EmcyWindow w(p.r.context);
        w.show();
        QCOMPARE(lines(w.LBCanA), QStringList{"2"});
        QCOMPARE(lines(w.LBCanB), QStringList{"8"});
    }

    void newChecksOnlyWithASelection()
    {
        Project p;
        p.write(document(row("12", "0")));
        EmcyWindow w(p.r.context);
        w.show();
        setId(w, "A", QStringLiteral("12"));
        w.NewA->click();
        QCOMPARE(p.r.messages.messages, QStringList{"Index Not Valid"});
        QCOMPARE(lines(w.LBCanA), QStringList{"12"});
        setId(w, "A", QStringLiteral("012"));
        w.NewA->click();
        QCOMPARE(lines(w.LBCanA), (QStringList{"12", "012"}));
        QCOMPARE(w.LBCanA->currentRow(), 1);
        QCOMPARE(child<QLineEdit>(w, "Eid_devA")->text(), QStringLiteral("012"));
        // After a delete nothing is selected: a duplicate and an empty identifier go in untested.
        w.DeleteA->click();
        QVERIFY(w.LBCanA->selectedItems().isEmpty());
        QCOMPARE(child<QLineEdit>(w, "Eid_devA")->text(), QStringLiteral("012"));
        setId(w, "A", QStringLiteral("12"));
        w.NewA->click();
        QCOMPARE(lines(w.LBCanA), (QStringList{"12", "12"}));
        p.r.messages.clear();
        w.DeleteA->click();
        setId(w, "A", QString());
        w.NewA->click();
        QCOMPARE(lines(w.LBCanA), (QStringList{"12", ""}));
        QVERIFY(p.r.messages.all.isEmpty());
        QCOMPARE(w.table().sides[Side::A].entries.last().id_dev, QStringLiteral("0"));
    }

    void emptyIdentifierRefusesSaveUntilModified()
    {
        Project p;
        p.write(document(row("1", "0")));
        const QByteArray before = p.read(p.xmlPath());
        EmcyWindow w(p.r.context);
        w.show();
        w.DeleteA->click();
        setId(w, "A", QString());
        w.NewA->click(); // nothing selected: added with an empty line
        w.LBCanA->setCurrentRow(0);
        // Modify without touching the identifier: not tested, even though it is empty.
        child<QLineEdit>(w, "Emask_eq_ecA")->setText(QStringLiteral("0xFF"));
        w.ModifyA->click();
        QVERIFY(p.r.messages.all.isEmpty());
        w.LbButton1->click();
        QCOMPARE(p.r.messages.errors, QStringList{"'' is not a valid integer value"});
        QVERIFY(w.isVisible());
        QCOMPARE(p.read(p.xmlPath()), before);
        setId(w, "A", QStringLiteral("5"));
        w.ModifyA->click();
        w.LbButton1->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const QByteArray saved = p.read(p.xmlPath());
        QCOMPARE(savedIds(saved), QStringList{"5"});
        QVERIFY(saved.contains("mask_eq_ec=\"0xFF\""));
    }

    void savesInLabelOrderSideAFirst()
    {
        Project p;
        // Side B rows first in the document; equal labels "7" distinguished by mask_eq_ec.
        QByteArray rows = row("7", "32") + row("20", "0") + row("3", "0") + row("0x10", "0");
        rows += row("7", "0").replace("mask_eq_ec=\"1\"", "mask_eq_ec=\"first\"");
        rows += row("7", "0").replace("mask_eq_ec=\"1\"", "mask_eq_ec=\"second\"");
        p.write(document(rows));
        EmcyWindow w(p.r.context);
        w.show();
        w.LbButton1->click();
        QVERIFY(p.r.messages.all.isEmpty());
        const QByteArray saved = p.read(p.xmlPath());
        QCOMPARE(savedIds(saved), (QStringList{"3", "7", "7", "0x10", "20", "7"}));
        QVERIFY(saved.indexOf("second") < saved.indexOf("first"));
        QVERIFY(saved.startsWith("<emcydef>"));
    }

    void packsFlagOnSaveAndExport()
    {
        Project p;
        EmcyWindow w(p.r.context);
        w.show();
        QCOMPARE(p.r.messages.messages, QStringList{"File XML not found"});
        setId(w, "B", QStringLiteral("0x22"));
        child<QLineEdit>(w, "Emask_eq_m1B")->setText(QStringLiteral("65535"));
        child<QRadioButton>(w, "r3b")->setChecked(true);
        w.enableb->setChecked(true);
        w.NewB->click();
        setId(w, "A", QStringLiteral("9"));
        w.NewA->click();
        w.button1->click();
        QCOMPARE(p.read(p.dir.path() + QStringLiteral("/emcydef.csv")),
                 QByteArray("9,0,0,0,0,0,0,0,0,0,0,0,\r\n0x22,0,0,65535,0,0,0,0,0,0,0,37,\r\n"));
        w.LbButton1->click();
        const QByteArray saved = p.read(p.xmlPath());
        QVERIFY(saved.contains("bypass_set=\"37\""));
        QVERIFY(saved.contains("bypass_set=\"0\""));
        // Shown again: the entry comes back on page B with its option.
        w.hide();
        w.show();
        QCOMPARE(lines(w.LBCanB), QStringList{"0x22"});
        QCOMPARE(checkedOption(w, QStringLiteral("b")), QStringLiteral("r3"));
        QVERIFY(w.enableb->isChecked());
    }

    void exportKeepsListOrder()
    {
        Project p;
        p.write(document(row("20", "1") + row("3", "0") + row("1", "32")));
        EmcyWindow w(p.r.context);
        w.show();
        w.button1->click();
        const QList<QByteArray> csv = p.read(p.dir.path() + QStringLiteral("/emcydef.csv")).split('\n');
        QCOMPARE(csv.size(), 4);
        QVERIFY(csv.at(0).startsWith("20,1,"));
        QVERIFY(csv.at(0).endsWith(",1,\r"));
        QVERIFY(csv.at(1).startsWith("3,"));
        QVERIFY(csv.at(2).endsWith(",32,\r"));
    }

    void importsWorkbook_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xls, worksheet name in another case") << "emcydef.xls";
        QTest::newRow("xlsx") << "emcydef.xlsx";
    }
    void importsWorkbook()
    {
        QFETCH(QString, file);
        Project p;
        p.write(document(row("99", "0") + row("98", "32")));
        EmcyWindow w(p.r.context);
        w.show();
        setId(w, "A", QStringLiteral("left over"));
        p.r.dialogs.fileAnswers.push_back(workbook(file));
        w.bitbtn4->click();
        QVERIFY(p.r.messages.all.isEmpty());
        QCOMPARE(lines(w.LBCanA), (QStringList{"20", "3"}));
        QCOMPARE(lines(w.LBCanB), (QStringList{"0x10", "127"}));
        // First lines selected and shown; empty cells stay empty, a blank cell keeps its blank.
        QCOMPARE(w.LBCanA->currentRow(), 0);
        QCOMPARE(w.LBCanB->currentRow(), 0);
        QCOMPARE(child<QLineEdit>(w, "Eid_devA")->text(), QStringLiteral("20"));
        QCOMPARE(child<QLineEdit>(w, "Emask_eq_ecA")->text(), QStringLiteral("0xFF00"));
        QCOMPARE(child<QLineEdit>(w, "Emask_eq_m1A")->text(), QString());
        QCOMPARE(child<QLineEdit>(w, "Eenmask_eq_m3A")->text(), QStringLiteral(" "));
        QVERIFY(w.enablea->isChecked());
        QCOMPARE(checkedOption(w, QStringLiteral("a")), QStringLiteral("r2"));
        QCOMPARE(checkedOption(w, QStringLiteral("b")), QStringLiteral("r3"));
        const TClEmcy& last = w.table().sides[Side::B].entries.at(1);
        QCOMPARE(last.mask_eq_ec, QStringLiteral("1.5"));
        QCOMPARE(last.enmask_eq_m3, QString());
        // The document changes only on OK; the empty cells are written as they are.
        w.LbButton1->click();
        const QByteArray saved = p.read(p.xmlPath());
        QCOMPARE(savedIds(saved), (QStringList{"3", "20", "0x10", "127"}));
        QVERIFY(saved.contains("mask_eq_m1=\"\""));
    }

    void importWithoutWorksheetEmptiesAndSaysSo()
    {
        Project p;
        p.write(document(row("1", "0") + row("2", "33")));
        const QByteArray before = p.read(p.xmlPath());
        EmcyWindow w(p.r.context);
        w.show();
        p.r.dialogs.fileAnswers.push_back(workbook(QStringLiteral("nosheet.xlsx")));
        w.bitbtn4->click();
        QCOMPARE(p.r.messages.all.size(), 1);
        QVERIFY(p.r.messages.messages.value(0).endsWith(QStringLiteral("has no worksheet \"emcydef\".")));
        QCOMPARE(w.LBCanA->count(), 0);
        QCOMPARE(w.LBCanB->count(), 0);
        QCOMPARE(child<QLineEdit>(w, "Eid_devB")->text(), QString());
        w.bitbtn2->click();
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(p.read(p.xmlPath()), before);
    }

    void importStopsAtBadFlagAndSaysWhere()
    {
        Project p;
        EmcyWindow w(p.r.context);
        w.show();
        p.r.messages.clear();
        p.r.dialogs.fileAnswers.push_back(workbook(QStringLiteral("badflag.xlsx")));
        w.bitbtn4->click();
        QCOMPARE(p.r.messages.all.size(), 1);
        QVERIFY2(p.r.messages.messages.value(0).startsWith(
                     QStringLiteral("Import stopped at record 2 (worksheet row 3): ")),
                 qPrintable(p.r.messages.all.join(QLatin1Char('\n'))));
        QCOMPARE(lines(w.LBCanA), QStringList{"5"});
        QVERIFY(w.LBCanA->selectedItems().isEmpty());
    }

    void writeFailuresAreReported()
    {
        Project p;
        test::UseProjectDir(p.r.paths, p.dir.path() + QStringLiteral("\\gone"));
        EmcyWindow w(p.r.context);
        w.show();
        setId(w, "A", QStringLiteral("1"));
        w.NewA->click();
        p.r.messages.clear();
        w.button1->click();
        w.LbButton1->click();
        QCOMPARE(p.r.messages.errors.size(), 2);
        QVERIFY(p.r.messages.errors.at(0).startsWith(QStringLiteral("Cannot create file")));
        QVERIFY(p.r.messages.errors.at(1).startsWith(QStringLiteral("Cannot create file")));
        QVERIFY(w.isVisible());
        QCOMPARE(lines(w.LBCanA), QStringList{"1"});
    }

    void clickingALineShowsItsEntry()
    {
        Project p;
        p.write(document(row("1", "17") + row("2", "30") + row("3", "4")));
        EmcyWindow w(p.r.context);
        w.show();
        QCOMPARE(checkedOption(w, QStringLiteral("a")), QStringLiteral("r8"));
        auto click = [&w](int line) {
            const QRect r = w.LBCanA->visualItemRect(w.LBCanA->item(line));
            QTest::mouseClick(w.LBCanA->viewport(), Qt::LeftButton, {}, r.center());
        };
        click(1); // code 15: the options stay as they were
        QCOMPARE(child<QLineEdit>(w, "Eid_devA")->text(), QStringLiteral("2"));
        QCOMPARE(checkedOption(w, QStringLiteral("a")), QStringLiteral("r8"));
        QVERIFY(!w.enablea->isChecked());
        click(2);
        QCOMPARE(child<QLineEdit>(w, "Eid_devA")->text(), QStringLiteral("3"));
        QCOMPARE(checkedOption(w, QStringLiteral("a")), QStringLiteral("r3"));
        // Modify reads the controls back: the shown option replaces the entry's code.
        click(1);
        w.ModifyA->click();
        QCOMPARE(w.table().sides[Side::A].entries.at(1).alias_use, 2);
    }

    void cancelledImportChangesNothing()
    {
        Project p;
        p.write(document(row("1", "0")));
        EmcyWindow w(p.r.context);
        w.show();
        p.r.dialogs.fileAnswers.push_back(std::nullopt);
        w.bitbtn4->click();
        QCOMPARE(lines(w.LBCanA), QStringList{"1"});
        QCOMPARE(p.r.dialogs.fileRequests.size(), 1);
        QCOMPARE(p.r.dialogs.fileRequests.at(0).initialDir, p.r.paths.ProjectDir);
    }

    void undoAndRedoReachTheLoadedAndTheEditedTable_data() { test::addUndoRows(); }
    void undoAndRedoReachTheLoadedAndTheEditedTable()
    {
        const auto saved = [](const QString& pressed, bool edit) {
            Project p;
            p.write(document(row("1", "0") + row("2", "33")));
            EmcyWindow w(p.r.context);
            w.show();
            if (edit) {
                p.r.dialogs.fileAnswers.push_back(workbook(QStringLiteral("emcydef.xlsx")));
                w.bitbtn4->click();
                setId(w, "A", QStringLiteral("99"));
                w.NewA->click(); // the new line is selected
                child<QLineEdit>(w, "Emask_eq_ecA")->setText(QStringLiteral("0xFF"));
                w.ModifyA->click();
                w.LBCanA->setCurrentRow(0);
                w.DeleteA->click();
            }
            test::pressUndoKeys(w.LBCanB, pressed);
            w.LbButton1->click();
            return p.read(p.xmlPath());
        };
        test::checkUndoRow(saved);
    }
};

QTEST_MAIN(TestEmcyWindow)
#include "tst_emcy_window.moc"
