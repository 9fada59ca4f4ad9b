#include "app/UAbout.h"

#include "app/Application.h"
#include "app/UVelmaroFirmWare.h"
#include "base/Version.h"
#include "widgets/WindowStyle.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmaro {

namespace {

constexpr int LogoSide = 81;

} // namespace

TFAbout::TFAbout(AppContext& context, QWidget* parent)
    : FormDialog(Placement::Centred, parent), m_context(context)
{
    setObjectName(QStringLiteral("FAbout"));
    setWindowTitle(QStringLiteral("About..."));

    auto label = [this](QLabel*& l, const char* name, const QString& text) {
        l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };

    label(Image2, "Image2", QString());
    Image2->setFixedSize(LogoSide, LogoSide);
    Image2->setPixmap(LogoIcon().pixmap(QSize(LogoSide, LogoSide), devicePixelRatioF()));
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->installEventFilter(this);

    label(Label1, "Label1", QStringLiteral("Software Velmaro "));
    QFont title = Label1->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.4);
    Label1->setFont(title);
    label(Label2, "Label2", QStringLiteral("PROFIBUS / Serial - Converter"));
    label(Label6, "Label6", QStringLiteral("Software Code : "));
    label(Label9, "Label9", QStringLiteral("TQ4712"));
    label(Label3, "Label3", QStringLiteral("Version :"));
    label(Label10, "Label10", QStringLiteral(VELMARO_VERSION));
    label(Label8, "Label8", QStringLiteral("Document Code :"));
    label(Label12, "Label12", ManualDocumentCode);
    for (QLabel* l : {Label1, Label2, Label6, Label9, Label3, Label10, Label8, Label12})
        l->setTextFormat(Qt::PlainText); // trailing blanks and "&" stay as they are

    label(Label4, "Label4", MakerWebAddress());
    MakeWebLink(Label4, this);

    LbButton1 = new QPushButton(QStringLiteral("OK"), this);
    LbButton1->setObjectName(QStringLiteral("LbButton1"));
    LbButton1->setDefault(true);
    connect(LbButton1, &QPushButton::clicked, this, &QDialog::accept);

    auto* lines = new QGridLayout;
    lines->addWidget(Label1, 0, 0, 1, 2);
    lines->addWidget(Label2, 1, 0, 1, 2);
    lines->addWidget(Label6, 2, 0);
    lines->addWidget(Label9, 2, 1);
    lines->addWidget(Label3, 3, 0);
    lines->addWidget(Label10, 3, 1);
    lines->addWidget(Label8, 4, 0);
    lines->addWidget(Label12, 4, 1);
    lines->setColumnStretch(1, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(Image2);
    left->addStretch();
    left->addWidget(LbButton1);

    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addSpacing(12);
    body->addLayout(lines, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(ButtonRow({}, {Label4}));

    MakeFixedToolWindow(this);
}

void TFAbout::Label4Click()
{
    m_context.shell.openAddress(MakerHomePage());
}

bool TFAbout::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Label4 || watched == Image2) && IsLinkActivation(event)) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace velmaro
