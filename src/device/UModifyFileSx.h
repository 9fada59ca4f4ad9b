#pragma once

#include "widgets/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFModifyFileSx : public QDialog
{
    Q_OBJECT
public:
    explicit TFModifyFileSx(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
