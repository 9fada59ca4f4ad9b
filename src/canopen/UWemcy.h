#pragma once

#include "app/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFWemcy : public QDialog
{
    Q_OBJECT
public:
    explicit TFWemcy(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
