#pragma once

// The steps every table document has (path, definition, load, save, import, export), written once.
// A kind derives from TableDocument<Kind, Table> and supplies its format through one hook,
// `static const TableFormat<Table>& format()`, a TableFormat it defines in its .cpp. A kind whose load
// reads more than its own document defines its own load.

#include "canopen/TableMechanisms.h"

#include <array>
#include <functional>
#include <utility>

namespace velmaro {

// A kind's reading of its document: each row, then a last look at the result that records the rows the
// editor drops (rowsLost) and the records it keeps but does not show (notShown).
struct RowReading
{
    TableRowReader read;
    std::function<void(TableLoadResult&)> finish; // may be empty
};

// A kind's import: what it empties before the window's empty step, each record, and a last look at the
// outcome. Any of empty and finish may be empty.
struct RecordReading
{
    std::function<void()> empty;
    WorksheetRecordReader read;
    std::function<void(ImportOutcome&)> finish;
};

// The rows a save writes: side A, then side B.
using SideRows = std::array<TableSideRows, 2>;

// What a kind knows of its document, worksheet and CSV file.
template <class Table>
class TableFormat
{
public:
    TableFormat(QString ProjectPaths::*documentPath, TableDefinition names, OrderRule saveOrder)
        : path(documentPath), definition(std::move(names)), order(std::move(saveOrder))
    {
    }
    virtual ~TableFormat() = default;

    const QString ProjectPaths::*path; // the document among the project's paths
    const TableDefinition definition;  // root, worksheet and CSV name; field names
    const OrderRule order;             // how each side is ordered when saved

    // The table before a load, and the reading of the document's rows (a kind with its own load needs
    // neither).
    virtual void empty(Table&) const {}
    virtual RowReading rowReading(Table&) const { return {}; }
    // The rows the OK writes, per side, or the kind's refusal of the table.
    virtual Result<SideRows> sideRows(const Table& table) const = 0;
    virtual RecordReading recordReading(Table& table, ImportRule rule) const = 0;
    // The lines the Export writes for one side.
    virtual QList<QStringList> csvLines(const Table& table, Side side) const = 0;
    // The lines the Export writes: side A's, then side B's.
    QList<QStringList> csvLines(const Table& table) const
    {
        QList<QStringList> lines;
        for (Side side : {Side::A, Side::B})
            lines << csvLines(table, side);
        return lines;
    }
};

template <class Kind, class TableType>
struct TableDocument
{
    using Table = TableType;

    static const TableDefinition& definition() { return Kind::format().definition; }

    // The document the OK replaces.
    static QString path(const ProjectPaths& paths) { return paths.*Kind::format().path; }

    // A showing: empties `table` and reads the document (TableNotFoundMessage, TableReadErrorMessage);
    // rows read before a failure stay.
    static DocumentLoad load(const ProjectPaths& paths, Table& table)
    {
        Kind::format().empty(table);
        const RowReading reading = Kind::format().rowReading(table);
        TableLoadResult read =
            LoadTableDocument(path(paths), TableNotFoundMessage, TableReadErrorMessage, reading.read);
        if (reading.finish)
            reading.finish(read);
        return DocumentLoad::of(read);
    }

    // OK: writes both sides, each in its save order, asking `consent` (when given) between the checks and
    // the write. True when written; fails without writing when the kind refuses the table or a key is not
    // an integer.
    static Result<bool> save(const ProjectPaths& paths, const Table& table, const WriteConsent& consent = {})
    {
        const Result<SideRows> sides = Kind::format().sideRows(table);
        if (!sides.ok())
            return sides.status();
        return SaveTableDocument(definition(), path(paths), sides->at(0), sides->at(1), Kind::format().order,
                                 consent);
    }

    // Import: the kind's empty step, then the window's `emptyStep` (when given), then the worksheet named
    // after the table, record by record.
    static ImportOutcome importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {})
    {
        return importFrom(workbookPath, table, rule, emptyStep);
    }
    // The same over a workbook already open.
    static ImportOutcome importWorkbook(const Workbook& workbook, Table& table, ImportRule rule,
                                        const std::function<void()>& emptyStep = {})
    {
        return importFrom(workbook, table, rule, emptyStep);
    }

    // Export: ProjectDir/<table name>.csv, the kind's lines of side A, then of side B.
    static Status exportCsv(const ProjectPaths& paths, const Table& table)
    {
        return ExportCsv(paths.ProjectDir, definition(), Kind::format().csvLines(table));
    }

private:
    template <typename Source>
    static ImportOutcome importFrom(const Source& source, Table& table, ImportRule rule,
                                    const std::function<void()>& emptyStep)
    {
        const RecordReading reading = Kind::format().recordReading(table, rule);
        const auto empty = [&] {
            if (reading.empty)
                reading.empty();
            if (emptyStep)
                emptyStep();
        };
        ImportOutcome outcome = ImportWorksheet(definition(), source, empty, reading.read);
        if (reading.finish)
            reading.finish(outcome);
        return outcome;
    }
};

} // namespace velmaro
