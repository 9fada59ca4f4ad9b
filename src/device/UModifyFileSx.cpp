#include "device/UModifyFileSx.h"

namespace velmaro {

TFModifyFileSx::TFModifyFileSx(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("FModifyFileSx"));
    setWindowTitle(QStringLiteral("Generate Firmware"));
}

} // namespace velmaro
