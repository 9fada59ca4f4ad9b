#pragma once

#include "widgets/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFHelp : public QDialog
{
    Q_OBJECT
public:
    explicit TFHelp(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
