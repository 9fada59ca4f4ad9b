#include "canopen/UInfoPdo.h"

namespace velmaro {

TFInfopdo::TFInfopdo(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFInfopdo").mid(1));
    setWindowTitle(QStringLiteral("Define Store PDO"));
}

} // namespace velmaro
