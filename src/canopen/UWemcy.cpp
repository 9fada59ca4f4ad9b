#include "canopen/UWemcy.h"

namespace velmaro {

TFWemcy::TFWemcy(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFWemcy").mid(1));
    setWindowTitle(QStringLiteral("Define EMCY Word"));
}

} // namespace velmaro
