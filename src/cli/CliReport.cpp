#include "app/ProjectReport.h"
#include "cli/Cli.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

int RunReport(const VerbArgs& args, Io& io)
{
    const std::optional<ProjectPaths> folder = ProjectFolder(args.positional.at(0), io);
    const QString out = args.path(1);
    if (!folder)
        return Refused;
    const ProjectReportData data = LoadProjectReport(folder->ProjectDir, QDateTime::currentDateTime());
    const Status written = WriteFileAtomically(out, ProjectReportHtml(data).toUtf8());
    if (!written.ok()) {
        io.err << written.error() << "\n";
        return Refused;
    }
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
        {},
        RunReport,
        QStringLiteral(
            "The page holds the project's name, folder and date; the communication settings in the SET\n"
            "COMMUNICATION editor's words and its verdict; bank.bin in hex, field by field, and whether it\n"
            "matches what pargen.xml builds now; the GSD sizes and modules; the mapping tables with their\n"
            "PROFIBUS byte map and findings when sdo.xml exists; each CANopen table document that exists;\n"
            "and every document that could not be read whole, or that its editor or export would call\n"
            "incomplete, with the same message (also listed on stderr). It is\n"
            "self-contained (no script, no external file) and prints on A4. OUT.html is replaced "
            "atomically.\n"
            "Exit status: 0 written (unreadable documents or not); 1 when PROJECT_DIR does not exist or\n"
            "OUT.html cannot be written; 2 usage error.")};
}

} // namespace velmaro::cli
