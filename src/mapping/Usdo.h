#pragma once

#include "widgets/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFsdo : public QDialog
{
    Q_OBJECT
public:
    explicit TFsdo(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
