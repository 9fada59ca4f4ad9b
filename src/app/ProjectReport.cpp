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
        data.failures << ReportFailure{PargenXmlName, *editor.error};
        return;
    }
    data.pargenRead = true;
    data.settingsVerdict = ValidateCommEditorValues(editor.values);
}

void LoadImage(const ProjectPaths& paths, ProjectReportData& data)
{
    const QString& binPath = paths.BankBinPath;
    data.bankFound = FileExists(binPath);
    if (data.bankFound) {
        const Result<DecodedImage> bank = ReadParameterImage(binPath);
        if (bank.ok())
            data.bank = *bank;
        else
            data.failures << ReportFailure{BinFolderName + QLatin1Char('/') + BankBinName, bank.error()};
    }
    const Result<ParameterImage> built = BuildParameterImage(paths);
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
        data.failures << ReportFailure{SdoXmlName, load.error};
        return;
    }
    data.mappingRead = true;
    if (!load.readWhole())
        data.failures << ReportFailure{SdoXmlName, load.notices.join(QLatin1Char(' '))};
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

// The CANopen table documents, read as documents: the editors' own placement rules (sides, flags) are
// not applied; the report shows what the document holds, and lists with the editor's verdict each
// document that its editor or export would call incomplete.
void LoadCanopen(const ProjectPaths& paths, ProjectReportData& data)
{
    // In the order of CanopenDocuments.
    using Verdict = QString (*)(const ProjectPaths&);
    const Verdict verdicts[] = {&EditorVerdict<PdoDocument>, &EditorVerdict<StoredPdoDocument>,
                                &EditorVerdict<EmcyDocument>, &EditorVerdict<EmcyWordDocument>};
    const QList<CanopenDocument> documents = CanopenDocuments(paths);
    for (int i = 0; i < documents.size(); ++i) {
        const CanopenDocument& d = documents.at(i);
        if (!FileExists(d.path))
            continue;
        ++data.canopenFound;
        const Result<QList<QStringList>> rows = ReadTableRows(d.path, d.definition);
        if (rows.ok())
            data.canopen << ReportTable{d.title, d.document, d.definition.AttributeNames, *rows};
        const QString verdict = verdicts[i](paths);
        if (!verdict.isEmpty())
            data.failures << ReportFailure{d.document, verdict};
        else if (!rows.ok())
            data.failures << ReportFailure{d.document, rows.error()};
    }
}

} // namespace

QList<CanopenDocument> CanopenDocuments(const ProjectPaths& paths)
{
    return {
        {QStringLiteral("PDO translation"), RpdoDefXmlName, paths.RpdoDefXmlPath, PdoDocument::definition()},
        {QStringLiteral("Stored PDO"), SdoPdoXmlName, paths.SdoPdoXmlPath, StoredPdoDocument::definition()},
        {QStringLiteral("EMCY translation"), EmcyDefXmlName, paths.EmcyDefXmlPath,
         EmcyDocument::definition()},
        {QStringLiteral("EMCY word"), EmcyWordXmlName, paths.EmcyWordXmlPath, EmcyWordDocument::definition()},
    };
}

Result<QList<QStringList>> ReadTableRows(const QString& path, const TableDefinition& definition)
{
    QList<QByteArray> names;
    for (const QString& name : definition.AttributeNames)
        names << name.toUtf8();
    QList<QStringList> rows;
    const TableLoadResult result = LoadTableDocument(path, TableNotFoundMessage, TableReadErrorMessage,
                                                     [&](const TableRow& row) -> Status {
                                                         Result<QStringList> values = row.attributes(names);
                                                         if (!values.ok())
                                                             return values.status();
                                                         rows << std::move(values.value());
                                                         return Status();
                                                     });
    if (result.ok())
        return rows;
    return Result<QList<QStringList>>::failure(
        result.detail.isEmpty() ? result.message : result.message + QStringLiteral(": ") + result.detail);
}

ProjectReportData LoadProjectReport(const QString& projectDir, const QDateTime& created)
{
    ProjectReportData data;
    const QString clean = QDir::cleanPath(NativePath(projectDir));
    data.projectDir = QDir::cleanPath(QFileInfo(clean).absoluteFilePath());
    // "." and ".." name the folder they stand for.
    data.projectName = QFileInfo(data.projectDir).fileName();
    data.created = created;
    data.programVersion = QStringLiteral(VELMARO_VERSION);

    const ProjectPaths paths = ProjectPathsOf(projectDir);
    LoadSettings(paths, data);
    LoadImage(paths, data);
    LoadMapping(paths, data);
    LoadCanopen(paths, data);
    return data;
}

} // namespace velmaro
