// velmaro-cli run as a separate program, for what only a real process shows: its standard output that
// cannot be written, command-line bytes that are not UTF-8, and a project named from anywhere.

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmaro::test;

namespace {

const QString kCli = QStringLiteral(VELMARO_CLI);

struct Outcome
{
    int code = -1;
    QString out;
    QString err;
};

// Runs a shell line with $CLI standing for velmaro-cli and $T for the test's folder.
Outcome shell(const QString& line, const QString& folder, const QString& cli = kCli)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CLI"), cli);
    env.insert(QStringLiteral("T"), folder);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line});
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestCliProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString project = m_dir.filePath(QStringLiteral("p"));
        QVERIFY(QDir().mkpath(project + QStringLiteral("/bin")));
        writeFile(project + QStringLiteral("/pargen.xml"),
                  readFile(QStringLiteral(VELMARO_TEST_DATA "/device/pargen_defaults.xml")));
        writeFile(project + QStringLiteral("/sdo.xml"),
                  readFile(QStringLiteral(VELMARO_TEST_DATA "/mapping/full.xml")));
        QVERIFY(QFile::copy(QStringLiteral(VELMARO_TEST_DATA "/device/bank_example2.bin"),
                            project + QStringLiteral("/bin/bank.bin")));
    }

    // Output that cannot be written is a failure with a message, whatever the verb printed.
    void unwritableOutputFails_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("closedPipe"); // else a full disk (/dev/full)
        const QStringList project{QStringLiteral("T/p")};
        QTest::newRow("--help, full disk") << QStringList{"--help"} << false;
        QTest::newRow("verb --help, full disk") << QStringList{"check", "--help"} << false;
        QTest::newRow("check, full disk") << QStringList{"check", "T/p"} << false;
        QTest::newRow("map --csv, full disk") << QStringList{"map", "T/p", "--csv"} << false;
        QTest::newRow("explain, full disk") << QStringList{"explain", "T/p"} << false;
        QTest::newRow("explain, closed pipe") << QStringList{"explain", "T/p"} << true;
        QTest::newRow("--version, closed pipe") << QStringList{"--version"} << true;
    }
    void unwritableOutputFails()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, closedPipe);
        args.replaceInStrings(QStringLiteral("T/"), m_dir.path() + QLatin1Char('/'));
        int sink = -1;
        if (closedPipe) {
            int ends[2];
            QVERIFY(::pipe(ends) == 0);
            ::close(ends[0]); // nobody will ever read
            sink = ends[1];
        } else {
            sink = ::open("/dev/full", O_WRONLY);
            if (sink < 0)
                QSKIP("This system has no /dev/full.");
        }
        int errPipe[2];
        QVERIFY(::pipe(errPipe) == 0);
        QList<QByteArray> bytes{QFile::encodeName(kCli)};
        for (const QString& a : std::as_const(args))
            bytes << QFile::encodeName(a);
        QList<char*> argv;
        for (QByteArray& b : bytes)
            argv << b.data();
        argv << nullptr;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(sink, 1);
            ::dup2(errPipe[1], 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(sink);
        ::close(errPipe[1]);
        QByteArray err;
        char buffer[4096];
        for (ssize_t n; (n = ::read(errPipe[0], buffer, sizeof buffer)) > 0;)
            err.append(buffer, n);
        ::close(errPipe[0]);
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 1, err.constData());
        QVERIFY2(err.contains("cannot write the output"), err.constData());
    }

    void helpVerb_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("same"); // the line whose output it must print
        QTest::addColumn<int>("code");
        QTest::newRow("help lists the verbs") << "$CLI help"
                                              << "$CLI --help" << 0;
        QTest::newRow("help VERB gives its usage") << "$CLI help serve"
                                                   << "$CLI serve --help" << 0;
        QTest::newRow("help of no verb") << "$CLI help nosuch"
                                         << "true" << 2;
    }
    void helpVerb()
    {
        QFETCH(QString, line);
        QFETCH(QString, same);
        QFETCH(int, code);
        const Outcome help = shell(line, m_dir.path());
        QCOMPARE(help.code, code);
        QCOMPARE(help.out, shell(same, m_dir.path()).out);
    }

    // A Latin-1 folder name on a UTF-8 system names that folder.
    void undecodableFolderNameIsFound_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("outHas");
        QTest::newRow("check") << "$CLI check \"$T/caf$(printf '\\351')\""
                               << "pargen.xml";
        QTest::newRow("image") << "$CLI image \"$T/caf$(printf '\\351')/\""
                               << "caf\\xE9/bin/bank.bin";
        QTest::newRow("explain inside it") << "$CLI explain \"$T/caf$(printf '\\351')/bin/bank.bin\""
                                           << "24 bytes";
    }
    void undecodableFolderNameIsFound()
    {
        QFETCH(QString, line);
        QFETCH(QString, outHas);
        const QByteArray name = QFile::encodeName(m_dir.path()) + "/caf\xE9";
        QVERIFY(::mkdir(name.constData(), 0700) == 0 || errno == EEXIST);
        const Outcome make =
            shell(QStringLiteral("cp -r \"$T/p/.\" \"$T/caf$(printf '\\351')\""), m_dir.path());
        QCOMPARE(make.code, 0);
        const Outcome run = shell(line, m_dir.path());
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(outHas), qPrintable(run.out));
    }

    // A project's name alone, where no folder has that name, is the project of that name in PROJECTS
    // beside the program (a portable copy), and stderr says which folder was used.
    void projectNameFromAnywhere_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("errHas");
        QTest::newRow("name in PROJECTS") << "Plant1" << 0 << "app/PROJECTS/Plant1";
        QTest::newRow("name in PROJECTS, nested") << "Site/Plant2" << 0 << "app/PROJECTS/Site/Plant2";
        QTest::newRow("a folder here wins") << "p" << 0 << "";
        QTest::newRow("unknown name") << "Plant9" << 1 << "does not exist";
        QTest::newRow("no climbing out of PROJECTS") << "../PROJECTS/Plant1" << 1 << "does not exist";
    }
    void projectNameFromAnywhere()
    {
        QFETCH(QString, argument);
        QFETCH(int, code);
        QFETCH(QString, errHas);
        const QString app = m_dir.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(app + QStringLiteral("/PROJECTS/Site")));
        for (const QString& name : {QStringLiteral("Plant1"), QStringLiteral("Site/Plant2")}) {
            shell(QStringLiteral("cp -r \"$T/p\" \"$T/app/PROJECTS/%1\"").arg(name), m_dir.path());
        }
        const QString cli = app + QStringLiteral("/velmaro-cli");
        if (!QFileInfo::exists(cli))
            QVERIFY(QFile::copy(kCli, cli));
        const Outcome run = shell(QStringLiteral("$CLI check '%1'").arg(argument), m_dir.path(), cli);
        QVERIFY2(run.code == code, qPrintable(run.err));
        if (errHas.isEmpty())
            QVERIFY2(!run.err.contains(QStringLiteral("Using")), qPrintable(run.err));
        else
            QVERIFY2(run.err.contains(errHas), qPrintable(run.err));
    }

    void cleanupTestCase()
    {
        // Qt cannot name the Latin-1 folder to remove it.
        shell(QStringLiteral("rm -rf \"$T/caf$(printf '\\351')\""), m_dir.path());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCliProcess)
#include "tst_cliprocess.moc"
