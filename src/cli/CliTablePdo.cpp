#include "canopen/PdoTable.h"
#include "cli/CliTables.h"

namespace velmaro::cli {

namespace {

class PdoTableSession : public TableSession
{
public:
    QStringList load(const ProjectPaths& paths) override
    {
        const TableLoadResult result = LoadPdoTable(paths.RpdoDefXmlPath, m_table);
        return result.ok() ? QStringList() : QStringList{LoadMessage(result)};
    }
    ImportOutcome importWorkbook(const QString& path) override { return ImportPdoTable(path, m_table); }
    Status save(const ProjectPaths& paths) override { return SavePdoTable(paths.RpdoDefXmlPath, m_table); }
    Status exportCsv(const ProjectPaths& paths) override { return ExportPdoTable(paths.ProjectDir, m_table); }

private:
    PdoTable m_table;
};

} // namespace

std::unique_ptr<TableSession> CreatePdoTableSession()
{
    return std::make_unique<PdoTableSession>();
}

} // namespace velmaro::cli
