#include "app/ProjectReport.h"

#include "base/IntegerText.h"
#include "base/ProjectPaths.h"
#include "base/Version.h"
#include "canopen/EmcyDocument.h"
#include "canopen/EmcyWordDocument.h"
#include "canopen/PdoDocument.h"
#include "canopen/PdoTable.h"
#include "canopen/StoredPdoDocument.h"
#include "canopen/TableMechanisms.h"
#include "mapping/MappingRules.h"
#include "platform/FileSystem.h"
#include "settings/CommEditorRules.h"

#include <QDir>
#include <QFileInfo>

namespace velmaro {

namespace {

QString DocumentName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

void LoadSettings(const ProjectPaths& paths, ProjectReportData& data)
{
    data.pargenFound = FileExists(paths.PargenXmlPath);
    const auto loaded = LoadCommSettings(paths.PargenXmlPath);
    const CommEditorLoad editor = LoadCommEditorValues(paths.PargenXmlPath);
    data.stored = loaded.ok() && loaded.value() ? **loaded : CommSettingsFromEditor(CommEditorValues());
    // The generator reads only the two sizes, so it can answer where the editor cannot load.
    const Result<GsdSizes> sizes = ReadGsdSizes(paths.PargenXmlPath);
    if (sizes.ok())
        data.gsd = *sizes;
    else
        data.gsdError = sizes.error();
    if (editor.error) {
        data.failures << ReportFailure{QStringLiteral("pargen.xml"), *editor.error};
        return;
    }
    data.pargenRead = true;
    data.settingsVerdict = ValidateCommEditorValues(editor.values);
}

void LoadImage(const ProjectPaths& paths, ProjectReportData& data)
{
    const QString binPath = ParameterImagePath(paths.ProjectDir);
    data.bankFound = FileExists(binPath);
    if (data.bankFound) {
        const Result<DecodedImage> bank = ReadParameterImage(binPath);
        if (bank.ok())
            data.bank = *bank;
        else
            data.failures << ReportFailure{QStringLiteral("bin/bank.bin"), bank.error()};
    }
    const Result<ParameterImage> built = BuildParameterImage(paths.PargenXmlPath);
    if (built.ok())
        data.built = built->bytes;
    else
        data.buildError = built.error();
}

void LoadMapping(const ProjectPaths& paths, ProjectReportData& data)
{
    const MappingLoad load = LoadMappingDocument(paths.SdoXmlPath);
    data.mappingFound = load.found;
    if (!load.found)
        return;
    if (!load.ok()) {
        data.failures << ReportFailure{QStringLiteral("sdo.xml"), load.error};
        return;
    }
    data.mappingRead = true;
    if (!load.readWhole())
        data.failures << ReportFailure{QStringLiteral("sdo.xml"), load.notices.join(QLatin1Char(' '))};
    data.mappingNotices = load.notices;
    data.mapping = RowsInUse(load.tables);
    const Result<MappingLimits> limits = LoadMappingLimits(paths.PargenXmlPath);
    data.limits = limits.ok() ? *limits : MappingLimits();
    data.byteMaps = ComputeByteMaps(data.mapping, data.limits);
    const Status verdict = ValidateMapping(data.mapping, data.limits);
    data.mappingVerdict = verdict.ok() ? QString() : verdict.error();
}

// The editor's verdict on its document: empty when the editor and export would call it whole.
template <typename Document>
QString EditorVerdict(const ProjectPaths& paths)
{
    typename Document::Table table;
    return Document::load(paths, table).verdict(Document::path(paths));
}

// The CANopen table documents, read through the table mechanisms each editor loads with: every row
// element with the attributes of its table, in document order. The editors' own placement rules
// (sides, flags) are not applied; the report shows what the document holds, and lists with the
// editor's verdict each document that its editor or export would call incomplete.
void LoadCanopen(const ProjectPaths& paths, ProjectReportData& data)
{
    struct Document
    {
        const char* title;
        QString path;
        const TableDefinition& definition;
        QString (*verdict)(const ProjectPaths&);
    };
    const Document documents[] = {
        {"PDO translation", paths.RpdoDefXmlPath, RpdoDefTable(), &EditorVerdict<PdoDocument>},
        {"Stored PDO", paths.SdoPdoXmlPath, SdoPdoTable(), &EditorVerdict<StoredPdoDocument>},
        {"EMCY translation", paths.EmcyDefXmlPath, EmcyDefTable(), &EditorVerdict<EmcyDocument>},
        {"EMCY word", paths.EmcyWordXmlPath, EmcyWordTableDefinition(), &EditorVerdict<EmcyWordDocument>},
    };
    for (const Document& d : documents) {
        if (!FileExists(d.path))
            continue;
        ++data.canopenFound;
        ReportTable table{QLatin1String(d.title), DocumentName(d.path), d.definition.AttributeNames, {}};
        const TableLoadResult result = LoadTableDocument(
            d.path, QStringLiteral("File XML not found"), QStringLiteral("Error in reading file XML"),
            [&table](const TableRow& row) -> Status {
                QStringList values;
                for (const QString& name : table.columns) {
                    const Result<QString> value = row.attribute(name);
                    if (!value.ok())
                        return value.status();
                    values << *value;
                }
                table.rows << values;
                return Status();
            });
        if (result.ok())
            data.canopen << table;
        const QString verdict = d.verdict(paths);
        if (!verdict.isEmpty())
            data.failures << ReportFailure{table.document, verdict};
        else if (!result.ok())
            data.failures << ReportFailure{table.document,
                                           result.detail.isEmpty()
                                               ? result.message
                                               : result.message + QStringLiteral(": ") + result.detail};
    }
}

} // namespace

ProjectReportData LoadProjectReport(const QString& projectDir, const QDateTime& created)
{
    ProjectReportData data;
    const QString clean = QDir::cleanPath(NativePath(projectDir));
    data.projectDir = QDir::cleanPath(QFileInfo(clean).absoluteFilePath());
    // "." and ".." name the folder they stand for.
    data.projectName = QFileInfo(data.projectDir).fileName();
    data.created = created;
    data.programVersion = QStringLiteral(VELMARO_VERSION);

    ProjectPaths paths;
    paths.ProjectDir = projectDir;
    SetDocumentPaths(paths);
    LoadSettings(paths, data);
    LoadImage(paths, data);
    LoadMapping(paths, data);
    LoadCanopen(paths, data);
    return data;
}

} // namespace velmaro
