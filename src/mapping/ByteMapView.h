#pragma once

#include "mapping/ByteMap.h"

#include <QWidget>

namespace velmaro {

// Draws one table's byte map as ByteMap computed it: one cell per byte, BytesPerLine to a line, each line
// headed by its first byte number. Hovering a cell names the rows that use the byte; clicking a used byte
// reports the first of them.
class ByteMapView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int BytesPerLine = 32;

    explicit ByteMapView(QWidget* parent = nullptr);

    void setMap(const ByteMap& map);
    // A text drawn in each byte's cell (the byte's value in hex, for the bench); empty: none.
    void setCellTexts(const QStringList& texts);
    const QStringList& cellTexts() const { return m_texts; }
    const ByteMap& map() const { return m_map; }

    // The byte under a point of the widget, or -1.
    qint64 byteAt(const QPoint& point) const;
    // The middle of a byte's cell (for tests and for scrolling a byte into view).
    QPoint cellCenter(qint64 byte) const;
    // "Byte 12: row 1 (slave 1, register 0), row 2 (slave 2, register 5)", or "Byte 12: free".
    QString byteToolTip(qint64 byte) const;

    // The colour of each state, shared with the legend.
    static QColor colorOf(ByteUse use);

    // Height of the first `n` lines of cells.
    int heightForLines(int n) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // A used byte was clicked: `row` is the first row (from 1) that uses it.
    void rowClicked(int row);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int lines() const;
    QRect cellRect(qint64 byte) const;
    int labelWidth() const;

    ByteMap m_map;
    QStringList m_texts;
};

// "■ free  ■ used  ■ collision  ■ beyond the data length", in the map's colours, and the mark at the
// first byte of a row.
QWidget* MakeByteMapLegend(QWidget* parent);

} // namespace velmaro
