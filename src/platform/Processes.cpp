#include "platform/Processes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace velmaro {

QStringList SplitParameters(const QString& parameters)
{
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool pending = false; // an argument has begun, possibly an empty quoted one
    for (const QChar c : parameters) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            pending = true;
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (pending)
                arguments << current;
            current.clear();
            pending = false;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending)
        arguments << current;
    return arguments;
}

namespace {

// Byte strings and the null-terminated pointer array over them that posix_spawn takes.
struct CStrings
{
    QList<QByteArray> strings;
    std::vector<char*> pointers;
    char** array()
    {
        pointers.clear();
        for (QByteArray& s : strings)
            pointers.push_back(s.data());
        pointers.push_back(nullptr);
        return pointers.data();
    }
};

CStrings argumentsOf(const QByteArray& path, const QString& parameters)
{
    CStrings argv{{path}, {}};
    for (const QString& argument : SplitParameters(parameters))
        argv.strings << argument.toLocal8Bit();
    return argv;
}

// The caller's environment, each variable that `environment` sets replaced by its new value.
CStrings environmentWith(const QStringList& environment)
{
    CStrings envp;
    QList<QByteArray>& variables = envp.strings;
    for (const QString& entry : environment)
        variables << entry.toLocal8Bit();
    for (char** e = environ; *e; ++e) {
        const QByteArray existing(*e);
        const qsizetype equals = existing.indexOf('=');
        const QByteArray name = existing.left(equals + 1);
        const bool replaced = equals > 0
                              && std::any_of(variables.cbegin(), variables.cend(),
                                             [&](const QByteArray& v) { return v.startsWith(name); });
        if (!replaced)
            variables << existing;
    }
    return envp;
}

// Left running; collected when it ends so that it leaves no zombie behind.
void collectLater(pid_t pid)
{
    std::thread([pid] {
        int ignored = 0;
        while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// Waits for the child up to `limitMs`, calling `whileWaiting` between looks.
ProcessOutcome waitFor(pid_t pid, int limitMs, const std::function<void(qint64)>& whileWaiting)
{
    ProcessOutcome outcome;
    QElapsedTimer clock; // monotonic: no wrap to care about
    clock.start();
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            outcome.kind = ProcessOutcome::Ended;
            outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return outcome;
        }
        if (done < 0 && errno != EINTR) {
            outcome.kind = ProcessOutcome::Ended; // reaped elsewhere: its status is lost
            return outcome;
        }
        if (clock.elapsed() >= limitMs) {
            collectLater(pid);
            outcome.kind = ProcessOutcome::StillRunning;
            return outcome;
        }
        if (whileWaiting)
            whileWaiting(clock.elapsed());
        else
            QThread::msleep(10);
    }
}

} // namespace

ProcessOutcome ProcessRunner::runAndWait(const QString& program, const QString& parameters, bool /*hidden*/,
                                         int limitMs, const std::function<void(qint64)>& whileWaiting,
                                         const QStringList& environment)
{
    ProcessOutcome outcome;
    const QByteArray path = QFile::encodeName(program);
    if (path.isEmpty()) {
        outcome.error = ENOENT;
        return outcome;
    }
    CStrings argv = argumentsOf(path, parameters);
    CStrings envp = environmentWith(environment);
    pid_t pid = 0;
    // A program that is missing or cannot be executed is reported here, not by a child that ends at once.
    if (const int error =
            ::posix_spawn(&pid, path.constData(), nullptr, nullptr, argv.array(), envp.array())) {
        outcome.error = error;
        return outcome;
    }
    return waitFor(pid, limitMs, whileWaiting);
}

} // namespace velmaro
