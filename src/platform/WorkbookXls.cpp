#include "platform/WorkbookReaders.h"

#include <QDataStream>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <freexl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmaro::workbook {

namespace {

QString freexlError(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND: return QStringLiteral("the file cannot be read");
    case FREEXL_INSUFFICIENT_MEMORY: return QStringLiteral("not enough memory");
    case FREEXL_BIFF_PASSWORD: return QStringLiteral("the workbook is password protected");
    case FREEXL_CRAFTED_FILE: return QStringLiteral("the file is damaged");
    default: return QStringLiteral("not a readable .xls workbook");
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
class XlsWorkbook : public IndexedWorkbook
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
                return Result<std::shared_ptr<Workbook>>::failure(
                    QStringLiteral("cannot read the worksheet names"));
            book->m_names.append(QString::fromUtf8(name ? name : ""));
        }
        return std::shared_ptr<Workbook>(book);
    }

    Result<WorksheetRows> readSheet(qsizetype index, const QString& name) const override
    {
        if (freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(index)) != FREEXL_OK)
            return Result<WorksheetRows>::failure(QStringLiteral("cannot select worksheet \"%1\"").arg(name));
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK)
            return Result<WorksheetRows>::failure(QStringLiteral("cannot read worksheet \"%1\"").arg(name));
        SparseSheet sheet;
        for (unsigned int r = 0; r < rows && r < unsigned(MaxWorksheetRows); ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                const int rc = freexl_get_cell_value(m_handle, r, c, &value);
                if (rc != FREEXL_OK)
                    return Result<WorksheetRows>::failure(
                        QStringLiteral("cannot read row %1 of worksheet \"%2\": %3")
                            .arg(r + 1)
                            .arg(name, freexlError(rc)));
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
        case FREEXL_CELL_INT: return FormatWorkbookNumber(double(value.value.int_value));
        case FREEXL_CELL_DOUBLE: return FormatWorkbookNumber(value.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME: return QString::fromUtf8(value.value.text_value ? value.value.text_value : "");
        default: return {};
        }
    }

    const void* m_handle = nullptr;
};

// The worksheets read in the child process, as the parent holds them.
class ReadXlsWorkbook : public IndexedWorkbook
{
public:
    QList<Result<WorksheetRows>> sheets; // one per name

    Result<WorksheetRows> readSheet(qsizetype index, const QString&) const override
    {
        return sheets.at(index);
    }
};

// Reads the whole workbook with FreeXL and serialises it: ok flag, then the error, or the names and
// per worksheet an ok flag with its error or its rows.
QByteArray readAndSerialise(const QString& nativePath)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    const auto book = XlsWorkbook::open(nativePath);
    out << book.ok();
    if (!book.ok()) {
        out << book.error();
        return bytes;
    }
    const QStringList names = (*book)->worksheetNames();
    out << names;
    for (const QString& name : names) {
        const Result<WorksheetRows> rows = (*book)->readRows(name);
        out << rows.ok();
        if (!rows.ok()) {
            out << rows.error();
            continue;
        }
        out << qint32(rows->columns) << qint32(rows->rows.size());
        for (const WorksheetRow& row : rows->rows)
            out << qint32(row.sheetRow) << row.cells;
    }
    return bytes;
}

Result<std::shared_ptr<Workbook>> deserialise(const QByteArray& bytes)
{
    using Failure = Result<std::shared_ptr<Workbook>>;
    QDataStream in(bytes);
    bool ok = false;
    in >> ok;
    if (!ok) {
        QString error;
        in >> error;
        return Failure::failure(in.status() == QDataStream::Ok ? error
                                                               : QStringLiteral("the file is damaged"));
    }
    auto book = std::make_shared<ReadXlsWorkbook>();
    in >> book->m_names;
    for (qsizetype i = 0; i < book->m_names.size() && in.status() == QDataStream::Ok; ++i) {
        bool sheetOk = false;
        in >> sheetOk;
        if (!sheetOk) {
            QString error;
            in >> error;
            book->sheets.append(Result<WorksheetRows>::failure(error));
            continue;
        }
        WorksheetRows rows;
        qint32 columns = 0, count = 0;
        in >> columns >> count;
        rows.columns = columns;
        for (qint32 r = 0; r < count && in.status() == QDataStream::Ok; ++r) {
            WorksheetRow row;
            qint32 sheetRow = 0;
            in >> sheetRow >> row.cells;
            row.sheetRow = sheetRow;
            rows.rows.append(std::move(row));
        }
        book->sheets.append(std::move(rows));
    }
    if (in.status() != QDataStream::Ok)
        return Failure::failure(QStringLiteral("the file is damaged"));
    return std::shared_ptr<Workbook>(book);
}

} // namespace

// FreeXL is not safe on damaged or hostile files: some crash it (reads through wild pointers), some
// make it lose hundreds of megabytes. It therefore runs in a child process that reads the whole
// workbook and hands it over through a pipe; a child that dies is a refused file, not a crashed program.
Result<std::shared_ptr<Workbook>> OpenXls(const QString& nativePath)
{
    using Failure = Result<std::shared_ptr<Workbook>>;
    int fds[2];
    if (pipe(fds) != 0)
        return XlsWorkbook::open(nativePath);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return XlsWorkbook::open(nativePath);
    }
    if (pid == 0) {
        // A crash here is an expected outcome, not the program's: it ends the child at once, without the
        // crash handlers the program installed (a test runner's would start a debugger) and without a
        // core file.
        for (const int fatal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP})
            std::signal(fatal, SIG_DFL);
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        close(fds[0]);
        const QByteArray bytes = readAndSerialise(nativePath);
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = write(fds[1], bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                _exit(2);
            done += n;
        }
        _exit(0);
    }
    close(fds[1]);
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // A crash ends the child by a signal, or by an exit code where a sanitizer or a runtime check caught
    // the fault first and stopped the process itself; both are the same damaged file.
    if (WIFSIGNALED(status) || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return Failure::failure(QStringLiteral("the file is damaged"));
    return deserialise(bytes);
}

} // namespace velmaro::workbook
