#pragma once

#include "app/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFpdo : public QDialog
{
    Q_OBJECT
public:
    explicit TFpdo(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
