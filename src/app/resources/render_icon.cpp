// Build-time tool: draws an SVG into square PNG files, one per size, for the hicolor icon theme.
// Usage: render_icon SVG OUT_DIR NAME SIZE... (writes OUT_DIR/SIZExSIZE/apps/NAME.png)
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: render_icon SVG OUT_DIR NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_icon: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    for (qsizetype i = 4; i < args.size(); ++i) {
        const int size = args.at(i).toInt();
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args.at(2)).arg(size);
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        if (!QDir().mkpath(dir)
            || !image.save(dir + QLatin1Char('/') + args.at(3) + QStringLiteral(".png"))) {
            std::fprintf(stderr, "render_icon: cannot write into %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
