#pragma once

// Read-only access to spreadsheet workbooks (.xls, .xlsx, .ods) for the table imports: the names of
// the worksheets and, for one worksheet, its rows below the heading row with the cells by column
// position, every cell as a text.

#include "base/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace velmaro {

// One row below the heading row. cells[k] is the k-th column of the used range (its first used
// column is column 0); an empty cell is the empty text, a number is in general decimal form with up
// to 15 significant digits (385, 3.5, 1e+20), a text is unchanged (blanks kept). A row may be shorter
// than `columns` of its worksheet; the missing cells are empty.
struct WorksheetRow
{
    int sheetRow = 0; // 1-based row number in the worksheet, for messages
    QStringList cells;
};

struct WorksheetRows
{
    int columns = 0; // width of the used range, heading row included
    QList<WorksheetRow> rows;
};

class Workbook
{
public:
    virtual ~Workbook() = default;
    // Worksheet names in workbook order, as stored.
    virtual QStringList worksheetNames() const = 0;
    // The rows of the worksheet named exactly `name`, below the first used row (the headings), down to
    // the last used row; empty rows inside that range are kept. Fails when the sheet cannot be read.
    virtual Result<WorksheetRows> readRows(const QString& name) const = 0;

protected:
    // The failure of readRows for a name that no worksheet has.
    static Result<WorksheetRows> noWorksheet(const QString& name);
};

// Opens the workbook at `path` (native or built with "\"), telling the format by its content: the
// compound-document format of .xls, or a zip package holding either an OOXML workbook (.xlsx) or an
// OpenDocument spreadsheet (.ods). Fails with a message naming the file and the reason.
Result<std::shared_ptr<Workbook>> OpenWorkbook(const QString& path);
// The same; the failure gives only the reason, in plain words, for a message that names the file itself.
Result<std::shared_ptr<Workbook>> OpenWorkbookFile(const QString& path);

// A workbook held in memory, for tests and benchmarks.
class MemoryWorkbook : public Workbook
{
public:
    struct Sheet
    {
        QString name;
        QList<QStringList> rows; // all rows, heading row first
    };
    QList<Sheet> sheets;

    QStringList worksheetNames() const override;
    Result<WorksheetRows> readRows(const QString& name) const override;
};

// A number as the import delivers it: general decimal form, 15 significant digits, no trailing
// ".0", independent of the C locale ("385", "3.5", "-0.25", "1e+20").
QString FormatWorkbookNumber(double value);

} // namespace velmaro
