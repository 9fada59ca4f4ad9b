#include "base/TabSeparated.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace velmaro {

namespace {

// `cell` between double quotes, a quote inside doubled, when it holds the separator, a quote or a line
// break; otherwise as it is.
QString quoted(const QString& cell, QChar separator)
{
    if (!cell.contains(separator) && !cell.contains(QLatin1Char('\n')) && !cell.contains(QLatin1Char('\r'))
        && !cell.contains(QLatin1Char('"')))
        return cell;
    QString text = cell;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The quoted cell whose opening quote is at `open`: its text and the index of its closing quote, or
// nothing when no quote closes it.
std::optional<std::pair<QString, qsizetype>> quotedCell(const QString& text, qsizetype open)
{
    const qsizetype n = text.size();
    QString inside;
    for (qsizetype j = open + 1; j < n; ++j) {
        if (text.at(j) != QLatin1Char('"')) {
            inside += text.at(j);
        } else if (j + 1 < n && text.at(j + 1) == QLatin1Char('"')) {
            inside += QLatin1Char('"');
            ++j;
        } else {
            return std::make_pair(inside, j);
        }
    }
    return std::nullopt;
}

// Fills rows shorter than the longest with empty cells.
void padToRectangle(QList<QStringList>& rows)
{
    qsizetype width = 0;
    for (const QStringList& r : rows)
        width = std::max(width, r.size());
    for (QStringList& r : rows) {
        while (r.size() < width)
            r << QString();
    }
}

} // namespace

QString ToTabSeparated(const QList<QStringList>& rows)
{
    QString text;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (const QString& cell : row)
            cells << quoted(cell, QLatin1Char('\t'));
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
        // A quote opens a quoted cell only at the cell's start, as spreadsheets write it; an
        // unmatched quote is plain text.
        if (c == QLatin1Char('"') && cell.isEmpty()) {
            if (const auto quotedText = quotedCell(text, i)) {
                cell = quotedText->first;
                i = quotedText->second;
                continue;
            }
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
    padToRectangle(rows);
    return rows;
}

QString CsvField(const QString& text)
{
    return quoted(text, QLatin1Char(','));
}

} // namespace velmaro
