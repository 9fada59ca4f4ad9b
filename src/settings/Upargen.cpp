#include "settings/Upargen.h"

namespace velmaro {

TFpargen::TFpargen(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFpargen").mid(1));
    setWindowTitle(QStringLiteral("SET COMMUNICATION"));
}

} // namespace velmaro
