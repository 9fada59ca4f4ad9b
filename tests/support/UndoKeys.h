#pragma once

#include <QByteArray>
#include <QString>
#include <QTest>

#include <functional>

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

// The rows of a table editor's undo test: Ctrl+Z past every step, then every step redone with either key.
inline void addUndoRows()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("redone"); // OK saves the edited document, else the loaded one
    QTest::newRow("Ctrl+Z past every step: the loaded document") << QStringLiteral("zzzzzz") << false;
    QTest::newRow("Ctrl+Shift+Z redoes every step") << QStringLiteral("zzzzzzZZZZZ") << true;
    QTest::newRow("Ctrl+Y redoes every step") << QStringLiteral("zzzzzzyyyyy") << true;
}

// One row of addUndoRows: `saved(keys, edit)` opens the editor, makes its edits when `edit`, presses `keys`
// and returns what OK saved.
inline void checkUndoRow(const std::function<QByteArray(const QString& keys, bool edit)>& saved)
{
    QFETCH(QString, keys);
    QFETCH(bool, redone);
    const QByteArray loaded = saved(QString(), false);
    const QByteArray edited = saved(QString(), true);
    QVERIFY(edited != loaded);
    QCOMPARE(saved(keys, true), redone ? edited : loaded);
}

} // namespace velmaro::test
