#pragma once

#include "app/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFpargen : public QDialog
{
    Q_OBJECT
public:
    explicit TFpargen(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
