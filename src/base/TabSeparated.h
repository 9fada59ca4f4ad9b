#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velmaro {

// A block of cells as spreadsheets exchange it through the clipboard: one line per row, each ended by
// a line break, cells separated by tabs. A cell holding a tab, a line break or a double quote is
// written between double quotes, a quote inside doubled.
QString ToTabSeparated(const QList<QStringList>& rows);

// Reads such a block back: lines end with LF or CR LF (the last line break is optional), quoted cells
// may hold tabs and line breaks. Rows shorter than the longest are filled with empty cells, so the
// block is a rectangle. The empty text gives no rows.
QList<QStringList> FromTabSeparated(const QString& text);

// One field of a comma-separated line (RFC 4180): quoted when it holds a comma, a quote or a line break,
// a quote inside doubled; any other text as it is.
QString CsvField(const QString& text);

} // namespace velmaro
