#include "app/ProjectReport.h"
#include "cli/Cli.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

int RunReport(const ProjectPaths& project, const VerbArgs& args, Io& io)
{
    const QString out = args.path(1);
    ProjectReportData data = LoadProjectReport(project.ProjectDir, QDateTime::currentDateTime());
    if (args.isSet(QStringLiteral("compare"))) {
        const QString other = UserPath(args.value(QStringLiteral("compare")));
        const Result<DiffSource> source = ClassifyDiffSource(other);
        const Result<DiffResult> compared =
            source.ok() ? CompareSources(DiffSource{DiffKind::Project, project.ProjectDir}, *source)
                        : Result<DiffResult>::failure(source.error());
        if (!Succeeded(compared.status(), io))
            return Refused;
        data.comparison = ReportComparison{other, compared->entries};
        for (const DiffEntry& entry : compared->entries) {
            if (entry.kind == DiffEntry::Kind::Unreadable)
                io.err << "Not readable: " << DiffLine(entry) << "\n";
        }
    }
    if (!Succeeded(WriteFileAtomically(out, ProjectReportHtml(data).toUtf8()), io))
        return Refused;
    for (const ReportFailure& failure : data.failures)
        io.err << "Incomplete: " << failure.document << ": " << failure.message << "\n";
    io.out << "Wrote " << DisplayPath(out) << "\n";
    return Success;
}

} // namespace

Verb ReportVerb()
{
    return {
        "report",
        "write a self-contained HTML report of PROJECT_DIR into OUT.html",
        {QStringLiteral("PROJECT_DIR"), QStringLiteral("OUT.html")},
        {QCommandLineOption(
            QStringLiteral("compare"),
            QStringLiteral("append what differs from OTHER (a project folder, a document or a "
                           "bank.bin), as diff lists it"),
            QStringLiteral("OTHER"))},
        &OnProjectFolder<RunReport>,
        QStringLiteral(
            "The page holds the project's name, folder and date; the communication settings in the SET\n"
            "COMMUNICATION editor's words and its verdict; bank.bin in hex, field by field, and whether it\n"
            "matches what pargen.xml builds now; the GSD sizes and modules; the mapping tables with their\n"
            "PROFIBUS byte map and findings when sdo.xml exists; each CANopen table document that exists;\n"
            "and every document that could not be read whole, or that its editor or export would call\n"
            "incomplete, with the same message (also listed on stderr). It is\n"
            "self-contained (no script, no external file) and prints on A4. OUT.html is replaced "
            "atomically.\n"
            "With --compare OTHER the page ends with the differences from OTHER that \"velmaro-cli diff\n"
            "PROJECT_DIR OTHER\" prints, one table row per change (old: this project, new: OTHER).\n"
            "The page's date is the only text that changes from one run to the next.\n"
            "Exit status: 0 written (unreadable documents or not); 1 when PROJECT_DIR does not exist,\n"
            "OTHER does not exist or cannot be compared with a project, or OUT.html cannot be written;\n"
            "2 usage error.")};
}

} // namespace velmaro::cli
