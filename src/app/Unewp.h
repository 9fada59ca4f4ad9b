#pragma once

#include "widgets/AppContext.h"
#include "widgets/FormDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmaro {

// The new-project dialog; in mode 1 a plain one-line text prompt "Edit XML".
class TFsaveproj : public FormDialog
{
    Q_OBJECT
public:
    explicit TFsaveproj(AppContext& context, QWidget* parent = nullptr);

    int SaveProjMode = 0;    // 0: new project; 1: text prompt "Edit XML"
    QString NewProjectDest;  // directory under which the project is created
    QString NewProjectName;  // the name taken from the edit field on OK
    bool AllowClose = false; // whether the dialog may close now; kept between openings

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;

    void BitBtn1Click();
    void BitBtn2Click();

    // Every way of closing passes here: the dialog closes only while AllowClose is true.
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow() override;

    AppContext& m_context;
};

} // namespace velmaro
