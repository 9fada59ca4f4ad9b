#include "base/TabSeparated.h"

#include <algorithm>

namespace velmaro {

namespace {

QString quoted(const QString& cell)
{
    if (!cell.contains(QLatin1Char('\t')) && !cell.contains(QLatin1Char('\n'))
        && !cell.contains(QLatin1Char('\r')) && !cell.contains(QLatin1Char('"')))
        return cell;
    QString text = cell;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString ToTabSeparated(const QList<QStringList>& rows)
{
    QString text;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (const QString& cell : row)
            cells << quoted(cell);
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QList<QStringList> FromTabSeparated(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool lineOpen = false; // something of the current line was read
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        lineOpen = true;
        // A quote opens a quoted cell only at the cell's start, as spreadsheets write it.
        if (c == QLatin1Char('"') && cell.isEmpty()) {
            qsizetype j = i + 1;
            QString inside;
            bool closed = false;
            for (; j < n; ++j) {
                if (text.at(j) != QLatin1Char('"')) {
                    inside += text.at(j);
                } else if (j + 1 < n && text.at(j + 1) == QLatin1Char('"')) {
                    inside += QLatin1Char('"');
                    ++j;
                } else {
                    closed = true;
                    break;
                }
            }
            if (closed) {
                cell = inside;
                i = j;
                continue;
            }
            // An unmatched quote is plain text.
        }
        if (c == QLatin1Char('\t')) {
            row << cell;
            cell.clear();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            row << cell;
            rows << row;
            row.clear();
            cell.clear();
            lineOpen = false;
        } else {
            cell += c;
        }
    }
    if (lineOpen) {
        row << cell;
        rows << row;
    }
    qsizetype width = 0;
    for (const QStringList& r : rows)
        width = std::max(width, r.size());
    for (QStringList& r : rows) {
        while (r.size() < width)
            r << QString();
    }
    return rows;
}

QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace velmaro
