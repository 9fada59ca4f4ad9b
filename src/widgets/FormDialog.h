#pragma once

#include <QDialog>
#include <QPoint>

#include <optional>

class QHideEvent;
class QShowEvent;

namespace velmaro {

// A window that prepares itself at each new showing: FormShow runs, then the window is placed. A
// restore after minimising is no new showing: it keeps the unsaved edits and the position.
class FormDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Placement
    {
        AsPlaced, // where the window system puts it first, then where it was left
        Centred   // its inside centred on the screen, the same place at every opening
    };

protected:
    FormDialog(Placement placement, QWidget* parent, Qt::WindowFlags flags = {});
    virtual void FormShow() {}
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Placement m_placement;
    std::optional<QPoint> m_leftAt; // the frame's corner when last closed
};

} // namespace velmaro
