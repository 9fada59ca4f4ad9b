#pragma once

// A throw-away project folder for the fuzz targets: the readers take paths, so each input is written
// to the document's place in this folder before the reader runs.

#include "base/ProjectPaths.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace velmaro::fuzz {

inline const ProjectPaths& Project()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/velmaro-fuzz-XXXXXX"));
    static const ProjectPaths paths = [] {
        if (!dir.isValid())
            std::abort();
        ProjectPaths p;
        p.AppDir = dir.path();
        p.ProjectDir = dir.path() + QStringLiteral("/project");
        QDir().mkpath(p.ProjectDir + QStringLiteral("/bin"));
        SetDocumentPaths(p);
        return p;
    }();
    return paths;
}

// Writes the input as it is, replacing what the previous input left (path built with "\").
inline void Place(const QString& path, const uint8_t* data, size_t size)
{
    QString native = path;
    native.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QFile file(native);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
}

} // namespace velmaro::fuzz
