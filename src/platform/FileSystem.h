#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>

namespace velmaro {

// Maps a path built with "\" (the form shown, stored and passed on) to the native form used to touch files.
QString NativePath(const QString& path);
// The form a person reads: every separator the system's own ("/" on Linux), whichever was used to build it.
// Messages, dialog texts and the caption show paths through it; what is stored keeps its stored form.
QString DisplayPath(const QString& path);

bool FileExists(const QString& path);
bool DirectoryExists(const QString& path);
// Creates one directory level; false when it exists already or cannot be created.
bool CreateDir(const QString& path);
// Creates a directory with any missing parents.
bool ForceDirectories(const QString& path);

// Replaces the file whole: written beside it, then renamed over it, so a failure leaves the old file
// as it was. The failure text is "Cannot create file "<path>". <reason>".
Status WriteFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace velmaro
