#include "platform/FileFingerprint.h"

#include "platform/FileSystem.h"

#include <QCryptographicHash>
#include <QFile>

namespace velmaro {

FileFingerprint TakeFileFingerprint(const QString& path)
{
    FileFingerprint print;
    print.exists = FileExists(path);
    if (!print.exists || NonRegularFileKind(path))
        return print;
    QFile file(NativePath(path));
    if (!file.open(QIODevice::ReadOnly))
        return print;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return print;
    print.readable = true;
    print.size = file.size();
    print.digest = hash.result();
    return print;
}

bool ChangedSince(const FileFingerprint& then, const QString& path)
{
    const FileFingerprint now = TakeFileFingerprint(path);
    return now.exists && now != then;
}

} // namespace velmaro
