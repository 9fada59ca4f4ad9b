#pragma once

// The table kinds that "velmaro-cli export" and "velmaro-cli import" know. Each kind drives its
// editor's document (load, save, import, export) headlessly, on the same code path as the window.

#include "base/ProjectPaths.h"
#include "base/Result.h"
#include "canopen/TableMechanisms.h"

#include <QList>
#include <QStringList>

#include <memory>

namespace velmaro::cli {

// One editor's in-memory table for one run of a verb.
class TableSession
{
public:
    virtual ~TableSession() = default;
    // The window's showing: empties the table and loads it from the project's document(s). Returns the
    // messages the window would show (none when everything loaded), each with its detail, but for a
    // document that is not there.
    virtual QStringList load(const ProjectPaths& paths) = 0;
    // After load(): the verdict on the editor's own document (see DocumentLoad).
    virtual const DocumentLoad& loaded() const = 0;
    // The editor's own document.
    virtual QString documentPath(const ProjectPaths& paths) const = 0;
    // The window's Import from the workbook at `path` (its empty step, then the worksheet's records),
    // stopping at a record that the OK would not keep.
    virtual ImportOutcome importWorkbook(const QString& path) = 0;
    // The rows that save() writes.
    virtual int savedRows() const = 0;
    // The window's OK: writes the document.
    virtual Status save(const ProjectPaths& paths) = 0;
    // The window's Export: writes ProjectDir/TableName.csv.
    virtual Status exportCsv(const ProjectPaths& paths) = 0;
};

struct CliTable
{
    const char* name;                       // the TableName, as typed on the command line
    const TableDefinition& (*definition)(); // root element, worksheet and CSV name, attributes
    std::unique_ptr<TableSession> (*create)();
};

// Every table kind, in the order the usage lists them.
const QList<CliTable>& CliTables();
const CliTable* FindCliTable(const QString& name);
// "rpdodef, sdopdo, ..." for usage messages.
QString CliTableNames();

// Formats a load message for stderr: "<message> (<detail>)", or the message alone.
QString LoadMessage(const TableLoadResult& result);

} // namespace velmaro::cli
