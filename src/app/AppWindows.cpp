#include "app/AppWindows.h"

#include "app/UAbout.h"
#include "app/UHelp.h"
#include "app/USELstringhe.h"
#include "app/UVelmaroFirmWare.h"
#include "app/UXML.h"
#include "app/Unewp.h"
#include "canopen/UInfoPdo.h"
#include "canopen/USetPdo.h"
#include "canopen/UWemcy.h"
#include "canopen/Uemcy.h"
#include "canopen/Updo.h"
#include "device/UBootSer.h"
#include "device/UModifyFileSx.h"
#include "mapping/USetVar.h"
#include "mapping/Usdo.h"
#include "settings/Upargen.h"

#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

namespace velmaro {

namespace {

// How long start-up waits for the window system to put the main window on screen before it builds
// the other windows anyway (a window that is never exposed, a slow remote display).
constexpr int ExposeWaitMs = 1000;

// Ends `loop` when the watched window is exposed; the expose itself is still delivered (and painted).
class ExposeWatcher : public QObject
{
public:
    explicit ExposeWatcher(QEventLoop& loop) : m_loop(loop) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed())
            m_loop.quit();
        return false;
    }

private:
    QEventLoop& m_loop;
};

// Shows the main window and lets the window system expose and paint it. User input stays queued
// (ExcludeUserInputEvents) and reaches the windows only once the event loop runs.
void showAndWaitUntilExposed(QWidget& window)
{
    window.show();
    QWindow* handle = window.windowHandle();
    if (!handle || handle->isExposed())
        return;
    QEventLoop loop;
    ExposeWatcher watcher(loop);
    handle->installEventFilter(&watcher);
    QTimer::singleShot(ExposeWaitMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    handle->removeEventFilter(&watcher);
}

} // namespace

AppWindows::AppWindows(AppContext& c, const QString& appDir, Start start, const QString& startNotice)
{
    FVelmaroFirmWare = new TFVelmaroFirmWare(c, *this, appDir);
    if (start == Start::ShowMainWindowFirst)
        showAndWaitUntilExposed(*FVelmaroFirmWare);
    // The other windows are owned by the main window and hidden until opened.
    QWidget* owner = FVelmaroFirmWare;
    Fsaveproj = new TFsaveproj(c, owner);
    FHelp = new TFHelp(c, owner);
    FAbout = new TFAbout(c, owner);
    FSELstringhe = new TFSELstringhe(c, owner);
    FModifyFileSx = new TFModifyFileSx(c, owner);
    Fpargen = new TFpargen(c, owner);
    Fsdo = new TFsdo(c, owner);
    Fpdo = new TFpdo(c, owner);
    Femcy = new TFemcy(c, owner);
    FWemcy = new TFWemcy(c, owner);
    FXML = new TFXML(c, owner);
    FInfopdo = new TFInfopdo(c, owner);
    FSetVar = new TFSetVar(c, owner);
    FSetPdo = new TFSetPdo(c, owner);
    FBootSer = new TFBootSer(c, owner);
    FVelmaroFirmWare->ShowStartupMessages(startNotice);
}

AppWindows::~AppWindows()
{
    delete FVelmaroFirmWare;
}

} // namespace velmaro
