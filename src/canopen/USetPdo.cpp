#include "canopen/USetPdo.h"

namespace velmaro {

TFSetPdo::TFSetPdo(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFSetPdo").mid(1));
    setWindowTitle(QStringLiteral("Set PDO Access"));
}

} // namespace velmaro
