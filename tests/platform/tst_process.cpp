#include "device/UpdaterCommand.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace velmaro;

Q_DECLARE_METATYPE(velmaro::UpdateChoices)

namespace {

QStringList recordedArguments(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<nothing recorded>")};
    QStringList arguments;
    for (const QByteArray& part : file.readAll().split('\0'))
        arguments << QString::fromLocal8Bit(part);
    arguments.removeLast(); // after the last terminator
    return arguments;
}

} // namespace

class TestProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void splitParameters_data();
    void splitParameters();
    void updaterReceivesItsArguments_data();
    void updaterReceivesItsArguments();
    void exitCodeIsReported();
    void missingProgramReturnsAtOnce_data();
    void missingProgramReturnsAtOnce();
    void programOutlivingTheLimitKeepsRunning();

private:
    QTemporaryDir m_dir;
};

void TestProcess::init()
{
    qunsetenv("VELMARO_ARGS_FILE");
    qunsetenv("VELMARO_SLEEP_MS");
    qunsetenv("VELMARO_DONE_FILE");
    qunsetenv("VELMARO_EXIT_CODE");
    qunsetenv("VELMARO_PORT_DEVICE");
}

void TestProcess::splitParameters_data()
{
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("blanks separate") << "COM3 FW NO" << QStringList{"COM3", "FW", "NO"};
    QTest::newRow("runs of blanks count once") << "  a   b  " << QStringList{"a", "b"};
    QTest::newRow("quotes group blanks") << R"("/a b/c d" e)" << QStringList{"/a b/c d", "e"};
    QTest::newRow("backslash before closing quote stays")
        << R"("C:\x y\bin\")" << QStringList{R"(C:\x y\bin\)"};
    QTest::newRow("empty quotes give an empty argument") << R"(a "" b)" << QStringList{"a", "", "b"};
    QTest::newRow("quotes inside a word join") << R"(ab"c d"e)" << QStringList{"abc de"};
    QTest::newRow("no shell meaning")
        << R"($(rm -rf x); `y` |z)" << QStringList{"$(rm", "-rf", "x);", "`y`", "|z"};
    QTest::newRow("unclosed quote runs to the end") << R"(a "b c)" << QStringList{"a", "b c"};
    QTest::newRow("tab is no separator") << "a\tb" << QStringList{"a\tb"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestProcess::splitParameters()
{
    QFETCH(QString, parameters);
    QFETCH(QStringList, arguments);
    QCOMPARE(SplitParameters(parameters), arguments);
}

void TestProcess::updaterReceivesItsArguments_data()
{
    QTest::addColumn<QString>("masterDir");
    QTest::addColumn<QString>("projectDir");
    QTest::addColumn<UpdateChoices>("choices");
    QTest::addColumn<QString>("tokens");
    QTest::newRow("plain folders, all chosen")
        << "/opt/app\\MASTER"
        << "/opt/app\\PROJECTS\\p1" << UpdateChoices{} << "FW FR PW PR";
    QTest::newRow("blanks in folders, nothing chosen")
        << "/opt/my app\\MASTER"
        << "/opt/my app\\PROJECTS\\plant  two" << UpdateChoices{false, false, false, false} << "NO NO NO NO";
    QTest::newRow("only firmware") << "/m"
                                   << "/p" << UpdateChoices{true, false, false, false} << "FW NO NO NO";
    QTest::newRow("single quote, dollar and semicolon in folders")
        << "/tmp/it's\\MASTER"
        << "/tmp/$(touch x); y\\PROJECTS\\a b" << UpdateChoices{false, true, false, true} << "NO FR NO PR";
}

// The updater gets the port, the four tokens and the two paths in native form, each path one argument,
// and the device behind the port in its environment (in place of a value the caller had).
void TestProcess::updaterReceivesItsArguments()
{
    QFETCH(QString, masterDir);
    QFETCH(QString, projectDir);
    QFETCH(UpdateChoices, choices);
    QFETCH(QString, tokens);
    const QString record = m_dir.filePath(QStringLiteral("args.bin"));
    QFile::remove(record);
    qputenv("VELMARO_ARGS_FILE", QFile::encodeName(record));
    QVERIFY(CheckUpdaterFolders(masterDir, projectDir).ok());
    const QString parameters = UpdaterCommandLine(QStringLiteral("COM3"), choices, masterDir, projectDir);
    const QString master = NativePath(masterDir) + QStringLiteral("/simQ4712.sim");
    const QString bin = NativePath(projectDir) + QStringLiteral("/bin/");
    QCOMPARE(parameters, QStringLiteral("COM3 %1 \"%2\" \"%3\"").arg(tokens, master, bin));
    qputenv("VELMARO_PORT_DEVICE", "/dev/inherited");
    ProcessRunner runner;
    const ProcessOutcome outcome = runner.runAndWait(QStringLiteral(ARGS_RECORDER), parameters, false, 20000,
                                                     {}, UpdaterEnvironment(QStringLiteral("/dev/ttyUSB0")));
    QCOMPARE(outcome.kind, ProcessOutcome::Ended);
    QStringList expected{QStringLiteral("COM3")};
    expected << tokens.split(QLatin1Char(' '));
    expected << master << bin << QStringLiteral("VELMARO_PORT_DEVICE=/dev/ttyUSB0");
    QCOMPARE(recordedArguments(record), expected);
}

void TestProcess::exitCodeIsReported()
{
    qputenv("VELMARO_EXIT_CODE", "7");
    qputenv("VELMARO_SLEEP_MS", "100");
    ProcessRunner runner;
    QList<qint64> ticks;
    const ProcessOutcome outcome = runner.runAndWait(QStringLiteral(ARGS_RECORDER), QString(), false, 20000,
                                                     [&](qint64 elapsed) { ticks << elapsed; }, {});
    QCOMPARE(outcome.kind, ProcessOutcome::Ended);
    QCOMPARE(outcome.exitCode, 7);
    QVERIFY(!ticks.isEmpty());
    QVERIFY(std::is_sorted(ticks.begin(), ticks.end()));
}

void TestProcess::missingProgramReturnsAtOnce_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("createFile");
    QTest::addColumn<int>("error"); // the reason handed on to the message
    QTest::newRow("missing") << QStringLiteral("Ser_Q4712_Update.exe") << false << ENOENT;
    QTest::newRow("not executable") << QStringLiteral("plain.exe") << true << EACCES;
    QTest::newRow("a folder") << QStringLiteral(".") << false << EACCES;
}

void TestProcess::missingProgramReturnsAtOnce()
{
    QFETCH(QString, program);
    QFETCH(bool, createFile);
    const QString path = m_dir.filePath(program);
    if (createFile) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nexit 0\n");
    }
    ProcessRunner runner;
    bool waited = false;
    QElapsedTimer clock;
    clock.start();
    const ProcessOutcome outcome =
        runner.runAndWait(path, QStringLiteral("COM1 FW"), false, 20000, [&](qint64) { waited = true; }, {});
    QCOMPARE(outcome.kind, ProcessOutcome::NotStarted);
    QTEST(outcome.error, "error");
    QVERIFY(!waited);
    QVERIFY(clock.elapsed() < 2000);
}

// A shortened limit stands for the 150 seconds: the wait ends, the program runs on to its end.
void TestProcess::programOutlivingTheLimitKeepsRunning()
{
    const QString done = m_dir.filePath(QStringLiteral("done"));
    QFile::remove(done);
    qputenv("VELMARO_SLEEP_MS", "1500");
    qputenv("VELMARO_DONE_FILE", QFile::encodeName(done));
    ProcessRunner runner;
    QElapsedTimer clock;
    clock.start();
    const ProcessOutcome outcome =
        runner.runAndWait(QStringLiteral(ARGS_RECORDER), QString(), false, 300, {}, {});
    QCOMPARE(outcome.kind, ProcessOutcome::StillRunning);
    QVERIFY(clock.elapsed() >= 300);
    QVERIFY(clock.elapsed() < 1400);
    QVERIFY(!QFile::exists(done));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(done), 10000);
}

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
