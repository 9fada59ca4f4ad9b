#pragma once

// Internals shared by the workbook readers; not for use outside src/platform.

#include "platform/Workbook.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <vector>

namespace velmaro::workbook {

// The non-empty cells of one worksheet, by 0-based row and column.
class SparseSheet
{
public:
    void set(int row, int column, QString text);
    // The used range (first to last non-empty row and column): headings = its first row.
    WorksheetRows usedRange() const;

private:
    // Cells of each row in arrival order; sorted by column (last write wins) when the range is built.
    std::map<int, std::vector<std::pair<int, QString>>> m_rows;
};

// A workbook whose worksheets are found by their place in a list of names, as the three formats keep them.
class IndexedWorkbook : public Workbook
{
public:
    QStringList worksheetNames() const override { return m_names; }
    Result<WorksheetRows> readRows(const QString& name) const override
    {
        const qsizetype index = m_names.indexOf(name);
        if (index < 0)
            return noWorksheet(name);
        return readSheet(index, name);
    }

    QStringList m_names; // in workbook order

protected:
    // The rows of the worksheet at `index` of the names, called `name`.
    virtual Result<WorksheetRows> readSheet(qsizetype index, const QString& name) const = 0;
};

// A zip package opened read-only; entries are read whole, up to a size limit.
class ZipPackage
{
public:
    ~ZipPackage();
    static Result<std::shared_ptr<ZipPackage>> open(const QString& nativePath);
    bool contains(const QString& name) const;
    // The entry's bytes; the name is looked up exactly, then without regard to case.
    Result<QByteArray> read(const QString& name) const;

private:
    void* m_zip = nullptr;
    QString m_path;
};

// Part name `target` of a relationship, resolved against the folder of the part `source` (a leading
// "/" makes it absolute within the package).
QString ResolvePartName(const QString& source, const QString& target);

// The local part of an XML name ("x:sheet" gives "sheet").
const char* LocalName(const char* name);

// The text of a boolean cell, the same in every format: "1" or "0", as FreeXL gives them in .xls.
QString BooleanCellText(bool value);

// Opens the three formats.
Result<std::shared_ptr<Workbook>> OpenXls(const QString& nativePath);
Result<std::shared_ptr<Workbook>> OpenXlsx(std::shared_ptr<ZipPackage> package, const QString& path);
Result<std::shared_ptr<Workbook>> OpenOds(std::shared_ptr<ZipPackage> package, const QString& path);

// Largest row and column index a reader accepts (the limits of current spreadsheet programs).
constexpr int MaxWorksheetRows = 1048576;
constexpr int MaxWorksheetColumns = 16384;

} // namespace velmaro::workbook
