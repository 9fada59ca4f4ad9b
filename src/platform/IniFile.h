#pragma once

#include "base/Result.h"

#include <QString>

namespace velmaro {

// INI access with the classic profile-file semantics: section and key names match case-insensitively;
// a missing file, section or key reads as empty; at most 2047 characters are returned. A write keeps
// every other section, key and line, and replaces the file atomically. A folder, named pipe, device or
// symbolic link that cannot be followed in the file's place reads as empty, is named with the reason in
// `error`, and is never written.
QString ReadProfileString(const QString& iniPath, const QString& section, const QString& key,
                          Status* error = nullptr);
bool WriteProfileString(const QString& iniPath, const QString& section, const QString& key,
                        const QString& value);

} // namespace velmaro
