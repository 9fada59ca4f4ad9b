#include "platform/Workbook.h"

#include "platform/WorkbookReaders.h"

#include <cmath>

namespace velmaro {

QString FormatWorkbookNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // also -0
    // Whole numbers below 10^15 print exactly as integers; the common case, and much faster.
    if (std::abs(value) < 1e15 && value == std::trunc(value))
        return QString::number(qint64(value));
    // QString::number never uses the C locale; 'g' drops trailing zeros and the decimal point.
    return QString::number(value, 'g', 15);
}

QStringList MemoryWorkbook::worksheetNames() const
{
    QStringList names;
    for (const Sheet& sheet : sheets)
        names << sheet.name;
    return names;
}

Result<WorksheetRows> MemoryWorkbook::readRows(const QString& name) const
{
    for (const Sheet& sheet : sheets) {
        if (sheet.name != name)
            continue;
        WorksheetRows result;
        for (int r = 0; r < sheet.rows.size(); ++r) {
            result.columns = std::max(result.columns, int(sheet.rows.at(r).size()));
            if (r > 0)
                result.rows.append(WorksheetRow{r + 1, sheet.rows.at(r)});
        }
        return result;
    }
    return noWorksheet(name);
}

Result<WorksheetRows> Workbook::noWorksheet(const QString& name)
{
    return Result<WorksheetRows>::failure(QStringLiteral("no worksheet \"%1\"").arg(name));
}

} // namespace velmaro

namespace velmaro::workbook {

QString BooleanCellText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace velmaro::workbook
