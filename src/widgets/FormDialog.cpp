#include "widgets/FormDialog.h"

#include <QGuiApplication>
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
    if (m_placement != Placement::Centred)
        return;
    // Placed by its inside, not its frame, whose size the first showing does not know yet.
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect area(QPoint(), size());
        area.moveCenter(screen->availableGeometry().center());
        setGeometry(area);
    }
}

} // namespace velmaro
