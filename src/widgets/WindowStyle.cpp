#include "widgets/WindowStyle.h"

#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

namespace velmaro {

void MakeFixedToolWindow(QWidget* window)
{
    window->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window->adjustSize();
    window->setFixedSize(window->sizeHint().expandedTo(window->minimumSize()));
}

void MakeSizableDialog(QDialog* dialog, const QString& name, const QString& title)
{
    dialog->setObjectName(name);
    dialog->setWindowTitle(title);
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    dialog->setSizeGripEnabled(true);
}

void CentreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

namespace {

// Enter or Return presses the button that has the focus, as Space does. The button is not an auto-default
// one (Enter typed in a grid or a field must not press it), and Qt's button then ignores Enter.
class EnterPressesButton : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->isEnabled() || key->modifiers() & ~Qt::KeypadModifier
            || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter))
            return false;
        button->click();
        return true;
    }
};

} // namespace

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->installEventFilter(new EnterPressesButton(button));
    return button;
}

void MakeEditorButtons(QDialog* dialog, QWidget* parent, const QString& okName,
                       const std::array<QPushButton**, 4>& buttons)
{
    const QString names[] = {okName, QStringLiteral("bitbtn2"), QStringLiteral("button1"),
                             QStringLiteral("bitbtn4")};
    const QString captions[] = {QStringLiteral("OK"), QStringLiteral("Cancel"), QStringLiteral("Export"),
                                QStringLiteral("Import")};
    for (size_t i = 0; i < buttons.size(); ++i)
        *buttons[i] = MakeButton(names[i], captions[i], parent);
    QObject::connect(*buttons[1], &QPushButton::clicked, dialog, &QDialog::reject);
}

void LayOutTableEditor(QDialog* dialog, QWidget* pages, const QString& okName,
                       const std::array<QPushButton**, 4>& buttons)
{
    auto* panel = new QWidget(dialog);
    panel->setObjectName(QStringLiteral("PanelBColor1"));
    MakeEditorButtons(dialog, panel, okName, buttons);
    panel->setLayout(ButtonRow({*buttons[0], *buttons[1]}, {*buttons[2], *buttons[3]}));
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(pages);
    layout->addWidget(panel);
}

QTabWidget* MakeSideNotebook(QWidget* parent, QWidget* pageA, const QString& captionA, QWidget* pageB,
                             const QString& captionB)
{
    auto* notebook = new QTabWidget(parent);
    notebook->setObjectName(QStringLiteral("TabbedNotebook1"));
    notebook->addTab(pageA, captionA);
    notebook->addTab(pageB, captionB);
    return notebook;
}

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> left, std::initializer_list<QWidget*> right)
{
    auto* row = new QHBoxLayout;
    for (QWidget* w : left)
        row->addWidget(w);
    row->addStretch();
    for (QWidget* w : right)
        row->addWidget(w);
    return row;
}

void MakeWebLink(QLabel* label, QObject* watcher)
{
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(watcher);
    MakeKeyboardLink(label);
}

void MakeKeyboardLink(QLabel* label)
{
    label->setFocusPolicy(Qt::StrongFocus);
    // The transparent frame keeps the label's size when the focus frame appears.
    label->setStyleSheet(QStringLiteral("QLabel { border: 1px solid transparent; }"
                                        "QLabel:focus { border: 1px dotted palette(window-text); }"));
}

bool IsLinkActivation(const QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease)
        return static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const bool plain = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
    return plain
           && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space);
}

} // namespace velmaro
