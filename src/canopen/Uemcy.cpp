#include "canopen/Uemcy.h"

namespace velmaro {

TFemcy::TFemcy(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFemcy").mid(1));
    setWindowTitle(QStringLiteral("Set Traslate EMCY"));
}

} // namespace velmaro
