#pragma once

// Reading and writing whole files in tests.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

namespace velmaro::test {

// Replaces the file with the bytes; a file that cannot be opened fails the running test.
inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The whole file, or `whenUnreadable` when it cannot be opened.
inline QByteArray readFile(const QString& path, const QByteArray& whenUnreadable = QByteArray())
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : whenUnreadable;
}

} // namespace velmaro::test
