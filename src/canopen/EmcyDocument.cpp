#include "canopen/EmcyDocument.h"

#include "base/IntegerText.h"

namespace velmaro {

namespace {

TableRowReader rowReader(EmcyTable& table)
{
    return [&table](const TableRow& row) -> Status {
        TClEmcy entry;
        for (int i = 0; i < EmcyTextFieldCount; ++i) {
            const Result<QString> text = row.attribute(EmcyAttributeNames().at(i));
            if (!text.ok())
                return text.status();
            entry.*EmcyTextFields()[size_t(i)] = text->isEmpty() ? QStringLiteral("0") : *text;
        }
        const Result<qint32> packed = row.integerAttribute(EmcyAttributeNames().at(EmcyTextFieldCount));
        if (!packed.ok())
            return packed.status();
        const Side side = UnpackBypassSet(*packed, entry);
        AppendEmcy(table, side, entry, entry.id_dev);
        return Status();
    };
}

WorksheetRecordReader recordReader(EmcyTable& table, ImportRule rule)
{
    return [&table, rule](const QStringList& fields) -> Status {
        TClEmcy entry;
        for (int i = 0; i < EmcyTextFieldCount; ++i)
            entry.*EmcyTextFields()[size_t(i)] = fields.value(i);
        const Result<qint32> packed = ParseIntegerText(fields.value(EmcyTextFieldCount));
        if (!packed.ok())
            return packed.status();
        if (rule == ImportRule::EveryRecordKept) {
            // The entry's key, as the save orders it.
            const Status key = CheckImportKeys({EmcyAttributeNames().value(0)}, {entry.id_dev});
            if (!key.ok())
                return key;
        }
        const Side side = UnpackBypassSet(*packed, entry);
        AppendEmcy(table, side, entry, entry.id_dev);
        return Status();
    };
}

TableSideRows sideRows(const EmcyTable& table, Side side)
{
    const EmcySide& s = table.side(side);
    TableSideRows rows;
    for (int i = 0; i < s.entries.size(); ++i)
        rows.append(QStringList{s.labels.at(i)}, EmcyRowValues(s.entries.at(i), side));
    return rows;
}

template <typename Source>
ImportOutcome importFrom(const Source& source, EmcyTable& table, ImportRule rule,
                         const std::function<void()>& emptyStep)
{
    return ImportWorksheet(
        EmcyDefTable(), source,
        [&] {
            ClearEmcyTable(table);
            if (emptyStep)
                emptyStep();
        },
        recordReader(table, rule));
}

} // namespace

const TableDefinition& EmcyDefTable()
{
    static const TableDefinition table{EmcyTableName(), EmcyAttributeNames()};
    return table;
}

const OrderRule& EmcyOrderRule()
{
    static const OrderRule rule{QStringLiteral("999999"), TieRule::LaterWins};
    return rule;
}

QList<QStringList> EmcyCsvLines(const EmcyTable& table)
{
    QList<QStringList> lines;
    for (Side side : {Side::A, Side::B}) {
        for (const TClEmcy& entry : table.side(side).entries)
            lines << EmcyRowValues(entry, side);
    }
    return lines;
}

const TableDefinition& EmcyDocument::definition()
{
    return EmcyDefTable();
}

QString EmcyDocument::path(const ProjectPaths& paths)
{
    return paths.EmcyDefXmlPath;
}

DocumentLoad EmcyDocument::load(const ProjectPaths& paths, Table& table)
{
    ClearEmcyTable(table);
    return DocumentLoad::of(
        LoadTableDocument(path(paths), EmcyNotFoundMessage, EmcyReadErrorMessage, rowReader(table)));
}

Result<bool> EmcyDocument::save(const ProjectPaths& paths, const Table& table, const WriteConsent& consent)
{
    return SaveTableDocument(EmcyDefTable(), path(paths), sideRows(table, Side::A), sideRows(table, Side::B),
                             EmcyOrderRule(), consent);
}

int EmcyDocument::savedRows(const Table& table)
{
    return table.size();
}

ImportOutcome EmcyDocument::importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                           const std::function<void()>& emptyStep)
{
    return importFrom(workbookPath, table, rule, emptyStep);
}

ImportOutcome EmcyDocument::importWorkbook(const Workbook& workbook, Table& table, ImportRule rule,
                                           const std::function<void()>& emptyStep)
{
    return importFrom(workbook, table, rule, emptyStep);
}

Status EmcyDocument::exportCsv(const ProjectPaths& paths, const Table& table)
{
    return ExportCsv(paths.ProjectDir, EmcyDefTable(), EmcyCsvLines(table));
}

} // namespace velmaro
