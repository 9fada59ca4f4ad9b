#include "app/AppDirectory.h"
#include "support/TestFiles.h"

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
        QTest::addColumn<QString>("exeHolds");    // "", "PROJECTS" or the INI file, made in the exe folder
        QTest::addColumn<QString>("legacyHolds"); // "", "empty PROJECTS", "PROJECTS/Plant1" or the INI file
        QTest::addColumn<QString>("expected");    // "exe", "documents" or "legacy"
        QTest::newRow("writable executable folder (portable)") << "run/bin" << false << "PROJECTS"
                                                               << "PROJECTS/Plant1"
                                                               << "exe";
        QTest::newRow("read-only executable folder") << "ro/bin" << true << ""
                                                     << ""
                                                     << "documents";
        QTest::newRow("read-only executable folder with projects") << "ro/bin" << true << "PROJECTS"
                                                                   << ""
                                                                   << "documents";
        QTest::newRow("read-only executable folder with the INI file")
            << "ro/bin" << true << "Velmaro_Ferrant.ini"
            << ""
            << "documents";
        QTest::newRow("system folder, even where root may write") << "/usr/bin" << false << ""
                                                                  << ""
                                                                  << "documents";
        QTest::newRow("executable folder gone") << "missing/bin" << false << ""
                                                << ""
                                                << "documents";
        QTest::newRow("old data folder with projects is kept") << "/usr/bin" << false << ""
                                                               << "PROJECTS/Plant1"
                                                               << "legacy";
        QTest::newRow("old data folder with the INI file is kept") << "/usr/bin" << false << ""
                                                                   << "Velmaro_Ferrant.ini"
                                                                   << "legacy";
        QTest::newRow("old data folder without projects is left") << "/usr/bin" << false << ""
                                                                  << "empty PROJECTS"
                                                                  << "documents";
    }
    void choosesWhereDataLives()
    {
        QFETCH(QString, executableDir);
        QFETCH(bool, readOnly);
        QFETCH(QString, exeHolds);
        QFETCH(QString, legacyHolds);
        QFETCH(QString, expected);
        if (readOnly && ::geteuid() == 0)
            QSKIP("Running as root: a read-only folder is still writable.");
        QTemporaryDir dir;
        QString exe = executableDir;
        if (!exe.startsWith(QLatin1Char('/'))) {
            exe = dir.filePath(executableDir);
            if (!executableDir.startsWith(QLatin1String("missing")))
                QVERIFY(QDir().mkpath(exe));
        }
        if (exeHolds == QLatin1String("PROJECTS"))
            QVERIFY(QDir().mkpath(exe + QStringLiteral("/PROJECTS")));
        else if (!exeHolds.isEmpty())
            test::writeFile(exe + QLatin1Char('/') + exeHolds, "[lastproj]\nprojectname=\\Plant1\n");
        // Neither the documents folder nor its parent exists yet: it is created on first use.
        const QString documents = dir.filePath(QStringLiteral("home/Documents/Velmaro"));
        const QString legacy = dir.filePath(QStringLiteral("home/.local/share/velmaro"));
        if (legacyHolds == QLatin1String("empty PROJECTS"))
            QVERIFY(QDir().mkpath(legacy + QStringLiteral("/PROJECTS")));
        else if (legacyHolds.startsWith(QLatin1String("PROJECTS")))
            QVERIFY(QDir().mkpath(legacy + QLatin1Char('/') + legacyHolds));
        else if (!legacyHolds.isEmpty() && QDir().mkpath(legacy))
            test::writeFile(legacy + QLatin1Char('/') + legacyHolds, "[lastproj]\nprojectname=\\Plant1\n");
        if (readOnly)
            QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner);

        const AppDirectoryChoice chosen =
            ChooseApplicationDirectory(exe + QLatin1Char('/'), documents, legacy);
        // Only the folder this test made is given back its mode; a system folder is never touched.
        if (readOnly)
            QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString wanted = expected == QLatin1String("exe")         ? QDir::cleanPath(exe)
                               : expected == QLatin1String("documents") ? documents
                                                                        : legacy;
        QCOMPARE(chosen.dir, wanted);
        QCOMPARE(QFileInfo(documents).isDir(), expected == QLatin1String("documents"));
        // What the old data folder held is still there: nothing is moved.
        if (legacyHolds.startsWith(QLatin1String("PROJECTS")))
            QVERIFY(QFileInfo(legacy + QLatin1Char('/') + legacyHolds).isDir());
        // Leaving a folder that holds projects is said, naming both folders.
        const bool leftWithProjects = expected != QLatin1String("exe") && !exeHolds.isEmpty();
        QCOMPARE(!chosen.notice.isEmpty(), leftWithProjects);
        if (leftWithProjects) {
            QVERIFY(
                chosen.notice.contains(QStringLiteral("\"") + QDir::cleanPath(exe) + QStringLiteral("\"")));
            QVERIFY(chosen.notice.contains(QStringLiteral("\"") + wanted + QStringLiteral("\"")));
        }
    }
};

QTEST_GUILESS_MAIN(TestAppDirectory)
#include "tst_appdirectory.moc"
