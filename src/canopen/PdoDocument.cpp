#include "canopen/PdoDocument.h"

namespace velmaro {

const TableDefinition& PdoDocument::definition()
{
    return RpdoDefTable();
}

QString PdoDocument::path(const ProjectPaths& paths)
{
    return paths.RpdoDefXmlPath;
}

DocumentLoad PdoDocument::load(const ProjectPaths& paths, Table& table)
{
    const TableLoadResult result = LoadPdoTable(path(paths), table);
    DocumentLoad load;
    if (!result.ok())
        load.failures << result;
    load.readWhole = result.readWhole();
    return load;
}

Result<bool> PdoDocument::save(const ProjectPaths& paths, const Table& table, const WriteConsent& consent)
{
    return SavePdoTable(path(paths), table, consent);
}

int PdoDocument::savedRows(const Table& table)
{
    return int(PdoRecords(table.side(Side::A)).size() + PdoRecords(table.side(Side::B)).size());
}

ImportOutcome PdoDocument::importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                          const std::function<void()>& emptyStep)
{
    // ImportPdoTable empties the table first; the window's step follows it.
    if (emptyStep) {
        table.clear();
        emptyStep();
    }
    return ImportPdoTable(workbookPath, table, rule);
}

Status PdoDocument::exportCsv(const ProjectPaths& paths, const Table& table)
{
    return ExportPdoTable(paths.ProjectDir, table);
}

} // namespace velmaro
