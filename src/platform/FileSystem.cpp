#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace velmaro {

namespace {

Status cannotCreate(const QString& path, const QString& reason)
{
    return Status::failure(QStringLiteral("Cannot create file \"%1\". %2").arg(DisplayPath(path), reason));
}

// Whether a new file can be made in the folder that would hold the replacement of `native` (the
// folder of the link's target for a symbolic link, as QSaveFile does).
bool canCreateBeside(const QString& native)
{
    const QFileInfo info(native);
    const QString target = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    QTemporaryFile probe(QFileInfo(target).absolutePath() + QStringLiteral("/.velmaro-probe-XXXXXX"));
    return probe.open();
}

// The fallback for a writable file in a folder that takes no new file: the file is overwritten and cut
// to the new length. Its old content is kept in memory and written back if the new one does not fit.
Status rewriteInPlace(const QString& path, const QString& native, const QByteArray& bytes)
{
    QFile file(native);
    QByteArray old;
    bool knowsOld = file.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    if (knowsOld) {
        old = file.readAll();
        knowsOld = file.error() == QFileDevice::NoError;
    } else if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return cannotCreate(path, file.errorString());
    }
    const auto put = [&file](const QByteArray& content) {
        return file.seek(0) && file.write(content) == content.size() && file.resize(content.size());
    };
    if (put(bytes))
        return {};
    const QString reason = file.errorString();
    if (knowsOld)
        put(old);
    return cannotCreate(path, reason);
}

} // namespace

QString NativePath(const QString& path)
{
    QString native = path;
    native.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return native;
}

QString DisplayPath(const QString& path)
{
    return QDir::toNativeSeparators(NativePath(path));
}

bool FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(NativePath(path));
}

bool DirectoryExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(NativePath(path)).isDir();
}

bool CreateDir(const QString& path)
{
    const QString native = NativePath(path);
    if (native.isEmpty() || QFileInfo::exists(native))
        return false;
    return QDir().mkdir(native);
}

Status CreateFolder(const QString& path)
{
    const QString native = NativePath(path);
    std::error_code error;
    if (native.isEmpty())
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    else if (!std::filesystem::create_directory(
                 std::filesystem::path(QFile::encodeName(native).toStdString()), error)
             && !error)
        error = std::make_error_code(std::errc::file_exists);
    if (!error)
        return {};
    return Status::failure(
        QStringLiteral("Cannot create the folder \"%1\": %2.").arg(native, qt_error_string(error.value())));
}

bool ForceDirectories(const QString& path)
{
    const QString native = NativePath(path);
    return !native.isEmpty() && QDir().mkpath(native);
}

std::optional<QString> NonRegularFileKind(const QString& path)
{
    struct stat info = {};
    if (path.isEmpty() || ::stat(QFile::encodeName(NativePath(path)).constData(), &info) != 0)
        return std::nullopt; // missing, or a broken link: the caller's open says why
    if (S_ISREG(info.st_mode))
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("a named pipe (FIFO)");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

Status CheckRegularFile(const QString& path)
{
    if (const std::optional<QString> kind = NonRegularFileKind(path))
        return Status::failure(QStringLiteral("Cannot read \"%1\": it is %2, not a regular file.")
                                   .arg(DisplayPath(path), *kind));
    return {};
}

Status WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    if (const std::optional<QString> kind = NonRegularFileKind(path))
        return cannotCreate(path, QStringLiteral("It is %1, not a regular file.").arg(*kind));
    const QString native = NativePath(path);
    QSaveFile file(native);
    // Unbuffered: every write reaches the file at once and reports its error (a full disk); through
    // the buffer, a failing final flush went unnoticed and commit() renamed an empty file over the old.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (QFileInfo(native).isFile() && !canCreateBeside(native))
            return rewriteInPlace(path, native, bytes);
        return cannotCreate(path, file.errorString());
    }
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return cannotCreate(path, reason);
    }
    if (!file.commit())
        return cannotCreate(path, file.errorString());
    return {};
}

Status CreateFolders(const QString& path)
{
    const QString native = NativePath(path);
    std::error_code error;
    if (native.isEmpty())
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    else
        std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(native).toStdString()),
                                            error);
    if (!error && !QFileInfo(native).isDir())
        error = std::make_error_code(std::errc::not_a_directory);
    if (!error)
        return {};
    return Status::failure(
        QStringLiteral("Cannot create the folder \"%1\": %2.").arg(native, qt_error_string(error.value())));
}

} // namespace velmaro
