#pragma once

#include "app/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFBootSer : public QDialog
{
    Q_OBJECT
public:
    explicit TFBootSer(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
