#include "cli/CliTables.h"

#include "canopen/EmcyDocument.h"
#include "canopen/EmcyWordDocument.h"
#include "canopen/PdoDocument.h"
#include "canopen/StoredPdoDocument.h"

namespace velmaro::cli {

namespace {

// One editor without its window: its document's load, import, save and export over its table. Every
// document has the same shape (see PdoDocument.h).
template <typename Document>
class DocumentSession : public TableSession
{
public:
    QStringList load(const ProjectPaths& paths) override
    {
        m_loaded = Document::load(paths, m_table);
        QStringList messages;
        // A document that is not there was read whole (as empty): the window's "not found" box is not
        // a failure of the verb, so stderr stays quiet about it.
        for (const TableLoadResult& failure : m_loaded.failures) {
            if (failure.outcome != TableLoadResult::Outcome::NotFound)
                messages << LoadMessage(failure);
        }
        return messages;
    }
    const DocumentLoad& loaded() const override { return m_loaded; }
    QString documentPath(const ProjectPaths& paths) const override { return Document::path(paths); }
    ImportOutcome importWorkbook(const QString& path) override
    {
        return Document::importWorkbook(path, m_table, ImportRule::EveryRecordKept);
    }
    int savedRows() const override { return Document::savedRows(m_table); }
    Status save(const ProjectPaths& paths) override { return Document::save(paths, m_table).status(); }
    Status exportCsv(const ProjectPaths& paths) override { return Document::exportCsv(paths, m_table); }

private:
    typename Document::Table m_table;
    DocumentLoad m_loaded;
};

template <typename Document>
CliTable Kind(const char* name)
{
    return {name, &Document::definition,
            [] { return std::unique_ptr<TableSession>(new DocumentSession<Document>); }};
}

} // namespace

const QList<CliTable>& CliTables()
{
    static const QList<CliTable> tables = {
        Kind<PdoDocument>("rpdodef"),
        Kind<StoredPdoDocument>("sdopdo"),
        Kind<EmcyDocument>("emcydef"),
        Kind<EmcyWordDocument>("emcyword"),
    };
    return tables;
}

const CliTable* FindCliTable(const QString& name)
{
    for (const CliTable& table : CliTables()) {
        if (name == QLatin1String(table.name))
            return &table;
    }
    return nullptr;
}

QString CliTableNames()
{
    QStringList names;
    for (const CliTable& table : CliTables())
        names << QLatin1String(table.name);
    return names.join(QStringLiteral(", "));
}

QString LoadMessage(const TableLoadResult& result)
{
    if (result.ok())
        return {};
    return result.detail.isEmpty() ? result.message
                                   : QStringLiteral("%1 (%2)").arg(result.message, result.detail);
}

} // namespace velmaro::cli
