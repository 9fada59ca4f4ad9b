#pragma once

#include "app/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFInfopdo : public QDialog
{
    Q_OBJECT
public:
    explicit TFInfopdo(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
