#pragma once

#include "base/Result.h"

#include <QString>

namespace velmaro {

// INI access with the classic profile-file semantics: section and key names match case-insensitively;
// a missing file, section or key reads as empty; at most 2047 characters are returned. A write keeps
// every other section, key and line, and replaces the file atomically. A folder, named pipe, device or
// symbolic link that cannot be followed in the file's place reads as empty and is never written.
// The same, saying why a file that exists cannot be read: "Cannot read "<path>": <reason>." (a folder,
// named pipe or device in its place, no permission). A missing file, section or key is an empty value.
Result<QString> ReadProfileValue(const QString& iniPath, const QString& section, const QString& key);
// The same as WriteProfileString, with the reason of a failure (the system's, or why the text was refused).
Status WriteProfileValue(const QString& iniPath, const QString& section, const QString& key,
                         const QString& value);

QString ReadProfileString(const QString& iniPath, const QString& section, const QString& key);
bool WriteProfileString(const QString& iniPath, const QString& section, const QString& key,
                        const QString& value);

} // namespace velmaro
