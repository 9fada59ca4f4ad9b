#include "app/USELstringhe.h"

namespace velmaro {

TFSELstringhe::TFSELstringhe(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("FSELstringhe"));
    setWindowTitle(QStringLiteral("Select String"));
}

} // namespace velmaro
