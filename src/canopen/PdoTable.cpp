#include "canopen/PdoTable.h"

#include "base/IntegerText.h"

namespace velmaro {

namespace {

QStringList emptyRow()
{
    return QStringList(PdoColumnCount, QString());
}

QList<QStringList> emptySide()
{
    return QList<QStringList>(PdoShownRows, emptyRow());
}

// The row that receives a side's next record: next free row, added past the shown ones when needed.
QStringList& nextRow(QList<QStringList>& side, int& used)
{
    while (side.size() <= used)
        side.append(emptyRow());
    return side[used++];
}

const OrderRule kPdoOrder{QStringLiteral("0x999999"), TieRule::LaterWins};

} // namespace

const TableDefinition& RpdoDefTable()
{
    static const TableDefinition table{QStringLiteral("rpdodef"),
                                       {QStringLiteral("cobid"), QStringLiteral("id_dev_orig"),
                                        QStringLiteral("en_bypass"), QStringLiteral("posind"),
                                        QStringLiteral("n_tpdo")}};
    return table;
}

PdoTable::PdoTable()
{
    clear();
}

void PdoTable::clear()
{
    for (QList<QStringList>& rows : m_sides)
        rows = emptySide();
}

QList<QStringList> PdoRecords(const QList<QStringList>& side)
{
    QList<QStringList> records;
    for (const QStringList& row : side) {
        if (row.value(PdoCobId).isEmpty())
            break;
        records.append(row);
    }
    return records;
}

QString PackDocumentFlag(Side side, const QString& enTraslate)
{
    const int value = (side == Side::A ? 2 : 0) + (enTraslate == QLatin1String("1") ? 1 : 0);
    return QString::number(value);
}

QString PackCsvFlag(Side side, const QString& enTraslate)
{
    return QLatin1String(side == Side::A ? "0" : "1")
           + QLatin1String(enTraslate == QLatin1String("1") ? "1" : "0");
}

TableLoadResult LoadPdoTable(const QString& path, PdoTable& table)
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

Status SavePdoTable(const QString& path, const PdoTable& table)
{
    return SavePdoTable(path, table, WriteConsent()).status();
}

Result<bool> SavePdoTable(const QString& path, const PdoTable& table, const WriteConsent& consent)
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

namespace {

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

} // namespace

ImportOutcome ImportPdoTable(const Workbook& workbook, PdoTable& table, ImportRule rule)
{
    PdoImportReader reader{table, rule};
    return ImportWorksheet(
        RpdoDefTable(), workbook, [&] { table.clear(); }, std::ref(reader));
}

ImportOutcome ImportPdoTable(const QString& workbookPath, PdoTable& table, ImportRule rule)
{
    PdoImportReader reader{table, rule};
    return ImportWorksheet(
        RpdoDefTable(), workbookPath, [&] { table.clear(); }, std::ref(reader));
}

QList<QStringList> PdoCsvLines(const PdoTable& table)
{
    QList<QStringList> lines;
    for (Side side : {Side::A, Side::B}) {
        // Grid row 0 holds the attribute names; its flag cell is not "1", so it exports as "00"/"10".
        QList<QStringList> gridRows{RpdoDefTable().AttributeNames};
        gridRows.append(table.side(side).mid(0, PdoShownRows));
        for (const QStringList& row : gridRows) {
            QStringList values = row;
            values[PdoEnTraslate] = PackCsvFlag(side, row.at(PdoEnTraslate));
            lines.append(values);
        }
    }
    return lines;
}

Status ExportPdoTable(const QString& projectDir, const PdoTable& table)
{
    return ExportCsv(projectDir, RpdoDefTable(), PdoCsvLines(table));
}

int SharedColumnWidth(int width, int columns)
{
    if (columns <= 0)
        return 0;
    int quotient = width / columns;
    const int twiceRemainder = 2 * (width % columns);
    if (twiceRemainder > columns || (twiceRemainder == columns && quotient % 2 != 0))
        ++quotient;
    return quotient - 5;
}

} // namespace velmaro
