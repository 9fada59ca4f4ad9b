#include "widgets/FormDialog.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QShowEvent>

namespace velmaro {

FormDialog::FormDialog(Placement placement, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), m_placement(placement)
{
}

void FormDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    if (m_placement == Placement::AsPlaced) {
        // Shown again, the window system would place the inside where the frame was.
        if (m_leftAt)
            move(*m_leftAt);
        return;
    }
    // Placed by its inside, not its frame, whose size the first showing does not know yet.
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect area(QPoint(), size());
        area.moveCenter(screen->availableGeometry().center());
        setGeometry(area);
    }
}

void FormDialog::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        m_leftAt = frameGeometry().topLeft();
}

} // namespace velmaro
