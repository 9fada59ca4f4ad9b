#include "canopen/EmcyDocument.h"
#include "cli/CliTables.h"

namespace velmaro::cli {

namespace {

// The EMCY translation editor without its window: the same load, import, save and export.
class EmcyTableSession : public TableSession
{
public:
    QStringList load(const ProjectPaths& paths) override
    {
        ClearEmcyTable(m_table);
        const EmcyLoadOutcome loaded = LoadEmcyTable(paths.EmcyDefXmlPath, m_table);
        return loaded.complete ? QStringList() : QStringList{LoadMessage(loaded.result)};
    }
    ImportOutcome importWorkbook(const QString& path) override
    {
        return ImportEmcyWorkbook(path, m_table, [this] { ClearEmcyTable(m_table); });
    }
    Status save(const ProjectPaths& paths) override { return SaveEmcyTable(paths.EmcyDefXmlPath, m_table); }
    Status exportCsv(const ProjectPaths& paths) override { return ExportEmcyCsv(paths.ProjectDir, m_table); }

private:
    EmcyTable m_table;
};

} // namespace

std::unique_ptr<TableSession> CreateEmcyTableSession()
{
    return std::make_unique<EmcyTableSession>();
}

} // namespace velmaro::cli
