#include "app/Unewp.h"
#include "app/Workspace.h"
#include "support/Recorders.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace velmaro;

// The new-project dialog on its own, shown as the modal runner shows it.
class TestNewProject : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    test::Recorders m_r;
    TFsaveproj* m_dialog = nullptr;

    void open(int mode = 0)
    {
        m_dialog->SaveProjMode = mode;
        m_dialog->NewProjectDest = m_r.paths.ProjectsDir;
        m_dialog->show();
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("PROJECTS/Old")));
        m_r.messages.clear();
        RestoreLastProject(m_r.paths, m_dir.path());
        SetDocumentPaths(m_r.paths);
        m_dialog = new TFsaveproj(m_r.context);
    }
    void cleanup()
    {
        delete m_dialog;
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void startsEmptyAndRefusesToCloseUntilAllowed_data()
    {
        QTest::addColumn<QString>("request");
        QTest::newRow("Escape") << "escape";
        QTest::newRow("window close") << "close";
        QTest::newRow("reject") << "reject";
        QTest::newRow("accept") << "accept";
    }
    void startsEmptyAndRefusesToCloseUntilAllowed()
    {
        QFETCH(QString, request);
        QCOMPARE(m_dialog->AllowClose, false);
        QVERIFY(m_dialog->NewProjectDest.isEmpty());
        QVERIFY(m_dialog->NewProjectName.isEmpty());
        open();
        auto ask = [&] {
            if (request == QLatin1String("escape"))
                QTest::keyClick(m_dialog->Edit1, Qt::Key_Escape);
            else if (request == QLatin1String("close"))
                m_dialog->close();
            else if (request == QLatin1String("reject"))
                m_dialog->reject();
            else
                m_dialog->accept();
        };
        ask();
        QVERIFY(m_dialog->isVisible());
        // A failed OK keeps it closed to every request as well, with the typed text in place.
        m_dialog->Edit1->setText(QStringLiteral("Old"));
        m_dialog->bitbtn1->click();
        ask();
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->Edit1->text(), QStringLiteral("Old"));
        // Cancel allows closing, and the permission is kept for the next opening.
        m_dialog->bitbtn2->click();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        open();
        ask();
        QVERIFY(!m_dialog->isVisible());
    }

    void okChecksInOrder_data()
    {
        QTest::addColumn<bool>("withDest");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("error"); // the reason in the error box, which also names the folder
        QTest::newRow("empty name") << true << "" << QStringList{"Name project not valid"} << false << "";
        QTest::newRow("blanks only") << true << "  " << QStringList{"Name project not valid"} << false << "";
        QTest::newRow("no destination, empty name")
            << false << "" << QStringList{"directory destination not valid", "Name project not valid"}
            << false << "";
        QTest::newRow("existing folder")
            << true << "Old" << QStringList{"Name project not valid because directory already exists"}
            << false << "";
        QTest::newRow("missing parent")
            << true << "No/Sub" << QStringList() << false << "No such file or directory";
        QTest::newRow("name the file system refuses")
            << true << QString(300, QLatin1Char('n')) << QStringList() << false << "File name too long";
        QTest::newRow("new name") << true << " Plant1 " << QStringList() << true << "";
    }
    void okChecksInOrder()
    {
        QFETCH(bool, withDest);
        QFETCH(QString, name);
        QFETCH(QStringList, messages);
        QFETCH(bool, closes);
        QFETCH(QString, error);
        const ProjectPaths before = m_r.paths;
        open();
        if (!withDest)
            m_dialog->NewProjectDest.clear();
        m_dialog->Edit1->setText(name);
        m_dialog->bitbtn1->click();
        QCOMPARE(m_r.messages.messages, messages);
        if (error.isEmpty()) {
            QVERIFY(m_r.messages.errors.isEmpty());
        } else {
            QCOMPARE(m_r.messages.errors.size(), 1);
            const QString folder = m_dir.filePath(QStringLiteral("PROJECTS/") + name);
            QVERIFY2(m_r.messages.errors[0].contains(folder) && m_r.messages.errors[0].contains(error),
                     qPrintable(m_r.messages.errors[0]));
        }
        QCOMPARE(m_dialog->isVisible(), !closes);
        QCOMPARE(m_dialog->AllowClose, closes);
        QCOMPARE(m_dialog->NewProjectName, name);
        if (closes) {
            QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
            QCOMPARE(m_r.paths.ProjectName, name);
            QCOMPARE(m_r.paths.ProjectDir, before.ProjectsDir + QLatin1Char('\\') + name);
            QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("PROJECTS/") + name + QStringLiteral("/bin")))
                        .isDir());
        } else {
            QCOMPARE(m_r.paths.ProjectDir, before.ProjectDir);
            QCOMPARE(m_dialog->Edit1->text(), name);
        }
    }

    void reopeningInModeZeroEmptiesTheField()
    {
        open();
        m_dialog->Edit1->setText(QStringLiteral("typed"));
        m_dialog->bitbtn2->click();
        open();
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("New project"));
        QCOMPARE(m_dialog->Edit1->text(), QString());
        QVERIFY(m_dialog->NewProjectName.isEmpty());
        QVERIFY(!m_dialog->Label1->isHidden());
    }

    void textPromptMode()
    {
        m_dialog->Edit1->setText(QStringLiteral("given"));
        open(1);
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Edit XML"));
        QVERIFY(m_dialog->Label1->isHidden());
        QCOMPARE(m_dialog->Edit1->text(), QStringLiteral("given"));
        m_dialog->Edit1->setText(QString());
        m_dialog->bitbtn1->click();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QVERIFY(m_r.messages.all.isEmpty());
        QCOMPARE(
            QDir(m_dir.filePath(QStringLiteral("PROJECTS"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("Old")});
        // Back in mode 0 the label returns.
        open(0);
        QVERIFY(!m_dialog->Label1->isHidden());
    }
};

QTEST_MAIN(TestNewProject)
#include "tst_newproject.moc"
