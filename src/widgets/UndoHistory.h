#pragma once

#include <QObject>
#include <QString>
#include <QUndoCommand>

#include <functional>
#include <utility>

class QAction;
class QKeyEvent;
class QTimer;
class QUndoStack;
class QWidget;

namespace velmaro {

// One step of a window's history: the window's value before and after one edit, and how the window
// shows a value. The edit is already on screen when the step is pushed, so its first redo does nothing.
template <typename State>
class SnapshotCommand : public QUndoCommand
{
public:
    using Show = std::function<void(const State&)>;
    SnapshotCommand(const QString& text, State before, State after, Show show)
        : QUndoCommand(text), m_before(std::move(before)), m_after(std::move(after)), m_show(std::move(show))
    {
    }
    void undo() override { m_show(m_before); }
    void redo() override
    {
        if (m_done)
            m_show(m_after);
        m_done = true;
    }

private:
    State m_before;
    State m_after;
    Show m_show;
    bool m_done = false;
};

// Undo and redo of one window's own edits, on a QUndoStack:
// - Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo, wherever the focus is in the window. A text box's or
//   cell editor's own undo never sees these keys: there is one history per window.
// - Before a step is undone or redone, an edit still open (text typed into a box or a cell and not yet
//   committed) is committed as a step of its own, so Ctrl+Z first takes back what was typed there.
// - "Undo ..." and "Redo ..." naming the step are in the window's context menu.
class UndoHistory : public QObject
{
    Q_OBJECT
public:
    explicit UndoHistory(QWidget* window);

    QUndoStack* stack() const { return m_stack; }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }

    // Runs first at every undo and redo; a window hands its open cell editors to the grids here.
    void setCommitEditors(std::function<void()> commit) { m_commitEditors = std::move(commit); }

    void undo();
    void redo();
    // True while an undo or redo shows a former value.
    bool restoring() const { return m_restoring; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Records whatever the window shows beyond its last step as a step.
    virtual void commitPending() = 0;
    // commitPending() once the event being handled is done (many cells changed by one key: one step).
    void commitLater();
    void cancelLater();
    bool m_applying = false; // the window shows a value: its change signals are no edits
    bool m_restoring = false;

private:
    enum class Key
    {
        Other,
        Undo,
        Redo
    };
    static Key keyOf(const QKeyEvent& key);
    void step(bool undo);
    void updateActions();

    QWidget* m_window;
    QUndoStack* m_stack;
    QAction* m_undo;
    QAction* m_redo;
    QTimer* m_later;
    std::function<void()> m_commitEditors;
};

// The history of a window whose edits are all changes of one value, the one it reads from its controls
// (`read`) and shows a loaded document with (`show`). A window calls load() where it shows a loaded
// document, and record() (or recordLater()) after each edit; undo and redo show former values through
// `show`. State needs ==.
template <typename State>
class SnapshotHistory : public UndoHistory
{
public:
    using Read = std::function<State()>;
    using Show = std::function<void(const State&)>;
    // Names a step that record() got no name for.
    using Describe = std::function<QString(const State& before, const State& after)>;

    SnapshotHistory(QWidget* window, Read read, Show show, Describe describe = {})
        : UndoHistory(window), m_read(std::move(read)), m_show(std::move(show)),
          m_describe(std::move(describe))
    {
    }

    // Shows a loaded document; the history starts again from it.
    void load(const State& state)
    {
        showState(state);
        stack()->clear();
    }

    // Makes what the window shows now, if it differs from the last step, one step named `text`.
    void record(const QString& text = {})
    {
        cancelLater();
        if (m_applying)
            return;
        State now = m_read();
        if (now == m_recorded)
            return;
        const QString name = text.isEmpty() && m_describe ? m_describe(m_recorded, now) : text;
        State before = std::exchange(m_recorded, now);
        stack()->push(new SnapshotCommand<State>(name, std::move(before), std::move(now),
                                                 [this](const State& s) { showState(s); }));
    }

    // record() when the event being handled is done.
    void recordLater()
    {
        if (!m_applying)
            commitLater();
    }

protected:
    void commitPending() override { record(); }

private:
    void showState(const State& state)
    {
        m_applying = true;
        m_show(state);
        m_applying = false;
        cancelLater();
        m_recorded = m_read();
    }

    Read m_read;
    Show m_show;
    Describe m_describe;
    State m_recorded{};
};

} // namespace velmaro
