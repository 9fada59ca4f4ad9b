#include "base/Version.h"
#include "cli/Cli.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

using namespace velmaro::cli;

namespace {

void printUsage(QTextStream& s)
{
    s << "Usage: velmaro-cli VERB [ARGUMENTS]\n"
         "       velmaro-cli VERB --help\n"
         "       velmaro-cli --help | --version\n\n"
         "Verbs:\n";
    qsizetype width = 0;
    for (const Verb& v : Verbs())
        width = std::max(width, qsizetype(qstrlen(v.name)));
    for (const Verb& v : Verbs())
        s << "  " << QString::fromLatin1(v.name).leftJustified(width + 2) << v.summary << "\n";
    s << "\nExit status: 0 success, 1 refused or failed (the reason on stderr), 2 usage error;\n"
         "diff: 0 same, 1 different, 2 trouble.\n";
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmaro-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMARO_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    Io io{out, err};

    // Options before the verb belong to velmaro-cli; everything from the verb on belongs to the verb.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(QCoreApplication::arguments())) {
        err << parser.errorText() << "\n";
        printUsage(err);
        return UsageError;
    }
    if (parser.isSet(help)) {
        printUsage(out);
        return Success;
    }
    if (parser.isSet(version)) {
        out << "velmaro-cli " << VELMARO_VERSION << "\n";
        return Success;
    }
    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        printUsage(err);
        return UsageError;
    }
    const QString name = args.takeFirst();
    if (const Verb* verb = FindVerb(name))
        return RunVerb(*verb, args, io);
    err << "Unknown verb '" << name << "'.\n";
    printUsage(err);
    return UsageError;
}
