// Start-up time and peak memory of velmaro against a bare Qt window, measured the same way in one run:
// each program is started (offscreen platform, from a scratch copy so its application folder is
// empty) with the start-up hook preloaded; the time runs from just before the start to the first
// expose of a window, the peak memory is the child's ru_maxrss. Runs alternate between the two
// programs; the medians are reported. Reports only: it never fails because a machine is slow.
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
bool measure(const QString& program, const QByteArray& argument, const QString& workDir, const QString& hook,
             Sample& sample)
{
    const QString report = workDir + QStringLiteral("/report.txt");
    QFile::remove(report);
    QList<QByteArray> env;
    for (char** e = environ; *e; ++e) {
        const QByteArray entry(*e);
        if (!entry.startsWith("QT_QPA_PLATFORM=") && !entry.startsWith("LD_PRELOAD="))
            env << entry;
    }
    env << "QT_QPA_PLATFORM=offscreen"
        << "XDG_RUNTIME_DIR=" + QFile::encodeName(workDir) << "LD_PRELOAD=" + QFile::encodeName(hook)
        << "VELMARO_BENCH_REPORT=" + QFile::encodeName(report);
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
    const QString programs[2] = {scratch.path() + QStringLiteral("/velmaro"),
                                 scratch.path() + QStringLiteral("/bare_window")};
    if (!QFile::copy(QStringLiteral(VELMARO_PROGRAM), programs[0])
        || !QFile::copy(dir + QStringLiteral("/bare_window"), programs[1])) {
        out << "cannot copy the programs into " << scratch.path() << "\n";
        return 0;
    }
    // velmaro, the bare window, the bare window with one line of text (fonts loaded).
    const QByteArray arguments[3] = {QByteArray(), QByteArray(), QByteArray("--text")};
    QList<double> ms[3], mb[3], built[3];
    for (int run = 0; run < runs + 1; ++run) {
        for (int which = 0; which < 3; ++which) {
            Sample sample;
            if (!measure(programs[std::min(which, 1)], arguments[which], scratch.path(), hook, sample)) {
                out << "no window shown by " << programs[which] << "\n";
                return 0;
            }
            if (run > 0) // the first round only warms the file cache
            {
                ms[which] << sample.ms;
                mb[which] << sample.peakMb;
                built[which] << sample.toApplicationMs;
            }
        }
    }
    const double t0 = median(ms[0]), t1 = median(ms[1]), m0 = median(mb[0]), m1 = median(mb[1]);
    const double t2 = median(ms[2]), m2 = median(mb[2]);
    out << "start-up to first window shown, median of " << runs << " runs (offscreen):\n"
        << "  velmaro      " << QString::number(t0, 'f', 1) << " ms (QApplication built after "
        << QString::number(median(built[0]), 'f', 1) << " ms), peak " << QString::number(m0, 'f', 1)
        << " MB\n"
        << "  bare window  " << QString::number(t1, 'f', 1) << " ms (QApplication built after "
        << QString::number(median(built[1]), 'f', 1) << " ms), peak " << QString::number(m1, 'f', 1)
        << " MB\n"
        << "  bare + text  " << QString::number(t2, 'f', 1) << " ms (QApplication built after "
        << QString::number(median(built[2]), 'f', 1) << " ms), peak " << QString::number(m2, 'f', 1)
        << " MB\n"
        << "  ratio to the bare window with text " << QString::number(t0 / t2, 'f', 2) << "\n"
        << "  ratio " << QString::number(t0 / t1, 'f', 2) << " (target at most 1.3), memory "
        << QString::number(m0 - m1, 'f', 1) << " MB more (target at most 25)\n";
    return 0;
}
