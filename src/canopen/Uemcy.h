#pragma once

#include "app/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFemcy : public QDialog
{
    Q_OBJECT
public:
    explicit TFemcy(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
