#include "base/Version.h"
#include "cli/Cli.h"
#include "platform/FileSystem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

using namespace velmaro::cli;

namespace {

void printUsage(TerminalStream& s)
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

// A closed pipe makes writes fail with EPIPE instead of ending the process unseen. A handler, not SIG_IGN:
// a program the verb starts gets the default action back.
void onBrokenPipe(int) {}

// Everything the verb printed reaches standard output, or the failure is reported: a full disk or a
// closed pipe must not pass for success. Returns the exit code to end with.
int finishOutput(QTextStream& out, QTextStream& err, int exitCode, int troubleCode)
{
    errno = 0;
    out.flush();
    const bool streamFailed = out.status() != QTextStream::Ok;
    int error = streamFailed ? errno : 0;
    const bool fileFailed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (fileFailed && error == 0)
        error = errno;
    if (!streamFailed && !fileFailed)
        return exitCode;
    const QString reason = error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                           : out.device() && !out.device()->errorString().isEmpty()
                               ? out.device()->errorString()
                               : QStringLiteral("write error");
    err << "velmaro-cli: cannot write the output: " << reason << "\n";
    err.flush();
    return troubleCode;
}

// An argument whose bytes are not valid UTF-8 names an existing entry through a descriptor; a new name
// such as an output file cannot be made from it (it would be created under another name), so it is
// refused with its bytes shown.
bool CreatableArgument(const QByteArray& argument, QTextStream& err)
{
    if (argument.startsWith('-') || QFile::encodeName(QFile::decodeName(argument)) == argument)
        return true;
    struct stat info = {};
    if (::lstat(argument.constData(), &info) == 0)
        return true;
    err << "velmaro-cli: \"" << velmaro::DisplayPath(velmaro::UserPath(velmaro::ArgumentText(argument)))
        << "\" does not exist, and a name that is not valid UTF-8 can be read but not created; use a name "
           "in UTF-8.\n";
    return false;
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Io io{out, err};

    // Options before the verb belong to velmaro-cli; everything from the verb on belongs to the verb.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(arguments)) {
        io.err << parser.errorText() << "\n";
        printUsage(io.err);
        return UsageError;
    }
    if (parser.isSet(help)) {
        printUsage(io.out);
        return Success;
    }
    if (parser.isSet(version)) {
        io.out << "velmaro-cli " << VELMARO_VERSION << "\n";
        return Success;
    }
    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        printUsage(io.err);
        return UsageError;
    }
    const QString name = args.takeFirst();
    // "help" and "help VERB" as "--help" and "VERB --help".
    if (name == QLatin1String("help")) {
        if (args.isEmpty()) {
            printUsage(io.out);
            return Success;
        }
        if (const Verb* verb = args.size() == 1 ? FindVerb(args.first()) : nullptr)
            return RunVerb(*verb, {QStringLiteral("--help")}, io);
        if (args.size() == 1)
            io.err << "Unknown verb '" << args.first() << "'.\n";
        else
            io.err << "help takes one verb, not '" << args.join(QLatin1Char(' ')) << "'.\n";
        printUsage(io.err);
        return UsageError;
    }
    if (const Verb* verb = FindVerb(name))
        return RunVerb(*verb, args, io);
    io.err << "Unknown verb '" << name << "'.\n";
    printUsage(io.err);
    return UsageError;
}

} // namespace

int main(int argc, char* argv[])
{
    std::signal(SIGPIPE, onBrokenPipe);
    // Taken before Qt sees them, each as the file system names it (a Latin-1 folder name included).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << velmaro::ArgumentText(QByteArray(argv[i]));
    // diff ends with 1 when the projects differ: a failure of its output is trouble (2), as diff(1)'s.
    const bool isDiff = argc > 1 && QByteArray(argv[1]) == "diff";
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmaro-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMARO_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    for (int i = 2; i < argc; ++i) {
        if (!CreatableArgument(QByteArray(argv[i]), err)) {
            err.flush();
            return isDiff ? UsageError : Refused;
        }
    }
    const int exitCode = run(arguments, out, err);
    const int troubleCode = isDiff ? UsageError : exitCode == Success ? Refused : exitCode;
    return finishOutput(out, err, exitCode, troubleCode);
}
