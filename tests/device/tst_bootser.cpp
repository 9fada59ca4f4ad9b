#include "device/CommInt.h"
#include "device/UBootSer.h"
#include "device/UpdaterCommand.h"
#include "platform/FileSystem.h"
#include "support/MemorySerial.h"
#include "support/Recorders.h"
#include "support/TestFiles.h"
#include "widgets/TransientNote.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <cerrno>

using namespace velmaro;
using velmaro::test::Recorders;

Q_DECLARE_METATYPE(velmaro::ProcessOutcome)

namespace {

// In-memory devices behind COM2 and COM5; every other name has no device.
using TestPorts = velmaro::test::MemorySerialPlatform;

// Outlives every monitor thread of the ports opened through it.
TestPorts& ports()
{
    static TestPorts* p = new TestPorts;
    return *p;
}

struct Fixture
{
    Recorders r;
    AppContext context{r.paths, r.messages, r.dialogs, r.modal, r.shell, ports(), r.processes};
    TFBootSer dialog{context};
    Fixture()
    {
        r.paths.AppDir = QStringLiteral("/opt/velmaro");
        r.paths.MasterDir = r.paths.AppDir + QStringLiteral("\\MASTER");
        r.paths.ProjectsDir = r.paths.AppDir + QStringLiteral("\\PROJECTS");
        r.paths.ProjectDir = r.paths.ProjectsDir + QStringLiteral("\\plant one");
    }
    void choose(const QString& port) { dialog.CB_Com->setCurrentText(port); }
    bool onPageTwo() const { return dialog.Panel1->isVisible() && !dialog.Label1->isVisible(); }
    void toPageTwo(const QString& port = QStringLiteral("COM2"))
    {
        dialog.show();
        choose(port);
        dialog.LbButton1->click();
        dialog.LbButton2->click();
    }
};

} // namespace

class TestBootSer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void firstShowing();
    void nextRefused_data();
    void nextRefused();
    void connectRefused_data();
    void connectRefused();
    void connectTwiceOnFreePort();
    void nextAfterChangingPortPassesNewPort();
    void executeParameters_data();
    void executeParameters();
    void reopeningResetsPageKeepsChoices();
    void closingClosesPort_data();
    void closingClosesPort();
    void busyIndicatorWhileWaiting();
    void updaterOutcomeShown_data();
    void updaterOutcomeShown();
    void keysOnPageTwoReachOnlyItsControls_data();
    void keysOnPageTwoReachOnlyItsControls();
    void quoteInFolderRefused();
    void missingUpdaterNamedOnFirstPage();
};

void TestBootSer::initTestCase()
{
    ports().ports[QStringLiteral("COM2")] = QStringLiteral("/dev/ttyMEM2");
    ports().ports[QStringLiteral("COM5")] = QStringLiteral("/dev/ttyMEM5");
}

void TestBootSer::init()
{
    ports().refuseDtr = false;
    ports().refuseOpen = 0;
}

void TestBootSer::firstShowing()
{
    Fixture f;
    f.dialog.show();
    QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Update Firmware from Serial (RS232)"));
    QCOMPARE(f.dialog.CB_Com->count(), 10);
    QCOMPARE(f.dialog.CB_Com->currentText(), QStringLiteral("COM1"));
    QCOMPARE(f.dialog.CB_Com->itemText(9), QStringLiteral("COM10"));
    QVERIFY(!f.dialog.CB_Com->isEditable());
    QCOMPARE(f.dialog.Label4->text(),
             QStringLiteral("3 - Select the  COM port and press the connect button"));
    QVERIFY(!f.dialog.Panel1->isVisible());
    QCOMPARE(f.dialog.Comm1->DeviceName(), QStringLiteral("Com2"));
    QCOMPARE(f.dialog.Comm1->MonitorEvents(), AllCommEvents());
    // Beside the list: the device behind the selected name, or that there is none.
    QCOMPARE(f.dialog.LComDevice->text(), QStringLiteral("(no device)"));
    f.choose(QStringLiteral("COM5"));
    QCOMPARE(f.dialog.LComDevice->text(), ports().ports.value(QStringLiteral("COM5")));
}

void TestBootSer::nextRefused_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("refuseDtr");
    QTest::addColumn<QStringList>("errors");
    const QString select = QStringLiteral("Select one port.");
    QTest::newRow("without Connect") << QString() << false << QStringList{select};
    QTest::newRow("after Connect to a name without device")
        << QStringLiteral("COM7") << false << QStringList{PortCannotOpenText, select};
    QTest::newRow("after Connect whose DTR was refused")
        << QStringLiteral("COM2") << true << QStringList{PortCannotOpenText, select};
}

void TestBootSer::nextRefused()
{
    QFETCH(QString, port);
    QFETCH(bool, refuseDtr);
    QFETCH(QStringList, errors);
    Fixture f;
    ports().refuseDtr = refuseDtr;
    f.dialog.show();
    if (!port.isEmpty()) {
        f.choose(port);
        f.dialog.LbButton1->click();
    }
    f.dialog.LbButton2->click();
    QStringList firstLines; // Connect's box says why on a second line
    for (const QString& error : f.r.messages.errors)
        firstLines << error.section(QLatin1Char('\n'), 0, 0);
    QCOMPARE(firstLines, errors);
    QVERIFY(f.r.messages.messages.isEmpty());
    QVERIFY(!f.dialog.PortOk);
    QVERIFY(!f.onPageTwo());
    QVERIFY(f.dialog.Label6->isVisible());
}

void TestBootSer::connectRefused_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("refuseDtr");
    QTest::addColumn<bool>("portHeldElsewhere");
    QTest::addColumn<int>("refuseOpen");
    QTest::addColumn<QStringList>("reason"); // what the second line must say
    const QString com2 = ports().ports.value(QStringLiteral("COM2"));
    const QString com5 = ports().ports.value(QStringLiteral("COM5"));
    QTest::newRow("no device") << QStringLiteral("COM10") << false << false << 0
                               << QStringList{"COM10 has no device", "COM2 = " + com2, "COM5 = " + com5};
    QTest::newRow("port held by another program")
        << QStringLiteral("COM2") << false << true << 0
        << QStringList{"COM2 (" + com2 + "): Device or resource busy", "Another program holds the port"};
    QTest::newRow("permission denied")
        << QStringLiteral("COM5") << false << false << EACCES
        << QStringList{"COM5 (" + com5 + "): Permission denied", "dialout", "log in again"};
    QTest::newRow("DTR refused") << QStringLiteral("COM2") << true << false << 0
                                 << QStringList{"COM2 (" + com2 + "): Input/output error"};
}

void TestBootSer::connectRefused()
{
    QFETCH(QString, port);
    QFETCH(bool, refuseDtr);
    QFETCH(bool, portHeldElsewhere);
    QFETCH(int, refuseOpen);
    QFETCH(QStringList, reason);
    TComm other(nullptr, ports());
    if (portHeldElsewhere) {
        other.SetDeviceName(port);
        other.Open();
    }
    Fixture f;
    ports().refuseDtr = refuseDtr;
    ports().refuseOpen = refuseOpen;
    f.dialog.show();
    f.choose(port);
    f.dialog.LbButton1->click();
    QCOMPARE(f.r.messages.errors.size(), 1);
    QCOMPARE(f.r.messages.errors[0].section(QLatin1Char('\n'), 0, 0), PortCannotOpenText);
    for (const QString& part : reason)
        QVERIFY2(f.r.messages.errors[0].section(QLatin1Char('\n'), 1).contains(part), qPrintable(part));
    QVERIFY(!f.dialog.PortOk);
    QCOMPARE(ShownNote(&f.dialog), QString()); // no word of success for a refusal
    // A port that failed after opening is freed when the dialog closes.
    f.dialog.hide();
    QVERIFY(!f.dialog.Comm1->IsOpen());
}

void TestBootSer::connectTwiceOnFreePort()
{
    Fixture f;
    f.dialog.show();
    f.choose(QStringLiteral("COM2"));
    f.dialog.LbButton1->click();
    QVERIFY(f.dialog.PortOk);
    f.dialog.LbButton1->click(); // closes the first connection before trying again
    QVERIFY(f.dialog.PortOk);
    QVERIFY(f.dialog.Comm1->IsOpen());
    QVERIFY(f.r.messages.all.isEmpty());
    QCOMPARE(ShownNote(&f.dialog), QStringLiteral("Connected to COM2"));
}

void TestBootSer::nextAfterChangingPortPassesNewPort()
{
    Fixture f;
    f.dialog.show();
    f.choose(QStringLiteral("COM2"));
    f.dialog.LbButton1->click();
    f.choose(QStringLiteral("COM5"));
    f.dialog.LbButton2->click();
    QVERIFY(f.r.messages.all.isEmpty());
    QVERIFY(f.onPageTwo());
    QCOMPARE(f.dialog.Panel1->geometry(), f.dialog.rect());
    // The port is free for the updater.
    QVERIFY(!f.dialog.Comm1->IsOpen());
    TComm updater(nullptr, ports());
    updater.SetDeviceName(QStringLiteral("COM2"));
    updater.Open();
    f.dialog.LbButton4->click();
    QCOMPARE(f.r.processes.calls.size(), 1);
    QVERIFY(f.r.processes.calls[0].parameters.startsWith(QStringLiteral("COM5 FW FR PW PR ")));
}

void TestBootSer::executeParameters_data()
{
    QTest::addColumn<QList<bool>>("boxes");
    QTest::addColumn<QString>("tokens");
    QTest::newRow("all checked") << QList<bool>{true, true, true, true} << "FW FR PW PR ";
    QTest::newRow("all cleared") << QList<bool>{false, false, false, false} << "NO NO NO NO ";
    QTest::newRow("only firmware") << QList<bool>{true, false, false, false} << "FW NO NO NO ";
    QTest::newRow("only read-backs") << QList<bool>{false, true, false, true} << "NO FR NO PR ";
    QTest::newRow("only project") << QList<bool>{false, false, true, false} << "NO NO PW NO ";
}

void TestBootSer::executeParameters()
{
    QFETCH(QList<bool>, boxes);
    QFETCH(QString, tokens);
    Fixture f;
    f.dialog.show();
    f.choose(QStringLiteral("COM2"));
    f.dialog.LbButton1->click();
    f.dialog.LbButton2->click();
    const QList<QCheckBox*> checks{f.dialog.CB_Firm, f.dialog.CB_RFirm, f.dialog.CB_Proj, f.dialog.CB_RProj};
    for (int i = 0; i < 4; ++i)
        checks[i]->setChecked(boxes[i]);
    f.dialog.LbButton4->click();
    f.dialog.LbButton4->click(); // repeatable; the dialog stays on its options page
    QCOMPARE(f.r.processes.calls.size(), 2);
    const auto& call = f.r.processes.calls[0];
    QCOMPARE(call.program, QStringLiteral("/opt/velmaro/Ser_Q4712_Update.exe"));
    QCOMPARE(
        call.parameters,
        QStringLiteral("COM2 ") + tokens
            + QStringLiteral(R"("/opt/velmaro/MASTER/simQ4712.sim" "/opt/velmaro/PROJECTS/plant one/bin/")"));
    QCOMPARE(call.environment, QStringList{QStringLiteral("VELMARO_PORT_DEVICE=")
                                           + ports().ports.value(QStringLiteral("COM2"))});
    QVERIFY(!call.hidden);
    QCOMPARE(call.limitMs, 150000);
    QVERIFY(f.onPageTwo());
    QVERIFY(f.r.messages.all.isEmpty());
}

void TestBootSer::reopeningResetsPageKeepsChoices()
{
    Fixture f;
    f.r.modal.onOpen = [&](QDialog&) {
        f.choose(QStringLiteral("COM5"));
        f.dialog.LbButton1->click();
        f.dialog.LbButton2->click();
        f.dialog.CB_Proj->setChecked(false);
        f.dialog.CB_RFirm->setChecked(false);
        return int(QDialog::Rejected);
    };
    f.r.modal.exec(f.dialog);
    QVERIFY(f.onPageTwo() == false);
    QStringList state;
    f.r.modal.onOpen = [&](QDialog&) {
        state << QString::number(f.onPageTwo()) << QString::number(f.dialog.Label1->isVisible())
              << QString::number(f.dialog.PortOk) << f.dialog.CB_Com->currentText();
        for (QCheckBox* box : {f.dialog.CB_Firm, f.dialog.CB_RFirm, f.dialog.CB_Proj, f.dialog.CB_RProj})
            state << QString::number(box->isChecked());
        return int(QDialog::Rejected);
    };
    f.r.modal.exec(f.dialog);
    // Page 1, labels shown, no port checked; COM5 and the boxes as left.
    QCOMPARE(state.join(' '), QStringLiteral("0 1 0 COM5 1 0 0 1"));
}

void TestBootSer::closingClosesPort_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel") << 0;
    QTest::newRow("title-bar close") << 1;
    QTest::newRow("hidden by its owner") << 2;
}

void TestBootSer::closingClosesPort()
{
    QFETCH(int, how);
    Fixture f;
    f.dialog.show();
    f.choose(QStringLiteral("COM2"));
    f.dialog.LbButton1->click();
    QVERIFY(f.dialog.Comm1->IsOpen());
    if (how == 0)
        f.dialog.LbButton3->click();
    else if (how == 1)
        f.dialog.close();
    else
        f.dialog.hide();
    QVERIFY(!f.dialog.isVisible());
    QVERIFY(!f.dialog.Comm1->IsOpen());
    if (how == 0)
        QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
}

void TestBootSer::busyIndicatorWhileWaiting()
{
    Fixture f;
    f.dialog.show();
    f.choose(QStringLiteral("COM2"));
    f.dialog.LbButton1->click();
    f.dialog.LbButton2->click();
    QStringList seen;
    bool modal = false;
    f.r.processes.onRun = [&](const std::function<void(qint64)>& whileWaiting) {
        whileWaiting(0);
        whileWaiting(3500);
        TBusyIndicator* busy = f.dialog.BusyIndicator();
        QVERIFY(busy && busy->isVisible());
        modal = busy->windowModality() == Qt::ApplicationModal;
        seen << busy->LElapsed->text();
        busy->close(); // the person cannot dismiss it
        QVERIFY(busy->isVisible());
    };
    f.dialog.LbButton4->click();
    QVERIFY(modal);
    QCOMPARE(seen, QStringList{QStringLiteral("3 s elapsed (at most 150 s)")});
    QVERIFY(!f.dialog.BusyIndicator());
    QVERIFY(f.r.messages.all.isEmpty());
    QVERIFY(f.onPageTwo());
}

void TestBootSer::updaterOutcomeShown_data()
{
    QTest::addColumn<ProcessOutcome>("outcome");
    QTest::addColumn<QStringList>("said"); // in the one error box; none when empty
    QTest::newRow("ended with 0") << ProcessOutcome{ProcessOutcome::Ended, 0, 0} << QStringList();
    QTest::newRow("missing") << ProcessOutcome{ProcessOutcome::NotStarted, -1, ENOENT}
                             << QStringList{"\"/opt/velmaro/Ser_Q4712_Update.exe\"",
                                            "No such file or directory"};
    QTest::newRow("still running") << ProcessOutcome{ProcessOutcome::StillRunning, -1, 0}
                                   << QStringList{"150 seconds", "left running"};
    QTest::newRow("exit code") << ProcessOutcome{ProcessOutcome::Ended, 3, 0} << QStringList{"exit code 3"};
}

void TestBootSer::updaterOutcomeShown()
{
    QFETCH(ProcessOutcome, outcome);
    QFETCH(QStringList, said);
    Fixture f;
    f.toPageTwo();
    f.r.processes.outcome = outcome;
    f.dialog.LbButton4->click();
    QCOMPARE(f.r.processes.calls.size(), 1);
    QVERIFY(f.r.messages.messages.isEmpty());
    QCOMPARE(f.r.messages.errors.size(), said.isEmpty() ? 0 : 1);
    for (const QString& part : said)
        QVERIFY2(f.r.messages.errors[0].contains(part), qPrintable(f.r.messages.errors[0]));
    QVERIFY(f.onPageTwo());
}

// Page 2 covers page 1, whose controls must not act on keys: Connect would reopen the port the
// updater needs, and the port list would hand the updater another port than the one checked.
void TestBootSer::keysOnPageTwoReachOnlyItsControls_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("runs");       // of the updater
    QTest::addColumn<bool>("stillOpen"); // the dialog
    QTest::newRow("Enter") << QList<int>{Qt::Key_Return, Qt::Key_Enter} << 2 << true;
    QTest::newRow("Tab round, both ways")
        << QList<int>(6, Qt::Key_Tab) + QList<int>(6, Qt::Key_Backtab) << 0 << true;
    QTest::newRow("arrows") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Left}
                            << 0 << true;
    QTest::newRow("Tab, then Enter") << QList<int>{Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return} << 1 << true;
    QTest::newRow("Escape") << QList<int>{Qt::Key_Escape} << 0 << false;
}

void TestBootSer::keysOnPageTwoReachOnlyItsControls()
{
    QFETCH(QList<int>, keys);
    QFETCH(int, runs);
    QFETCH(bool, stillOpen);
    Fixture f;
    f.r.processes.outcome = ProcessOutcome{ProcessOutcome::Ended, 0, 0};
    f.toPageTwo(QStringLiteral("COM5"));
    QVERIFY(f.onPageTwo());
    QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
    for (int key : keys) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QVERIFY2(target == f.dialog.LbButton4 || target->parentWidget() == f.dialog.Panel1,
                 qPrintable(target->objectName()));
        QTest::keyClick(target, Qt::Key(key));
    }
    QCOMPARE(f.dialog.CB_Com->currentText(), QStringLiteral("COM5"));
    QVERIFY(!f.dialog.Comm1->IsOpen());
    QCOMPARE(f.r.processes.calls.size(), runs);
    QCOMPARE(f.dialog.isVisible(), stillOpen);
    QVERIFY(f.r.messages.all.isEmpty());
}

void TestBootSer::quoteInFolderRefused()
{
    Fixture f;
    f.r.paths.ProjectDir = f.r.paths.ProjectsDir + QStringLiteral("\\a\" \"b");
    f.dialog.show();
    f.choose(QStringLiteral("COM2"));
    f.dialog.LbButton1->click();
    f.dialog.LbButton2->click();
    f.dialog.LbButton4->click();
    QVERIFY(f.r.processes.calls.isEmpty());
    QCOMPARE(f.r.messages.errors.size(), 1);
    // The folder is named as the system writes it, not with the "\\" it was built with.
    QVERIFY2(f.r.messages.errors[0].contains(NativePath(f.r.paths.ProjectDir)),
             qPrintable(f.r.messages.errors[0]));
    QVERIFY(!f.r.messages.errors[0].contains(QLatin1Char('\\')));
}

// The first page says where the updater is looked for while it is not there, at every opening.
void TestBootSer::missingUpdaterNamedOnFirstPage()
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("Ser_Q4712_Update.exe"));
    Fixture f;
    f.r.paths.AppDir = dir.path();
    f.dialog.show();
    QVERIFY(f.dialog.LUpdater->isVisible());
    QVERIFY(f.dialog.LUpdater->text().contains(program));
    f.dialog.hide();
    velmaro::test::writeFile(program, "#!/bin/sh\n");
    f.dialog.show();
    QVERIFY(!f.dialog.LUpdater->isVisible());
}

QTEST_MAIN(TestBootSer)
#include "tst_bootser.moc"
