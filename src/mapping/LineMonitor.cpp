#include "mapping/LineMonitor.h"

#include "mapping/MappingSimulation.h"

namespace velmaro {

QList<QByteArray> ReceiveCutter::feed(const QByteArray& bytes)
{
    QList<QByteArray> frames;
    if (m_byTimeout) {
        m_buffer += bytes;
        return frames;
    }
    for (char byte : bytes) {
        m_buffer.append(byte);
        if (byte == m_endChar) {
            frames.append(m_buffer);
            m_buffer.clear();
        }
    }
    return frames;
}

std::optional<QByteArray> ReceiveCutter::silence()
{
    if (!m_byTimeout || m_buffer.isEmpty())
        return std::nullopt;
    QByteArray frame;
    frame.swap(m_buffer);
    return frame;
}

QString MonitorLine(qint64 ms, const QByteArray& frame)
{
    QString text;
    for (char c : frame)
        text += (c >= 0x20 && c <= 0x7E) ? QChar::fromLatin1(c) : QLatin1Char('.');
    // "byte " keeps the hex bytes in the column of the longer frames.
    return QStringLiteral("%1 ms %2 %3  %4  |%5|")
        .arg(ms, 8)
        .arg(frame.size(), 3)
        .arg(frame.size() == 1 ? QStringLiteral("byte ") : QStringLiteral("bytes"), HexLine(frame), text);
}

} // namespace velmaro
