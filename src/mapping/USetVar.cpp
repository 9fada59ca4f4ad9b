#include "mapping/USetVar.h"

namespace velmaro {

TFSetVar::TFSetVar(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFSetVar").mid(1));
    setWindowTitle(QStringLiteral("Set SDO Access"));
}

} // namespace velmaro
