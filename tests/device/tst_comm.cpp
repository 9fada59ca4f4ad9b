#include "device/CommInt.h"
#include "platform/posix/SerialTermios.h"
#include "support/MemorySerial.h"
#include "support/PseudoTerminal.h"

#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace velmaro;
using velmaro::test::PseudoTerminal;

Q_DECLARE_METATYPE(velmaro::SerialLineSettings)
Q_DECLARE_METATYPE(velmaro::TBaudrate)

namespace {

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ECommError& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

class TestComm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void portNamesMapToDevices_data();
    void portNamesMapToDevices();
    void openFailures_data();
    void openFailures();
    void openTwiceAndReopen();
    void closedPort();
    void propertiesWhileOpen_data();
    void propertiesWhileOpen();
    void termiosMapping_data();
    void termiosMapping();
    void settingsInPlatformTerms_data();
    void settingsInPlatformTerms();
    void reconfigure_data();
    void reconfigure();
    void settingsApplyAtNextOpen();
    void ratesWithoutTermiosConstant_data();
    void ratesWithoutTermiosConstant();
    void inexpressibleSettings_data();
    void inexpressibleSettings();
    void setDtrOnPseudoTerminal();
    void exclusiveAgainstSecondComponent();
    void exclusiveAgainstSecondProcess();
    void receivedBytesReachHandlerOnUiThread();
    void handlersRunInOrder();
    void openCloseDestroyWhileBytesArrive();
};

void TestComm::portNamesMapToDevices_data()
{
    QTest::addColumn<QStringList>("devNodes");  // names in the device folder
    QTest::addColumn<QStringList>("uartTypes"); // "ttySn=type" for the built-in ports
    QTest::addColumn<QStringList>("expected");  // COM1, COM2, ... in order
    QTest::newRow("built-in ports without UART are skipped")
        << QStringList{"ttyS0", "ttyS1", "ttyS2", "ttyUSB0"} << QStringList{"ttyS0=4", "ttyS1=0"}
        << QStringList{"ttyS0", "ttyUSB0"};
    QTest::newRow("numeric order within each kind")
        << QStringList{"ttyUSB10", "ttyUSB2", "ttyACM1", "ttyACM0", "ttyS10", "ttyS9"}
        << QStringList{"ttyS9=4", "ttyS10=4"}
        << QStringList{"ttyS9", "ttyS10", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyACM1"};
    QTest::newRow("other names are no serial ports")
        << QStringList{"tty0", "ttyUSB", "ttyUSB1a", "console", "ttyAMA0"} << QStringList{} << QStringList{};
}

void TestComm::portNamesMapToDevices()
{
    QFETCH(QStringList, devNodes);
    QFETCH(QStringList, uartTypes);
    QFETCH(QStringList, expected);
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("dev"));
    for (const QString& node : devNodes) {
        QFile f(root.filePath(QStringLiteral("dev/") + node));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    for (const QString& entry : uartTypes) {
        const QStringList parts = entry.split(QLatin1Char('='));
        QDir(root.path()).mkpath(QStringLiteral("sys/") + parts[0]);
        QFile f(root.filePath(QStringLiteral("sys/%1/type").arg(parts[0])));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(parts[1].toLatin1() + "\n");
    }
    QStringList devices =
        ListSerialDevices(root.filePath(QStringLiteral("dev")), root.filePath(QStringLiteral("sys")));
    for (QString& d : devices)
        d = QFileInfo(d).fileName();
    QCOMPARE(devices, expected);
    QCOMPARE(ComPortNumber(QStringLiteral("com3")), 3);
    QCOMPARE(ComPortNumber(QStringLiteral("COM0")), 0);
    QCOMPARE(ComPortNumber(QStringLiteral("/dev/ttyS0")), 0);
}

void TestComm::openFailures_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("message");
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain.txt"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QTest::newRow("missing device") << QStringLiteral(
        "/nonexistent/ttyX") << QStringLiteral("Error accessing specified device (Error: %1) ").arg(ENOENT);
    QTest::newRow("COM name with no device")
        << QStringLiteral("COM987")
        << QStringLiteral("Error accessing specified device (Error: %1) ").arg(ENOENT);
    QTest::newRow("directory") << dir.path()
                               << QStringLiteral("Error accessing specified device (Error: %1) ").arg(EISDIR);
    QTest::newRow("regular file") << file
                                  << QStringLiteral("Invalid device handle, access denied (Error: -1) ");
    QTest::newRow("character device that is no terminal")
        << QStringLiteral("/dev/null") << QStringLiteral("Invalid device handle, access denied (Error: -1) ");
}

void TestComm::openFailures()
{
    QFETCH(QString, device);
    QFETCH(QString, message);
    TComm comm;
    comm.SetDeviceName(device);
    QCOMPARE(errorOf([&] { comm.Open(); }), message);
    QVERIFY(!comm.IsOpen());
}

void TestComm::openTwiceAndReopen()
{
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath);
    comm.Open();
    QVERIFY(comm.IsOpen());
    QCOMPARE(errorOf([&] { comm.Open(); }), QStringLiteral("Port already assigned (open) (Error: -1) "));
    QVERIFY(comm.IsOpen());
    comm.Close();
    QVERIFY(!comm.IsOpen());
    comm.Close();
    comm.Open(); // the device is free again at once
    QVERIFY(comm.IsOpen());
}

void TestComm::closedPort()
{
    TComm comm;
    comm.Close();
    comm.Close();
    const QString dtr = errorOf([&] { comm.SetDtr(true); });
    QCOMPARE(dtr, QStringLiteral("Port not open, unable to complete operation (Error: -1) "));
    // Line settings on a closed port are only stored.
    comm.SetBaudRate(br14400);
    comm.SetFlowControl(fcDTR);
    QCOMPARE(comm.BaudRate(), br14400);
    QCOMPARE(comm.FlowControl(), fcDTR);
}

void TestComm::propertiesWhileOpen_data()
{
    QTest::addColumn<std::function<void(TComm&, const QString&)>>("change");
    QTest::addColumn<bool>("refused");
    using F = std::function<void(TComm&, const QString&)>;
    QTest::newRow("same device name") << F([](TComm& c, const QString& p) { c.SetDeviceName(p); }) << false;
    QTest::newRow("other device name")
        << F([](TComm& c, const QString&) { c.SetDeviceName("COM1"); }) << true;
    QTest::newRow("same read buffer") << F([](TComm& c, const QString&) { c.SetReadBufSize(4096); }) << false;
    QTest::newRow("read buffer") << F([](TComm& c, const QString&) { c.SetReadBufSize(100); }) << true;
    QTest::newRow("write buffer") << F([](TComm& c, const QString&) { c.SetWriteBufSize(100); }) << true;
    QTest::newRow("monitor events") << F([](TComm& c, const QString&) { c.SetMonitorEvents({evRxChar}); })
                                    << true;
    QTest::newRow("read time-out is stored")
        << F([](TComm& c, const QString&) { c.SetReadTimeout(5); }) << false;
}

void TestComm::propertiesWhileOpen()
{
    QFETCH(std::function<void(TComm&, const QString&)>, change);
    QFETCH(bool, refused);
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath);
    comm.Open();
    const QString error = errorOf([&] { change(comm, pty.slavePath); });
    QCOMPARE(error, refused ? QStringLiteral("Port already assigned (open) (Error: -1) ") : QString());
    QCOMPARE(comm.DeviceName(), pty.slavePath);
    QCOMPARE(comm.ReadBufSize(), 4096);
    comm.Close();
    QCOMPARE(errorOf([&] { change(comm, pty.slavePath); }), QString());
}

// Pseudo-terminals here refuse parity and character sizes, so the mapping is checked on its own.
void TestComm::termiosMapping_data()
{
    QTest::addColumn<SerialLineSettings>("settings");
    QTest::addColumn<tcflag_t>("cflagMask");
    QTest::addColumn<tcflag_t>("cflag");
    QTest::addColumn<tcflag_t>("iflagMask");
    QTest::addColumn<tcflag_t>("iflag");
    const tcflag_t parity = PARENB | PARODD | CMSPAR;
    const tcflag_t flow = IXON | IXOFF | IXANY;
    auto with = [](auto change) {
        SerialLineSettings s;
        change(s);
        return s;
    };
    QTest::newRow("defaults keep the device's flow control")
        << SerialLineSettings() << tcflag_t(CSIZE | parity | CSTOPB | CRTSCTS) << tcflag_t(CS8 | CRTSCTS)
        << tcflag_t(flow | INPCK) << tcflag_t(IXON);
    QTest::newRow("odd parity") << with([](auto& s) { s.parity = SerialParity::Odd; }) << parity
                                << tcflag_t(PARENB | PARODD) << tcflag_t(0) << tcflag_t(0);
    QTest::newRow("even parity") << with([](auto& s) { s.parity = SerialParity::Even; }) << parity
                                 << tcflag_t(PARENB) << tcflag_t(0) << tcflag_t(0);
    QTest::newRow("mark parity") << with([](auto& s) { s.parity = SerialParity::Mark; }) << parity << parity
                                 << tcflag_t(0) << tcflag_t(0);
    QTest::newRow("space parity") << with([](auto& s) { s.parity = SerialParity::Space; }) << parity
                                  << tcflag_t(PARENB | CMSPAR) << tcflag_t(0) << tcflag_t(0);
    QTest::newRow("five data bits, one and a half stop bits") << with([](auto& s) {
        s.dataBits = SerialDataBits::Five;
        s.stopBits = SerialStopBits::OneAndHalf;
    }) << tcflag_t(CSIZE | CSTOPB) << tcflag_t(CS5 | CSTOPB) << tcflag_t(0)
                                                              << tcflag_t(0);
    QTest::newRow("six data bits, two stop bits") << with([](auto& s) {
        s.dataBits = SerialDataBits::Six;
        s.stopBits = SerialStopBits::Two;
    }) << tcflag_t(CSIZE | CSTOPB) << tcflag_t(CS6 | CSTOPB)
                                                  << tcflag_t(0) << tcflag_t(0);
    QTest::newRow("no flow control clears every handshake")
        << with([](auto& s) { s.flowControl = SerialFlowControl::None; }) << tcflag_t(CRTSCTS) << tcflag_t(0)
        << tcflag_t(flow | INPCK | IGNPAR) << tcflag_t(0);
    QTest::newRow("no flow control with parity checking") << with([](auto& s) {
        s.flowControl = SerialFlowControl::None;
        s.options = SerialParityCheck;
    }) << tcflag_t(CRTSCTS) << tcflag_t(0) << tcflag_t(flow | INPCK)
                                                          << tcflag_t(INPCK);
    QTest::newRow("CTS flow keeps XON/XOFF as read")
        << with([](auto& s) { s.flowControl = SerialFlowControl::RtsCts; }) << tcflag_t(CRTSCTS)
        << tcflag_t(CRTSCTS) << flow << tcflag_t(IXON);
    QTest::newRow("software flow keeps CTS as read")
        << with([](auto& s) { s.flowControl = SerialFlowControl::XonXoff; }) << tcflag_t(CRTSCTS)
        << tcflag_t(CRTSCTS) << tcflag_t(IXON | IXOFF) << tcflag_t(IXON | IXOFF);
}

void TestComm::termiosMapping()
{
    QFETCH(SerialLineSettings, settings);
    QFETCH(tcflag_t, cflagMask);
    QFETCH(tcflag_t, cflag);
    QFETCH(tcflag_t, iflagMask);
    QFETCH(tcflag_t, iflag);
    // As a device might report itself: canonical, echoing, RTS/CTS and XON on, 7 bits even parity.
    termios t{};
    t.c_cflag = CS7 | PARENB | CRTSCTS;
    t.c_iflag = IXON | ICRNL;
    t.c_lflag = ICANON | ECHO;
    t.c_oflag = OPOST;
    QCOMPARE(ConfigureTermios(t, settings), 0);
    QCOMPARE(t.c_cflag & cflagMask, cflag);
    QCOMPARE(t.c_iflag & iflagMask, iflag);
    QVERIFY(!(t.c_lflag & (ICANON | ECHO)) && !(t.c_oflag & OPOST) && !(t.c_iflag & ICRNL));
    QVERIFY(t.c_cflag & CREAD);
}

// What the component hands to the platform, for the values a pseudo-terminal cannot show.
void TestComm::settingsInPlatformTerms_data()
{
    QTest::addColumn<std::function<void(TComm&)>>("change");
    QTest::addColumn<SerialLineSettings>("expected");
    using C = std::function<void(TComm&)>;
    auto with = [](auto change) {
        SerialLineSettings s;
        change(s);
        return s;
    };
    QTest::newRow("defaults") << C([](TComm&) {}) << SerialLineSettings();
    QTest::newRow("mark parity") << C([](TComm& c) { c.SetParity(paMark); })
                                 << with([](auto& s) { s.parity = SerialParity::Mark; });
    QTest::newRow("space parity") << C([](TComm& c) { c.SetParity(paSpace); })
                                  << with([](auto& s) { s.parity = SerialParity::Space; });
    QTest::newRow("one and a half stop bits, five data bits") << C([](TComm& c) {
        c.SetStopbits(sb15);
        c.SetDatabits(da5);
    }) << with([](auto& s) {
        s.stopBits = SerialStopBits::OneAndHalf;
        s.dataBits = SerialDataBits::Five;
    });
    QTest::newRow("seven data bits") << C([](TComm& c) { c.SetDatabits(da7); })
                                     << with([](auto& s) { s.dataBits = SerialDataBits::Seven; });
    QTest::newRow("DSR/DTR flow") << C([](TComm& c) { c.SetFlowControl(fcDTR); })
                                  << with([](auto& s) { s.flowControl = SerialFlowControl::DtrDsr; });
    QTest::newRow("options") << C([](TComm& c) {
        c.SetOptions({coIgnoreXOff, coNullStrip});
    }) << with([](auto& s) { s.options = SerialIgnoreXOff | SerialNullStrip; });
}

void TestComm::settingsInPlatformTerms()
{
    QFETCH(std::function<void(TComm&)>, change);
    QFETCH(SerialLineSettings, expected);
    static test::MemorySerialPlatform* ports = new test::MemorySerialPlatform; // outlives monitor threads
    ports->devices.insert(QStringLiteral("/dev/ttyMEM0"));
    TComm comm(nullptr, *ports);
    comm.SetDeviceName(QStringLiteral("/dev/ttyMEM0"));
    comm.Open();
    change(comm);
    const SerialLineSettings s = ports->lastSettings();
    QCOMPARE(int(s.parity), int(expected.parity));
    QCOMPARE(int(s.stopBits), int(expected.stopBits));
    QCOMPARE(int(s.dataBits), int(expected.dataBits));
    QCOMPARE(int(s.flowControl), int(expected.flowControl));
    QCOMPARE(s.options, expected.options);
}

void TestComm::reconfigure_data()
{
    QTest::addColumn<std::function<void(TComm&)>>("change");
    QTest::addColumn<std::function<bool(const termios&)>>("applied");
    using C = std::function<void(TComm&)>;
    using A = std::function<bool(const termios&)>;
    QTest::newRow("bit rate") << C([](TComm& c) { c.SetBaudRate(br19200); })
                              << A([](const termios& t) { return cfgetospeed(&t) == B19200; });
    QTest::newRow("two stop bits") << C([](TComm& c) { c.SetStopbits(sb20); })
                                   << A([](const termios& t) { return (t.c_cflag & CSTOPB) != 0; });
    QTest::newRow("software flow") << C([](TComm& c) {
        c.SetFlowControl(fcSoftware);
    }) << A([](const termios& t) { return (t.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF); });
    QTest::newRow("CTS flow") << C([](TComm& c) { c.SetFlowControl(fcCTS); })
                              << A([](const termios& t) { return (t.c_cflag & CRTSCTS) != 0; });
    QTest::newRow("XON character") << C([](TComm& c) { c.EventChars().SetXonChar(1); })
                                   << A([](const termios& t) { return t.c_cc[VSTART] == 1; });
    QTest::newRow("no flow clears parity checking") << C([](TComm& c) {
        c.SetOptions({coParityCheck});
        c.SetFlowControl(fcSoftware);
        c.SetOptions({});
        c.SetFlowControl(fcNone);
    }) << A([](const termios& t) { return !(t.c_iflag & (INPCK | IXON | IXOFF)) && !(t.c_cflag & CRTSCTS); });
    QTest::newRow("no flow keeps asked parity checking") << C([](TComm& c) {
        c.SetOptions({coParityCheck});
        c.SetFlowControl(fcNone);
    }) << A([](const termios& t) { return (t.c_iflag & INPCK) != 0; });
}

void TestComm::reconfigure()
{
    QFETCH(std::function<void(TComm&)>, change);
    QFETCH(std::function<bool(const termios&)>, applied);
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath);
    comm.Open();
    // Opened with the defaults: 9600 bit/s, 8 data bits, no parity, one stop bit, raw bytes.
    const termios before = pty.settings();
    QCOMPARE(cfgetospeed(&before), speed_t(B9600));
    QCOMPARE(before.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));
    QVERIFY(!(before.c_lflag & (ICANON | ECHO)));
    QVERIFY(!applied(before));
    change(comm);
    QVERIFY(applied(pty.settings()));
}

void TestComm::settingsApplyAtNextOpen()
{
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath);
    comm.SetBaudRate(br115200);
    comm.SetStopbits(sb20);
    QVERIFY(!(pty.settings().c_cflag & CSTOPB));
    comm.Open();
    const termios t = pty.settings();
    QCOMPARE(cfgetospeed(&t), speed_t(B115200));
    QVERIFY(t.c_cflag & CSTOPB);
}

void TestComm::ratesWithoutTermiosConstant_data()
{
    QTest::addColumn<TBaudrate>("rate");
    QTest::addColumn<int>("bitsPerSecond");
    QTest::newRow("14400") << br14400 << 14400;
    QTest::newRow("56000") << br56000 << 56000;
    QTest::newRow("128000") << br128000 << 128000;
    QTest::newRow("256000") << br256000 << 256000;
    QTest::newRow("back to a standard rate") << br57600 << 57600;
}

void TestComm::ratesWithoutTermiosConstant()
{
    QFETCH(TBaudrate, rate);
    QFETCH(int, bitsPerSecond);
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath);
    comm.SetBaudRate(br256000);
    comm.Open();
    QCOMPARE(ReadOutputBitRate(pty.master), 256000);
    comm.SetBaudRate(br9600);
    comm.SetBaudRate(rate);
    QCOMPARE(ReadOutputBitRate(pty.master), bitsPerSecond);
}

void TestComm::inexpressibleSettings_data()
{
    QTest::addColumn<std::function<void(TComm&)>>("change");
    using C = std::function<void(TComm&)>;
    QTest::newRow("DTR/DSR handshake") << C([](TComm& c) { c.SetFlowControl(fcDTR); });
    QTest::newRow("DSR sensitivity") << C([](TComm& c) { c.SetOptions({coDsrSensitivity}); });
    QTest::newRow("null stripping") << C([](TComm& c) { c.SetOptions({coNullStrip}); });
    QTest::newRow("four data bits") << C([](TComm& c) { c.SetDatabits(da4); });
    QTest::newRow("one and a half stop bits with eight data bits")
        << C([](TComm& c) { c.SetStopbits(sb15); });
    QTest::newRow("error character other than NUL") << C([](TComm& c) {
        c.EventChars().SetErrorChar('?');
        c.SetOptions({coErrorChar});
    });
}

void TestComm::inexpressibleSettings()
{
    QFETCH(std::function<void(TComm&)>, change);
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath);
    comm.Open();
    QCOMPARE(errorOf([&] { change(comm); }),
             QStringLiteral("Error updating DataControlBlock (Error: %1) ").arg(EINVAL));
    QVERIFY(comm.IsOpen());
    // The same setting on a closed port is stored, and Open reports it after opening.
    comm.Close();
    QCOMPARE(errorOf([&] { comm.Open(); }),
             QStringLiteral("Error updating DataControlBlock (Error: %1) ").arg(EINVAL));
    QVERIFY(comm.IsOpen());
}

void TestComm::setDtrOnPseudoTerminal()
{
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath);
    comm.Open();
    int bits = TIOCM_DTR;
    QCOMPARE(::ioctl(pty.master, TIOCMBIS, &bits), -1);
    const int expected = errno;
    try {
        comm.SetDtr(true);
        QFAIL("a pseudo-terminal has no DTR line");
    } catch (const ECommError& e) {
        QCOMPARE(e.ErrorCode(), expected);
        QCOMPARE(e.Message(), QStringLiteral("EscapeCommFunction failure (Error: %1) ").arg(expected));
    }
}

void TestComm::exclusiveAgainstSecondComponent()
{
    PseudoTerminal pty;
    TComm first;
    TComm second;
    first.SetDeviceName(pty.slavePath);
    second.SetDeviceName(pty.slavePath);
    first.Open();
    QCOMPARE(errorOf([&] { second.Open(); }),
             QStringLiteral("Error accessing specified device (Error: %1) ").arg(EBUSY));
    QVERIFY(!second.IsOpen());
    first.Close();
    second.Open();
    QVERIFY(second.IsOpen());
}

void TestComm::exclusiveAgainstSecondProcess()
{
    PseudoTerminal pty;
    auto probe = [&] {
        QProcess p;
        p.start(QStringLiteral(COMM_OPEN_PROBE), {pty.slavePath});
        p.waitForFinished(20000);
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    };
    TComm comm;
    comm.SetDeviceName(pty.slavePath);
    comm.Open();
    // The probe may run as the super-user, whom the terminal's own exclusive mode does not stop.
    QCOMPARE(probe(), QStringLiteral("Error accessing specified device (Error: %1) ").arg(EBUSY));
    comm.Close();
    QCOMPARE(probe(), QStringLiteral("opened"));
}

void TestComm::receivedBytesReachHandlerOnUiThread()
{
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath);
    int calls = 0;
    int lastCount = 0;
    QThread* thread = nullptr;
    TCustomComm* sender = nullptr;
    comm.OnRxChar = [&](TCustomComm* s, int count) {
        ++calls;
        lastCount = count;
        thread = QThread::currentThread();
        sender = s;
    };
    comm.Open();
    pty.send("hello");
    QTRY_VERIFY_WITH_TIMEOUT(calls > 0, 5000);
    QCOMPARE(thread, QThread::currentThread());
    QCOMPARE(sender, &comm);
    QCOMPARE(lastCount, 5);
    // Bytes nobody reads are not reported again until more arrive.
    QTest::qWait(200);
    QCOMPARE(calls, 1);
    pty.send("!");
    QTRY_COMPARE_WITH_TIMEOUT(lastCount, 6, 5000);
}

void TestComm::handlersRunInOrder()
{
    PseudoTerminal pty;
    TComm comm;
    comm.SetDeviceName(pty.slavePath);
    QStringList order;
    auto note = [&order](const char* name) { return [&order, name](TCustomComm*) { order << name; }; };
    comm.OnBreak = note("Break");
    comm.OnCts = note("Cts");
    comm.OnDsr = note("Dsr");
    comm.OnError = [&](TCustomComm*, int) { order << "Error"; };
    comm.OnRing = note("Ring");
    comm.OnRlsd = note("Rlsd");
    comm.OnRxChar = [&](TCustomComm*, int) { order << "RxChar"; };
    comm.OnRxFlag = note("RxFlag");
    comm.OnTxEmpty = note("TxEmpty");
    comm.SetMonitorEvents({}); // only the events handed in below
    comm.Open();
    comm.HandleCommEvent(AllCommEvents().bits());
    QCOMPARE(order.join(' '), QStringLiteral("Break Cts Dsr Error Ring Rlsd RxFlag TxEmpty"));
    // A receive event finds its handler only when bytes wait in the input queue.
    pty.send("x");
    QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                 order.clear();
                                 comm.HandleCommEvent(TCommEventTypes{evRxChar}.bits());
                                 return order == QStringList{QStringLiteral("RxChar")};
                             }()),
                             5000);
}

// Ports are opened, closed and destroyed while bytes keep arriving; a hand-over that the monitor
// started before Close must never reach a port that is gone.
void TestComm::openCloseDestroyWhileBytesArrive()
{
    PseudoTerminal pty;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop) {
            (void)::write(pty.master, "0123456789", 10);
            ::usleep(200);
        }
    });
    struct Join
    {
        std::atomic<bool>& stop;
        std::thread& thread;
        ~Join()
        {
            stop = true;
            thread.join();
        }
    } join{stop, writer};
    // Shared with the handlers, which must stay safe to call whatever happens to this function.
    struct Tally
    {
        QSet<TCustomComm*> alive;
        int handled = 0;
        int strays = 0;
    };
    auto tally = std::make_shared<Tally>();
    for (int i = 0; i < 100; ++i) {
        auto* comm = new TComm;
        tally->alive.insert(comm);
        connect(comm, &QObject::destroyed, this, [tally, comm] { tally->alive.remove(comm); });
        comm->SetDeviceName(pty.slavePath);
        comm->OnRxChar = [tally](TCustomComm* sender, int) {
            ++tally->handled;
            if (!tally->alive.contains(sender) || !sender->IsOpen())
                ++tally->strays;
        };
        const QString error = errorOf([comm] { comm->Open(); });
        QVERIFY2(error.isEmpty(), qPrintable(QString::number(i) + QLatin1Char(' ') + error));
        // Without processing events the monitor hands over a receive event and waits for it, so
        // the Close or destruction below mostly happens with a hand-over in flight.
        QThread::msleep(25);
        if (i % 10 == 5) {
            const int before = tally->handled;
            QTRY_VERIFY_WITH_TIMEOUT(tally->handled > before, 5000);
        }
        if (i % 3 == 0)
            comm->Close();
        if (i % 2 == 0) {
            delete comm;
        } else {
            comm->deleteLater();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCoreApplication::processEvents(); // the late hand-overs arrive here
    }
    QTest::qWait(300);
    QCOMPARE(tally->strays, 0);
}

QTEST_GUILESS_MAIN(TestComm)
#include "tst_comm.moc"
