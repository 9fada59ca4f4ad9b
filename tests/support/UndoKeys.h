#pragma once

#include <QString>
#include <QTest>

namespace velmaro::test {

// Presses undo and redo keys on `widget` as a person would: z is Ctrl+Z, Z is Ctrl+Shift+Z, y is Ctrl+Y.
inline void pressUndoKeys(QWidget* widget, const QString& keys)
{
    for (const QChar k : keys) {
        const Qt::KeyboardModifiers mods = k == QLatin1Char('Z') ? Qt::ControlModifier | Qt::ShiftModifier
                                                                 : Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::keyClick(widget, k == QLatin1Char('y') ? Qt::Key_Y : Qt::Key_Z, mods);
    }
}

} // namespace velmaro::test
