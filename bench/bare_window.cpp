// The reference for bench_startup: the least a Qt Widgets program does to show a main window.
// With --text it shows one line of text as well, which is what loads the fonts.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(640, 480);
    if (app.arguments().contains(QStringLiteral("--text")))
        window.setCentralWidget(new QLabel(QStringLiteral("Firmware Velmaro"), &window));
    window.show();
    return app.exec();
}
