#include "canopen/Updo.h"

namespace velmaro {

TFpdo::TFpdo(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFpdo").mid(1));
    setWindowTitle(QStringLiteral("Define Traslate PDO"));
}

} // namespace velmaro
