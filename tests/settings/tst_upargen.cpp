#include "platform/FileSystem.h"
#include "settings/Upargen.h"
#include "support/Recorders.h"
#include "support/TestProject.h"
#include "support/UndoKeys.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace velmaro;
using velmaro::test::UseProjectDir;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(NativePath(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(NativePath(path));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray golden()
{
    return readAll(QStringLiteral(VELMARO_TEST_DATA "/settings/defaults.xml"));
}

// A project folder with recorders and the editor over it.
struct Fixture
{
    QTemporaryDir dir;
    test::Recorders r;
    TFpargen window{r.context};
    Fixture()
    {
        UseProjectDir(r.paths, dir.path() + QStringLiteral("\\proj"));
        ForceDirectories(r.paths.ProjectDir);
    }
    QString path() const { return r.paths.PargenXmlPath; }
};

const QByteArray kStored =
    "<Par_Gen><Ser_Type>1</Ser_Type><Ser_RecTra>0</Ser_RecTra><Ser_Transmit>0</Ser_Transmit>"
    "<Ser_Receive>0</Ser_Receive><Ser_Trans_Every>250</Ser_Trans_Every>"
    "<Ser_Receive_End_C>0x13</Ser_Receive_End_C><Ser_Receive_End_T>20</Ser_Receive_End_T>"
    "<Ser_Baud>4</Ser_Baud><Ser_Par>1</Ser_Par><Ser_DataBits>abc</Ser_DataBits>"
    "<Ser_TimeOut>7</Ser_TimeOut><Profi_ID>9</Profi_ID><Profi_Baud>3</Profi_Baud>"
    "<Profi_NB_OUT>8</Profi_NB_OUT></Par_Gen>";

} // namespace

class TestUpargen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controlsCarryTheirNamesAndTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const char* rows[][2] = {
            {"RB_Ser_232", "RS232"},
            {"RB_Ser_485", "RS485"},
            {"RB_Ser_Rec", "Only Receive from Serial"},
            {"RB_Ser_RecTra", "Receive and Transmit"},
            {"RB_Ser_TEvery", "Transmit Every"},
            {"RB_Ser_TChange", "Transmit on Change DATA"},
            {"RB_Ser_REndC", "Character for end frame"},
            {"RB_Ser_REndT", "Timeout for end frame ms"},
            {"bitbtn1", "OK"},
            {"bitbtn2", "Cancel"},
            {"CB_Ser_Baud", "1200|2400|4800|9600|19200|38400|57600|115200"},
            {"CB_Ser_Par", "NONE|EVEN|ODD"},
            {"CB_DataBits", "5 bits|6 bits|7 bits|8 bits"},
            {"CB_Pro_Baud", "9600|19200|45.45K|93.75K|187.5K|500K|1.5M|3.0M|6.0M|12M|Auto Baudrate"},
            {"E_Ser_TEvery", ""},
            {"E_Ser_REndC", ""},
            {"E_Ser_REndT", ""},
            {"E_TimeOut", ""},
            {"E_Pro_ID", ""},
            {"E_PRo_IN", ""},
            {"E_PRo_Out", ""},
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
    }
    void controlsCarryTheirNamesAndTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        test::Recorders r;
        TFpargen w(r.context);
        QWidget* control = w.findChild<QWidget*>(name);
        QVERIFY(control);
        if (auto* b = qobject_cast<QAbstractButton*>(control)) {
            QCOMPARE(b->text(), text);
        } else if (auto* c = qobject_cast<QComboBox*>(control)) {
            QStringList items;
            for (int i = 0; i < c->count(); ++i)
                items << c->itemText(i);
            QCOMPARE(items.join(QLatin1Char('|')), text);
        } else {
            QVERIFY(qobject_cast<QLineEdit*>(control));
        }
    }

    void windowCaptionsAndLabels()
    {
        test::Recorders r;
        TFpargen w(r.context);
        QCOMPARE(w.windowTitle(), QStringLiteral("SET COMMUNICATION"));
        QStringList groups;
        for (auto* g : w.findChildren<QGroupBox*>())
            groups << g->title();
        QCOMPARE(groups, (QStringList{" Serial ", " PROFIBUS "}));
        QStringList labels;
        for (auto* l : w.findChildren<QLabel*>())
            labels << l->text();
        QCOMPARE(labels, (QStringList{"mS", "Baudrate", "Parity", "Data Bits", "TimeOuts ", "mS", "ID Dev.",
                                      "Baudrate", "N Byte IN", "N Byte OUT"}));
    }

    void noDocumentShowsDefaultsAndOkWritesThem()
    {
        Fixture f;
        TFpargen& w = f.window;
        w.show();
        QVERIFY(w.RB_Ser_232->isChecked() && w.RB_Ser_RecTra->isChecked() && w.RB_Ser_TChange->isChecked()
                && w.RB_Ser_REndT->isChecked());
        QCOMPARE(w.CB_Ser_Baud->currentText(), QStringLiteral("115200"));
        QCOMPARE(w.CB_DataBits->currentText(), QStringLiteral("8 bits"));
        QVERIFY(!w.CB_DataBits->isEnabled());
        QVERIFY(!w.CB_Pro_Baud->isEnabled());
        QCOMPARE(w.E_Ser_REndC->text(), QStringLiteral("0x13"));
        QVERIFY(!FileExists(f.path()));
        w.bitbtn1->click();
        QVERIFY(f.r.messages.all.isEmpty());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!w.isVisible());
        QCOMPARE(readAll(f.path()), golden());
    }

    void storedDocumentIsShownAndSavedBack()
    {
        Fixture f;
        writeAll(f.path(), kStored);
        TFpargen& w = f.window;
        w.show();
        QVERIFY(f.r.messages.all.isEmpty());
        QVERIFY(w.RB_Ser_485->isChecked() && w.RB_Ser_Rec->isChecked() && w.RB_Ser_TEvery->isChecked()
                && w.RB_Ser_REndC->isChecked());
        QVERIFY(w.CB_DataBits->isEnabled());
        QCOMPARE(w.CB_DataBits->currentText(), QStringLiteral("8 bits"));
        QCOMPARE(w.CB_Pro_Baud->currentText(), QStringLiteral("Auto Baudrate"));
        QCOMPARE(w.CB_Ser_Baud->currentText(), QStringLiteral("19200"));
        QCOMPARE(w.E_Ser_REndC->text(), QStringLiteral("0x13"));
        QCOMPARE(w.E_PRo_IN->text(), QStringLiteral("244"));
        QCOMPARE(w.E_PRo_Out->text(), QStringLiteral("8"));
        w.bitbtn1->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const auto saved = LoadCommSettings(f.path());
        QVERIFY(saved.ok() && saved.value());
        const CommSettings& s = *saved.value();
        QCOMPARE(*s.Ser_Type, QStringLiteral("1"));
        QCOMPARE(*s.Ser_Receive_End_C, QStringLiteral("0x13"));
        QCOMPARE(*s.Ser_DataBits, QStringLiteral("3"));
        QCOMPARE(*s.Profi_Baud, QStringLiteral("10"));
        QCOMPARE(*s.Profi_NB_IN, QStringLiteral("244"));
    }

    void failedValidationShowsFirstMessageAndKeepsEntries()
    {
        Fixture f;
        writeAll(f.path(), kStored);
        TFpargen& w = f.window;
        w.show();
        w.E_PRo_Out->setText(QStringLiteral("300"));
        w.E_Pro_ID->setText(QString());
        w.bitbtn1->click();
        QCOMPARE(f.r.messages.errors,
                 QStringList{QStringLiteral("Error!! ProfiBus address must be between 1 and 126. ")});
        QVERIFY(f.r.messages.messages.isEmpty());
        QVERIFY(w.isVisible());
        QCOMPARE(w.E_PRo_Out->text(), QStringLiteral("300"));
        QCOMPARE(readAll(f.path()), kStored);
    }

    void rs232KeepsAndSavesTheDisabledDataBits()
    {
        Fixture f;
        TFpargen& w = f.window;
        w.show();
        w.RB_Ser_485->click();
        QVERIFY(w.CB_DataBits->isEnabled());
        w.CB_DataBits->setCurrentIndex(1);
        w.RB_Ser_232->click();
        QVERIFY(!w.CB_DataBits->isEnabled());
        QVERIFY(!w.RB_Ser_485->isChecked());
        QVERIFY(w.RB_Ser_RecTra->isChecked()); // the other groups are untouched
        w.bitbtn1->click();
        const auto saved = LoadCommSettings(f.path());
        QVERIFY(saved.ok() && saved.value());
        QCOMPARE(*saved.value()->Ser_Type, QStringLiteral("0"));
        QCOMPARE(*saved.value()->Ser_DataBits, QStringLiteral("1"));
    }

    void cancelWritesNothingAndTheNextShowingReloads()
    {
        Fixture f;
        writeAll(f.path(), kStored);
        TFpargen& w = f.window;
        w.show();
        w.E_Pro_ID->setText(QStringLiteral("55"));
        w.RB_Ser_232->click();
        w.bitbtn2->click();
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(!w.isVisible());
        QCOMPARE(readAll(f.path()), kStored);
        w.show();
        QCOMPARE(w.E_Pro_ID->text(), QStringLiteral("9"));
        QVERIFY(w.RB_Ser_485->isChecked());
        QVERIFY(w.CB_DataBits->isEnabled());
    }

    void loadFailureShowsTheTextAndOpensWithWhatWasRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("rs485");
        QTest::addColumn<QString>("transmitEvery");
        QTest::addColumn<QString>("profibusId");
        QByteArray noReceive = kStored;
        noReceive.replace("<Ser_Receive>0</Ser_Receive>", "");
        QTest::newRow("absent Ser_Receive") << noReceive << "\"Ser_Receive\" is missing" << true << "250"
                                            << "9";
        QByteArray badBaud = kStored;
        badBaud.replace("<Ser_Baud>4</Ser_Baud>", "<Ser_Baud>fast</Ser_Baud>");
        QTest::newRow("Ser_Baud not an integer")
            << badBaud << "'fast' is not a valid integer value" << true << "250"
            << "9";
        QByteArray baudOutside = kStored;
        baudOutside.replace("<Ser_Baud>4</Ser_Baud>", "<Ser_Baud>9</Ser_Baud>");
        QTest::newRow("Ser_Baud outside its list")
            << baudOutside << "\"Ser_Baud\": 9 is not a position of the list" << true << "250"
            << "9";
        QTest::newRow("not well-formed")
            << QByteArray("<Par_Gen><Ser_Type>1</Par_Gen>") << "(line 1" << false << "1000"
            << "1";
    }
    void loadFailureShowsTheTextAndOpensWithWhatWasRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QFETCH(bool, rs485);
        QFETCH(QString, transmitEvery);
        QFETCH(QString, profibusId);
        Fixture f;
        writeAll(f.path(), bytes);
        TFpargen& w = f.window;
        w.show();
        QCOMPARE(f.r.messages.errors.size(), 1);
        QVERIFY2(f.r.messages.errors.first().contains(error), qPrintable(f.r.messages.errors.first()));
        QVERIFY(w.isVisible());
        QCOMPARE(w.RB_Ser_485->isChecked(), rs485);
        QCOMPARE(w.CB_DataBits->isEnabled(), rs485);
        QCOMPARE(w.E_Ser_TEvery->text(), transmitEvery);
        QCOMPARE(w.E_Pro_ID->text(), profibusId);
        QCOMPARE(readAll(f.path()), bytes);
    }

    // Each field is read on its own: the good ones survive the two that fail, and one box lists both.
    void twoBadFieldsAmongGoodOnes()
    {
        Fixture f;
        QByteArray bytes = kStored;
        bytes.replace("<Ser_Type>1</Ser_Type>", "")
            .replace("<Ser_Baud>4</Ser_Baud>", "<Ser_Baud>x</Ser_Baud>");
        bytes.replace("</Par_Gen>", "<Profi_NB_IN>32</Profi_NB_IN></Par_Gen>");
        writeAll(f.path(), bytes);
        TFpargen& w = f.window;
        w.show();
        QCOMPARE(f.r.messages.errors.size(), 1);
        const QStringList lines = f.r.messages.errors.first().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].endsWith(QStringLiteral("the element \"Ser_Type\" is missing")),
                 qPrintable(lines[0]));
        QVERIFY2(lines[1].endsWith(QStringLiteral("\"Ser_Baud\": 'x' is not a valid integer value")),
                 qPrintable(lines[1]));
        f.r.messages.answers = {true};
        w.bitbtn1->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const auto saved = LoadCommSettings(f.path());
        QVERIFY(saved.ok() && saved.value());
        const CommSettings& s = *saved.value();
        const QStringList texts = {*s.Ser_Type, *s.Ser_RecTra, *s.Ser_Trans_Every, *s.Ser_Baud,
                                   *s.Ser_Par,  *s.Profi_ID,   *s.Profi_NB_IN,     *s.Profi_NB_OUT};
        QCOMPARE(texts, (QStringList{"0", "0", "250", "7", "1", "9", "32", "8"}));
    }

    // OK asks before it replaces a document this showing could not read whole; No writes nothing.
    void okAfterPartialLoadAsksFirst_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: no document
        QTest::addColumn<bool>("asks");
        QTest::addColumn<bool>("yes");
        QByteArray noReceive = kStored;
        noReceive.replace("<Ser_Receive>0</Ser_Receive>", "");
        QTest::newRow("field failed, No") << noReceive << true << false;
        QTest::newRow("field failed, Yes") << noReceive << true << true;
        QTest::newRow("not well-formed, No") << QByteArray("<Par_Gen><Profi_ID>") << true << false;
        QTest::newRow("read whole") << kStored << false << false;
        QTest::newRow("no document") << QByteArray() << false << false;
    }
    void okAfterPartialLoadAsksFirst()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, asks);
        QFETCH(bool, yes);
        Fixture f;
        if (!bytes.isEmpty())
            writeAll(f.path(), bytes);
        TFpargen& w = f.window;
        w.show();
        w.E_Pro_ID->setText(QStringLiteral("12"));
        f.r.messages.answers = {yes};
        w.bitbtn1->click();
        QCOMPARE(f.r.messages.questions.size(), int(asks));
        QVERIFY(!asks || f.r.messages.questions.first().contains(NativePath(f.path())));
        const bool saves = !asks || yes;
        QCOMPARE(w.isVisible(), !saves);
        if (saves)
            QVERIFY(readAll(f.path()).contains("<Profi_ID>12</Profi_ID>"));
        else
            QCOMPARE(readAll(f.path()), bytes);
    }

    void failedSaveKeepsTheWindowAndEntries()
    {
        Fixture f;
        UseProjectDir(f.r.paths, f.r.paths.ProjectDir + QStringLiteral("\\gone"));
        TFpargen& w = f.window;
        w.show();
        w.E_Pro_ID->setText(QStringLiteral("7"));
        w.bitbtn1->click();
        QCOMPARE(f.r.messages.errors.size(), 1);
        QVERIFY2(f.r.messages.errors.first().startsWith(QStringLiteral("Cannot create file \"")),
                 qPrintable(f.r.messages.errors.first()));
        QVERIFY(w.isVisible());
        QCOMPARE(w.E_Pro_ID->text(), QStringLiteral("7"));
    }

    void undoAndRedoReachTheLoadedAndTheEditedDocument_data()
    {
        QTest::addColumn<QString>("keys"); // pressed in "ID Dev." after the edits
        QTest::addColumn<int>("steps");    // edits the saved document holds
        QTest::newRow("no key: every edit") << "" << 3;
        QTest::newRow("Ctrl+Z takes back the text typed in the box first") << "z" << 2;
        QTest::newRow("Ctrl+Z undoes every step") << "zzz" << 0;
        QTest::newRow("more Ctrl+Z than steps: the loaded document") << "zzzzz" << 0;
        QTest::newRow("Ctrl+Shift+Z redoes") << "zzzZZZ" << 3;
        QTest::newRow("Ctrl+Y redoes") << "zzzyy" << 2;
        QTest::newRow("redo past the last step changes nothing") << "zyyyy" << 3;
    }

    void undoAndRedoReachTheLoadedAndTheEditedDocument()
    {
        QFETCH(QString, keys);
        QFETCH(int, steps);
        Fixture f;
        writeAll(f.path(), golden());
        TFpargen& w = f.window;
        w.show();
        w.RB_Ser_485->click();
        w.CB_Ser_Baud->setCurrentIndex(3);
        w.E_Pro_ID->selectAll();
        QTest::keyClicks(w.E_Pro_ID, QStringLiteral("42")); // still in the box, not committed
        test::pressUndoKeys(w.E_Pro_ID, keys);
        w.bitbtn1->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QByteArray expected = golden();
        const char* edits[][2] = {{"<Ser_Type>0<", "<Ser_Type>1<"},
                                  {"<Ser_Baud>7<", "<Ser_Baud>3<"},
                                  {"<Profi_ID>1<", "<Profi_ID>42<"}};
        for (int i = 0; i < steps; ++i)
            expected.replace(edits[i][0], edits[i][1]);
        QCOMPARE(readAll(f.path()), expected);
    }
};

QTEST_MAIN(TestUpargen)
#include "tst_upargen.moc"
