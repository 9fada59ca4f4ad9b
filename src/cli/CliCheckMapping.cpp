#include "cli/CliCheck.h"
#include "mapping/ByteMap.h"
#include "mapping/MappingRules.h"

namespace velmaro::cli {

bool CheckMapping(const ProjectPaths& paths, Io& io)
{
    const MappingCheck check = CheckMappingDocument(paths.PargenXmlPath, paths.SdoXmlPath);
    // The byte map's findings are warnings: they never change the verdict. Bytes no row fills are notes.
    const Result<ProjectByteMaps> project = LoadProjectByteMaps(paths.PargenXmlPath, paths.SdoXmlPath);
    if (project.ok() && project->found) {
        for (const ByteMap* map : {&project->maps.in, &project->maps.out}) {
            for (const ByteFinding& finding : map->findings) {
                if (finding.kind == FindingKind::Unfilled)
                    io.out << "note: " << TerminalText(DescribeFinding(finding, map->length)) << "\n";
                else
                    io.err << "warning: " << TerminalText(DescribeFinding(finding, map->length)) << "\n";
            }
        }
    }
    for (const QString& notice : check.notices)
        io.err << TerminalText(notice) << "\n";
    if (!check.verdict.ok()) {
        io.err << check.verdict.error() << "\n";
        return false;
    }
    if (!check.found)
        return true; // a project without the mapping has nothing to report
    const auto rows = [](qsizetype n, const char* side) -> QString {
        return QString::number(n) + QLatin1Char(' ') + QLatin1String(side) + (n == 1 ? " row" : " rows");
    };
    io.out << SdoXmlName << ": " << rows(check.used.in.size(), "input") << ", "
           << rows(check.used.out.size(), "output") << " in use\n";
    return true;
}

bool CheckByteMapStrict(const ProjectPaths& paths, Io& io)
{
    const Result<ProjectByteMaps> project = LoadProjectByteMaps(paths.PargenXmlPath, paths.SdoXmlPath);
    if (!project.ok())
        return true; // the load failure is the mapping check's to report
    const int collisions =
        project->maps.in.count(FindingKind::Collision) + project->maps.out.count(FindingKind::Collision);
    const int beyond =
        project->maps.in.count(FindingKind::Beyond) + project->maps.out.count(FindingKind::Beyond);
    if (collisions + beyond == 0)
        return true;
    io.err << "sdo.xml refused by --strict: " << collisions
           << (collisions == 1 ? " collision, " : " collisions, ") << beyond
           << (beyond == 1 ? " row" : " rows") << " past the data length.\n";
    return false;
}

} // namespace velmaro::cli
