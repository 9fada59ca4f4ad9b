#include "widgets/UndoHistory.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QUndoStack>
#include <QWidget>

namespace velmaro {

namespace {

const QList<QKeySequence>& undoKeys()
{
    static const QList<QKeySequence> keys = {QKeySequence(Qt::CTRL | Qt::Key_Z)};
    return keys;
}

const QList<QKeySequence>& redoKeys()
{
    static const QList<QKeySequence> keys = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                             QKeySequence(Qt::CTRL | Qt::Key_Y)};
    return keys;
}

} // namespace

UndoHistory::UndoHistory(QWidget* window)
    : QObject(window), m_window(window), m_stack(new QUndoStack(this)), m_undo(new QAction(window)),
      m_redo(new QAction(window)), m_later(new QTimer(this))
{
    m_later->setSingleShot(true);
    m_later->setInterval(0);
    connect(m_later, &QTimer::timeout, this, &UndoHistory::commitPending);

    // The actions show the keys and serve the context menu; the keys themselves are taken in
    // eventFilter, before any control of the window can claim them.
    m_undo->setShortcuts(undoKeys());
    m_redo->setShortcuts(redoKeys());
    for (QAction* action : {m_undo, m_redo}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        window->addAction(action);
    }
    connect(m_undo, &QAction::triggered, this, &UndoHistory::undo);
    connect(m_redo, &QAction::triggered, this, &UndoHistory::redo);
    connect(m_stack, &QUndoStack::indexChanged, this, &UndoHistory::updateActions);
    updateActions();
    window->setContextMenuPolicy(Qt::ActionsContextMenu);
    QCoreApplication::instance()->installEventFilter(this);
}

void UndoHistory::updateActions()
{
    const auto name = [](const QString& verb, const QString& text) {
        return text.isEmpty() ? verb : verb + QLatin1Char(' ') + text;
    };
    m_undo->setText(name(QStringLiteral("Undo"), m_stack->undoText()));
    m_undo->setEnabled(m_stack->canUndo());
    m_redo->setText(name(QStringLiteral("Redo"), m_stack->redoText()));
    m_redo->setEnabled(m_stack->canRedo());
}

void UndoHistory::undo()
{
    step(true);
}

void UndoHistory::redo()
{
    step(false);
}

void UndoHistory::step(bool undo)
{
    if (m_commitEditors)
        m_commitEditors();
    // A step typed but not yet committed is the newest: Ctrl+Z takes it back, and it ends any redo.
    commitPending();
    m_restoring = true;
    if (undo)
        m_stack->undo();
    else
        m_stack->redo();
    m_restoring = false;
}

void UndoHistory::commitLater()
{
    m_later->start();
}

void UndoHistory::cancelLater()
{
    m_later->stop();
}

UndoHistory::Key UndoHistory::keyOf(const QKeyEvent& key)
{
    const QKeySequence pressed(QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
    if (undoKeys().contains(pressed))
        return Key::Undo;
    if (redoKeys().contains(pressed))
        return Key::Redo;
    return Key::Other;
}

bool UndoHistory::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    const Key key = keyOf(*static_cast<QKeyEvent*>(event));
    if (key == Key::Other)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Claimed as a plain key press, so that no shortcut fires and the press comes back here.
        event->accept();
        return true;
    }
    step(key == Key::Undo);
    return true;
}

} // namespace velmaro
