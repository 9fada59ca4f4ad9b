#include "widgets/TransientNote.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace velmaro {

namespace {

const QString NoteName = QStringLiteral("TransientNote");

// The note itself: a tool-tip window of its owner, gone when the owner hides or moves (it would stand
// alone on the screen, away from the control it speaks of).
class Note : public QLabel
{
public:
    Note(QWidget* owner, const QString& text) : QLabel(text, owner, Qt::ToolTip | Qt::FramelessWindowHint)
    {
        setObjectName(NoteName);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_DeleteOnClose);
        setFocusPolicy(Qt::NoFocus);
        setForegroundRole(QPalette::ToolTipText);
        setBackgroundRole(QPalette::ToolTipBase);
        setAutoFillBackground(true);
        setFrameShape(QFrame::Box);
        setMargin(4);
        setTextFormat(Qt::PlainText);
        setAccessibleName(text);
        owner->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Move)
            close();
        return QLabel::eventFilter(watched, event);
    }
};

// Where the note goes in `window`'s coordinates: right of the anchor, past every visible button in its
// way, so that nothing the person may want to click next is covered.
QRect placeBeside(const QWidget* anchor, const QWidget* window, QSize size)
{
    const QPoint topLeft = anchor->mapTo(window, QPoint(anchor->width() + 8, 0));
    QRect rect(QPoint(topLeft.x(), topLeft.y() + (anchor->height() - size.height()) / 2), size);
    const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    for (bool moved = true; moved;) {
        moved = false;
        for (const QAbstractButton* b : buttons) {
            if (!b->isVisible() || b == anchor || b->window() != window)
                continue;
            const QRect there(b->mapTo(window, QPoint(0, 0)), b->size());
            if (there.intersects(rect)) {
                rect.moveLeft(there.right() + 8);
                moved = true;
            }
        }
    }
    return rect;
}

} // namespace

void ShowNote(QWidget* anchor, const QString& text, int ms)
{
    QWidget* window = anchor->window();
    for (QLabel* old : window->findChildren<QLabel*>(NoteName, Qt::FindDirectChildrenOnly))
        delete old;
    auto* note = new Note(window, text);
    note->adjustSize();
    const QRect inWindow = placeBeside(anchor, window, note->size());
    QRect onScreen(window->mapToGlobal(inWindow.topLeft()), inWindow.size());
    if (const QScreen* screen = window->screen()) {
        const QRect available = screen->availableGeometry();
        if (onScreen.right() > available.right())
            onScreen.moveRight(available.right());
    }
    note->move(onScreen.topLeft());
    note->show();
    QTimer::singleShot(ms, note, &QWidget::close);
}

QString ShownNote(const QWidget* window)
{
    const QLabel* note = window->findChild<QLabel*>(NoteName, Qt::FindDirectChildrenOnly);
    return note && note->isVisible() ? note->text() : QString();
}

} // namespace velmaro
