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
