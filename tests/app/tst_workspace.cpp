#include "app/NewProject.h"
#include "app/Workspace.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace velmaro;

namespace {

// The folder picker: answers with a native path, or cancels.
struct FolderAnswer : IFileDialogs
{
    std::optional<QString> answer;
    QStringList seenDirs;
    QStringList seenRoots;
    QStringList seenTitles;
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    bool browseForFolder(const QString& title, const QString& root, QString& dir) override
    {
        seenTitles << title;
        seenRoots << root;
        seenDirs << dir;
        if (!answer)
            return false;
        dir = *answer;
        return true;
    }
};

// Answers every question with `yes` and keeps the questions.
struct Questions : IMessageBoxes
{
    bool yes = false;
    QStringList questions;
    void showMessage(const QString&) override {}
    void showError(const QString&) override {}
    bool askYesNo(const QString& text) override
    {
        questions << text;
        return yes;
    }
};

QString iniOf(const QTemporaryDir& dir)
{
    return dir.filePath(QStringLiteral("Velmaro_Ferrant.ini"));
}

void writeIni(const QTemporaryDir& dir, const QByteArray& content)
{
    test::writeFile(iniOf(dir), content);
}

} // namespace

class TestWorkspace : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void restoresLastProject_data()
    {
        QTest::addColumn<QByteArray>("ini"); // "<missing>": no INI file
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("projectDirBelowProjects");
        QTest::addColumn<bool>("captionWithName");
        QTest::newRow("no ini file") << QByteArray("<missing>") << QStringList() << ""
                                     << "" << false;
        QTest::newRow("no section") << QByteArray("[other]\nprojectname=\\A\n") << QStringList{"A"} << ""
                                    << "" << false;
        QTest::newRow("empty value") << QByteArray("[lastproj]\nprojectname=\n") << QStringList() << ""
                                     << "" << false;
        QTest::newRow("existing project")
            << QByteArray("[lastproj]\nprojectname=\\Plant1\n") << QStringList{"Plant1"} << "\\Plant1"
            << "\\Plant1" << true;
        QTest::newRow("name without backslash gets one")
            << QByteArray("[lastproj]\nprojectname=Plant1\n") << QStringList{"Plant1"} << "\\Plant1"
            << "\\Plant1" << true;
        QTest::newRow("nested project")
            << QByteArray("[LASTPROJ]\nProjectName=\\A\\B\n") << QStringList{"A/B"} << "\\A\\B"
            << "\\A\\B" << true;
        QTest::newRow("stale name is kept, fallback project")
            << QByteArray("[lastproj]\nprojectname=\\Gone\n") << QStringList() << "\\Gone"
            << "" << false;
        QTest::newRow("name climbing out of PROJECTS is not opened")
            << QByteArray("[lastproj]\nprojectname=\\..\\MASTER\n") << QStringList() << "\\..\\MASTER"
            << "" << false;
    }
    void restoresLastProject()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, folders);
        QFETCH(QString, name);
        QFETCH(QString, projectDirBelowProjects);
        QFETCH(bool, captionWithName);
        QTemporaryDir dir;
        if (ini != "<missing>")
            writeIni(dir, ini);
        for (const QString& f : folders)
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/") + f));

        ProjectPaths p;
        QCOMPARE(RestoreLastProject(p, dir.path()), captionWithName);
        QCOMPARE(p.AppDir, dir.path());
        QCOMPARE(p.MasterDir, dir.path() + QStringLiteral("\\MASTER"));
        QCOMPARE(p.ProjectsDir, dir.path() + QStringLiteral("\\PROJECTS"));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("MASTER"))).isDir());
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("PROJECTS"))).isDir());
        QCOMPARE(p.ProjectName, name);
        QCOMPARE(p.ProjectDir, p.ProjectsDir + projectDirBelowProjects);
        // Shown with the system's separator; held (and stored) as read.
        QCOMPARE(CaptionWithName(p),
                 MainCaption + QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')));
    }

    void savesNameAsHeld_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << "";
        QTest::newRow("from the ini or the picker") << "\\Plant1";
        QTest::newRow("just created") << "Plant1";
        QTest::newRow("blanks kept") << " Plant 1 ";
    }
    void savesNameAsHeld()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        writeIni(dir, "[keep]\r\nx=1\r\n");
        ProjectPaths p;
        RestoreLastProject(p, dir.path());
        p.ProjectName = name;
        QVERIFY(SaveLastProject(p).ok());
        QFile f(iniOf(dir));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(),
                 QByteArray("[keep]\r\nx=1\r\n[lastproj]\r\nprojectname=") + name.toUtf8() + "\r\n");
    }

    void failedSaveNamesTheIniFile()
    {
        QTemporaryDir dir;
        ProjectPaths p;
        RestoreLastProject(p, dir.path());
        // A folder where the INI file should be: it cannot be replaced.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Velmaro_Ferrant.ini")));
        const Status s = SaveLastProject(p);
        QVERIFY(!s.ok());
        QCOMPARE(s.error().section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("Unable to write to ") + dir.path() + QStringLiteral("/Velmaro_Ferrant.ini"));
        // The reason follows on the next line.
        QVERIFY(s.error().section(QLatin1Char('\n'), 1).contains(QStringLiteral("a folder")));
    }

    void opensProject_data()
    {
        QTest::addColumn<QString>("initialBelowProjects"); // ProjectDir before, below PROJECTS
        QTest::addColumn<bool>("deleteInitial");
        QTest::addColumn<QString>("answer");  // below PROJECTS, native; "<cancel>" for Cancel
        QTest::addColumn<QString>("seenDir"); // what the picker was given, below PROJECTS; "<empty>"
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("projectDir"); // "<empty>" or below PROJECTS
        QTest::newRow("plain folder") << "" << false << "/Plant1"
                                      << ""
                                      << "\\Plant1"
                                      << "\\Plant1";
        QTest::newRow("nested folder") << "" << false << "/A/B"
                                       << ""
                                       << "\\A\\B"
                                       << "\\A\\B";
        QTest::newRow("PROJECTS itself") << "\\A" << false << ""
                                         << "\\A"
                                         << ""
                                         << "";
        QTest::newRow("cancel keeps project") << "\\A" << false << "<cancel>"
                                              << "\\A"
                                              << "\\A"
                                              << "\\A";
        QTest::newRow("cancel after the folder was deleted") << "\\A" << true << "<cancel>"
                                                             << "<empty>"
                                                             << ""
                                                             << "<empty>";
    }
    void opensProject()
    {
        QFETCH(QString, initialBelowProjects);
        QFETCH(bool, deleteInitial);
        QFETCH(QString, answer);
        QFETCH(QString, seenDir);
        QFETCH(QString, name);
        QFETCH(QString, projectDir);
        QTemporaryDir dir;
        for (const char* f : {"PROJECTS/A/B", "PROJECTS/Plant1"})
            QVERIFY(QDir(dir.path()).mkpath(QLatin1String(f)));
        ProjectPaths p;
        RestoreLastProject(p, dir.path());
        p.ProjectDir = p.ProjectsDir + initialBelowProjects;
        if (deleteInitial)
            QVERIFY(QDir(dir.filePath(QStringLiteral("PROJECTS/A"))).removeRecursively());

        FolderAnswer picker;
        if (answer != QLatin1String("<cancel>"))
            picker.answer = dir.filePath(QStringLiteral("PROJECTS")) + answer;
        OpenProject(p, picker);

        QCOMPARE(picker.seenTitles, QStringList{QStringLiteral("Select directory of project")});
        QCOMPARE(picker.seenRoots, QStringList{p.ProjectsDir});
        QCOMPARE(picker.seenDirs.value(0),
                 seenDir == QLatin1String("<empty>") ? QString() : p.ProjectsDir + seenDir);
        QCOMPARE(p.ProjectName, name);
        const QString expectedDir =
            projectDir == QLatin1String("<empty>") ? QString() : p.ProjectsDir + projectDir;
        QCOMPARE(p.ProjectDir, expectedDir);
        QCOMPARE(p.PargenXmlPath, expectedDir + QStringLiteral("\\pargen.xml"));
        QCOMPARE(p.PdoXmlPath, expectedDir + QStringLiteral("\\pdo.xml"));
    }

    void pickerAnswerOutsideRootChangesNothing()
    {
        QTemporaryDir dir;
        ProjectPaths p;
        RestoreLastProject(p, dir.path());
        FolderAnswer picker;
        picker.answer = dir.filePath(QStringLiteral("MASTER"));
        QString chosen = p.ProjectsDir;
        QVERIFY(!SelectProjectFolder(picker, QStringLiteral("t"), p.ProjectsDir, chosen));
        QCOMPARE(chosen, p.ProjectsDir);
    }

    // A folder inside a project (its bin folder, or deeper) asks whether to open the project instead.
    void openingAFolderInsideAProjectAsks_data()
    {
        QTest::addColumn<QString>("answer"); // below PROJECTS, native
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question"); // empty: none is asked
        QTest::addColumn<QString>("name");     // ProjectName afterwards
        const QString plant = QStringLiteral("\"Plant1/bin\" is a folder inside the project \"Plant1\"");
        QTest::newRow("bin folder, Yes") << "/Plant1/bin" << true << plant << "\\Plant1";
        QTest::newRow("bin folder, No") << "/Plant1/bin" << false << plant << "\\Plant1\\bin";
        QTest::newRow("deeper folder, Yes")
            << "/Area/Plant2/docs/old" << true
            << "\"Area/Plant2/docs/old\" is a folder inside the project \"Area/Plant2\""
            << "\\Area\\Plant2";
        QTest::newRow("the project itself") << "/Plant1" << true << ""
                                            << "\\Plant1";
        QTest::newRow("project nested in a folder") << "/Area/Plant2" << true << ""
                                                    << "\\Area\\Plant2";
        QTest::newRow("folder in no project") << "/Area" << true << ""
                                              << "\\Area";
    }
    void openingAFolderInsideAProjectAsks()
    {
        QFETCH(QString, answer);
        QFETCH(bool, yes);
        QFETCH(QString, question);
        QFETCH(QString, name);
        QTemporaryDir dir;
        for (const char* f : {"PROJECTS/Plant1/bin", "PROJECTS/Area/Plant2/docs/old"})
            QVERIFY(QDir(dir.path()).mkpath(QLatin1String(f)));
        test::writeFile(dir.filePath(QStringLiteral("PROJECTS/Area/Plant2/pargen.xml")), "<Par_Gen/>");
        ProjectPaths p;
        RestoreLastProject(p, dir.path());
        FolderAnswer picker;
        picker.answer = dir.filePath(QStringLiteral("PROJECTS")) + answer;
        Questions messages;
        messages.yes = yes;
        OpenProject(p, picker, &messages);
        QCOMPARE(messages.questions.size(), question.isEmpty() ? 0 : 1);
        if (!question.isEmpty())
            QVERIFY2(messages.questions.at(0).startsWith(question), qPrintable(messages.questions.at(0)));
        QCOMPARE(p.ProjectName, name);
        QCOMPARE(p.ProjectDir, p.ProjectsDir + name);
        QCOMPARE(p.PargenXmlPath, p.ProjectDir + QStringLiteral("\\pargen.xml"));
    }

    void createsProject_data()
    {
        QTest::addColumn<QString>("dest"); // "<projects>" for PROJECTS
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("created");
        QTest::addColumn<QString>("folder"); // created below PROJECTS, native
        const QString notValid = QStringLiteral("Name project not valid");
        QTest::newRow("valid name") << "<projects>"
                                    << "Plant1" << QStringList() << true << "Plant1";
        QTest::newRow("blanks are kept") << "<projects>"
                                         << " Plant 2 " << QStringList() << true << " Plant 2 ";
        QTest::newRow("empty name") << "<projects>"
                                    << "" << QStringList{notValid} << false << "";
        QTest::newRow("empty destination and name")
            << ""
            << "" << QStringList{QStringLiteral("directory destination not valid"), notValid} << false << "";
        QTest::newRow("empty destination")
            << ""
            << "X" << QStringList{QStringLiteral("directory destination not valid")} << false << "";
        QTest::newRow("existing folder")
            << "<projects>"
            << "Old" << QStringList{QStringLiteral("Name project not valid because directory already exists")}
            << false << "";
        QTest::newRow("nested, first part missing: silent") << "<projects>"
                                                            << "New/Sub" << QStringList() << false << "";
        QTest::newRow("nested with backslash, first part missing: silent")
            << "<projects>"
            << "New\\Sub" << QStringList() << false << "";
        QTest::newRow("nested below an existing folder") << "<projects>"
                                                         << "Old/Sub" << QStringList() << true << "Old/Sub";
        QTest::newRow("climbing out of the destination")
            << "<projects>"
            << "Old/../../Out" << QStringList{notValid} << false << "";
    }
    void createsProject()
    {
        QFETCH(QString, dest);
        QFETCH(QString, name);
        QFETCH(QStringList, messages);
        QFETCH(bool, created);
        QFETCH(QString, folder);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/Old")));
        ProjectPaths p;
        RestoreLastProject(p, dir.path());
        SetDocumentPaths(p);
        const ProjectPaths before = p;
        const QString destination = dest == QLatin1String("<projects>") ? p.ProjectsDir : dest;
        const QStringList entriesBefore = QDir(dir.filePath(QStringLiteral("PROJECTS"))).entryList();

        const NewProjectOutcome outcome = CreateNewProject(p, destination, name);
        QCOMPARE(outcome.messages, messages);
        QCOMPARE(outcome.created, created);
        if (!created) {
            QCOMPARE(p.ProjectDir, before.ProjectDir);
            QCOMPARE(p.ProjectName, before.ProjectName);
            QCOMPARE(p.PargenXmlPath, before.PargenXmlPath);
            QCOMPARE(QDir(dir.filePath(QStringLiteral("PROJECTS"))).entryList(), entriesBefore);
            QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("Out"))));
            return;
        }
        QCOMPARE(p.ProjectName, name);
        QCOMPARE(p.ProjectDir, p.ProjectsDir + QLatin1Char('\\') + name);
        QCOMPARE(p.SdoXmlPath, p.ProjectDir + QStringLiteral("\\sdo.xml"));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("PROJECTS/") + folder)).isDir());
        QVERIFY(
            QFileInfo(dir.filePath(QStringLiteral("PROJECTS/") + folder + QStringLiteral("/bin"))).isDir());
        QVERIFY(QDir(dir.filePath(QStringLiteral("PROJECTS/") + folder)).entryList(QDir::Files).isEmpty());
        QCOMPARE(CaptionWithName(p), MainCaption + name);
    }

    void createdNameIsRestoredWithBackslash()
    {
        QTemporaryDir dir;
        ProjectPaths p;
        RestoreLastProject(p, dir.path());
        QVERIFY(CreateNewProject(p, p.ProjectsDir, QStringLiteral("Plant1")).created);
        QVERIFY(SaveLastProject(p).ok());
        QCOMPARE(ReadProfileString(iniOf(dir), QStringLiteral("lastproj"), QStringLiteral("projectname")),
                 QStringLiteral("Plant1"));
        ProjectPaths next;
        QVERIFY(RestoreLastProject(next, dir.path()));
        QCOMPARE(next.ProjectName, QStringLiteral("\\Plant1"));
        QCOMPARE(next.ProjectDir, next.ProjectsDir + QStringLiteral("\\Plant1"));
    }
};

QTEST_GUILESS_MAIN(TestWorkspace)
#include "tst_workspace.moc"
