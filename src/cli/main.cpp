#include "cli/Cli.h"

#include <QCoreApplication>

#include <cstdio>

using namespace velmaro::cli;

namespace {

void printUsage(QTextStream& s)
{
    s << "Usage: velmaro-cli VERB [ARGUMENTS]\n"
         "       velmaro-cli --help | --version\n\n"
         "Verbs:\n";
    for (const Verb& v : Verbs())
        s << "  " << v.usage << "\n";
    s << "\nExit status: 0 success, 1 refused or failed (the reason on stderr), 2 usage error.\n";
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmaro-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    Io io{out, err};

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        printUsage(err);
        return UsageError;
    }
    const QString verb = args.takeFirst();
    if (verb == QLatin1String("--help") || verb == QLatin1String("-h")) {
        printUsage(out);
        return Success;
    }
    if (verb == QLatin1String("--version")) {
        out << "velmaro-cli 1.201\n";
        return Success;
    }
    for (const Verb& v : Verbs()) {
        if (verb == QLatin1String(v.name))
            return v.run(args, io);
    }
    err << "Unknown verb '" << verb << "'.\n";
    printUsage(err);
    return UsageError;
}
