#include "app/AppDirectory.h"
#include "app/Workspace.h"
#include "cli/Cli.h"
#include "platform/FileSystem.h"

#include <QCommandLineParser>

#include <algorithm>

namespace velmaro::cli {

namespace {

bool IsOptionalArgument(const QString& name)
{
    return name.startsWith(QLatin1Char('['));
}

QString Synopsis(const Verb& verb)
{
    QString line = QStringLiteral("velmaro-cli ") + QLatin1String(verb.name);
    for (const QString& argument : verb.arguments)
        line += QLatin1Char(' ') + argument;
    for (const QCommandLineOption& option : verb.options) {
        QString text = QStringLiteral("--") + option.names().constLast();
        if (!option.valueName().isEmpty())
            text += QLatin1Char(' ') + option.valueName();
        const bool required = verb.requiredOptions.contains(option.names().constLast());
        line += required ? QString(QLatin1Char(' ') + text)
                         : QString(QStringLiteral(" [") + text + QLatin1Char(']'));
    }
    return line;
}

} // namespace

QString VerbArgs::path(int i) const
{
    return UserPath(positional.at(i));
}

QString VerbArgs::value(const QString& option) const
{
    for (const auto& pair : m_values) {
        if (pair.first == option)
            return pair.second;
    }
    return {};
}

const Verb* FindVerb(const QString& name)
{
    for (const Verb& verb : Verbs()) {
        if (name == QLatin1String(verb.name))
            return &verb;
    }
    return nullptr;
}

QString VerbUsage(const Verb& verb)
{
    QString summary = QString::fromLatin1(verb.summary);
    if (!summary.isEmpty())
        summary[0] = summary.at(0).toUpper();
    QString text =
        QStringLiteral("Usage: ") + Synopsis(verb) + QStringLiteral("\n\n") + summary + QStringLiteral(".\n");
    if (!verb.options.isEmpty()) {
        QStringList heads;
        for (const QCommandLineOption& option : verb.options) {
            QString head = QStringLiteral("--") + option.names().constLast();
            if (!option.valueName().isEmpty())
                head += QLatin1Char(' ') + option.valueName();
            heads << head;
        }
        qsizetype width = 0;
        for (const QString& head : heads)
            width = std::max(width, head.size());
        text += QStringLiteral("\nOptions:\n");
        for (qsizetype i = 0; i < heads.size(); ++i)
            text += QStringLiteral("  ") + heads.at(i).leftJustified(width + 2)
                    + verb.options.at(i).description() + QLatin1Char('\n');
    }
    if (!verb.details.isEmpty())
        text += QLatin1Char('\n') + verb.details + QLatin1Char('\n');
    return text;
}

std::optional<VerbArgs> ParseVerbArgs(const Verb& verb, const QStringList& args, Io& io, int& exitCode)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    parser.addOptions(verb.options);

    const auto refuse = [&](const QString& why) -> std::optional<VerbArgs> {
        io.err << why << "\n" << VerbUsage(verb);
        exitCode = UsageError;
        return std::nullopt;
    };
    if (!parser.parse(QStringList{QLatin1String(verb.name)} + args))
        return refuse(parser.errorText());
    if (parser.isSet(help)) {
        io.out << VerbUsage(verb);
        exitCode = Success;
        return std::nullopt;
    }
    const QStringList positional = parser.positionalArguments();
    const auto required = std::count_if(verb.arguments.cbegin(), verb.arguments.cend(),
                                        [](const QString& name) { return !IsOptionalArgument(name); });
    if (positional.size() < required || positional.size() > verb.arguments.size()) {
        return refuse(QStringLiteral("%1 expects %2, not %3 argument(s).")
                          .arg(QLatin1String(verb.name), verb.arguments.join(QLatin1Char(' ')))
                          .arg(positional.size()));
    }
    for (const QString& argument : positional) {
        if (argument.isEmpty())
            return refuse(QStringLiteral("An argument is empty."));
    }
    for (const QString& option : verb.requiredOptions) {
        if (!parser.isSet(option))
            return refuse(QStringLiteral("The option --%1 is required.").arg(option));
    }
    VerbArgs parsed;
    parsed.positional = positional;
    for (const QCommandLineOption& option : verb.options) {
        const QString name = option.names().constLast();
        if (!parser.isSet(option))
            continue;
        parsed.m_set << name;
        if (!option.valueName().isEmpty())
            parsed.m_values.append({name, parser.value(option)});
    }
    exitCode = Success;
    return parsed;
}

int RunVerb(const Verb& verb, const QStringList& args, Io& io)
{
    int exitCode = UsageError;
    const std::optional<VerbArgs> parsed = ParseVerbArgs(verb, args, io, exitCode);
    if (!parsed)
        return exitCode;
    return verb.run(*parsed, io);
}

bool Succeeded(const Status& status, Io& io)
{
    if (!status.ok())
        io.err << status.error() << "\n";
    return status.ok();
}

std::optional<ProjectPaths> ProjectFolder(const QString& argument, Io& io)
{
    QString dir = UserPath(argument);
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    if (!DirectoryExists(dir) && !dir.startsWith(QLatin1Char('/')) && !LeavesProjects(dir)) {
        // A project's name alone, from anywhere: the folder of that name in PROJECTS.
        const QString inProjects = UserPath(ApplicationDirectory(false).dir) + QLatin1Char('/')
                                   + ProjectsFolderName + QLatin1Char('/') + dir;
        if (DirectoryExists(inProjects)) {
            io.err << "Using the project folder \"" << DisplayPath(inProjects) << "\" (there is no folder \""
                   << DisplayPath(dir) << "\" here).\n";
            dir = inProjects;
        }
    }
    if (!DirectoryExists(dir)) {
        io.err << "The project folder \"" << DisplayPath(UserPath(argument)) << "\" does not exist.\n";
        return std::nullopt;
    }
    return ProjectPathsOf(dir);
}

} // namespace velmaro::cli
