// The second reference for bench_startup: a plain Qt Widgets program whose only window holds the same
// controls as velmaro's main window (fourteen push buttons, five of them hidden, four bold labels and
// an underlined link label), laid out, sized and placed the same way. What velmaro takes beyond it is
// its own start-up work.

#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window.setWindowTitle(QStringLiteral("Quorvane Velmaro TQ4712 PROFIBUS / Serial :"));

    auto button = [&window](const QString& caption) { return new QPushButton(caption, &window); };
    auto stepLabel = [&window](const QString& text) {
        auto* label = new QLabel(text, &window);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        return label;
    };

    auto* top = new QHBoxLayout;
    top->addStretch();
    QPushButton* about = button(QStringLiteral("About"));
    QPushButton* close = button(QStringLiteral("X"));
    about->setMaximumWidth(60);
    close->setMaximumWidth(30);
    top->addWidget(about);
    top->addWidget(close);

    auto* steps = new QGridLayout;
    const QString captions[] = {QStringLiteral("New project"), QStringLiteral("Open project"),
                                QStringLiteral("Set Communication"), QStringLiteral("GSD File"),
                                QStringLiteral("Update Device")};
    QPushButton* stepButtons[5];
    for (int i = 0; i < 5; ++i) {
        stepButtons[i] = button(captions[i]);
        stepButtons[i]->setMinimumWidth(150);
    }
    steps->addWidget(stepLabel(QStringLiteral("Step 1")), 0, 0);
    steps->addWidget(stepButtons[0], 0, 1);
    steps->addWidget(stepButtons[1], 0, 2);
    steps->addWidget(stepLabel(QStringLiteral("Step 2")), 1, 0);
    steps->addWidget(stepButtons[2], 1, 1);
    steps->addWidget(stepLabel(QStringLiteral("Step 3")), 2, 0);
    steps->addWidget(stepButtons[3], 2, 1);
    steps->addWidget(stepLabel(QStringLiteral("Step 4")), 3, 0);
    steps->addWidget(stepButtons[4], 3, 1);
    steps->setHorizontalSpacing(12);
    steps->setVerticalSpacing(10);

    auto* hidden = new QHBoxLayout;
    for (const char* caption :
         {"Set Access ", "Set Traslate PDO", "Define store PDO", "Set Traslate EMCY", "Define EMCY Word"}) {
        QPushButton* b = button(QString::fromLatin1(caption));
        hidden->addWidget(b);
        b->setVisible(false);
    }

    auto* link = new QLabel(QStringLiteral("www.quorvane.example"), &window);
    link->setTextFormat(Qt::PlainText);
    QFont linkFont = link->font();
    linkFont.setUnderline(true);
    link->setFont(linkFont);
    QPalette linkPalette = link->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    link->setPalette(linkPalette);
    link->setCursor(Qt::PointingHandCursor);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(link);

    auto* layout = new QVBoxLayout(&window);
    layout->addLayout(top);
    layout->addLayout(steps);
    layout->addLayout(hidden);
    layout->addLayout(bottom);
    window.adjustSize();
    window.setFixedSize(window.sizeHint());

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return app.exec();
}
