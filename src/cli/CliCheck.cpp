#include "cli/CliCheck.h"

#include "platform/FileSystem.h"
#include "settings/CommEditorRules.h"

#include <QDir>

namespace velmaro::cli {

namespace {

const char kUsage[] = "check PROJECT_DIR     check the project's documents as their editors would on OK "
                      "(pargen.xml, ...)";

int runCheck(const QStringList& args, Io& io)
{
    if (args.size() != 1 || args.first().isEmpty()) {
        io.err << "Usage: velmaro-cli " << kUsage << "\n";
        return UsageError;
    }
    const QString dir = QDir::cleanPath(args.first());
    if (!DirectoryExists(dir)) {
        io.err << "Project folder \"" << args.first() << "\" not found.\n";
        return Refused;
    }
    ProjectPaths paths;
    paths.ProjectDir = dir;
    SetDocumentPaths(paths);
    for (const ProjectCheck& check : ProjectChecks()) {
        if (!check.run(paths, io))
            return Refused;
    }
    return Success;
}

} // namespace

const QList<ProjectCheck>& ProjectChecks()
{
    static const QList<ProjectCheck> checks = {
        {"pargen.xml", &CheckCommSettings},
        {"sdo.xml", &CheckMapping},
    };
    return checks;
}

bool CheckCommSettings(const ProjectPaths& paths, Io& io)
{
    const bool exists = FileExists(paths.PargenXmlPath);
    const CommEditorLoad load = LoadCommEditorValues(paths.PargenXmlPath);
    if (load.error) {
        io.err << *load.error << "\n";
        return false;
    }
    if (const std::optional<QString> failure = ValidateCommEditorValues(load.values)) {
        io.err << *failure << "\n";
        return false;
    }
    io.out << "pargen.xml" << (exists ? ": " : " (none, the editor's defaults): ")
           << DescribeCommEditorValues(load.values) << "\n";
    return true;
}

Verb CheckVerb()
{
    return Verb{"check", kUsage, &runCheck};
}

} // namespace velmaro::cli
