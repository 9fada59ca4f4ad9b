#include "cli/CliTables.h"

namespace velmaro::cli {

// Each table kind lives in its own file (CliTable<Kind>.cpp) and provides a factory; add one
// declaration and one entry below.
std::unique_ptr<TableSession> CreatePdoTableSession();
std::unique_ptr<TableSession> CreateEmcyWordTableSession();
std::unique_ptr<TableSession> CreateStoredPdoTableSession();
std::unique_ptr<TableSession> CreateEmcyTableSession();

const QList<CliTable>& CliTables()
{
    static const QList<CliTable> tables = {
        {"rpdodef", &CreatePdoTableSession},
        {"sdopdo", &CreateStoredPdoTableSession},
        {"emcydef", &CreateEmcyTableSession},
        {"emcyword", &CreateEmcyWordTableSession},
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
