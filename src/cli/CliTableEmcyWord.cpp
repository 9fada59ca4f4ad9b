#include "canopen/EmcyWordDocument.h"
#include "cli/CliTables.h"

namespace velmaro::cli {

namespace {

class EmcyWordTableSession : public TableSession
{
public:
    QStringList load(const ProjectPaths& paths) override
    {
        const TableLoadResult result = LoadEmcyWordDocument(paths.EmcyWordXmlPath, m_table);
        return result.ok() ? QStringList() : QStringList{LoadMessage(result)};
    }
    ImportOutcome importWorkbook(const QString& path) override
    {
        return ImportEmcyWordWorksheet(path, m_table, [this] { m_table.clear(); });
    }
    Status save(const ProjectPaths& paths) override
    {
        return SaveEmcyWordDocument(paths.EmcyWordXmlPath, m_table);
    }
    Status exportCsv(const ProjectPaths& paths) override
    {
        return ExportEmcyWordCsv(paths.ProjectDir, m_table);
    }

private:
    EmcyWordTable m_table;
};

} // namespace

std::unique_ptr<TableSession> CreateEmcyWordTableSession()
{
    return std::make_unique<EmcyWordTableSession>();
}

} // namespace velmaro::cli
