#pragma once

#include "app/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TFAbout(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
