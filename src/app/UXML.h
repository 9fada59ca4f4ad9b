#pragma once

#include "widgets/AppContext.h"

#include <QDialog>

namespace velmaro {

class TFXML : public QDialog
{
    Q_OBJECT
public:
    explicit TFXML(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& m_context;
};

} // namespace velmaro
