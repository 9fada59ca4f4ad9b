#pragma once

#include "base/ProjectPaths.h"
#include "base/Result.h"
#include "base/TerminalText.h"

#include <QCommandLineOption>
#include <QList>
#include <QStringList>
#include <QTextStream>

#include <optional>
#include <type_traits>

namespace velmaro::cli {

// Exit codes of every verb.
enum ExitCode
{
    Success = 0,
    Refused = 1,
    UsageError = 2
};

// A stream a verb prints on. Every text put into it may hold texts from documents or names, so its
// control characters but the line break are shown escaped (TerminalLines): none of them reaches the
// terminal. Numbers and single characters pass as they are; a value that must stay on its row goes
// through TerminalText first.
class TerminalStream
{
public:
    TerminalStream(QTextStream& stream) : m_stream(stream) {} // NOLINT: converts, as Io{out, err} needs

    template <typename T>
    TerminalStream& operator<<(const T& value)
    {
        if constexpr (std::is_convertible_v<const T&, QString>)
            m_stream << TerminalLines(value);
        else
            m_stream << value;
        return *this;
    }
    void flush() { m_stream.flush(); }
    // A write did not reach the device (a closed pipe, a full disk); it stays so.
    bool failed() const { return m_stream.status() == QTextStream::WriteFailed; }

private:
    QTextStream& m_stream;
};

// Where a verb writes: a summary on out, every refusal or failure on err.
struct Io
{
    TerminalStream out;
    TerminalStream err;
};

// What the command line gave a verb: its positional arguments in order and its options.
class VerbArgs
{
public:
    QStringList positional;

    // Positional argument i taken as a path: as given, a "\" being part of a name (see UserPath).
    QString path(int i) const;

    bool isSet(const QString& option) const { return m_set.contains(option); }
    QString value(const QString& option) const;

private:
    friend std::optional<VerbArgs> ParseVerbArgs(const struct Verb& verb, const QStringList& args, Io& io,
                                                 int& exitCode);
    QStringList m_set;
    QList<QPair<QString, QString>> m_values;
};

// One verb: its name, what it does, its positional arguments (an optional one written "[NAME]", only at the
// end), its options, and the code that runs it once the command line matched.
struct Verb
{
    const char* name;
    const char* summary;
    QStringList arguments;
    QList<QCommandLineOption> options;
    int (*run)(const VerbArgs& args, Io& io);
    QString details = {};             // more lines for the verb's --help (tables, exit status, environment)
    QStringList requiredOptions = {}; // options that must be given (by their long name)
};

// Every verb of the command line, in the order --help lists them.
const QList<Verb>& Verbs();
const Verb* FindVerb(const QString& name);

// The verb's full usage, for "velmaro-cli VERB --help".
QString VerbUsage(const Verb& verb);

// Parses the arguments after the verb. "--help" prints the verb's usage on out (exitCode 0); a command
// line that does not match prints why and the usage on err (exitCode 2). Either way nothing is returned.
std::optional<VerbArgs> ParseVerbArgs(const Verb& verb, const QStringList& args, Io& io, int& exitCode);

// A verb's PROJECT_DIR argument, as given, without trailing "/", with the paths of its documents;
// nothing, after saying so on err, when no folder has that name.
std::optional<ProjectPaths> ProjectFolder(const QString& argument, Io& io);

// The run of a verb whose first argument is PROJECT_DIR: `Body` gets the folder's paths, or the verb is
// refused (ProjectFolder says why). Written `&OnProjectFolder<RunX>` where a Verb wants its run.
template <int (*Body)(const ProjectPaths& project, const VerbArgs& args, Io& io)>
int OnProjectFolder(const VerbArgs& args, Io& io)
{
    const std::optional<ProjectPaths> folder = ProjectFolder(args.positional.at(0), io);
    return folder ? Body(*folder, args, io) : int(Refused);
}

// True for a success; otherwise false after printing the failure's message on err.
bool Succeeded(const Status& status, Io& io);

// Parses and runs: what velmaro-cli does with "VERB ARGS...".
int RunVerb(const Verb& verb, const QStringList& args, Io& io);

} // namespace velmaro::cli
