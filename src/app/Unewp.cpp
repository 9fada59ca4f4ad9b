#include "app/Unewp.h"

#include "app/NewProject.h"
#include "widgets/WindowStyle.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmaro {

TFsaveproj::TFsaveproj(AppContext& context, QWidget* parent)
    : FormDialog(Placement::Centred, parent), m_context(context)
{
    setObjectName(QStringLiteral("Fsaveproj"));
    setWindowTitle(QStringLiteral("New project"));

    Label1 = new QLabel(QStringLiteral("Project name"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(240);
    bitbtn1 = new QPushButton(QStringLiteral("OK"), this);
    bitbtn1->setObjectName(QStringLiteral("bitbtn1"));
    bitbtn1->setDefault(true);
    bitbtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    bitbtn2->setObjectName(QStringLiteral("bitbtn2"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addLayout(ButtonRow({}, {bitbtn1, bitbtn2}));

    // A button's result is applied after its handler ran, and only when closing is allowed then.
    connect(bitbtn1, &QPushButton::clicked, this, [this] {
        BitBtn1Click();
        done(QDialog::Accepted);
    });
    connect(bitbtn2, &QPushButton::clicked, this, [this] {
        BitBtn2Click();
        done(QDialog::Rejected);
    });

    MakeFixedToolWindow(this);
    FormCreate();
}

void TFsaveproj::FormCreate()
{
    NewProjectName.clear();
    NewProjectDest.clear();
}

void TFsaveproj::FormShow()
{
    if (SaveProjMode == 0) {
        setWindowTitle(QStringLiteral("New project"));
        Edit1->clear();
        NewProjectName.clear();
        Label1->show();
    } else {
        setWindowTitle(QStringLiteral("Edit XML"));
        Label1->hide();
    }
    Edit1->setFocus();
}

void TFsaveproj::BitBtn1Click()
{
    AllowClose = true;
    if (SaveProjMode != 0)
        return;
    NewProjectName = Edit1->text();
    const NewProjectOutcome outcome = CreateNewProject(m_context.paths, NewProjectDest, NewProjectName);
    for (const QString& message : outcome.messages)
        m_context.messages.showMessage(message);
    if (!outcome.error.isEmpty())
        m_context.messages.showError(outcome.error);
    AllowClose = outcome.created;
}

void TFsaveproj::BitBtn2Click()
{
    AllowClose = true;
}

void TFsaveproj::done(int result)
{
    if (AllowClose)
        QDialog::done(result);
}

void TFsaveproj::closeEvent(QCloseEvent* event)
{
    if (!AllowClose) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace velmaro
