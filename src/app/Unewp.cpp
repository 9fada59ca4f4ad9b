#include "app/Unewp.h"

namespace velmaro {

TFsaveproj::TFsaveproj(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFsaveproj").mid(1));
    setWindowTitle(QStringLiteral("New project"));
}

} // namespace velmaro
