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
