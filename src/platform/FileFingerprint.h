#pragma once

#include <QByteArray>
#include <QString>

namespace velmaro {

// What stood at a path when a window read it, so that its OK can tell whether another program (a text
// editor, a second instance, a copy) changed the file since. Only the bytes count: a file touched or
// rewritten with the same bytes is unchanged.
struct FileFingerprint
{
    bool exists = false;   // anything at the path
    bool readable = false; // a regular file (links followed) whose bytes were read
    qint64 size = -1;
    QByteArray digest; // SHA-256 of the bytes

    bool operator==(const FileFingerprint& o) const
    {
        return exists == o.exists && readable == o.readable && size == o.size && digest == o.digest;
    }
    bool operator!=(const FileFingerprint& o) const { return !(*this == o); }
};

// Takes the fingerprint of the file at `path` (built with "\"). A folder, a pipe or a device is never
// opened: it counts as present and unreadable.
FileFingerprint TakeFileFingerprint(const QString& path);

// Whether replacing the file at `path` now would overwrite a change made since `then` was taken: something
// appeared where nothing was, or the bytes differ. A file removed since counts as unchanged, since
// writing it loses nothing.
bool ChangedSince(const FileFingerprint& then, const QString& path);

} // namespace velmaro
