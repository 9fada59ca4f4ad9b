#include "mapping/ByteMapView.h"

#include "base/IntegerText.h"

#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolTip>

namespace velmaro {

namespace {

constexpr int CellWidth = 16;
constexpr int CellHeight = 14;

// The mark of a byte where a row begins: a dark corner at the top left of its cell, apart from the
// stronger edge every eighth byte has (byte 0 included).
void drawRowStart(QPainter& p, const QRect& cell, const QColor& color)
{
    const QPoint corner = cell.topLeft() + QPoint(1, 1);
    const QPoint points[] = {corner, corner + QPoint(6, 0), corner + QPoint(0, 6)};
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(points, 3);
    p.restore();
}

} // namespace

ByteMapView::ByteMapView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ByteMapView::setCellTexts(const QStringList& texts)
{
    m_texts = texts;
    update();
}

void ByteMapView::setMap(const ByteMap& map)
{
    const int before = lines();
    m_map = map;
    if (lines() != before) {
        // Inside a scroll area the widget keeps the size it is given: take the new one at once.
        resize(sizeHint());
        updateGeometry();
    }
    update();
}

int ByteMapView::lines() const
{
    return int((m_map.bytes.size() + BytesPerLine - 1) / BytesPerLine);
}

int ByteMapView::labelWidth() const
{
    return fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 6;
}

int ByteMapView::heightForLines(int n) const
{
    return n * CellHeight + 1;
}

QSize ByteMapView::sizeHint() const
{
    return {labelWidth() + BytesPerLine * CellWidth + 1, heightForLines(std::max(lines(), 1))};
}

QSize ByteMapView::minimumSizeHint() const
{
    return sizeHint();
}

QRect ByteMapView::cellRect(qint64 byte) const
{
    const int line = int(byte / BytesPerLine);
    const int column = int(byte % BytesPerLine);
    return {labelWidth() + column * CellWidth, line * CellHeight, CellWidth, CellHeight};
}

qint64 ByteMapView::byteAt(const QPoint& point) const
{
    const int x = point.x() - labelWidth();
    if (x < 0 || point.y() < 0 || x >= BytesPerLine * CellWidth)
        return -1;
    const qint64 byte = qint64(point.y() / CellHeight) * BytesPerLine + x / CellWidth;
    return byte < m_map.bytes.size() ? byte : -1;
}

QPoint ByteMapView::cellCenter(qint64 byte) const
{
    return cellRect(byte).center();
}

QString ByteMapView::byteToolTip(qint64 byte) const
{
    QString text = QStringLiteral("Byte ") + QString::number(byte);
    if (byte >= m_map.length)
        text += QStringLiteral(" (beyond the data length of ") + ByteCount(m_map.length) + QLatin1Char(')');
    QStringList rows;
    for (const ByteRow& r : m_map.rows) {
        if (byte >= r.first && byte <= r.last)
            rows << DescribeRow(r);
    }
    return text + QStringLiteral(": ")
           + (rows.isEmpty() ? QStringLiteral("free") : rows.join(QStringLiteral(", ")));
}

QColor ByteMapView::colorOf(ByteUse use)
{
    switch (use) {
    case ByteUse::Free: return QColor(0xf4, 0xf4, 0xf4);
    case ByteUse::Used: return QColor(0x7c, 0xc5, 0x76);
    case ByteUse::Collision: return QColor(0xe0, 0x3c, 0x31);
    case ByteUse::Beyond: return QColor(0xf0, 0xa0, 0x30);
    }
    return {};
}

bool ByteMapView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const qint64 byte = byteAt(help->pos());
        if (byte < 0) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), byteToolTip(byte), this, cellRect(byte));
        }
        return true;
    }
    return QWidget::event(event);
}

void ByteMapView::mousePressEvent(QMouseEvent* event)
{
    const qint64 byte = byteAt(event->position().toPoint());
    const QList<int> rows = byte < 0 ? QList<int>() : RowsAtByte(m_map, byte);
    if (event->button() == Qt::LeftButton && !rows.isEmpty()) {
        Q_EMIT rowClicked(rows.first());
        return;
    }
    QWidget::mousePressEvent(event);
}

void ByteMapView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor grid = palette().color(QPalette::Mid);
    p.setPen(palette().color(QPalette::WindowText));
    for (int line = 0; line < lines(); ++line) {
        const QRect label(0, line * CellHeight, labelWidth() - 4, CellHeight);
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QString::number(qint64(line) * BytesPerLine));
    }
    for (qint64 b = 0; b < m_map.bytes.size(); ++b) {
        const QRect r = cellRect(b);
        p.fillRect(r, colorOf(m_map.bytes[b]));
        p.setPen(grid);
        p.drawRect(r);
        // Every eighth byte gets a stronger left edge, so a byte is easy to count.
        if (b % 8 == 0)
            p.drawLine(r.topLeft() + QPoint(1, 0), r.bottomLeft() + QPoint(1, 0));
    }
    if (!m_texts.isEmpty()) {
        QFont small = font();
        small.setPixelSize(CellHeight - 5);
        p.setFont(small);
        p.setPen(palette().color(QPalette::WindowText));
        for (qint64 b = 0; b < m_map.bytes.size() && b < m_texts.size(); ++b)
            p.drawText(cellRect(b), Qt::AlignCenter, m_texts.at(int(b)));
        p.setFont(font());
    }
    // A dark mark where each row begins, so that rows following each other stay apart.
    for (const ByteRow& row : m_map.rows) {
        if (row.first < 0 || row.first >= m_map.bytes.size())
            continue;
        drawRowStart(p, cellRect(row.first), palette().color(QPalette::WindowText));
    }
    // The data length ends at the boundary drawn in the text colour.
    if (m_map.length > 0 && m_map.length < m_map.bytes.size()) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 2));
        const QRect r = cellRect(m_map.length);
        p.drawLine(r.topLeft(), r.bottomLeft());
    }
}

QWidget* MakeByteMapLegend(QWidget* parent)
{
    auto* legend = new QWidget(parent);
    auto* layout = new QHBoxLayout(legend);
    layout->setContentsMargins(0, 0, 0, 0);
    const QList<QPair<ByteUse, QString>> items = {
        {ByteUse::Free, QStringLiteral("free")},
        {ByteUse::Used, QStringLiteral("used")},
        {ByteUse::Collision, QStringLiteral("collision")},
        {ByteUse::Beyond, QStringLiteral("beyond the data length")},
    };
    for (const auto& item : items) {
        auto* swatch = new QLabel(legend);
        swatch->setFixedSize(CellWidth, CellHeight);
        swatch->setFrameShape(QFrame::Box);
        swatch->setAutoFillBackground(true);
        QPalette pal = swatch->palette();
        pal.setColor(QPalette::Window, ByteMapView::colorOf(item.first));
        swatch->setPalette(pal);
        layout->addWidget(swatch);
        layout->addWidget(new QLabel(item.second, legend));
        layout->addSpacing(8);
    }
    // The mark at the byte where a row begins, drawn on a used byte as in the map.
    QPixmap start(CellWidth, CellHeight);
    start.fill(ByteMapView::colorOf(ByteUse::Used));
    {
        QPainter p(&start);
        p.setPen(legend->palette().color(QPalette::Mid));
        p.drawRect(0, 0, CellWidth - 1, CellHeight - 1);
        drawRowStart(p, QRect(0, 0, CellWidth, CellHeight), legend->palette().color(QPalette::WindowText));
    }
    auto* mark = new QLabel(legend);
    mark->setObjectName(QStringLiteral("RowStartMark"));
    mark->setPixmap(start);
    layout->addWidget(mark);
    layout->addWidget(new QLabel(QStringLiteral("first byte of a row"), legend));
    layout->addStretch();
    return legend;
}

} // namespace velmaro
