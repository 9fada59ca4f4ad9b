#pragma once

// What the window tests share: recorders over a temporary project folder, and controls found by their
// object names.

#include "support/Recorders.h"
#include "support/TestProject.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>

namespace velmaro::test {

// The control of `window` named `name`; a missing control ends the test program, naming it.
template <class T>
T* Control(const QObject& window, const QString& name)
{
    T* control = window.findChild<T*>(name);
    if (!control)
        qFatal("no control %s", qPrintable(name));
    return control;
}

// A temporary project folder and recorders whose paths point at it, as opening a project does.
struct WindowFixture
{
    QTemporaryDir dir;
    Recorders r;

    WindowFixture() { UseProjectDir(r.paths, dir.path()); }
    // `name` in the project folder.
    QString file(const QString& name) const { return dir.filePath(name); }
    // Points the paths at the project folder again and forgets what was recorded, between test functions
    // that share one fixture.
    void reset()
    {
        UseProjectDir(r.paths, dir.path());
        r.messages.clear();
        r.dialogs.fileRequests.clear();
    }
};

} // namespace velmaro::test
