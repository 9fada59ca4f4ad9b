#pragma once

#include "widgets/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFSELstringhe : public QDialog
{
    Q_OBJECT
public:
    explicit TFSELstringhe(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
