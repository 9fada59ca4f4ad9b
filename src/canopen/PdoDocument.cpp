#include "canopen/PdoDocument.h"

#include "base/IntegerText.h"

#include <memory>

namespace velmaro {

namespace {

// The row that receives a side's next record: next free row, added past the shown ones when needed.
QStringList& nextRow(QList<QStringList>& side, int& used)
{
    while (side.size() <= used)
        side.append(QStringList(PdoColumnCount, QString()));
    return side[used++];
}

QString sideName(Side side)
{
    return side == Side::A ? QStringLiteral("A") : QStringLiteral("B");
}

// Reads document rows: rows read before a failure stay, the failing row with the cells filled before
// the missing value. finish() names in rowsLost the first row of a side that its records do not reach
// (a row with an empty "cobid": it and whatever follows it on its side), in notShown the sides with more
// records than their grids show, which are kept and saved all the same.
struct PdoRowReader
{
    explicit PdoRowReader(PdoTable& t) : table(t) {}

    PdoTable& table;
    int used[2] = {0, 0};
    QList<int> documentRows[2]; // per side row, the 1-based row of the document it came from

    Status read(const TableRow& row)
    {
        const QStringList& names = PdoDocument::definition().AttributeNames;
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
    }

    void finish(TableLoadResult& result) const
    {
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
    }
};

// Places worksheet records: the flag column's bit 1 chooses side B, bit 0 the "en_traslate" cell.
// With ImportRule::EveryRecordKept a record stops the import unless the OK saves it and the Export
// exports it: what velmaro-cli import saves, export gives back.
struct PdoImportReader
{
    PdoTable& table;
    ImportRule rule = ImportRule::Editor;
    int used[2] = {0, 0};

    Status read(const QStringList& fields)
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
            const Status key = CheckImportKeys({PdoDocument::definition().AttributeNames.at(PdoCobId)},
                                               {fields.at(PdoCobId)});
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

} // namespace

QString PdoDocument::PackDocumentFlag(Side side, const QString& enTraslate)
{
    const int value = (side == Side::A ? 2 : 0) + (enTraslate == QLatin1String("1") ? 1 : 0);
    return QString::number(value);
}

QString PdoDocument::PackCsvFlag(Side side, const QString& enTraslate)
{
    return QLatin1String(side == Side::A ? "0" : "1")
           + QLatin1String(enTraslate == QLatin1String("1") ? "1" : "0");
}

int PdoDocument::savedRows(const Table& table)
{
    return int(PdoRecords(table.side(Side::A)).size() + PdoRecords(table.side(Side::B)).size());
}

namespace {

TableDefinition describe()
{
    return {QStringLiteral("rpdodef"),
            {QStringLiteral("cobid"), QStringLiteral("id_dev_orig"), QStringLiteral("en_bypass"),
             QStringLiteral("posind"), QStringLiteral("n_tpdo")}};
}

// The format of the document, worksheet and CSV file, for TableDocument.
class PdoFormat final : public TableFormat<PdoTable>
{
public:
    PdoFormat()
        : TableFormat(&ProjectPaths::RpdoDefXmlPath, describe(),
                      OrderRule{QStringLiteral("0x999999"), TieRule::LaterWins})
    {
    }

    void empty(PdoTable& table) const override { table.clear(); }

    RowReading rowReading(PdoTable& table) const override
    {
        const auto reader = std::make_shared<PdoRowReader>(table);
        return {[reader](const TableRow& row) { return reader->read(row); },
                [reader](TableLoadResult& result) { reader->finish(result); }};
    }

    Result<SideRows> sideRows(const PdoTable& table) const override
    {
        SideRows rows;
        for (Side side : {Side::A, Side::B}) {
            for (const QStringList& record : PdoRecords(table.side(side))) {
                QStringList values = record;
                values[PdoEnTraslate] = PdoDocument::PackDocumentFlag(side, record.at(PdoEnTraslate));
                rows[size_t(side)].append({record.at(PdoCobId)}, values);
            }
        }
        return rows;
    }

    RecordReading recordReading(PdoTable& table, ImportRule rule) const override
    {
        const auto reader = std::make_shared<PdoImportReader>(PdoImportReader{table, rule});
        return {[&table] { table.clear(); },
                [reader](const QStringList& fields) { return reader->read(fields); },
                [&table](ImportOutcome& outcome) { outcome.notShown = notShownAfterImport(table); }};
    }

    QList<QStringList> csvLines(const PdoTable& table, Side side) const override
    {
        // Grid row 0 holds the attribute names; its flag cell is not "1", so it exports as "00"/"10".
        QList<QStringList> lines{PdoDocument::definition().AttributeNames};
        lines.append(table.side(side).mid(0, PdoShownRows));
        for (QStringList& values : lines)
            values[PdoEnTraslate] = PdoDocument::PackCsvFlag(side, values.at(PdoEnTraslate));
        return lines;
    }
};

} // namespace

const TableFormat<PdoTable>& PdoDocument::format()
{
    static const PdoFormat format;
    return format;
}

} // namespace velmaro
