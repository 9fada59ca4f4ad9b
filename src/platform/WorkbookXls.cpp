#include "platform/WorkbookReaders.h"

#include <QFile>

#include <freexl.h>

namespace velmaro::workbook {

namespace {

QString freexlError(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("the file cannot be read");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("not enough memory");
    case FREEXL_BIFF_PASSWORD:
        return QStringLiteral("the workbook is password protected");
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("the file is damaged");
    default:
        return QStringLiteral("not a readable .xls workbook (FreeXL error %1)").arg(code);
    }
}

// FreeXL 1.0.6 hands iconv the length a malformed string record claims (up to 64 KB) although its own
// stack buffer is smaller, so the read runs up the stack past the caller's frames; near the top of a
// shallow stack (velmaro-cli) it runs off the stack and the process crashes. Opened below this much
// stack of our own, that read stays inside our headroom: the file is then refused or read with junk
// text, never a crash.
int openWithStackHeadroom(const char* path, const void** handle)
{
    volatile char headroom[160 * 1024];
    headroom[0] = 0;
    const int rc = freexl_open(path, handle);
    headroom[sizeof headroom - 1] = 0; // keeps the headroom in place across the call
    return rc;
}

// A .xls workbook read through FreeXL. Formula cells come back empty: FreeXL does not give their
// cached results.
class XlsWorkbook : public Workbook
{
public:
    ~XlsWorkbook() override
    {
        if (m_handle)
            freexl_close(m_handle);
    }

    static Result<std::shared_ptr<Workbook>> open(const QString& nativePath)
    {
        auto book = std::make_shared<XlsWorkbook>();
        const int rc = openWithStackHeadroom(QFile::encodeName(nativePath).constData(), &book->m_handle);
        if (rc != FREEXL_OK)
            return Result<std::shared_ptr<Workbook>>::failure(freexlError(rc));
        unsigned int password = 0;
        if (freexl_get_info(book->m_handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK
            && password == FREEXL_BIFF_OBFUSCATED)
            return Result<std::shared_ptr<Workbook>>::failure(freexlError(FREEXL_BIFF_PASSWORD));
        unsigned int count = 0;
        if (freexl_get_info(book->m_handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
            return Result<std::shared_ptr<Workbook>>::failure(QStringLiteral("cannot count the worksheets"));
        for (unsigned int i = 0; i < count && i < 0xFFFF; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(book->m_handle, static_cast<unsigned short>(i), &name) != FREEXL_OK)
                return Result<std::shared_ptr<Workbook>>::failure(QStringLiteral("cannot read the worksheet names"));
            book->m_names.append(QString::fromUtf8(name ? name : ""));
        }
        return std::shared_ptr<Workbook>(book);
    }

    QStringList worksheetNames() const override { return m_names; }

    Result<WorksheetRows> readRows(const QString& name) const override
    {
        const qsizetype index = m_names.indexOf(name);
        if (index < 0)
            return Result<WorksheetRows>::failure(QStringLiteral("no worksheet \"%1\"").arg(name));
        if (freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(index)) != FREEXL_OK)
            return Result<WorksheetRows>::failure(QStringLiteral("cannot select worksheet \"%1\"").arg(name));
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK)
            return Result<WorksheetRows>::failure(QStringLiteral("cannot read worksheet \"%1\"").arg(name));
        SparseSheet sheet;
        for (unsigned int r = 0; r < rows && r < unsigned(kMaxRows); ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                const int rc = freexl_get_cell_value(m_handle, r, c, &value);
                if (rc != FREEXL_OK)
                    return Result<WorksheetRows>::failure(
                        QStringLiteral("cannot read row %1 of worksheet \"%2\": %3").arg(r + 1).arg(name, freexlError(rc)));
                sheet.set(int(r), int(c), cellText(value));
            }
        }
        return sheet.usedRange();
    }

private:
    // Integers and doubles go through one formatter: FreeXL gives the same number either way.
    static QString cellText(const FreeXL_CellValue& value)
    {
        switch (value.type) {
        case FREEXL_CELL_INT:
            return FormatWorkbookNumber(double(value.value.int_value));
        case FREEXL_CELL_DOUBLE:
            return FormatWorkbookNumber(value.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            return QString::fromUtf8(value.value.text_value ? value.value.text_value : "");
        default:
            return {};
        }
    }

    const void* m_handle = nullptr;
    QStringList m_names;
};

} // namespace

Result<std::shared_ptr<Workbook>> OpenXls(const QString& nativePath)
{
    return XlsWorkbook::open(nativePath);
}

} // namespace velmaro::workbook
