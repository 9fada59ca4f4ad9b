#include "support/CliRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using velmaro::test::runVerb;
using velmaro::test::VerbRun;

namespace {

// Slave 1: holding 10..11 read into bytes 0..3, holding 100..101 written from output bytes 0..3; slave 2:
// input 32 into bytes 4..5; slave 3 (absent from every slave) into bytes 6..7.
const QByteArray kSdo =
    "<Serial_to_ProfiBus><ProfiBUS_IN>"
    "<row Slave_ID=\"1\" Type=\"Holding Register\" Address_Mod=\"10\" NPoint=\"2\" Address_Profi=\"0\" "
    "Mnemonic=\"\"/>"
    "<row Slave_ID=\"2\" Type=\"Input Register\" Address_Mod=\"32\" NPoint=\"1\" Address_Profi=\"4\" "
    "Mnemonic=\"\"/>"
    "%3</ProfiBUS_IN><ProfiBUS_OUT>"
    "<row Slave_ID=\"1\" Address_Mod=\"100\" NPoint=\"2\" Address_Profi=\"0\" Mnemonic=\"\"/>"
    "</ProfiBUS_OUT></Serial_to_ProfiBus>";
const QByteArray kAbsentRow = "<row Slave_ID=\"3\" Type=\"Holding Register\" Address_Mod=\"0\" NPoint=\"1\" "
                              "Address_Profi=\"6\" Mnemonic=\"\"/>";
// poll's lines for the two rows serve knows.
const QString kAnswered =
    QStringLiteral("IN row 1: slave 1 holding registers 10..11 -> bytes 0..3: ok 0x1234 0xABCD\n"
                   "IN row 2: slave 2 input registers 32..32 -> bytes 4..5: ok 0x0007\n");
const QByteArray kValues =
    "slave,type,register,value\n1,holding,10,0x1234\n1,holding,11,0xABCD\n2,input,32,7\n";

} // namespace

// The bench verbs on a pseudo-terminal pair: poll against serve, an independent master against serve and
// an independent slave against poll.
class TestBenchSerial : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QProcess m_socat;
    QProcess m_peer; // serve or the independent slave on side a
    QString m_a, m_b;
    QByteArray m_peerOut, m_peerErr; // everything the peer printed so far

    bool peerSaid(const QByteArray& text)
    {
        m_peerOut += m_peer.readAllStandardOutput();
        m_peerErr += m_peer.readAllStandardError();
        return m_peerOut.contains(text) || m_peerErr.contains(text);
    }

    void project(bool absentRow, const QByteArray& dataBits = "3")
    {
        QFile defaults(QStringLiteral(VELMARO_TEST_DATA "/settings/defaults.xml"));
        QVERIFY(defaults.open(QIODevice::ReadOnly));
        QByteArray pargen = defaults.readAll();
        pargen.replace("<Ser_TimeOut>0<", "<Ser_TimeOut>300<")
            .replace("<Profi_NB_IN>244<", "<Profi_NB_IN>8<");
        pargen.replace("<Ser_DataBits>3<", QByteArray("<Ser_DataBits>" + dataBits + "<"));
        velmaro::test::writeFile(m_dir.filePath(QStringLiteral("pargen.xml")), pargen);
        velmaro::test::writeFile(m_dir.filePath(QStringLiteral("sdo.xml")),
                                 QByteArray(kSdo).replace("%3", absentRow ? kAbsentRow : QByteArray()));
        velmaro::test::writeFile(m_dir.filePath(QStringLiteral("values.csv")), kValues);
    }
    bool startLine()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty())
            return false;
        m_a = m_dir.filePath(QStringLiteral("a"));
        m_b = m_dir.filePath(QStringLiteral("b"));
        m_socat.start(QStringLiteral("socat"), {QStringLiteral("pty,raw,echo=0,link=") + m_a,
                                                QStringLiteral("pty,raw,echo=0,link=") + m_b});
        for (int i = 0; i < 100 && !(QFileInfo::exists(m_a) && QFileInfo::exists(m_b)); ++i)
            QTest::qWait(20);
        return QFileInfo::exists(m_b);
    }
    // The project and `port`, and for serve the values file.
    QStringList verbArgs(const QString& verb, const QString& port) const
    {
        QStringList args{m_dir.path(), QStringLiteral("--port"), port};
        if (verb == QLatin1String("serve"))
            args << QStringLiteral("--values") << m_dir.filePath(QStringLiteral("values.csv"));
        return args;
    }
    // serve or monitor on side a; `closedOutput`: its standard output a pipe nobody reads.
    void startServe(const QString& verb = QStringLiteral("serve"), bool closedOutput = false)
    {
        const QStringList args = QStringList{verb} + verbArgs(verb, m_a);
        if (closedOutput)
            m_peer.start(QStringLiteral("bash"),
                         QStringList{QStringLiteral("-c"),
                                     QStringLiteral("\"$0\" \"$@\" | true; exit ${PIPESTATUS[0]}"),
                                     QStringLiteral(VELMARO_CLI)}
                             + args);
        else
            m_peer.start(QStringLiteral(VELMARO_CLI), args);
        QVERIFY(m_peer.waitForStarted());
        QTRY_VERIFY(peerSaid("Ctrl+C ends"));
    }
    void stopAll()
    {
        for (QProcess* p : {&m_peer, &m_socat}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000))
                    p->kill();
                p->waitForFinished(1000);
            }
        }
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup()
    {
        stopAll();
        m_peerOut.clear();
        m_peerErr.clear();
    }

    void pollAgainstServe_data()
    {
        QTest::addColumn<bool>("absentRow"); // slave 3, which serve does not know
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::newRow("every row answers, then the write")
            << false << QStringList{QStringLiteral("--write"), QStringLiteral("0102 0304")} << 0
            << kAnswered
                   + "OUT row 1: slave 1 registers 100..101 = 0x0102 0x0304: ok\n"
                     "Input data (8 bytes):\n  0: 12 34 AB CD 00 07 00 00\n";
        QTest::newRow("raw: the one line")
            << false << QStringList{QStringLiteral("--raw")} << 0 << "12 34 AB CD 00 07 00 00\n";
        QTest::newRow("an exception fails the poll")
            << true << QStringList() << 1
            << kAnswered
                   + "IN row 3: slave 3 holding registers 0..0 -> bytes 6..7: exception 2 (illegal data "
                     "address)\n"
                     "Input data (8 bytes):\n  0: 12 34 AB CD 00 07 00 00\n";
    }
    void pollAgainstServe()
    {
        QFETCH(bool, absentRow);
        QFETCH(QStringList, options);
        project(absentRow);
        if (!startLine())
            QSKIP("socat is not installed (scripts/deps.sh test installs it)");
        startServe();
        const VerbRun run = runVerb(QStringLiteral("poll"),
                                    QStringList{m_dir.path(), QStringLiteral("--port"), m_b} + options);
        QFETCH(QString, out);
        QFETCH(int, code);
        QCOMPARE(run.out, out);
        QCOMPARE(run.code, code);
    }

    void independentMasterAgainstServe_data()
    {
        QTest::addColumn<QStringList>("mbpoll"); // after the common options
        QTest::addColumn<QString>("shown");      // what mbpoll prints
        QTest::addColumn<QString>("logged");     // serve's line
        QTest::newRow("read holding") << QStringList{"-t", "4:hex", "-r", "10", "-c", "2"} << "[10]: \t0x1234"
                                      << "slave 1 function 3 registers 10..11 read: 0x1234 0xABCD";
        QTest::newRow("read input") << QStringList{"-t", "3", "-r", "32"} << "[32]: \t7"
                                    << "slave 2 function 4 registers 32..32 read: 0x0007";
        QTest::newRow("unknown register")
            << QStringList{"-t", "4", "-r", "12"} << "Illegal data address"
            << "slave 1 function 3 registers 12..12: exception 2 (illegal data address)";
        QTest::newRow("write a write row")
            << QStringList{"-t", "4:hex", "-r", "100", "--", "0x1234", "0xABCD"} << "Written 2 references"
            << "slave 1 function 16 registers 100..101 written: 0x1234 0xABCD";
    }
    void independentMasterAgainstServe()
    {
        QFETCH(QStringList, mbpoll);
        QFETCH(QString, shown);
        QFETCH(QString, logged);
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("mbpoll"));
        if (tool.isEmpty())
            QSKIP("mbpoll is not installed (scripts/deps.sh test installs it)");
        project(false);
        if (!startLine())
            QSKIP("socat is not installed (scripts/deps.sh test installs it)");
        startServe();
        const int slave = mbpoll.contains(QStringLiteral("3")) ? 2 : 1;
        QProcess master;
        master.start(tool, QStringList{"-m", "rtu", "-b", "115200", "-P", "none", "-a",
                                       QString::number(slave), "-0", "-1", "-o", "1"}
                               + mbpoll.mid(0, mbpoll.indexOf(QStringLiteral("--"))) + QStringList{m_b}
                               + (mbpoll.contains(QStringLiteral("--"))
                                      ? mbpoll.mid(mbpoll.indexOf(QStringLiteral("--")) + 1)
                                      : QStringList()));
        QVERIFY(master.waitForFinished(10000));
        const QString printed =
            QString::fromUtf8(master.readAllStandardOutput() + master.readAllStandardError());
        QVERIFY2(printed.contains(shown), qPrintable(printed));
        QTRY_VERIFY(peerSaid(logged.toUtf8()));
    }

    void pollAgainstIndependentSlave()
    {
        const QString python = QStringLiteral("/usr/bin/python3");
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import pymodbus.server, serial_asyncio")});
        if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit
            || probe.exitCode() != 0)
            QSKIP("python3-pymodbus with serial support is not installed (scripts/deps.sh test installs it)");
        project(true);
        if (!startLine())
            QSKIP("socat is not installed (scripts/deps.sh test installs it)");
        m_peer.start(python, {QStringLiteral(VELMARO_SUPPORT "/modbus_slave.py"), m_a});
        QTRY_VERIFY_WITH_TIMEOUT(peerSaid("ready"), 10000);
        QTest::qWait(300); // the slave opens the port right after saying so
        const VerbRun run =
            runVerb(QStringLiteral("poll"), {m_dir.path(), QStringLiteral("--port"), m_b,
                                             QStringLiteral("--write"), QStringLiteral("00 01 00 02")});
        QCOMPARE(run.out, kAnswered
                              + QStringLiteral(
                                  "IN row 3: slave 3 holding registers 0..0 -> bytes 6..7: no reply within "
                                  "300 ms\n"
                                  "OUT row 1: slave 1 registers 100..101 = 0x0001 0x0002: ok\n"
                                  "Input data (8 bytes):\n  0: 12 34 AB CD 00 07 00 00\n"));
        QCOMPARE(run.code, 1);
    }

    void pollReportsDamagedReplies()
    {
        project(true);
        if (!startLine())
            QSKIP("socat is not installed (scripts/deps.sh test installs it)");
        m_peer.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(VELMARO_SUPPORT "/damaged_slave.py"), m_a});
        QTRY_VERIFY_WITH_TIMEOUT(peerSaid("ready"), 10000);
        const VerbRun run = runVerb(QStringLiteral("poll"), {m_dir.path(), QStringLiteral("--port"), m_b});
        QCOMPARE(run.out,
                 QStringLiteral(
                     "IN row 1: slave 1 holding registers 10..11 -> bytes 0..3: damaged reply (its CRC "
                     "is wrong)\n"
                     "IN row 2: slave 2 input registers 32..32 -> bytes 4..5: ok 0x0001\n"
                     "IN row 3: slave 3 holding registers 0..0 -> bytes 6..7: damaged reply (it answers "
                     "another slave address or function)\n"
                     "Input data (8 bytes):\n  0: 00 00 00 00 00 01 00 00\n"));
        QCOMPARE(run.code, 1);
    }

    void secondOpenerIsRefused_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::newRow("poll") << "poll";
        QTest::newRow("serve") << "serve";
    }
    // The lock holds between processes also for the super-user, whom the terminal's own exclusive mode
    // lets through.
    void secondOpenerIsRefused()
    {
        QFETCH(QString, verb);
        project(false);
        if (!startLine())
            QSKIP("socat is not installed (scripts/deps.sh test installs it)");
        startServe();
        const VerbRun run = runVerb(verb, verbArgs(verb, m_a));
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(QStringLiteral("Another program holds the port.")), qPrintable(run.err));
        QCOMPARE(m_peer.state(), QProcess::Running);
    }

    void lineVerbsEnd_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<bool>("closedOutput"); // else the line goes away
        QTest::addColumn<QString>("error");
        QTest::newRow("serve: output closed") << "serve" << true << "cannot write the output";
        QTest::newRow("monitor: output closed") << "monitor" << true << "cannot write the output";
        QTest::newRow("serve: line gone") << "serve" << false << ": the port was closed or removed (";
    }
    void lineVerbsEnd()
    {
        QFETCH(QString, verb);
        QFETCH(bool, closedOutput);
        project(false);
        if (!startLine())
            QSKIP("socat is not installed (scripts/deps.sh test installs it)");
        startServe(verb, closedOutput);
        // A request for slave 1 (holding 10..11): a line for either verb, until one cannot be written.
        const QByteArray request = QByteArray::fromHex("0103000a0002e409");
        for (int i = 0; i < 50 && m_peer.state() != QProcess::NotRunning; ++i) {
            if (closedOutput) {
                QFile b(m_b);
                QVERIFY(b.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
                QCOMPARE(b.write(request), request.size());
            } else {
                m_socat.terminate();
            }
            m_peer.waitForFinished(200);
        }
        QCOMPARE(m_peer.state(), QProcess::NotRunning);
        QCOMPARE(m_peer.exitCode(), 1);
        QFETCH(QString, error);
        QVERIFY2(peerSaid(error.toUtf8()), m_peerErr.constData());
    }

    void simulate_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err"); // a line stderr must hold
        QTest::newRow("rows, dump, a register without a value")
            << QStringList() << QByteArray("1,holding,10,0x1234\n2,input,32,7\n") << 0
            << "IN row 1: slave 1 holding registers 10..11 -> bytes 0..3: 0x1234 0x0000 = 12 34 00 00\n"
               "IN row 2: slave 2 input registers 32..32 -> bytes 4..5: 0x0007 = 00 07\n"
               "Input data (8 bytes):\n  0: 12 34 00 00 00 07 00 00\n"
            << "warning: slave 1 holding register 11 has no value in the values file; it counts as 0.";
        QTest::newRow("output image: the write of every OUT row, missing bytes 00")
            << QStringList{QStringLiteral("--output-image"), QStringLiteral("A1B2")} << kValues << 0
            << "IN row 1: slave 1 holding registers 10..11 -> bytes 0..3: 0x1234 0xABCD = 12 34 AB CD\n"
               "IN row 2: slave 2 input registers 32..32 -> bytes 4..5: 0x0007 = 00 07\n"
               "Input data (8 bytes):\n  0: 12 34 AB CD 00 07 00 00\n"
               "OUT row 1: slave 1 registers 100..101 = 0xA1B2 0x0000\n"
            << "";
        QTest::newRow("raw") << QStringList{QStringLiteral("--raw")} << kValues << 0
                             << "12 34 AB CD 00 07 00 00\n"
                             << "";
        QTest::newRow("bad line names its number")
            << QStringList() << QByteArray("# c\n1,coil,1,1\n") << 1 << ""
            << "line 2: type \"coil\" is neither holding nor input.";
    }
    void simulate()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, values);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        project(false);
        velmaro::test::writeFile(m_dir.filePath(QStringLiteral("values.csv")), values);
        const VerbRun run =
            runVerb(QStringLiteral("simulate"), QStringList{m_dir.path(), QStringLiteral("--values"),
                                                            m_dir.filePath(QStringLiteral("values.csv"))}
                                                    + options);
        QCOMPARE(run.out, out);
        QCOMPARE(run.code, code);
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QString>("port"); // relative to the project folder
        QTest::addColumn<QByteArray>("dataBits");
        QTest::addColumn<QString>("error");
        QTest::newRow("poll: missing port") << "poll"
                                            << "nodevice" << QByteArray("3") << "nodevice has no device.";
        QTest::newRow("serve: not a serial device")
            << "serve"
            << "values.csv" << QByteArray("3") << "it is not a serial device.";
        QTest::newRow("serve: empty port") << "serve"
                                           << "" << QByteArray("3") << "The port name is empty";
        QTest::newRow("poll: 7 data bits") << "poll"
                                           << "nodevice" << QByteArray("2") << "Modbus RTU needs 8 data bits";
        QTest::newRow("serve: 7 data bits")
            << "serve"
            << "nodevice" << QByteArray("2") << "Modbus RTU needs 8 data bits";
    }
    void refusals()
    {
        QFETCH(QString, verb);
        QFETCH(QString, port);
        QFETCH(QByteArray, dataBits);
        QFETCH(QString, error);
        project(false, dataBits);
        const VerbRun run = runVerb(verb, verbArgs(verb, port.isEmpty() ? port : m_dir.filePath(port)));
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(error), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestBenchSerial)
#include "tst_benchserial.moc"
