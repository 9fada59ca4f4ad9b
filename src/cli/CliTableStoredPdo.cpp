#include "canopen/StoredPdo.h"
#include "cli/CliTables.h"

namespace velmaro::cli {

namespace {

// The stored-PDO editor without its window: the showing reads the SDO table, the PDO translation
// document and the stored table, as the editor does.
class StoredPdoTableSession : public TableSession
{
public:
    QStringList load(const ProjectPaths& paths) override
    {
        QStringList messages;
        for (const TableLoadResult& failure : LoadStoredPdo(paths, m_table))
            messages << LoadMessage(failure);
        return messages;
    }
    ImportOutcome importWorkbook(const QString& path) override
    {
        // Strict: a record naming a PDO that the tab lacks refuses the import instead of vanishing.
        return ImportStoredPdo(
            m_table, path, [] {}, true);
    }
    Status save(const ProjectPaths& paths) override { return SaveStoredPdo(m_table, paths.SdoPdoXmlPath); }
    Status exportCsv(const ProjectPaths& paths) override
    {
        return ExportStoredPdo(m_table, paths.ProjectDir);
    }

private:
    StoredPdoTable m_table;
};

} // namespace

std::unique_ptr<TableSession> CreateStoredPdoTableSession()
{
    return std::make_unique<StoredPdoTableSession>();
}

} // namespace velmaro::cli
