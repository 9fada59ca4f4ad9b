#include "base/ProjectPaths.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;

class TestProjectPaths : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every path of a project, written through its "\" form, lands on its own file in that folder.
    void everyPathReachesItsFile_data()
    {
        QTest::addColumn<QString>("name"); // the folder as named on disk, below the temporary folder
        QTest::newRow("plain") << "Plant1";
        QTest::newRow("blanks, percent and ampersand") << "plant %1 & 50%";
        QTest::newRow("non-ASCII") << QStringLiteral("Überwachung Ω");
        QTest::newRow("dots") << "v1.2..final.";
        QTest::newRow("folder inside a folder") << "Site/Line 2";
        QTest::newRow("backslash in the name") << "a\\b";
    }
    void everyPathReachesItsFile()
    {
        QFETCH(QString, name);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(name));
        const ProjectPaths p = ProjectPathsOf(UserPath(root.path() + QLatin1Char('/') + name));
        QVERIFY(CreateFolders(p.BinDir).ok());
        const QList<std::pair<QString, QString>> files = {
            {p.PargenXmlPath, "pargen.xml"},
            {p.SdoXmlPath, "sdo.xml"},
            {p.EmcyDefXmlPath, "emcydef.xml"},
            {p.EmcyWordXmlPath, "emcyword.xml"},
            {p.RpdoDefXmlPath, "rpdodef.xml"},
            {p.SdoPdoXmlPath, "sdopdo.xml"},
            {p.PdoXmlPath, "pdo.xml"},
            {p.BankBinPath, "bin/bank.bin"},
            {TableCsvPath(p.ProjectDir, "emcyword"), "emcyword.csv"},
        };
        for (const auto& [path, file] : files)
            QVERIFY2(WriteFileAtomically(path, file.toUtf8()).ok(), qPrintable(file));
        const QDir folder(root.path() + QLatin1Char('/') + name);
        QStringList expected{"bin"};
        for (const auto& [path, file] : files) {
            QFile written(folder.filePath(file));
            QVERIFY2(written.open(QIODevice::ReadOnly), qPrintable(file));
            QCOMPARE(written.readAll(), file.toUtf8()); // no two paths share a file
            if (!file.contains(QLatin1Char('/')))
                expected << file;
        }
        expected.sort();
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name), expected);
        QCOMPARE(QDir(folder.filePath("bin")).entryList(QDir::Files), QStringList{"bank.bin"});
    }

    void appDirectoriesBesideTheExecutable()
    {
        ProjectPaths p = ProjectPathsOf(QStringLiteral("/srv/v\\PROJECTS\\Plant1"));
        SetAppDirectories(p, QStringLiteral("/srv/v"));
        QCOMPARE(NativePath(p.MasterDir), QStringLiteral("/srv/v/MASTER"));
        QCOMPARE(NativePath(p.ProjectsDir), QStringLiteral("/srv/v/PROJECTS"));
        QCOMPARE(p.ProjectDir, QStringLiteral("/srv/v\\PROJECTS\\Plant1")); // the project stays
        QCOMPARE(NativePath(p.BankBinPath), QStringLiteral("/srv/v/PROJECTS/Plant1/bin/bank.bin"));
    }
};

QTEST_GUILESS_MAIN(TestProjectPaths)
#include "tst_projectpaths.moc"
