#pragma once

#include "app/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFSetVar : public QDialog
{
    Q_OBJECT
public:
    explicit TFSetVar(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
