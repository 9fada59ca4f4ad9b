#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace velmaro {

// Splits a parameter string into arguments: at blanks, a pair of double quotes grouping what stands
// between them (the quotes themselves are dropped). There is no other escape, so a "\" before a
// closing quote is an ordinary character.
QStringList SplitParameters(const QString& parameters);

struct ProcessOutcome
{
    enum Kind
    {
        NotStarted,   // missing, not executable or refused by the system
        Ended,        // exitCode holds its exit status (128 + signal number when killed)
        StillRunning, // the limit passed; the program was left running
    };
    ProcessOutcome() = default;
    ProcessOutcome(Kind k, int code, int err = 0) : kind(k), exitCode(code), error(err) {}

    Kind kind = NotStarted;
    int exitCode = -1;
    int error = 0; // NotStarted: the system's error number, 0 when unknown
};

// Starts programs as their own processes, without a shell, and waits for them. Tests substitute it.
class IProcessRunner
{
public:
    virtual ~IProcessRunner() = default;
    // Starts `program` (a native path) with the arguments of `parameters` and waits until it ends or
    // limitMs have passed. While waiting, `whileWaiting` is called about every 10 ms with the elapsed
    // milliseconds (it may run an event loop briefly); without it the caller's thread just sleeps.
    // `hidden` asks for no visible window where the system has such a notion. `environment` holds
    // "NAME=value" entries that the program gets on top of (or in place of) the caller's environment.
    virtual ProcessOutcome runAndWait(const QString& program, const QString& parameters, bool hidden,
                                      int limitMs, const std::function<void(qint64 elapsedMs)>& whileWaiting,
                                      const QStringList& environment) = 0;
};

// The runner of the running system.
class ProcessRunner : public IProcessRunner
{
public:
    ProcessOutcome runAndWait(const QString& program, const QString& parameters, bool hidden, int limitMs,
                              const std::function<void(qint64 elapsedMs)>& whileWaiting,
                              const QStringList& environment) override;
};

} // namespace velmaro
