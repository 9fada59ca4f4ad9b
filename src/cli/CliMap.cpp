#include "base/ProjectPaths.h"
#include "base/TabSeparated.h"
#include "cli/Cli.h"
#include "mapping/ByteMap.h"
#include "platform/FileSystem.h"

namespace velmaro::cli {

namespace {

// The cells of a row that the map line shows: slave, register address and points as typed.
struct RowCells
{
    QString slave;
    QString registerAddress;
    QString points;
};

RowCells cellsOf(MappingSide side, const MappingRow& row)
{
    const QStringList& names = MappingAttributes(side);
    const auto at = [&](const char* name) { return row.value(names.indexOf(QLatin1String(name))); };
    // As typed, but escaped: a line break or an escape sequence in a cell never leaves its row.
    return {TerminalText(at("Slave_ID")), TerminalText(at("Address_Mod")), TerminalText(at("NPoint"))};
}

// One entry per row in use, in row order: the row's map range, or none when it was skipped.
void printRows(const ProjectByteMaps& project, bool csv, Io& io)
{
    if (csv)
        io.out << "table,row,slave,register,points,first_byte,last_byte\n";
    for (MappingSide side : {MappingSide::In, MappingSide::Out}) {
        const ByteMap& map = project.maps.side(side);
        const QList<MappingRow>& rows = project.used.side(side);
        int mapped = 0;
        for (int i = 0; i < rows.size(); ++i) {
            const RowCells cells = cellsOf(side, rows[i]);
            const ByteRow* range =
                mapped < map.rows.size() && map.rows[mapped].row == i + 1 ? &map.rows[mapped++] : nullptr;
            if (csv) {
                io.out << TableTag(side) << ',' << (i + 1) << ',' << CsvField(cells.slave) << ','
                       << CsvField(cells.registerAddress) << ',' << CsvField(cells.points) << ',';
                if (range)
                    io.out << range->first << ',' << range->last;
                else
                    io.out << ',';
                io.out << '\n';
                continue;
            }
            io.out << TableTag(side) << " row " << (i + 1) << ": slave " << cells.slave << ", register "
                   << cells.registerAddress << ", points " << cells.points << ", ";
            if (range)
                io.out << "bytes " << ByteSpan(range->first, range->last) << '\n';
            else
                io.out << "not mapped (Address ProfiBUS or NPoint is not a usable integer)\n";
        }
    }
}

int runMap(const ProjectPaths& paths, const VerbArgs& args, Io& io)
{
    const Result<ProjectByteMaps> project = LoadProjectByteMaps(paths.PargenXmlPath, paths.SdoXmlPath);
    if (!project.ok()) {
        io.err << project.error() << "\n";
        return Refused;
    }
    if (!project->found)
        io.err << "No sdo.xml in \"" << DisplayPath(paths.ProjectDir) << "\": both tables are empty.\n";
    // As check says it: rows past the grid's last are neither mapped nor kept.
    for (const QString& notice : project->notices)
        io.err << "warning: " << notice << "\n";
    const bool csv = args.isSet(QStringLiteral("csv"));
    printRows(*project, csv, io);
    if (csv)
        return Success;
    for (MappingSide side : {MappingSide::In, MappingSide::Out}) {
        const ByteMap& map = project->maps.side(side);
        for (const ByteFinding& finding : map.findings)
            io.out << (finding.kind == FindingKind::Unfilled ? "note: " : "warning: ")
                   << TerminalText(DescribeFinding(finding, map.length)) << '\n';
    }
    io.out << "IN: " << SummaryLine(project->maps.in) << "; OUT: " << SummaryLine(project->maps.out) << '\n';
    return Success;
}

} // namespace

Verb MapVerb()
{
    return {
        "map",
        "print the PROFIBUS byte map of PROJECT_DIR's sdo.xml: the bytes of every row, collisions, rows past "
        "the data length",
        {QStringLiteral("PROJECT_DIR")},
        {QCommandLineOption(QStringLiteral("csv"), QStringLiteral("print the rows as CSV, nothing else"))},
        &OnProjectFolder<runMap>,
        QStringLiteral(
            "Every point is one 16-bit register: a row covers 2 x NPoint bytes from its Address ProfiBUS.\n"
            "The data length of each table is Profi_NB_IN / Profi_NB_OUT of pargen.xml (244 without it).\n"
            "Exit status: 0 the map was printed (findings are warnings), 1 a document could not be read.")};
}

} // namespace velmaro::cli
