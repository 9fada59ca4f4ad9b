#pragma once

#include <QStringList>
#include <QTextStream>

namespace velmaro::cli {

// Exit codes of every verb.
enum ExitCode
{
    Success = 0,
    Refused = 1,
    UsageError = 2
};

// Where a verb writes: a summary on out, every refusal or failure on err.
struct Io
{
    QTextStream& out;
    QTextStream& err;
};

// One verb: its name, its usage line and the code that runs it with the arguments after the verb.
struct Verb
{
    const char* name;
    const char* usage;
    int (*run)(const QStringList& args, Io& io);
};

// Every verb of the command line, in the order --help lists them.
const QList<Verb>& Verbs();

} // namespace velmaro::cli
