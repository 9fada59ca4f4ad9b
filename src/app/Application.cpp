#include "app/Application.h"

#include "platform/Dialogs.h"

#include <QDirIterator>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QPixmap>

#include <exception>

namespace velmaro {

namespace {

// The logo from the PNG files drawn at build time, one per side length. A size is read the first time
// it is asked for (the nearest larger file, scaled down when it differs) and kept.
class LogoIconEngine : public QIconEngine
{
public:
    explicit LogoIconEngine(QMap<int, QString> files) : m_files(std::move(files)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        if (size.isEmpty() || m_files.isEmpty())
            return QPixmap();
        const quint64 key = (quint64(quint32(size.width())) << 32) | quint32(size.height());
        auto found = m_drawn.constFind(key);
        if (found == m_drawn.constEnd()) {
            auto file = m_files.lowerBound(qMax(size.width(), size.height()));
            if (file == m_files.constEnd())
                --file;
            QImage image(file.value());
            if (image.size() != size)
                image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            found = m_drawn.insert(key, QPixmap::fromImage(image));
        }
        return *found;
    }

    QIconEngine* clone() const override { return new LogoIconEngine(*this); }
    QString key() const override { return QStringLiteral("velmaro-logo"); }

private:
    QMap<int, QString> m_files;      // by side length
    QHash<quint64, QPixmap> m_drawn; // by width and height
};

} // namespace

QIcon LogoIcon()
{
    QMap<int, QString> files; // resource ":/velmaro/icons/<N>x<N>/apps/<name>.png"
    QDirIterator it(QStringLiteral(":/velmaro/icons"), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString folder = path.section(QLatin1Char('/'), -3, -3);
        files.insert(folder.section(QLatin1Char('x'), 0, 0).toInt(), path);
    }
    return QIcon(new LogoIconEngine(files));
}

VelmaroApplication::VelmaroApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Firmware Velmaro"));
    // Ties the windows to the desktop entry (and its icon) where the desktop asks for it.
    setDesktopFileName(QStringLiteral("example.quorvane.Velmaro"));
    // Every window shows the logo.
    setWindowIcon(LogoIcon());
}

bool VelmaroApplication::notify(QObject* receiver, QEvent* event)
{
    QString text;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Unexpected error");
    }
    if (m_messages)
        m_messages->showError(text);
    return false;
}

} // namespace velmaro
