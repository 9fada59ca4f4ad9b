#include "app/AppWindows.h"
#include "app/UVelmaroFirmWare.h"
#include "app/Workspace.h"
#include "support/Recorders.h"

#include <QPushButton>
#include <QTest>

using namespace velmaro;

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startsWithBareCaption()
    {
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        QCOMPARE(windows.FVelmaroFirmWare->windowTitle(), MainCaption);
        QCOMPARE(r.paths.ProjectDir, dir.path() + QStringLiteral("\\PROJECTS"));
        QVERIFY(r.messages.all.isEmpty());
    }
    void editorButtonsRefuseWithoutProject()
    {
        QTemporaryDir dir;
        test::Recorders r;
        AppWindows windows(r.context, dir.path());
        r.paths.ProjectDir.clear();
        windows.FVelmaroFirmWare->btn_Prm_Gen->click();
        QCOMPARE(r.messages.messages, QStringList{QStringLiteral("Project not valid")});
        QVERIFY(r.modal.opened.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
