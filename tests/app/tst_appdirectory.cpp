#include "app/AppDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace velmaro;

class TestAppDirectory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void choosesWhereDataLives_data()
    {
        QTest::addColumn<QString>("executableDir"); // below the temporary folder; "/..." as it stands
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("portable");
        QTest::newRow("writable executable folder (portable)") << "run/bin" << false << true;
        QTest::newRow("read-only executable folder") << "usr-like/bin" << true << false;
        QTest::newRow("system folder, even where root may write") << "/usr/bin" << false << false;
        QTest::newRow("executable folder gone") << "missing/bin" << false << false;
    }
    void choosesWhereDataLives()
    {
        QFETCH(QString, executableDir);
        QFETCH(bool, readOnly);
        QFETCH(bool, portable);
        if (readOnly && ::geteuid() == 0)
            QSKIP("Running as root: a read-only folder is still writable.");
        QTemporaryDir dir;
        QString exe = executableDir;
        if (!exe.startsWith(QLatin1Char('/'))) {
            exe = dir.filePath(executableDir);
            if (!executableDir.startsWith(QLatin1String("missing")))
                QVERIFY(QDir().mkpath(exe));
        }
        if (readOnly)
            QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner);
        // No data folder yet, not even its parent: it is created on first use.
        const QString data = dir.filePath(QStringLiteral("home/.local/share/velmaro"));

        const QString chosen = ChooseApplicationDirectory(exe + QLatin1Char('/'), data);
        // Only the folder this test made is given back its mode; a system folder is never touched.
        if (readOnly)
            QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(chosen, portable ? QDir::cleanPath(exe) : data);
        QCOMPARE(QFileInfo(data).isDir(), !portable);
    }

    // A data folder that exists already is used as it is, its projects untouched.
    void existingDataFolderIsKept()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("velmaro"));
        QVERIFY(QDir().mkpath(data + QStringLiteral("/PROJECTS/Plant1")));
        QCOMPARE(ChooseApplicationDirectory(QStringLiteral("/usr/bin"), data), data);
        QVERIFY(QFileInfo(data + QStringLiteral("/PROJECTS/Plant1")).isDir());
    }
};

QTEST_GUILESS_MAIN(TestAppDirectory)
#include "tst_appdirectory.moc"
