#pragma once

// Runs a velmaro-cli verb in-process, its output and error streams captured in strings.

#include "cli/Cli.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace velmaro::test {

// The verb's exit code, -1 when no verb has that name.
inline int runVerb(const QString& name, const QStringList& args, QString& out, QString& err)
{
    QTextStream o(&out);
    QTextStream e(&err);
    cli::Io io{o, e};
    const cli::Verb* verb = cli::FindVerb(name);
    return verb ? cli::RunVerb(*verb, args, io) : -1;
}

struct VerbRun
{
    int code = -1;
    QString out;
    QString err;
};

inline VerbRun runVerb(const QString& name, const QStringList& args)
{
    VerbRun r;
    r.code = runVerb(name, args, r.out, r.err);
    return r;
}

} // namespace velmaro::test
