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

namespace {

TableLoadResult loadWords(const QString& path, EmcyWordTable& table)
{
    table.clear();
    const QStringList& names = emcyword::AttributeNames();
    QString dropped; // the first row the editor drops
    TableLoadResult result =
        LoadTableDocument(path, QStringLiteral("File XML not found"),
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
                              if (dropped.isEmpty() && !emcyword::IsSideMarker(word->side))
                                  dropped = QStringLiteral("row %1 has \"extdata\" %2, not 0 (side A) or 1 "
                                                           "(side B); the editor drops it")
                                                .arg(row.index() + 1)
                                                .arg(word->side);
                              table.addRecord(word.value());
                              return {};
                          });
    result.rowsLost = dropped;
    return result;
}

Result<bool> saveWords(const QString& path, const EmcyWordTable& table, const WriteConsent& consent)
{
    TableSideRows sides[2];
    for (Side side : {Side::A, Side::B}) {
        for (const TClWEmcy& word : table.side(side).words)
            sides[size_t(side)].append(emcyword::SaveKey(word), emcyword::RowValues(word, side));
    }
    return SaveTableDocument(EmcyWordTableDefinition(), path, sides[0], sides[1], EmcyWordOrder(), consent);
}

template <typename Source>
ImportOutcome importFrom(const Source& source, EmcyWordTable& table, ImportRule rule,
                         const std::function<void()>& emptyStep)
{
    const auto empty = [&] {
        table.clear();
        if (emptyStep)
            emptyStep();
    };
    return ImportWorksheet(EmcyWordTableDefinition(), source, empty, [&](const QStringList& fields) {
        const auto word = emcyword::WordFromRecord(fields);
        if (!word.ok())
            return word.status();
        if (rule == ImportRule::EveryRecordKept && !emcyword::IsSideMarker(word->side))
            return Status::failure(
                QStringLiteral("its \"extdata\" is %1, not 0 (side A) or 1 (side B)").arg(word->side));
        if (rule == ImportRule::EveryRecordKept) {
            const QStringList key = emcyword::SaveKey(word->word);
            const Status keys = CheckImportKeys(
                {QStringLiteral("devid"), QStringLiteral("index_addrm"), QStringLiteral("subindex")}, key);
            if (!keys.ok())
                return keys;
        }
        table.addRecord(word.value());
        return Status();
    });
}

} // namespace

QList<QStringList> EmcyWordCsvLines(const EmcyWordTable& table)
{
    QList<QStringList> lines;
    for (Side side : {Side::A, Side::B}) {
        for (const TClWEmcy& word : table.side(side).words)
            lines << emcyword::CsvValues(word);
    }
    return lines;
}

const TableDefinition& EmcyWordDocument::definition()
{
    return EmcyWordTableDefinition();
}

QString EmcyWordDocument::path(const ProjectPaths& paths)
{
    return paths.EmcyWordXmlPath;
}

DocumentLoad EmcyWordDocument::load(const ProjectPaths& paths, Table& table)
{
    return DocumentLoad::of(loadWords(path(paths), table));
}

Result<bool> EmcyWordDocument::save(const ProjectPaths& paths, const Table& table,
                                    const WriteConsent& consent)
{
    return saveWords(path(paths), table, consent);
}

int EmcyWordDocument::savedRows(const Table& table)
{
    return int(table.side(Side::A).words.size() + table.side(Side::B).words.size());
}

ImportOutcome EmcyWordDocument::importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                               const std::function<void()>& emptyStep)
{
    return importFrom(workbookPath, table, rule, emptyStep);
}

ImportOutcome EmcyWordDocument::importWorkbook(const Workbook& workbook, Table& table, ImportRule rule,
                                               const std::function<void()>& emptyStep)
{
    return importFrom(workbook, table, rule, emptyStep);
}

Status EmcyWordDocument::exportCsv(const ProjectPaths& paths, const Table& table)
{
    return ExportCsv(paths.ProjectDir, EmcyWordTableDefinition(), EmcyWordCsvLines(table));
}

} // namespace velmaro
