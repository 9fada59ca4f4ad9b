#include "widgets/SvgIcon.h"

#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace velmaro {

namespace {

class SvgIconEngine : public QIconEngine
{
public:
    explicit SvgIconEngine(QString path) : m_path(std::move(path)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        QSvgRenderer(m_path).render(painter, rect);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        if (size.isEmpty())
            return QPixmap();
        const quint64 key = (quint64(quint32(size.width())) << 32) | quint32(size.height());
        auto found = m_drawn.constFind(key);
        if (found == m_drawn.constEnd()) {
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            paint(&painter, image.rect(), mode, state);
            painter.end();
            found = m_drawn.insert(key, QPixmap::fromImage(image));
        }
        return *found;
    }

    QIconEngine* clone() const override { return new SvgIconEngine(*this); }
    QString key() const override { return QStringLiteral("velmaro-svg"); }

private:
    QString m_path;
    QHash<quint64, QPixmap> m_drawn; // by width and height
};

} // namespace

QIcon SvgIcon(const QString& path)
{
    return QIcon(new SvgIconEngine(path));
}

} // namespace velmaro
