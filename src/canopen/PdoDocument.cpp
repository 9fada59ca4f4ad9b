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

QString sideName(Side side)
{
    return side == Side::A ? QStringLiteral("A") : QStringLiteral("B");
}

// Empties `table` and reads the document: rows read before a failure stay, the failing row with the
// cells filled before the missing value. rowsLost names the first row of a side that its records do not
// reach (a row with an empty "cobid": it and whatever follows it on its side); notShown the sides with
// more records than their grids show, which are kept and saved all the same.
TableLoadResult loadPdo(const QString& path, PdoTable& table)
{
    table.clear();
    int used[2] = {0, 0};
    QList<int> documentRows[2]; // per side row, the 1-based row of the document it came from
    const QStringList& names = RpdoDefTable().AttributeNames;
    auto reader = [&](const TableRow& row) -> Status {
        const Result<qint32> flag = row.integerAttribute(names.at(PdoEnTraslate));
        if (!flag.ok())
            return flag.status();
        const size_t side = (*flag & 2) != 0 ? size_t(Side::A) : size_t(Side::B);
        QStringList& cells = nextRow(table.side(Side(side)), used[side]);
        documentRows[side].append(row.index() + 1);
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
    QStringList lost;
    QStringList notShown;
    for (Side side : {Side::A, Side::B}) {
        const int records = int(PdoRecords(table.side(side)).size());
        if (records < used[size_t(side)])
            lost << QStringLiteral(
                        "row %1 has an empty \"cobid\"; the editor keeps no record of side %2 from "
                        "this one on")
                        .arg(documentRows[size_t(side)].value(records))
                        .arg(sideName(side));
        if (records > PdoShownRows)
            notShown << QStringLiteral("holds %1 records on side %2; the editor shows and exports %3")
                            .arg(records)
                            .arg(sideName(side))
                            .arg(PdoShownRows);
    }
    result.rowsLost = lost.join(QStringLiteral("; "));
    result.notShown = notShown.join(QStringLiteral("; "));
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
// With ImportRule::EveryRecordKept a record stops the import unless the OK saves it and the Export
// exports it: what velmaro-cli import saves, export gives back.
struct PdoImportReader
{
    PdoTable& table;
    ImportRule rule = ImportRule::Editor;
    int used[2] = {0, 0};
    Status operator()(const QStringList& fields)
    {
        const Result<qint32> flag = ParseIntegerText(fields.at(PdoEnTraslate));
        if (!flag.ok())
            return flag.status();
        const Side side = (*flag & 2) != 0 ? Side::B : Side::A;
        if (rule == ImportRule::EveryRecordKept) {
            if (fields.at(PdoCobId).isEmpty())
                return Status::failure(
                    QStringLiteral("its \"cobid\" is empty; the editor keeps no record of its side "
                                   "from this one on"));
            const Status key =
                CheckImportKeys({RpdoDefTable().AttributeNames.at(PdoCobId)}, {fields.at(PdoCobId)});
            if (!key.ok())
                return key;
            if (used[size_t(side)] >= PdoShownRows)
                return Status::failure(
                    QStringLiteral("side %1 already holds %2 records; the editor shows and "
                                   "exports %2")
                        .arg(sideName(side))
                        .arg(PdoShownRows));
        }
        QStringList& cells = nextRow(table.side(side), used[size_t(side)]);
        for (int k = 0; k < PdoColumnCount; ++k)
            cells[k] = k == PdoEnTraslate ? QString::number(*flag & 1) : fields.at(k);
        return {};
    }
};

// What the window does not show after an import: the records past a grid's last row.
QString notShownAfterImport(const PdoTable& table)
{
    QStringList sides;
    for (Side side : {Side::A, Side::B}) {
        const int records = int(PdoRecords(table.side(side)).size());
        if (records > PdoShownRows)
            sides << QStringLiteral("side %1 holds %2 records").arg(sideName(side)).arg(records);
    }
    if (sides.isEmpty())
        return {};
    return QStringLiteral("%1; the grid shows %2 per side. The records past the %2th are kept and saved, "
                          "but neither shown nor exported.")
        .arg(sides.join(QStringLiteral(", ")))
        .arg(PdoShownRows);
}

// Empties the table, runs the window's step, then places the worksheet's records.
template <typename Source>
ImportOutcome importFrom(const Source& source, PdoTable& table, ImportRule rule,
                         const std::function<void()>& emptyStep)
{
    PdoImportReader reader{table, rule};
    ImportOutcome outcome = ImportWorksheet(
        RpdoDefTable(), source,
        [&] {
            table.clear();
            if (emptyStep)
                emptyStep();
        },
        std::ref(reader));
    outcome.notShown = notShownAfterImport(table);
    return outcome;
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
