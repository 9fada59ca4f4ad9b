// Start-up time and peak memory of velmaro against two references, measured the same way in one run: a
// bare Qt window (also with one line of text, which loads the fonts) and a window holding the same
// controls as velmaro's main window. Each program is started from a scratch copy (so its application
// folder is empty) with the start-up hook preloaded; the time runs from just before the start until
// the first window has been exposed and painted, the peak memory is the child's ru_maxrss. Runs
// alternate between the programs, on each platform in turn: offscreen, and the X server named by
// DISPLAY when there is one (xcb). The medians are reported. Reports only: it never fails because a
// machine is slow.
// Usage: bench_startup [RUNS]   (default 15)

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

namespace {

struct Sample
{
    double ms = 0;
    double toApplicationMs = 0; // of which: until the QApplication was built (loading, linking)
    double peakMb = 0;
};

qint64 nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// One start of `program` in `workDir`; false when it did not show a window.
bool measure(const QString& program, const QByteArray& argument, const QByteArray& platform,
             const QString& workDir, const QString& hook, Sample& sample)
{
    const QString report = workDir + QStringLiteral("/report.txt");
    QFile::remove(report);
    QList<QByteArray> env;
    for (char** e = environ; *e; ++e) {
        const QByteArray entry(*e);
        if (!entry.startsWith("QT_QPA_PLATFORM=") && !entry.startsWith("LD_PRELOAD=")
            && !entry.startsWith("HOME=") && !entry.startsWith("XDG_DATA_HOME=")
            && !entry.startsWith("XDG_CONFIG_HOME=") && !entry.startsWith("XDG_CACHE_HOME="))
            env << entry;
    }
    // The program's home is the work folder: font and shader caches, the user's data folder and settings
    // a start may write stay there.
    env << "HOME=" + QFile::encodeName(workDir);
    env << "QT_QPA_PLATFORM=" + platform << "XDG_RUNTIME_DIR=" + QFile::encodeName(workDir)
        << "LD_PRELOAD=" + QFile::encodeName(hook) << "VELMARO_BENCH_REPORT=" + QFile::encodeName(report);
    QList<char*> envp;
    for (QByteArray& entry : env)
        envp << entry.data();
    envp << nullptr;
    QByteArray path = QFile::encodeName(program);
    QByteArray arg = argument;
    char* argv[] = {path.data(), argument.isEmpty() ? nullptr : arg.data(), nullptr};

    // The programs' own warnings (offscreen platform) would drown the report.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const qint64 start = nowNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.constData(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> times = file.readAll().split(' ');
    bool ok = false, ok2 = false;
    const qint64 shown = times.value(0).toLongLong(&ok);
    const qint64 built = times.value(1).toLongLong(&ok2);
    if (!ok || !ok2)
        return false;
    sample.ms = double(shown - start) / 1e6;
    sample.toApplicationMs = double(built - start) / 1e6;
    sample.peakMb = double(usage.ru_maxrss) / 1024.0;
    return true;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

struct Program
{
    const char* label;
    QString path;
    QByteArray argument;
};

QString figure(double value)
{
    return QString::number(value, 'f', 1);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;
    const QString dir = QCoreApplication::applicationDirPath();
    const QString hook = dir + QStringLiteral("/libvelmaro_startup_hook.so");
    QTextStream out(stdout);

    // Scratch copies: velmaro makes its application folder (MASTER, PROJECTS, the INI) beside itself.
    QTemporaryDir scratch;
    const QString velmaro = scratch.path() + QStringLiteral("/velmaro");
    const QString bare = scratch.path() + QStringLiteral("/bare_window");
    const QString same = scratch.path() + QStringLiteral("/same_controls_window");
    if (!QFile::copy(QStringLiteral(VELMARO_PROGRAM), velmaro)
        || !QFile::copy(dir + QStringLiteral("/bare_window"), bare)
        || !QFile::copy(dir + QStringLiteral("/same_controls_window"), same)) {
        out << "cannot copy the programs into " << scratch.path() << "\n";
        return 0;
    }
    const Program programs[] = {{"velmaro", velmaro, QByteArray()},
                                {"bare window", bare, QByteArray()},
                                {"bare + text", bare, QByteArray("--text")},
                                {"same controls", same, QByteArray()}};
    constexpr int count = int(std::size(programs));

    QList<QByteArray> platforms{"offscreen"};
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        platforms << "xcb";
    out << "start-up to the first window exposed and painted, median of " << runs << " alternating runs\n";
    for (const QByteArray& platform : platforms) {
        QList<double> ms[count], mb[count], built[count];
        for (int run = 0; run < runs + 1; ++run) {
            for (int which = 0; which < count; ++which) {
                Sample sample;
                if (!measure(programs[which].path, programs[which].argument, platform, scratch.path(), hook,
                             sample)) {
                    out << "no window shown by " << programs[which].label << " on " << platform << "\n";
                    return 0;
                }
                if (run > 0) { // the first round only warms the file cache
                    ms[which] << sample.ms;
                    mb[which] << sample.peakMb;
                    built[which] << sample.toApplicationMs;
                }
            }
        }
        out << platform << (platform == "xcb" ? " (DISPLAY " + qgetenv("DISPLAY") + ")" : QByteArray())
            << ":\n";
        for (int which = 0; which < count; ++which)
            out << "  " << QString::fromLatin1(programs[which].label).leftJustified(14)
                << figure(median(ms[which])) << " ms (QApplication built after "
                << figure(median(built[which])) << " ms), peak " << figure(median(mb[which])) << " MB\n";
        const double t = median(ms[0]);
        out << "  ratio to the bare window " << QString::number(t / median(ms[1]), 'f', 2)
            << " (target at most 1.3), to the same controls " << QString::number(t / median(ms[3]), 'f', 2)
            << " (target at most 1.1), to the bare window with text "
            << QString::number(t / median(ms[2]), 'f', 2) << "; memory "
            << figure(median(mb[0]) - median(mb[1])) << " MB more than the bare window (target at most 25)\n";
    }
    return 0;
}
