#include "app/UAbout.h"

namespace velmaro {

TFAbout::TFAbout(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFAbout").mid(1));
    setWindowTitle(QStringLiteral("About..."));
}

} // namespace velmaro
