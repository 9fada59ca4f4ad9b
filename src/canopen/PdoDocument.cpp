#include "canopen/PdoDocument.h"

#include "base/IntegerText.h"

namespace velmaro {

namespace {

// The row that receives a side's next record: next free row, added past the shown ones when needed.
QStringList& nextRow(QList<QStringList>& side, int& used)
{
    while (side.size() <= used)
        side.append(QStringList(PdoColumnCount, QString()));
    return side[used++];
}

const OrderRule kPdoOrder{QStringLiteral("0x999999"), TieRule::LaterWins};

// Empties `table` and reads the document: rows read before a failure stay, the failing row with the
// cells filled before the missing value. rowsLost is set when a side got more rows than its grid
// shows, or rows that its records do not reach (a row with an empty "cobid" and whatever follows it).
TableLoadResult loadPdo(const QString& path, PdoTable& table)
{
    table.clear();
    int usedA = 0;
    int usedB = 0;
    const QStringList& names = RpdoDefTable().AttributeNames;
    auto reader = [&](const TableRow& row) -> Status {
        const Result<qint32> flag = row.integerAttribute(names.at(PdoEnTraslate));
        if (!flag.ok())
            return flag.status();
        const bool sideA = (*flag & 2) != 0;
        QStringList& cells =
            sideA ? nextRow(table.side(Side::A), usedA) : nextRow(table.side(Side::B), usedB);
        for (int k = 0; k < PdoColumnCount; ++k) {
            const Result<QString> text = row.attribute(names.at(k));
            if (!text.ok())
                return text.status();
            cells[k] = k == PdoEnTraslate ? QString::number(*flag & 1) : *text;
        }
        return {};
    };
    TableLoadResult result = LoadTableDocument(path, QStringLiteral("File XML not found"),
                                               QStringLiteral("Error in reading file XML"), reader);
    result.rowsLost = usedA > PdoShownRows || usedB > PdoShownRows
                      || PdoRecords(table.side(Side::A)).size() < usedA
                      || PdoRecords(table.side(Side::B)).size() < usedB;
    return result;
}

Result<bool> savePdo(const QString& path, const PdoTable& table, const WriteConsent& consent)
{
    TableSideRows rows[2];
    for (Side side : {Side::A, Side::B}) {
        for (const QStringList& record : PdoRecords(table.side(side))) {
            QStringList values = record;
            values[PdoEnTraslate] = PackDocumentFlag(side, record.at(PdoEnTraslate));
            rows[size_t(side)].append({record.at(PdoCobId)}, values);
        }
    }
    return SaveTableDocument(RpdoDefTable(), path, rows[0], rows[1], kPdoOrder, consent);
}

// Places worksheet records: the flag column's bit 1 chooses side B, bit 0 the "en_traslate" cell.
struct PdoImportReader
{
    PdoTable& table;
    ImportRule rule = ImportRule::Editor;
    int usedA = 0;
    int usedB = 0;
    Status operator()(const QStringList& fields)
    {
        const Result<qint32> flag = ParseIntegerText(fields.at(PdoEnTraslate));
        if (!flag.ok())
            return flag.status();
        if (rule == ImportRule::EveryRecordKept && fields.at(PdoCobId).isEmpty())
            return Status::failure(
                QStringLiteral("its \"cobid\" is empty; the editor keeps no record of its side "
                               "from this one on"));
        const bool sideB = (*flag & 2) != 0;
        QStringList& cells =
            sideB ? nextRow(table.side(Side::B), usedB) : nextRow(table.side(Side::A), usedA);
        for (int k = 0; k < PdoColumnCount; ++k)
            cells[k] = k == PdoEnTraslate ? QString::number(*flag & 1) : fields.at(k);
        return {};
    }
};

// Empties the table, runs the window's step, then places the worksheet's records.
template <typename Source>
ImportOutcome importFrom(const Source& source, PdoTable& table, ImportRule rule,
                         const std::function<void()>& emptyStep)
{
    PdoImportReader reader{table, rule};
    return ImportWorksheet(
        RpdoDefTable(), source,
        [&] {
            table.clear();
            if (emptyStep)
                emptyStep();
        },
        std::ref(reader));
}

} // namespace

const TableDefinition& PdoDocument::definition()
{
    return RpdoDefTable();
}

QString PdoDocument::path(const ProjectPaths& paths)
{
    return paths.RpdoDefXmlPath;
}

DocumentLoad PdoDocument::load(const ProjectPaths& paths, Table& table)
{
    return DocumentLoad::of(loadPdo(path(paths), table));
}

Result<bool> PdoDocument::save(const ProjectPaths& paths, const Table& table, const WriteConsent& consent)
{
    return savePdo(path(paths), table, consent);
}

int PdoDocument::savedRows(const Table& table)
{
    return int(PdoRecords(table.side(Side::A)).size() + PdoRecords(table.side(Side::B)).size());
}

ImportOutcome PdoDocument::importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                          const std::function<void()>& emptyStep)
{
    return importFrom(workbookPath, table, rule, emptyStep);
}

ImportOutcome PdoDocument::importWorkbook(const Workbook& workbook, Table& table, ImportRule rule,
                                          const std::function<void()>& emptyStep)
{
    return importFrom(workbook, table, rule, emptyStep);
}

Status PdoDocument::exportCsv(const ProjectPaths& paths, const Table& table)
{
    return ExportCsv(paths.ProjectDir, RpdoDefTable(), PdoCsvLines(table));
}

} // namespace velmaro
