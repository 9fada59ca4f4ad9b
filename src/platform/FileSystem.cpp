#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace velmaro {

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
    const QFileInfo info(NativePath(path));
    return info.exists() && !info.isDir();
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

bool ForceDirectories(const QString& path)
{
    const QString native = NativePath(path);
    return !native.isEmpty() && QDir().mkpath(native);
}

Status WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    const QString native = NativePath(path);
    QSaveFile file(native);
    auto fail = [&](const QString& reason) {
        return Status::failure(
            QStringLiteral("Cannot create file \"%1\". %2").arg(DisplayPath(path), reason));
    };
    // Unbuffered: every write reaches the file at once and reports its error (a full disk); through
    // the buffer, a failing final flush went unnoticed and commit() renamed an empty file over the old.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return {};
}

} // namespace velmaro
