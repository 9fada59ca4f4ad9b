#include "mapping/Usdo.h"

namespace velmaro {

TFsdo::TFsdo(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("Fsdo"));
    setWindowTitle(QStringLiteral("Set SDO Access"));
}

} // namespace velmaro
