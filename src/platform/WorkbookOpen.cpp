#include "platform/FileSystem.h"
#include "platform/WorkbookReaders.h"
#include "platform/XmlDocument.h"

#include <QDir>
#include <QFile>
#include <QLibrary>

#include <cstring>
#include <zip.h>

namespace velmaro {

namespace workbook {

namespace {

// No part of a table workbook comes near this; larger entries are refused rather than inflated. The
// same bound as for XML documents: a part is parsed whole, at several times its size in memory.
constexpr zip_uint64_t kMaxEntryBytes = zip_uint64_t(kMaxXmlDocumentBytes);

// libzip is loaded when the first zip workbook is opened rather than when the program starts: with the
// crypto library it depends on, loading it took about a tenth of the time to the main window.
struct ZipLibrary
{
    decltype(&zip_open) open = nullptr;
    decltype(&zip_discard) discard = nullptr;
    decltype(&zip_error_init_with_code) errorInitWithCode = nullptr;
    decltype(&zip_error_strerror) errorText = nullptr;
    decltype(&zip_error_fini) errorFini = nullptr;
    decltype(&zip_name_locate) nameLocate = nullptr;
    decltype(&zip_stat_init) statInit = nullptr;
    decltype(&zip_stat_index) statIndex = nullptr;
    decltype(&zip_fopen_index) fopenIndex = nullptr;
    decltype(&zip_fread) fread = nullptr;
    decltype(&zip_fclose) fclose = nullptr;
    decltype(&zip_strerror) archiveErrorText = nullptr;
    decltype(&zip_file_strerror) fileErrorText = nullptr;
    QString failure; // why the library cannot be used; empty when every function was found

    template <typename Function>
    void resolve(QLibrary& library, Function& function, const char* name)
    {
        function = reinterpret_cast<Function>(library.resolve(name));
        if (!function && failure.isEmpty())
            failure = QStringLiteral("the zip library %1 has no function %2")
                          .arg(library.fileName(), QString::fromLatin1(name));
    }
};

const ZipLibrary& zipLibrary()
{
    static const ZipLibrary loaded = [] {
        ZipLibrary z;
        QLibrary library(QStringLiteral(VELMARO_LIBZIP));
        if (!library.load()) {
            z.failure = QStringLiteral("cannot load the zip library: %1").arg(library.errorString());
            return z;
        }
        z.resolve(library, z.open, "zip_open");
        z.resolve(library, z.discard, "zip_discard");
        z.resolve(library, z.errorInitWithCode, "zip_error_init_with_code");
        z.resolve(library, z.errorText, "zip_error_strerror");
        z.resolve(library, z.errorFini, "zip_error_fini");
        z.resolve(library, z.nameLocate, "zip_name_locate");
        z.resolve(library, z.statInit, "zip_stat_init");
        z.resolve(library, z.statIndex, "zip_stat_index");
        z.resolve(library, z.fopenIndex, "zip_fopen_index");
        z.resolve(library, z.fread, "zip_fread");
        z.resolve(library, z.fclose, "zip_fclose");
        z.resolve(library, z.archiveErrorText, "zip_strerror");
        z.resolve(library, z.fileErrorText, "zip_file_strerror");
        return z; // the library stays loaded until the process ends
    }();
    return loaded;
}

} // namespace

void SparseSheet::set(int row, int column, QString text)
{
    if (text.isEmpty())
        return;
    m_rows[row].emplace_back(column, std::move(text));
}

WorksheetRows SparseSheet::usedRange() const
{
    WorksheetRows result;
    if (m_rows.empty())
        return result;
    int firstColumn = MaxWorksheetColumns;
    int lastColumn = -1;
    for (const auto& [row, cells] : m_rows) {
        for (const auto& cell : cells) {
            firstColumn = std::min(firstColumn, cell.first);
            lastColumn = std::max(lastColumn, cell.first);
        }
    }
    result.columns = lastColumn - firstColumn + 1;
    const int firstRow = m_rows.begin()->first;
    const int lastRow = m_rows.rbegin()->first;
    result.rows.reserve(lastRow - firstRow);
    auto it = std::next(m_rows.begin());
    for (int row = firstRow + 1; row <= lastRow; ++row) {
        WorksheetRow out;
        out.sheetRow = row + 1;
        if (it != m_rows.end() && it->first == row) {
            int width = 0;
            for (const auto& cell : it->second)
                width = std::max(width, cell.first - firstColumn + 1);
            out.cells = QStringList(width, QString());
            for (const auto& [column, text] : it->second)
                out.cells[column - firstColumn] = text;
            ++it;
        }
        result.rows.append(std::move(out));
    }
    return result;
}

ZipPackage::~ZipPackage()
{
    if (m_zip)
        zipLibrary().discard(static_cast<zip_t*>(m_zip));
}

Result<std::shared_ptr<ZipPackage>> ZipPackage::open(const QString& nativePath)
{
    const ZipLibrary& z = zipLibrary();
    if (!z.failure.isEmpty())
        return Result<std::shared_ptr<ZipPackage>>::failure(z.failure);
    int error = 0;
    zip_t* zip = z.open(QFile::encodeName(nativePath).constData(), ZIP_RDONLY, &error);
    if (!zip) {
        zip_error_t e;
        z.errorInitWithCode(&e, error);
        const QString reason = QString::fromUtf8(z.errorText(&e));
        z.errorFini(&e);
        return Result<std::shared_ptr<ZipPackage>>::failure(reason);
    }
    auto package = std::make_shared<ZipPackage>();
    package->m_zip = zip;
    package->m_path = nativePath;
    return package;
}

bool ZipPackage::contains(const QString& name) const
{
    return zipLibrary().nameLocate(static_cast<zip_t*>(m_zip), name.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
}

Result<QByteArray> ZipPackage::read(const QString& name) const
{
    const ZipLibrary& z = zipLibrary();
    zip_t* zip = static_cast<zip_t*>(m_zip);
    const QByteArray key = name.toUtf8();
    zip_int64_t index = z.nameLocate(zip, key.constData(), 0);
    if (index < 0)
        index = z.nameLocate(zip, key.constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return Result<QByteArray>::failure(QStringLiteral("the package has no part \"%1\"").arg(name));
    zip_stat_t stat;
    z.statInit(&stat);
    if (z.statIndex(zip, zip_uint64_t(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return Result<QByteArray>::failure(QStringLiteral("cannot read part \"%1\"").arg(name));
    if (stat.size > kMaxEntryBytes)
        return Result<QByteArray>::failure(
            QStringLiteral("part \"%1\" is too large to be read (%2 bytes; at most %3 MB)")
                .arg(name, QString::number(stat.size), QString::number(kMaxEntryBytes / (1024 * 1024))));
    zip_file_t* file = z.fopenIndex(zip, zip_uint64_t(index), 0);
    if (!file)
        return Result<QByteArray>::failure(QStringLiteral("cannot open part \"%1\": %2")
                                               .arg(name, QString::fromUtf8(z.archiveErrorText(zip))));
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t got = stat.size == 0 ? 0 : z.fread(file, bytes.data(), stat.size);
    const QString reason = got < 0 ? QString::fromUtf8(z.fileErrorText(file)) : QString();
    z.fclose(file);
    if (got != zip_int64_t(stat.size))
        return Result<QByteArray>::failure(
            QStringLiteral("cannot read part \"%1\": %2")
                .arg(name, reason.isEmpty() ? QStringLiteral("truncated") : reason));
    return bytes;
}

QString ResolvePartName(const QString& source, const QString& target)
{
    QString path;
    if (target.startsWith(QLatin1Char('/'))) {
        path = target.mid(1);
    } else {
        const int slash = int(source.lastIndexOf(QLatin1Char('/')));
        path = (slash >= 0 ? source.left(slash + 1) : QString()) + target;
    }
    QStringList parts;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            parts.isEmpty() ? void() : parts.removeLast();
        else if (part != QLatin1String("."))
            parts.append(part);
    }
    return parts.join(QLatin1Char('/'));
}

const char* LocalName(const char* name)
{
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

} // namespace workbook

Result<std::shared_ptr<Workbook>> OpenWorkbookFile(const QString& path)
{
    using Failure = Result<std::shared_ptr<Workbook>>;
    const QString native = NativePath(path);
    if (const std::optional<QString> kind = NonRegularFileKind(path))
        return Failure::failure(QStringLiteral("it is %1, not a regular file").arg(*kind));
    QFile file(native);
    if (!file.open(QIODevice::ReadOnly))
        return Failure::failure(file.errorString());
    const QByteArray magic = file.read(8);
    file.close();
    static const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (magic == compound)
        return workbook::OpenXls(native);
    if (magic.startsWith("PK")) {
        auto package = workbook::ZipPackage::open(native);
        if (!package.ok())
            return package.status();
        if ((*package)->contains(QStringLiteral("content.xml")))
            return workbook::OpenOds(*package, path);
        if ((*package)->contains(QStringLiteral("_rels/.rels")))
            return workbook::OpenXlsx(*package, path);
        return Failure::failure(QStringLiteral("a zip file, but not a workbook"));
    }
    return Failure::failure(QStringLiteral("not an .xls, .xlsx or .ods workbook"));
}

Result<std::shared_ptr<Workbook>> OpenWorkbook(const QString& path)
{
    Result<std::shared_ptr<Workbook>> book = OpenWorkbookFile(path);
    if (book.ok())
        return book;
    return Result<std::shared_ptr<Workbook>>::failure(
        QStringLiteral("\"%1\": %2").arg(DisplayPath(path), book.error()));
}

} // namespace velmaro
