#include "app/AppWindows.h"
#include "app/UAbout.h"
#include "app/UVelmaroFirmWare.h"
#include "app/Unewp.h"
#include "app/Workspace.h"
#include "platform/IniFile.h"
#include "support/Recorders.h"
#include "support/TestFiles.h"
#include "support/WindowFixture.h"
#include "widgets/TransientNote.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>
#include <QWindow>

using namespace velmaro;

namespace {

QString iniOf(const QTemporaryDir& dir)
{
    return dir.filePath(QStringLiteral("Velmaro_Ferrant.ini"));
}

QString lastProjectInIni(const QTemporaryDir& dir)
{
    return ReadProfileString(iniOf(dir), QStringLiteral("lastproj"), QStringLiteral("projectname"));
}

// Answers the new-project dialog with `name` and OK, or with Cancel when `name` is nothing.
std::function<int(QDialog&)> answerNewProject(std::optional<QString> name)
{
    return [name](QDialog& d) {
        auto& dialog = static_cast<TFsaveproj&>(d);
        if (name) {
            dialog.Edit1->setText(*name);
            dialog.bitbtn1->click();
        }
        if (dialog.isVisible())
            dialog.bitbtn2->click();
        return dialog.result();
    };
}

// Watches start-up: counts the other windows when the main window is first exposed and when the first
// user input reaches a window. At the expose it moves the pointer onto the main window, which queues
// a mouse move there as a person's hand would.
class StartWatcher : public QObject
{
public:
    int windowsAtExpose = -1;
    int windowsAtInput = -1;
    QString captionAtExpose;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWindow*>(watched);
        if (!window)
            return false;
        if (event->type() == QEvent::Expose && window->isExposed() && windowsAtExpose < 0) {
            windowsAtExpose = dialogCount();
            captionAtExpose = window->title();
            QCursor::setPos(window->geometry().center());
        } else if (event->type() == QEvent::MouseMove && windowsAtInput < 0) {
            windowsAtInput = dialogCount();
        }
        return false;
    }

private:
    static int dialogCount()
    {
        int count = 0;
        for (QWidget* w : QApplication::allWidgets())
            count += qobject_cast<QDialog*>(w) != nullptr;
        return count;
    }
};

// Notes, with each plain message, whether the main window was shown and how many dialogs existed.
struct StartMessageWatcher : test::MessageRecorder
{
    QStringList seen; // "shown 15" or "hidden 0"
    void showMessage(const QString& text) override
    {
        bool shown = false;
        int dialogs = 0;
        for (QWidget* w : QApplication::allWidgets()) {
            shown |= w->objectName() == QLatin1String("FVelmaroFirmWare") && w->isVisible();
            dialogs += qobject_cast<QDialog*>(w) != nullptr;
        }
        seen << (shown ? QStringLiteral("shown ") : QStringLiteral("hidden ")) + QString::number(dialogs);
        test::MessageRecorder::showMessage(text);
    }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startsWithCaptionOfRestoredProject_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no ini file") << QByteArray() << false << MainCaption;
        QTest::newRow("restored project") << QByteArray("[lastproj]\nprojectname=Plant1\n") << true
                                          << MainCaption + QStringLiteral("/Plant1");
        QTest::newRow("stale project")
            << QByteArray("[lastproj]\nprojectname=Plant1\n") << false << MainCaption;
    }
    void startsWithCaptionOfRestoredProject()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, folderExists);
        QFETCH(QString, caption);
        QTemporaryDir dir;
        if (!ini.isEmpty())
            test::writeFile(iniOf(dir), ini);
        if (folderExists)
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/Plant1")));
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        QCOMPARE(windows.FVelmaroFirmWare->windowTitle(), caption);
        QCOMPARE(windows.FVelmaroFirmWare->OpenExcelInitialDir(), r.paths.ProjectDir);
        QCOMPARE(r.paths.PargenXmlPath, r.paths.ProjectDir + QStringLiteral("\\pargen.xml"));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("MASTER"))).isDir());
        QVERIFY(r.messages.all.isEmpty());
    }

    // MASTER and PROJECTS cannot be created: one plain message names each folder and the reason.
    void startupSaysWhichFolderCannotBeCreated_data()
    {
        QTest::addColumn<QString>("appDirBelow"); // below the temporary folder
        QTest::addColumn<QStringList>("folders"); // named in the message
        QTest::addColumn<QString>("reason");
        QTest::newRow("a file in the way") << "" << QStringList{"MASTER"} << "File exists";
        QTest::newRow("application directory gone")
            << "/gone" << QStringList{"MASTER", "PROJECTS"} << "No such file or directory";
    }
    void startupSaysWhichFolderCannotBeCreated()
    {
        QFETCH(QString, appDirBelow);
        QFETCH(QStringList, folders);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        test::writeFile(dir.filePath(QStringLiteral("MASTER")), "not a folder");
        test::Recorders r;
        AppWindows windows(r.context, dir.path() + appDirBelow);
        QCOMPARE(r.messages.all.size(), 1);
        const QString message = r.messages.messages.value(0);
        QCOMPARE(message.count(reason), folders.size());
        for (const QString& folder : {QStringLiteral("MASTER"), QStringLiteral("PROJECTS")})
            QCOMPARE(message.contains(dir.path() + appDirBelow + QLatin1Char('/') + folder),
                     folders.contains(folder));
        QCOMPARE(windows.FVelmaroFirmWare->windowTitle(), MainCaption);
    }

    // What start-up found wrong is said in one message once the main window is on screen and every
    // window exists: a folder that cannot be made, an INI file that cannot be read, a program folder left.
    void startupMessageFollowsTheMainWindow_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("named"); // in the message
        QTest::newRow("folder cannot be made") << QStringLiteral("MASTER") << QStringLiteral("/MASTER\"");
        QTest::newRow("INI file cannot be read")
            << QStringLiteral("ini") << QStringLiteral("/Velmaro_Ferrant.ini\"");
        QTest::newRow("program folder left")
            << QStringLiteral("notice") << QStringLiteral("the folder was left");
    }
    void startupMessageFollowsTheMainWindow()
    {
        QFETCH(QString, trouble);
        QFETCH(QString, named);
        QTemporaryDir dir;
        if (trouble == QLatin1String("MASTER"))
            test::writeFile(dir.filePath(QStringLiteral("MASTER")), "not a folder");
        if (trouble == QLatin1String("ini"))
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Velmaro_Ferrant.ini")));
        test::Recorders r;
        StartMessageWatcher watcher;
        AppContext context{r.paths,    watcher, r.dialogs, r.modal, r.shell, SystemSerialPlatform(),
                           r.processes};
        AppWindows w(context, dir.path(), AppWindows::Start::ShowMainWindowFirst,
                     trouble == QLatin1String("notice") ? QStringLiteral("the folder was left") : QString());
        QCOMPARE(watcher.all.size(), 1);
        QVERIFY2(watcher.messages.value(0).contains(named), qPrintable(watcher.messages.value(0)));
        QCOMPARE(watcher.seen, QStringList{QStringLiteral("shown 15")});
    }

    void createsSixteenWindowsWithTheirCaptions()
    {
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows w(r.context, dir.path());
        QCOMPARE(w.FVelmaroFirmWare->windowTitle(), MainCaption);
        const QList<QDialog*> dialogs =
            w.FVelmaroFirmWare->findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly);
        QStringList captions;
        for (const QDialog* d : dialogs) {
            captions << d->windowTitle();
            QVERIFY(!d->isVisible());
        }
        QCOMPARE(captions, (QStringList{"New project", "Help", "About...", "Select String",
                                        "Generate Firmware", "SET COMMUNICATION", "Set SDO Access",
                                        "Define Traslate PDO", "Set Traslate EMCY", "Define EMCY Word",
                                        "XML Reader & Writer", "Define Store PDO", "Set SDO Access",
                                        "Set PDO Access", "Update Firmware from Serial (RS232)"}));
    }

    void startShowsMainWindowBeforeBuildingTheOthers()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/Plant1")));
        test::writeFile(iniOf(dir), "[lastproj]\nprojectname=Plant1\n");
        test::Recorders r;
        StartWatcher watcher;
        qApp->installEventFilter(&watcher);
        AppWindows w(r.context, dir.path(), AppWindows::Start::ShowMainWindowFirst);
        QVERIFY(w.FVelmaroFirmWare->isVisible());
        QVERIFY(w.FVelmaroFirmWare->windowHandle()->isExposed());
        QCOMPARE(watcher.windowsAtExpose, 0);
        QCOMPARE(watcher.captionAtExpose, MainCaption + QStringLiteral("/Plant1")); // restored before
        QCOMPARE(watcher.windowsAtInput, -1); // queued until the event loop runs
        QTRY_COMPARE(watcher.windowsAtInput, 15);
        qApp->removeEventFilter(&watcher);
        QCOMPARE(w.FVelmaroFirmWare->findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly).size(),
                 15);
    }

    void showsControlsWithTheirCaptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("hidden");
#ifdef VELMARO_SHOW_HIDDEN_EDITORS
        const bool editorsHidden = false;
#else
        const bool editorsHidden = true;
#endif
        QTest::newRow("New") << "New"
                             << "New project" << false;
        QTest::newRow("open") << "open"
                              << "Open project" << false;
        QTest::newRow("btn_Prm_Gen") << "btn_Prm_Gen"
                                     << "Set Communication" << false;
        QTest::newRow("btn_Gds") << "btn_Gds"
                                 << "GSD File" << false;
        QTest::newRow("CreateBin") << "CreateBin"
                                   << "Update Device" << false;
        QTest::newRow("about") << "about"
                               << "About" << false;
        QTest::newRow("LbButton1") << "LbButton1"
                                   << "X" << false;
        QTest::newRow("btn_Sdo") << "btn_Sdo"
                                 << "Set Access " << editorsHidden;
        QTest::newRow("btn_Pdo") << "btn_Pdo"
                                 << "Set Traslate PDO" << editorsHidden;
        QTest::newRow("btn_Info_Pdo") << "btn_Info_Pdo"
                                      << "Define store PDO" << editorsHidden;
        QTest::newRow("btn_Emcy") << "btn_Emcy"
                                  << "Set Traslate EMCY" << editorsHidden;
        QTest::newRow("btn_Emcy_Wd") << "btn_Emcy_Wd"
                                     << "Define EMCY Word" << editorsHidden;
    }
    void showsControlsWithTheirCaptions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, hidden);
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        auto* button = windows.FVelmaroFirmWare->findChild<QPushButton*>(name);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->isHidden(), hidden);
    }

    void mainWindowHasNoTitleBarButtonsAndFixedSize()
    {
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        QWidget* main = windows.FVelmaroFirmWare;
        const Qt::WindowFlags flags = main->windowFlags();
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
        for (Qt::WindowType hint : {Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint,
                                    Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint})
            QVERIFY(!flags.testFlag(hint));
        QCOMPARE(main->minimumSize(), main->maximumSize());
        for (QDialog* d : {static_cast<QDialog*>(windows.Fsaveproj), static_cast<QDialog*>(windows.FAbout)}) {
            QVERIFY(!d->windowFlags().testFlag(Qt::WindowCloseButtonHint));
            QCOMPARE(d->minimumSize(), d->maximumSize());
        }
    }

    // Which window each editor button opens, with and without a project.
    void dispatchesEditorButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("window");
        QTest::newRow("Set Access") << "btn_Sdo"
                                    << "FSetVar";
        QTest::newRow("Set Traslate PDO") << "btn_Pdo"
                                          << "Fpdo";
        QTest::newRow("Define store PDO") << "btn_Info_Pdo"
                                          << "FInfopdo";
        QTest::newRow("Set Traslate EMCY") << "btn_Emcy"
                                           << "Femcy";
        QTest::newRow("Define EMCY Word") << "btn_Emcy_Wd"
                                          << "FWemcy";
        QTest::newRow("Set Communication") << "btn_Prm_Gen"
                                           << "Fpargen";
        QTest::newRow("GSD File") << "btn_Gds"
                                  << "";
    }
    void dispatchesEditorButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, window);
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        auto* b = windows.FVelmaroFirmWare->findChild<QPushButton*>(button);

        // The fallback project (PROJECTS itself) is a project.
        b->click();
        QCOMPARE(r.modal.opened, window.isEmpty() ? QStringList() : QStringList{window});
        QCOMPARE(r.dialogs.fileRequests.size(), window.isEmpty() ? 1 : 0);
        // An editor may report its own missing document; the dispatcher itself refuses nothing.
        QVERIFY(!r.messages.all.contains(QStringLiteral("Project not valid")));

        // Without a project nothing opens.
        r.modal.opened.clear();
        r.dialogs.fileRequests.clear();
        r.messages.clear();
        r.paths.ProjectDir.clear();
        b->click();
        QCOMPARE(r.messages.all, QStringList{QStringLiteral("Project not valid")});
        QVERIFY(r.modal.opened.isEmpty());
        QVERIFY(r.dialogs.fileRequests.isEmpty());
        QVERIFY(r.paths.ProjectDir.isEmpty());
    }

    // Success is noted beside the control that started it, without a box; Cancel or a refusal notes
    // nothing. Every editor's OK is noted with the document it saved.
    void successIsNotedBesideTheControl_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("answer"); // "OK", "Cancel", or the GSD file below the temporary folder
        QTest::addColumn<QString>("note");
        const char* rows[][4] = {
            {"New project", "New", "OK", "Created project Plant2"},
            {"New project cancelled", "New", "Cancel", ""},
            {"GSD File written", "btn_Gds", "PROJECTS/Plant1/Plant1.gsd", "Wrote Plant1.gsd"},
            {"GSD File refused", "btn_Gds", "gone/Plant1.gsd", ""},
            {"Set Communication OK", "btn_Prm_Gen", "OK", "Saved pargen.xml"},
            {"Set Communication cancelled", "btn_Prm_Gen", "Cancel", ""},
            {"Set Access OK", "btn_Sdo", "OK", "Saved sdo.xml"},
            {"Set Traslate PDO OK", "btn_Pdo", "OK", "Saved rpdodef.xml"},
            {"Define store PDO OK", "btn_Info_Pdo", "OK", "Saved sdopdo.xml"},
            {"Set Traslate EMCY OK", "btn_Emcy", "OK", "Saved emcydef.xml"},
            {"Define EMCY Word OK", "btn_Emcy_Wd", "OK", "Saved emcyword.xml"},
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]) << QString(row[3]);
    }
    void successIsNotedBesideTheControl()
    {
        QFETCH(QString, button);
        QFETCH(QString, answer);
        QFETCH(QString, note);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/Plant1/bin")));
        test::writeFile(iniOf(dir), "[lastproj]\nprojectname=Plant1\n");
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        windows.FVelmaroFirmWare->show();
        r.modal.onOpen = [answer](QDialog& d) {
            if (auto* dialog = qobject_cast<TFsaveproj*>(&d))
                dialog->Edit1->setText(QStringLiteral("Plant2"));
            for (QPushButton* b : d.findChildren<QPushButton*>()) {
                if (b->text() == answer) {
                    b->click();
                    break;
                }
            }
            if (d.isVisible())
                d.reject();
            return d.result();
        };
        if (button == QLatin1String("btn_Gds"))
            r.dialogs.fileAnswers.push_back(dir.filePath(answer));
        windows.FVelmaroFirmWare->findChild<QPushButton*>(button)->click();
        QCOMPARE(ShownNote(windows.FVelmaroFirmWare), note);
        // What the note names was done.
        if (note.startsWith(QLatin1String("Saved ")))
            QVERIFY(QFile::exists(dir.filePath(QStringLiteral("PROJECTS/Plant1/") + note.mid(6))));
        if (note.startsWith(QLatin1String("Wrote ")))
            QVERIFY(QFile::exists(dir.filePath(answer)));
    }

    void gsdFileAsksWhereToSave()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/P")));
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        r.dialogs.folderAnswer = dir.filePath(QStringLiteral("PROJECTS/P"));
        windows.FVelmaroFirmWare->open->click();
        r.dialogs.fileAnswers.push_back(std::nullopt);
        windows.FVelmaroFirmWare->btn_Gds->click();
        QCOMPARE(r.dialogs.fileRequests.size(), 1);
        QCOMPARE(r.dialogs.fileRequests.at(0).filter,
                 QStringLiteral("Generic Station Description (*.gsd)|*.gsd"));
        QCOMPARE(r.dialogs.fileRequests.at(0).initialDir, r.paths.ProjectsDir + QStringLiteral("\\P"));
        QCOMPARE(r.dialogs.fileRequests.at(0).initialName, QStringLiteral("P.gsd"));
        QVERIFY(QDir(dir.filePath(QStringLiteral("PROJECTS/P"))).entryList(QDir::Files).isEmpty());
    }

    void newProjectSetsCaption_data()
    {
        QTest::addColumn<QString>("name"); // "<cancel>" for Cancel
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("projectBelowProjects");
        QTest::newRow("created") << "Plant1" << MainCaption + "Plant1"
                                 << "\\Plant1";
        QTest::newRow("cancelled: project stays, name leaves the caption")
            << "<cancel>" << MainCaption << "\\Old";
        QTest::newRow("empty name, then cancel") << "" << MainCaption << "\\Old";
        QTest::newRow("existing name, then cancel") << "Old" << MainCaption << "\\Old";
        QTest::newRow("Qt's title placeholder in the name") << "X[*]Y" << MainCaption + "X[*]Y"
                                                            << "\\X[*]Y";
    }
    void newProjectSetsCaption()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, projectBelowProjects);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/Old")));
        test::writeFile(iniOf(dir), "[lastproj]\nprojectname=\\Old\n");
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        QCOMPARE(windows.FVelmaroFirmWare->windowTitle(), MainCaption + QStringLiteral("/Old"));
        windows.Fsaveproj->NewProjectDest = QStringLiteral("stale");
        r.modal.onOpen =
            answerNewProject(name == QLatin1String("<cancel>") ? std::nullopt : std::optional(name));
        windows.FVelmaroFirmWare->New->click();

        QCOMPARE(r.modal.opened, QStringList{QStringLiteral("Fsaveproj")});
        QCOMPARE(windows.Fsaveproj->SaveProjMode, 0);
        QCOMPARE(windows.Fsaveproj->NewProjectDest, r.paths.ProjectsDir);
        QCOMPARE(windows.FVelmaroFirmWare->windowTitle(), caption);
        QCOMPARE(r.paths.ProjectDir, r.paths.ProjectsDir + projectBelowProjects);
        QCOMPARE(windows.FVelmaroFirmWare->OpenExcelInitialDir(), r.paths.ProjectDir);
        QCOMPARE(r.paths.PargenXmlPath, r.paths.ProjectDir + QStringLiteral("\\pargen.xml"));
        windows.FVelmaroFirmWare->show();
        QCOMPARE(windows.FVelmaroFirmWare->windowHandle()->title(), caption); // the title shown
    }

    void openProjectSetsCaption_data()
    {
        QTest::addColumn<QString>("answer"); // below PROJECTS; "<cancel>"
        QTest::addColumn<QString>("caption");
        QTest::newRow("folder") << "/A/B" << MainCaption + "/A/B";
        QTest::newRow("PROJECTS itself") << "" << MainCaption;
        QTest::newRow("cancelled") << "<cancel>" << MainCaption + "/Old";
    }
    void openProjectSetsCaption()
    {
        QFETCH(QString, answer);
        QFETCH(QString, caption);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/A/B")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/Old")));
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        r.paths.ProjectDir = r.paths.ProjectsDir + QStringLiteral("\\Old");
        if (answer != QLatin1String("<cancel>"))
            r.dialogs.folderAnswer = dir.filePath(QStringLiteral("PROJECTS")) + answer;
        windows.FVelmaroFirmWare->open->click();
        QCOMPARE(windows.FVelmaroFirmWare->windowTitle(), caption);
        QCOMPARE(windows.FVelmaroFirmWare->OpenExcelInitialDir(), r.paths.ProjectDir);
    }

    void deletedProjectAndCancelledOpenLeavesNoProject()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/Old")));
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        r.dialogs.folderAnswer = dir.filePath(QStringLiteral("PROJECTS/Old"));
        windows.FVelmaroFirmWare->open->click();
        QVERIFY(QDir(dir.filePath(QStringLiteral("PROJECTS/Old"))).removeRecursively());
        r.dialogs.folderAnswer.reset();
        windows.FVelmaroFirmWare->open->click();
        QCOMPARE(r.dialogs.folderRequests.last().dir, QString());
        QCOMPARE(r.paths.ProjectDir, QString());
        QCOMPARE(windows.FVelmaroFirmWare->windowTitle(), MainCaption);
        windows.FVelmaroFirmWare->btn_Prm_Gen->click();
        QCOMPARE(r.messages.all, QStringList{QStringLiteral("Project not valid")});
    }

    void closeWritesLastProject()
    {
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        windows.FVelmaroFirmWare->show();
        r.modal.onOpen = answerNewProject(QStringLiteral("Plant1"));
        windows.FVelmaroFirmWare->New->click();
        windows.FVelmaroFirmWare->LbButton1->click();
        QVERIFY(!windows.FVelmaroFirmWare->isVisible());
        QCOMPARE(lastProjectInIni(dir), QStringLiteral("Plant1"));
        QVERIFY(r.messages.all.isEmpty());
    }

    // After the message, a question: Yes closes without remembering the project, No keeps the window.
    void failedIniWriteAsksWhetherToClose_data()
    {
        QTest::addColumn<bool>("closeAnyway");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void failedIniWriteAsksWhetherToClose()
    {
        QFETCH(bool, closeAnyway);
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        windows.FVelmaroFirmWare->show();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Velmaro_Ferrant.ini")));
        r.messages.answers = {closeAnyway};
        QCOMPARE(windows.FVelmaroFirmWare->close(), closeAnyway);
        QCOMPARE(windows.FVelmaroFirmWare->isVisible(), !closeAnyway);
        QCOMPARE(r.messages.messages.size(), 1);
        QCOMPARE(r.messages.messages.value(0).section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("Unable to write to ") + dir.path() + QStringLiteral("/Velmaro_Ferrant.ini"));
        QCOMPARE(r.messages.questions, QStringList{CloseWithoutRememberingText});
        QVERIFY(r.messages.errors.isEmpty());
        if (closeAnyway)
            return;
        // Once the file can be written, the next close succeeds.
        QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("Velmaro_Ferrant.ini")));
        QVERIFY(windows.FVelmaroFirmWare->close());
        QCOMPARE(lastProjectInIni(dir), QString());
        QVERIFY(QFile::exists(iniOf(dir)));
    }

    void linksOpenTheMakersHomePage_data()
    {
        QTest::addColumn<QString>("clicked");
        QTest::newRow("main window link") << "main Label1";
        QTest::newRow("About link") << "about Label4";
        QTest::newRow("About logo") << "about Image2";
    }
    void linksOpenTheMakersHomePage()
    {
        QFETCH(QString, clicked);
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        QWidget* owner = clicked.startsWith(QLatin1String("main"))
                             ? static_cast<QWidget*>(windows.FVelmaroFirmWare)
                             : static_cast<QWidget*>(windows.FAbout);
        auto* label = owner->findChild<QLabel*>(clicked.section(QLatin1Char(' '), 1));
        QVERIFY(label);
        owner->show();
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(r.shell.addresses.size(), 1);
        const QUrl url(r.shell.addresses.at(0));
        QCOMPARE(url.path(), QStringLiteral("/HOME/default.asp"));
        QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("frompg")), QStringLiteral("TQ4712"));
        QVERIFY(url.host().endsWith(QLatin1String(".example")));
        QCOMPARE(r.shell.addresses.at(0), MakerHomePage());
        QTest::mouseClick(label, Qt::RightButton);
        QCOMPARE(r.shell.addresses.size(), 1);
    }

    void linksAreReachedWithTheKeyboard_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("main window link") << "main Label1";
        QTest::newRow("About link") << "about Label4";
    }
    void linksAreReachedWithTheKeyboard()
    {
        QFETCH(QString, link);
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        QWidget* owner = link.startsWith(QLatin1String("main"))
                             ? static_cast<QWidget*>(windows.FVelmaroFirmWare)
                             : static_cast<QWidget*>(windows.FAbout);
        auto* label = owner->findChild<QLabel*>(link.section(QLatin1Char(' '), 1));
        owner->show();
        owner->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(owner));
        // Tab goes round the window's controls and passes the link.
        QWidget* first = QApplication::focusWidget();
        QVERIFY(first);
        for (int i = 0; i < 30 && QApplication::focusWidget() != label; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), label);
        QTest::keyClick(label, Qt::Key_Return);
        QCOMPARE(r.shell.addresses, QStringList{MakerHomePage()});
        QVERIFY(owner->isVisible()); // Return opened the link and pressed no button
    }

    void aboutShowsProductData()
    {
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        windows.FVelmaroFirmWare->about->click();
        QCOMPARE(r.modal.opened, QStringList{QStringLiteral("FAbout")});
        const TFAbout& a = *windows.FAbout;
        QCOMPARE(a.windowTitle(), QStringLiteral("About..."));
        auto text = [&a](const char* name) { return test::Control<QLabel>(a, QLatin1String(name))->text(); };
        const QStringList texts{text("Label1"), text("Label2"), text("Label6") + text("Label9"),
                                text("Label3") + text("Label10"), text("Label8")};
        QCOMPARE(texts, (QStringList{"Software Velmaro ", "PROFIBUS / Serial - Converter",
                                     "Software Code : TQ4712", "Version :1.201", "Document Code :"}));
        QVERIFY(!text("Label12").isEmpty());
        QVERIFY(!a.Image2->pixmap().isNull());
        const QImage logo = a.Image2->pixmap().toImage(); // the logo is drawn, not left blank
        QCOMPARE(qAlpha(logo.pixel(logo.width() / 2, logo.height() / 2)), 255);
        QCOMPARE(a.Image2->size(), QSize(81, 81));
        QCOMPARE(a.LbButton1->text(), QStringLiteral("OK"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
