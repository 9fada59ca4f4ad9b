#include "app/UHelp.h"

namespace velmaro {

TFHelp::TFHelp(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("FHelp"));
    setWindowTitle(QStringLiteral("Help"));
}

} // namespace velmaro
