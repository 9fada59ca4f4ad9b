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

    // The product lines: a title over two lines, then captions (column 0) beside their values.
    struct Line
    {
        const char* name;
        QString text;
        int row, column, span;
    };
    const Line lines[] = {{"Label1", QStringLiteral("Software Velmaro "), 0, 0, 2},
                          {"Label2", QStringLiteral("PROFIBUS / Serial - Converter"), 1, 0, 2},
                          {"Label6", QStringLiteral("Software Code : "), 2, 0, 1},
                          {"Label9", QStringLiteral("TQ4712"), 2, 1, 1},
                          {"Label3", QStringLiteral("Version :"), 3, 0, 1},
                          {"Label10", QStringLiteral(VELMARO_VERSION), 3, 1, 1},
                          {"Label8", QStringLiteral("Document Code :"), 4, 0, 1},
                          {"Label12", ManualDocumentCode, 4, 1, 1}};
    auto* grid = new QGridLayout;
    QLabel* titleLabel = nullptr; // the first line
    for (const Line& line : lines) {
        QLabel* l = nullptr;
        label(l, line.name, line.text);
        l->setTextFormat(Qt::PlainText); // trailing blanks and "&" stay as they are
        grid->addWidget(l, line.row, line.column, 1, line.span);
        if (!titleLabel)
            titleLabel = l;
    }
    grid->setColumnStretch(1, 1);
    QFont title = titleLabel->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.4);
    titleLabel->setFont(title);

    label(Label4, "Label4", MakerWebAddress());
    MakeWebLink(Label4, this);

    LbButton1 = new QPushButton(QStringLiteral("OK"), this);
    LbButton1->setObjectName(QStringLiteral("LbButton1"));
    LbButton1->setDefault(true);
    connect(LbButton1, &QPushButton::clicked, this, &QDialog::accept);

    auto* left = new QVBoxLayout;
    left->addWidget(Image2);
    left->addStretch();
    left->addWidget(LbButton1);

    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addSpacing(12);
    body->addLayout(grid, 1);

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
