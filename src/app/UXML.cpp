#include "app/UXML.h"

namespace velmaro {

TFXML::TFXML(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("FXML"));
    setWindowTitle(QStringLiteral("XML Reader & Writer"));
}

} // namespace velmaro
