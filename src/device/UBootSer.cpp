#include "device/UBootSer.h"

namespace velmaro {

TFBootSer::TFBootSer(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFBootSer").mid(1));
    setWindowTitle(QStringLiteral("Update Firmware from Serial (RS232)"));
}

} // namespace velmaro
