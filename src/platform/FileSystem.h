#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace velmaro {

// Maps a path built with "\" (the form shown, stored and passed on) to the native form used to touch files.
// A "\" that UserPath kept as a character of a name comes back as that character.
QString NativePath(const QString& path);
// A path the user gave (a command-line argument) in the form paths are built in: only "/" separates, and
// a "\" is a character of its name (held as U+FDD0, a noncharacter no text carries, until NativePath).
QString UserPath(const QString& native);
// A command-line argument as text. One that is not valid UTF-8 (a Latin-1 folder name) cannot be named
// through Qt's file functions; when its folders exist it becomes "/proc/self/fd/N/..." through a
// descriptor opened on them (kept open and inherited, so a program the verb starts reaches it too),
// shown by DisplayPath with each undecodable byte as \xHH.
QString ArgumentText(const QByteArray& argument);
// The form a person reads: every separator the system's own ("/" on Linux), whichever was used to build it.
// Messages, dialog texts and the caption show paths through it; what is stored keeps its stored form.
QString DisplayPath(const QString& path);

// True when anything is at `path` other than a missing entry: a file, but also a folder, a named pipe, a
// device or a symbolic link that cannot be followed standing where a file is expected. Readers then open
// it through CheckRegularFile, which refuses everything but a regular file, so a folder named like a
// document or a link to an unmounted share is never taken for a missing one.
bool FileExists(const QString& path);
bool DirectoryExists(const QString& path);
// Creates one directory level; false when it exists already or cannot be created.
bool CreateDir(const QString& path);
// Creates one directory level. The failure text names the folder in native form and gives the
// system's reason: "Cannot create the folder "<path>": <reason>."
Status CreateFolder(const QString& path);
// Creates a directory with any missing parents.
bool ForceDirectories(const QString& path);

// What stands at `path` when it is not a regular file (symbolic links followed): "a folder", "a named pipe
// (FIFO)", "a device", "a socket", "a symbolic link to "<target>" that cannot be followed (<reason>)" or
// "not a regular file". Nothing for a regular file or a missing entry.
std::optional<QString> NonRegularFileKind(const QString& path);

// Refuses, before anything opens it, an entry that is not a regular file: a named pipe would block the
// reader forever and a device would feed it without end. The text is
// "Cannot read "<path>": it is a folder, not a regular file.", for a link that cannot be followed
// "Cannot read "<path>": it is a symbolic link to "<target>" that cannot be followed (<reason>).".
// A missing entry passes.
Status CheckRegularFile(const QString& path);

// Replaces the file whole: written beside it, then renamed over it, so a failure leaves the old file
// as it was. Only when no file can be created beside it (a read-only shared folder) and the file itself
// can be written is it rewritten in place; a failure there puts the old content back as far as the
// disk allows. An entry that is not a regular file, or a link that cannot be followed, is refused
// untouched. The failure text is
// "Cannot create file "<path>". <reason>".
Status WriteFileAtomically(const QString& path, const QByteArray& bytes);

// Creates a folder with any missing parents; one that exists already is fine. The failure text names
// the folder in native form and gives the system's reason: "Cannot create the folder "<path>": <reason>."
Status CreateFolders(const QString& path);

} // namespace velmaro
