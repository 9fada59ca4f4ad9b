#pragma once

#include "widgets/AppContext.h"
#include "widgets/FormDialog.h"

class QLabel;
class QPushButton;

namespace velmaro {

// The product data, the maker's logo and the link to the maker's web site.
class TFAbout : public FormDialog
{
    Q_OBJECT
public:
    explicit TFAbout(AppContext& context, QWidget* parent = nullptr);

    QLabel* Image2 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* LbButton1 = nullptr;

    void Label4Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppContext& m_context;
};

// The manual's document code shown in the About window.
inline const QString ManualDocumentCode = QStringLiteral("QV-TQ4712-UM-01");

} // namespace velmaro
