#include "platform/FileSystem.h"

#include "base/TerminalText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <fcntl.h>
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

// What stands at `native` when it is a symbolic link that cannot be followed (its target missing, a
// loop, a folder on the way that cannot be entered): "a symbolic link to "<target>" that cannot be
// followed (<reason>)". Nothing for anything else, a missing entry included.
std::optional<QString> brokenLink(const QString& native)
{
    struct stat info = {};
    const QByteArray encoded = QFile::encodeName(native);
    if (::stat(encoded.constData(), &info) == 0)
        return std::nullopt;
    const int reason = errno;
    if (::lstat(encoded.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
        return std::nullopt;
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(encoded.toStdString(), error);
    return QStringLiteral("a symbolic link to \"%1\" that cannot be followed (%2)")
        .arg(QFile::decodeName(QByteArray::fromStdString(target.string())), qt_error_string(reason));
}

// A "\" that belongs to a name, not a separator (see UserPath).
constexpr QChar kNameBackslash(0xFDD0);

// The descriptors ArgumentText opened and the text each stands for.
QList<QPair<QString, QString>>& Aliases()
{
    static QList<QPair<QString, QString>> aliases;
    return aliases;
}

// The length of the UTF-8 sequence at `at`, or 0 when the bytes there are not one (a stray continuation
// byte, a Latin-1 letter, an overlong form, a surrogate, past U+10FFFF).
qsizetype Utf8SequenceAt(const QByteArray& bytes, qsizetype at)
{
    const uchar lead = uchar(bytes.at(at));
    if (lead < 0x80)
        return 1;
    const qsizetype length = lead >= 0xC2 && lead <= 0xDF   ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    uint code = lead & (0x7F >> length);
    for (qsizetype i = 1; i < length; ++i) {
        const uchar next = uchar(bytes.at(at + i));
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    const uint least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// An argument's bytes as a person reads them: what decodes as text, every other byte as \xHH.
QString ShownArgument(const QByteArray& bytes)
{
    QString shown;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = Utf8SequenceAt(bytes, at);
        if (length == 0) {
            shown += QStringLiteral("\\x")
                     + QString::number(uchar(bytes.at(at)), 16).toUpper().rightJustified(2, QLatin1Char('0'));
            ++at;
        } else {
            shown += QString::fromUtf8(bytes.mid(at, length));
            at += length;
        }
    }
    return shown;
}

} // namespace

QString NativePath(const QString& path)
{
    QString native = path;
    native.replace(QLatin1Char('\\'), QLatin1Char('/'));
    native.replace(kNameBackslash, QLatin1Char('\\'));
    return native;
}

QString UserPath(const QString& native)
{
    QString path = native;
    path.replace(QLatin1Char('\\'), kNameBackslash);
    return path;
}

QString ArgumentText(const QByteArray& argument)
{
    const QString text = QFile::decodeName(argument);
    if (QFile::encodeName(text) == argument)
        return text;
    // The folders up to the last name that does not decode are reached through a descriptor; the rest
    // decodes and is appended as text.
    qsizetype cut = 0;
    for (qsizetype at = 0; at < argument.size();) {
        qsizetype end = argument.indexOf('/', at);
        if (end < 0)
            end = argument.size();
        const QByteArray name = argument.mid(at, end - at);
        if (QFile::encodeName(QFile::decodeName(name)) != name)
            cut = end;
        at = end + 1;
    }
    const QByteArray head = argument.left(cut);
    const int fd = ::open(head.constData(), O_PATH);
    if (fd < 0)
        return ShownArgument(head) + QFile::decodeName(argument.mid(cut));
    const QString alias = QStringLiteral("/proc/self/fd/") + QString::number(fd);
    Aliases().append({alias, ShownArgument(head)});
    return alias + QFile::decodeName(argument.mid(cut));
}

QString DisplayPath(const QString& path)
{
    // A control character in a name (a newline, an escape sequence) is shown escaped: a message stays
    // on its lines and a terminal is never driven by a file name.
    const QString shown = QDir::toNativeSeparators(NativePath(path));
    for (const auto& [alias, text] : std::as_const(Aliases())) {
        if (shown == alias || shown.startsWith(alias + QLatin1Char('/')))
            return TerminalText(text + shown.mid(alias.size()));
    }
    return TerminalText(shown);
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat info = {};
    return ::lstat(QFile::encodeName(NativePath(path)).constData(), &info) == 0;
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
    if (path.isEmpty())
        return std::nullopt;
    if (std::optional<QString> link = brokenLink(NativePath(path)))
        return link;
    struct stat info = {};
    if (::stat(QFile::encodeName(NativePath(path)).constData(), &info) != 0)
        return std::nullopt; // missing: the caller's open says why
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
    if (const std::optional<QString> link = brokenLink(NativePath(path)))
        return Status::failure(QStringLiteral("Cannot read \"%1\": it is %2.").arg(DisplayPath(path), *link));
    if (const std::optional<QString> kind = NonRegularFileKind(path))
        return Status::failure(QStringLiteral("Cannot read \"%1\": it is %2, not a regular file.")
                                   .arg(DisplayPath(path), *kind));
    return {};
}

Status WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    // Never through a link to a place that does not exist (a share that is not mounted): the file would
    // appear wherever the link points once something is there, outside the project.
    if (const std::optional<QString> link = brokenLink(NativePath(path)))
        return cannotCreate(path, QStringLiteral("It is %1; nothing is written through it.").arg(*link));
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
