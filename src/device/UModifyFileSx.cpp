#include "device/UModifyFileSx.h"

namespace velmaro {

TFModifyFileSx::TFModifyFileSx(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFModifyFileSx").mid(1));
    setWindowTitle(QStringLiteral("Generate Firmware"));
}

} // namespace velmaro
