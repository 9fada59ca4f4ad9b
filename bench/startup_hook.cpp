// Preloaded (LD_PRELOAD) into a program by bench_startup, never linked into one: when the program's
// QApplication is built it adds an event filter, and at the first expose of a window it lets the window
// handle the expose (which paints the window and hands the picture to the window system), writes the
// monotonic times (painted, QApplication built) to the file named by VELMARO_BENCH_REPORT and ends the
// process at once. The program itself is not changed; without the variable the hook does nothing.

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWindow>

#include <time.h>
#include <unistd.h>

namespace {

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

qint64 g_applicationBuilt = 0;

class FirstExpose : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && watched->isWindowType()
            && static_cast<QWindow*>(watched)->isExposed()) {
            watched->event(event);
            const qint64 shown = monotonicNs();
            QFile report(QString::fromLocal8Bit(qgetenv("VELMARO_BENCH_REPORT")));
            if (report.open(QIODevice::WriteOnly | QIODevice::Truncate))
                report.write(QByteArray::number(shown) + ' ' + QByteArray::number(g_applicationBuilt));
            report.close();
            _exit(0);
        }
        return false;
    }
};

void install()
{
    if (qEnvironmentVariableIsEmpty("VELMARO_BENCH_REPORT"))
        return;
    g_applicationBuilt = monotonicNs();
    QCoreApplication::instance()->installEventFilter(new FirstExpose);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
