#pragma once

#include "app/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFsaveproj : public QDialog
{
    Q_OBJECT
public:
    explicit TFsaveproj(AppContext& context, QWidget* parent = nullptr);

    int SaveProjMode = 0;    // 0: new project; 1: text prompt "Edit XML"
    QString NewProjectDest;  // directory under which the project is created
    QString NewProjectName;  // the name taken from the edit field on OK
    bool AllowClose = false; // whether the dialog may close now; kept between openings

private:
    AppContext& m_context;
};

} // namespace velmaro
