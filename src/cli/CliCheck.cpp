#include "cli/CliCheck.h"

#include "cli/CliTables.h"
#include "platform/FileSystem.h"
#include "settings/CommEditorRules.h"

namespace velmaro::cli {

namespace {

int runCheck(const ProjectPaths& paths, const VerbArgs& args, Io& io)
{
    // Every check runs, so that the documents' and the outputs' verdicts are seen together.
    bool passed = true;
    for (const ProjectCheck& check : ProjectChecks())
        passed = check.run(paths, io) && passed;
    if (args.isSet(QStringLiteral("strict")) && !CheckByteMapStrict(paths, io))
        passed = false;
    return passed ? Success : Refused;
}

} // namespace

const QList<ProjectCheck>& ProjectChecks()
{
    static const QList<ProjectCheck> checks = {
        {"pargen.xml", &CheckCommSettings},       {"sdo.xml", &CheckMapping},
        {"bank.bin", &CheckParameterImage},       {"GSD file", &CheckGsdSizes},
        {"CANopen tables", &CheckTableDocuments},
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
        io.err << TerminalText(*failure) << "\n";
        return false;
    }
    io.out << PargenXmlName << (exists ? ": " : " (none, the editor's defaults): ")
           << DescribeCommEditorValues(load.values) << "\n";
    return true;
}

bool CheckTableDocuments(const ProjectPaths& paths, Io& io)
{
    bool passed = true;
    for (const CliTable& table : CliTables()) {
        const std::unique_ptr<TableSession> session = table.create();
        const QString path = session->documentPath(paths);
        if (!FileExists(path))
            continue;
        session->load(paths);
        const DocumentLoad& loaded = session->loaded();
        if (!loaded.readWhole) {
            io.err << loaded.verdict(path) << "\n";
            passed = false;
        } else if (!loaded.exportsWhole()) {
            io.err << "warning: " << loaded.verdict(path) << "\n"; // kept and saved: the editor takes it
        } else {
            io.out << table.name << ".xml: " << session->savedRows() << " rows, read whole\n";
        }
    }
    return passed;
}

Verb CheckVerb()
{
    return Verb{
        "check",
        "check the project's documents as their editors would on OK (pargen.xml, sdo.xml, the CANopen "
        "tables) and whether "
        "its outputs can be made (bank.bin, the GSD file)",
        {QStringLiteral("PROJECT_DIR")},
        {QCommandLineOption(QStringLiteral("strict"),
                            QStringLiteral("also fail on a PROFIBUS byte collision or a mapping row past the "
                                           "data length"))},
        &OnProjectFolder<runCheck>};
}

} // namespace velmaro::cli
