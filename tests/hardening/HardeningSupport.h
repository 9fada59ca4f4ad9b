#pragma once

// Shared by the hardening tests: a complete project in a temporary folder, snapshots of every file
// under a folder, and velmaro-cli verbs run in-process.

#include "base/ProjectPaths.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace velmaro::test {

// Relative path -> bytes of every file under `root`; a named pipe or a device stands there as its kind,
// unread.
using Snapshot = QMap<QString, QByteArray>;
Snapshot TakeSnapshot(const QString& root);
// The relative paths that differ between two snapshots (changed, added or removed).
QStringList Differences(const Snapshot& before, const Snapshot& after);

// Fills `projectDir` (created with parents) with one of each document and output: pargen.xml, sdo.xml,
// rpdodef.xml, sdopdo.xml, emcydef.xml, bin/bank.bin, out.gsd and rpdodef.csv. Returns the paths, built with
// "\".
ProjectPaths MakeProject(const QString& appDir, const QString& projectDir);

struct VerbRun
{
    int code = -1;
    QString out;
    QString err;
};
VerbRun RunVerb(const QString& name, const QStringList& args);

bool WriteBytes(const QString& nativePath, const QByteArray& bytes);
// Replaces whatever is at `nativePath` with "fifo" (a named pipe), "folder" (an empty folder) or "devzero"
// (a symbolic link to /dev/zero).
bool MakeSpecialFile(const QString& kind, const QString& nativePath);
QByteArray ReadBytes(const QString& nativePath);

} // namespace velmaro::test
