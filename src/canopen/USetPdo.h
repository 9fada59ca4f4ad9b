#pragma once

#include "widgets/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFSetPdo : public QDialog
{
    Q_OBJECT
public:
    explicit TFSetPdo(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
