#include "device/CommInt.h"
#include "device/UBootSer.h"
#include "device/UpdaterCommand.h"
#include "platform/FileSystem.h"
#include "support/Recorders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace velmaro;
using velmaro::test::Recorders;

namespace {

// Pseudo-terminals behind COM2 and COM5; every other name has no device. A pseudo-terminal has no
// DTR line, so raising it is accepted here unless the test asks for a refusal.
struct PtyPorts : ForwardingSerialPlatform
{
    PtyPorts() : ForwardingSerialPlatform(SystemSerialPlatform()) {}
    QHash<QString, QString> devices;
    bool refuseDtr = false;
    QString devicePath(const QString& portName) const override { return devices.value(portName.toUpper()); }
    int setDtr(SerialHandle, bool) override { return refuseDtr ? EIO : 0; }
};

// Outlives every monitor thread of the ports opened through it.
PtyPorts& ports()
{
    static PtyPorts* p = new PtyPorts;
    return *p;
}

QString openPty(int& master)
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return QString();
    ::close(slave);
    return QString::fromLocal8Bit(name);
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
    void missingUpdaterSaysNothing();
    void quoteInFolderRefused();

private:
    int m_masters[2] = {-1, -1};
};

void TestBootSer::initTestCase()
{
    ports().devices[QStringLiteral("COM2")] = openPty(m_masters[0]);
    ports().devices[QStringLiteral("COM5")] = openPty(m_masters[1]);
    QVERIFY(!ports().devices.value(QStringLiteral("COM2")).isEmpty());
}

void TestBootSer::init()
{
    ports().refuseDtr = false;
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
    QCOMPARE(f.dialog.LComDevice->text(), ports().devices.value(QStringLiteral("COM5")));
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
    QCOMPARE(f.r.messages.errors, errors);
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
    QTest::newRow("no device") << QStringLiteral("COM10") << false << false;
    QTest::newRow("port held by another user") << QStringLiteral("COM2") << false << true;
    QTest::newRow("DTR refused") << QStringLiteral("COM2") << true << false;
}

void TestBootSer::connectRefused()
{
    QFETCH(QString, port);
    QFETCH(bool, refuseDtr);
    QFETCH(bool, portHeldElsewhere);
    TComm other(nullptr, ports());
    if (portHeldElsewhere) {
        other.SetDeviceName(port);
        other.Open();
    }
    Fixture f;
    ports().refuseDtr = refuseDtr;
    f.dialog.show();
    f.choose(port);
    f.dialog.LbButton1->click();
    QCOMPARE(f.r.messages.errors, QStringList{PortCannotOpenText});
    QVERIFY(!f.dialog.PortOk);
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
                                           + ports().devices.value(QStringLiteral("COM2"))});
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
    f.r.processes.outcome.kind = ProcessOutcome::StillRunning;
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

void TestBootSer::missingUpdaterSaysNothing()
{
    Fixture f;
    f.dialog.show();
    f.choose(QStringLiteral("COM2"));
    f.dialog.LbButton1->click();
    f.dialog.LbButton2->click();
    f.r.processes.outcome.kind = ProcessOutcome::NotStarted;
    f.dialog.LbButton4->click();
    QCOMPARE(f.r.processes.calls.size(), 1);
    QVERIFY(f.r.messages.all.isEmpty());
    QVERIFY(f.onPageTwo());
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

QTEST_MAIN(TestBootSer)
#include "tst_bootser.moc"
