#include "canopen/EmcyWordDocument.h"

namespace velmaro {

const TableDefinition& EmcyWordTableDefinition()
{
    static const TableDefinition table{emcyword::TableName, emcyword::AttributeNames()};
    return table;
}

OrderRule EmcyWordOrder()
{
    return {QStringLiteral("999999"), TieRule::LaterWins};
}

TableLoadResult LoadEmcyWordDocument(const QString& path, EmcyWordTable& table)
{
    table.clear();
    const QStringList& names = emcyword::AttributeNames();
    return LoadTableDocument(path, QStringLiteral("File XML not found"),
                             QStringLiteral("Error in reading file XML"), [&](const TableRow& row) -> Status {
                                 QStringList record;
                                 record.reserve(names.size());
                                 for (const QString& name : names) {
                                     const auto value = row.attribute(name);
                                     if (!value.ok())
                                         return value.status();
                                     record << value.value();
                                 }
                                 const auto word = emcyword::WordFromRecord(record);
                                 if (!word.ok())
                                     return word.status();
                                 table.addRecord(word.value());
                                 return {};
                             });
}

Status SaveEmcyWordDocument(const QString& path, const EmcyWordTable& table)
{
    TableSideRows sides[2];
    for (int side = 0; side < 2; ++side) {
        for (const TClWEmcy& word : table.side(side).words)
            sides[side].append(emcyword::SaveKey(word), emcyword::RowValues(word, side));
    }
    return SaveTableDocument(EmcyWordTableDefinition(), path, sides[0], sides[1], EmcyWordOrder());
}

ImportOutcome ImportEmcyWordWorksheet(const QString& workbookPath, EmcyWordTable& table,
                                      const std::function<void()>& emptyStep)
{
    return ImportWorksheet(EmcyWordTableDefinition(), workbookPath, emptyStep,
                           [&](const QStringList& fields) {
                               const auto word = emcyword::WordFromRecord(fields);
                               if (!word.ok())
                                   return word.status();
                               table.addRecord(word.value());
                               return Status();
                           });
}

QList<QStringList> EmcyWordCsvLines(const EmcyWordTable& table)
{
    QList<QStringList> lines;
    for (int side = 0; side < 2; ++side) {
        for (const TClWEmcy& word : table.side(side).words)
            lines << emcyword::CsvValues(word);
    }
    return lines;
}

Status ExportEmcyWordCsv(const QString& projectDir, const EmcyWordTable& table)
{
    return ExportCsv(projectDir, EmcyWordTableDefinition(), EmcyWordCsvLines(table));
}

} // namespace velmaro
