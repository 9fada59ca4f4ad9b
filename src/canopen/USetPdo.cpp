#include "canopen/USetPdo.h"

namespace velmaro {

TFSetPdo::TFSetPdo(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("FSetPdo"));
    setWindowTitle(QStringLiteral("Set PDO Access"));
}

} // namespace velmaro
