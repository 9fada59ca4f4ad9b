#include "cli/CliUpdate.h"
#include "device/CommInt.h"
#include "device/UpdaterCommand.h"
#include "platform/Processes.h"
#include "platform/SerialPlatform.h"
#include "support/PseudoTerminal.h"
#include "tst_image_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmaro;
using namespace velmaro::test;

Q_DECLARE_METATYPE(velmaro::ProcessOutcome)

namespace {

// COM4 is a pseudo-terminal whose missing DTR line counts as raised; no other name has a device.
struct PtyPorts : ForwardingSerialPlatform
{
    PtyPorts() : ForwardingSerialPlatform(SystemSerialPlatform()) {}
    QString com4;
    QString devicePath(const QString& portName) const override
    {
        if (portName.toUpper() == QLatin1String("COM4"))
            return com4;
        return ComPortNumber(portName) ? QString() : portName; // a device path stands as it is
    }
    int setDtr(SerialHandle, bool) override { return 0; }
};

PtyPorts& ports()
{
    static PtyPorts* p = new PtyPorts;
    return *p;
}

struct Runner : IProcessRunner
{
    QStringList programs, parameters, environment;
    QList<int> limits;
    ProcessOutcome outcome{ProcessOutcome::Ended, 0};
    ProcessOutcome runAndWait(const QString& program, const QString& params, bool, int limitMs,
                              const std::function<void(qint64)>&, const QStringList& env) override
    {
        environment = env;
        limits << limitMs;
        programs << program;
        parameters << params;
        return outcome;
    }
};

struct Run
{
    int code;
    QString out, err;
};

Run update(const QStringList& args, Runner& runner)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    cli::Io io{o, e};
    int code = cli::UsageError;
    if (const std::optional<cli::VerbArgs> parsed = cli::ParseVerbArgs(cli::UpdateVerb(), args, io, code))
        code = cli::RunUpdate(*parsed, io, ports(), runner, QStringLiteral("/opt/velmaro"));
    o.flush();
    e.flush();
    return {code, out, err};
}

} // namespace

class TestUpdateVerb : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void usageErrors_data();
    void usageErrors();
    void refusals_data();
    void refusals();
    void runsTheUpdater_data();
    void runsTheUpdater();
    void unwritableImageIsReportedAndTheUpdateGoesOn();
    void devicePathPorts_data();
    void devicePathPorts();

private:
    QString project(const QByteArray& pargen = PargenXml());
    QTemporaryDir m_dir;
    PseudoTerminal m_pty;
    int m_projects = 0;
};

void TestUpdateVerb::initTestCase()
{
    QVERIFY(!m_pty.slavePath.isEmpty());
    ports().com4 = m_pty.slavePath;
}

// A project folder with blanks in its name, its bin folder and the given pargen.xml.
QString TestUpdateVerb::project(const QByteArray& pargen)
{
    const QString dir = m_dir.filePath(QStringLiteral("plant %1").arg(++m_projects));
    QDir().mkpath(dir + QStringLiteral("/bin"));
    WriteBytes(dir + QStringLiteral("/pargen.xml"), pargen);
    return dir;
}

void TestUpdateVerb::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << QStringList{};
    // PROJECT and OTHER are folders of this test: a usage check that slipped would write bank.bin there,
    // never into a system folder.
    QTest::newRow("no port") << QStringList{"PROJECT"};
    QTest::newRow("port without value") << QStringList{"PROJECT", "--port"};
    QTest::newRow("no project") << QStringList{"--port", "COM4"};
    QTest::newRow("unknown option") << QStringList{"PROJECT", "--port", "COM4", "--no-flash"};
    QTest::newRow("bare device name for a port") << QStringList{"PROJECT", "--port", "ttyUSB0"};
    QTest::newRow("two projects") << QStringList{"PROJECT", "OTHER", "--port", "COM4"};
}

void TestUpdateVerb::usageErrors()
{
    QFETCH(QStringList, args);
    args.replaceInStrings(QStringLiteral("PROJECT"), project());
    args.replaceInStrings(QStringLiteral("OTHER"), project());
    Runner runner;
    const Run run = update(args, runner);
    QCOMPARE(run.code, 2);
    QVERIFY(run.err.contains(QStringLiteral("update PROJECT_DIR"))
            || run.err.contains(QStringLiteral("COM1")));
    QVERIFY(runner.programs.isEmpty());
}

void TestUpdateVerb::refusals_data()
{
    QTest::addColumn<QString>("projectDir");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("imageSize"); // of bank.bin afterwards, -1 for none
    QTest::newRow("missing project folder") << m_dir.filePath("none") << "COM4"
                                            << "does not exist" << -1;
    QTest::newRow("port without device") << project() << "COM7"
                                         << "Error!! Com Port cannot be open." << 24;
    QTest::newRow("field that is not an integer")
        << project(PargenXml({{"Profi_ID", QStringLiteral("one")}})) << "COM4"
        << "'one' is not a valid integer value" << -1;
    const QString quoted = m_dir.filePath(QStringLiteral("a\" \"b"));
    QDir().mkpath(quoted + QStringLiteral("/bin"));
    QTest::newRow("double quote in the project folder") << quoted << "COM4"
                                                        << "double quote" << -1;
}

void TestUpdateVerb::refusals()
{
    QFETCH(QString, projectDir);
    QFETCH(QString, port);
    QFETCH(QString, message);
    QFETCH(int, imageSize);
    Runner runner;
    const Run run = update({projectDir, QStringLiteral("--port"), port}, runner);
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(runner.programs.isEmpty());
    const QByteArray image = ReadBytes(projectDir + QStringLiteral("/bin/bank.bin"));
    QCOMPARE(imageSize < 0 ? image.isEmpty() : image.size() == imageSize, true);
}

void TestUpdateVerb::runsTheUpdater_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QString>("tokens");
    QTest::addColumn<ProcessOutcome>("outcome");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    const ProcessOutcome ended{ProcessOutcome::Ended, 0};
    QTest::newRow("everything") << QStringList{} << "FW FR PW PR" << ended << 0 << "";
    QTest::newRow("no firmware, no project read-back")
        << QStringList{"--no-firmware", "--no-read-project"} << "NO FR PW NO" << ended << 0 << "";
    QTest::newRow("nothing at all") << QStringList{"--no-firmware", "--no-read-firmware", "--no-project",
                                                   "--no-read-project"}
                                    << "NO NO NO NO" << ended << 0 << "";
    QTest::newRow("updater's exit code passed on")
        << QStringList{} << "FW FR PW PR" << ProcessOutcome{ProcessOutcome::Ended, 5} << 5 << "";
    QTest::newRow("updater still running")
        << QStringList{} << "FW FR PW PR" << ProcessOutcome{ProcessOutcome::StillRunning, -1} << 124
        << "did not end within 150 seconds";
    QTest::newRow("updater missing") << QStringList{} << "FW FR PW PR"
                                     << ProcessOutcome{ProcessOutcome::NotStarted, -1, ENOENT} << 127
                                     << "The updater \"/opt/velmaro/Ser_Q4712_Update.exe\" cannot be "
                                        "started: No such file or directory.";
}

void TestUpdateVerb::runsTheUpdater()
{
    QFETCH(QStringList, flags);
    QFETCH(QString, tokens);
    QFETCH(ProcessOutcome, outcome);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    const QString dir = project();
    Runner runner;
    runner.outcome = outcome;
    const Run run =
        update(QStringList{dir, QStringLiteral("--port"), QStringLiteral("COM4")} + flags, runner);
    QCOMPARE(run.code, exitCode);
    QVERIFY2(error.isEmpty() ? run.err.isEmpty() : run.err.contains(error), qPrintable(run.err));
    QCOMPARE(ReadBytes(dir + QStringLiteral("/bin/bank.bin")).size(), 24);
    QCOMPARE(runner.programs, QStringList{QStringLiteral("/opt/velmaro/Ser_Q4712_Update.exe")});
    QCOMPARE(runner.limits, QList<int>{150000});
    QCOMPARE(runner.parameters.value(0),
             QStringLiteral(R"(COM4 %1 "/opt/velmaro/MASTER/simQ4712.sim" "%2/bin/")").arg(tokens, dir));
    QCOMPARE(runner.environment, QStringList{QStringLiteral("VELMARO_PORT_DEVICE=") + ports().com4});
    // The port was freed before the updater started.
    TComm comm(nullptr, ports());
    comm.SetDeviceName(QStringLiteral("COM4"));
    comm.Open();
}

// As in the window: a firmware-only update needs no bank.bin.
void TestUpdateVerb::unwritableImageIsReportedAndTheUpdateGoesOn()
{
    const QString dir = project();
    QVERIFY(QDir().mkdir(dir + QStringLiteral("/bin/bank.bin")));
    Runner runner;
    runner.outcome = {ProcessOutcome::Ended, 3};
    const Run run = update(
        {dir, QStringLiteral("--port"), QStringLiteral("COM4"), QStringLiteral("--no-project")}, runner);
    QCOMPARE(run.code, 3);
    QVERIFY2(run.err.contains(
                 QStringLiteral("bank.bin\". It is a folder, not a regular file. The update goes on")),
             qPrintable(run.err));
    QCOMPARE(runner.programs.size(), 1);
}

// --port also takes a device path: the port is checked on that device, the updater gets the COMn that
// names it (or the path when no COMn does) and the device in VELMARO_PORT_DEVICE.
void TestUpdateVerb::devicePathPorts_data()
{
    QTest::addColumn<QString>("port");    // "<pty>" for the pseudo-terminal, "<link>" for a link to it
    QTest::addColumn<QString>("devices"); // the numbered devices, "|" between: the COMn list
    QTest::addColumn<QString>("token");
    QTest::newRow("device outside the numbering") << "<pty>"
                                                  << "/dev/null"
                                                  << "<pty>";
    QTest::newRow("device that is COM2") << "<pty>"
                                         << "/dev/null|<pty>"
                                         << "COM2";
    QTest::newRow("stable link to COM1") << "<link>"
                                         << "<pty>"
                                         << "COM1";
    QTest::newRow("COMn stays") << "COM4"
                                << ""
                                << "COM4";
    QTest::newRow("com4 in small letters is COM4") << "com4"
                                                   << ""
                                                   << "COM4";
}

void TestUpdateVerb::devicePathPorts()
{
    QFETCH(QString, port);
    QFETCH(QString, devices);
    QFETCH(QString, token);
    const QString link = m_dir.filePath(QStringLiteral("usb-Adapter_A1-if00-port0"));
    QFile::link(ports().com4, link);
    auto resolve = [&](QString text) {
        return text.replace(QStringLiteral("<pty>"), ports().com4).replace(QStringLiteral("<link>"), link);
    };
    const QStringList numbered = devices.isEmpty() ? QStringList() : resolve(devices).split(QLatin1Char('|'));
    QCOMPARE(UpdaterPortToken(resolve(port), numbered), resolve(token));
    // The update dialog shows the link as the device's stable name.
    QCOMPARE(StableDeviceName(ports().com4, m_dir.path()), link);

    const QString dir = project();
    Runner runner;
    const Run run = update({dir, QStringLiteral("--port"), resolve(port)}, runner);
    QVERIFY2(run.code == 0, qPrintable(run.err));
    const QString device =
        port.compare(QLatin1String("COM4"), Qt::CaseInsensitive) == 0 ? ports().com4 : resolve(port);
    QCOMPARE(runner.environment, QStringList{QStringLiteral("VELMARO_PORT_DEVICE=") + device});
}

QTEST_GUILESS_MAIN(TestUpdateVerb)
#include "tst_bootser_cli.moc"
