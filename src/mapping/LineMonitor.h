#pragma once

// The transparent serial mode's framing, for the line monitor: received bytes are cut into frames as the
// gateway cuts them, by an end character (Ser_Receive_End_C, kept as the frame's last byte) or by a
// silence of Ser_Receive_End_T ms.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace velmaro {

class ReceiveCutter
{
public:
    // `byTimeout`: frames end with silence; otherwise with `endChar`.
    ReceiveCutter(bool byTimeout, int endChar) : m_byTimeout(byTimeout), m_endChar(char(endChar)) {}
    // The frames the bytes complete (none when cutting by silence).
    QList<QByteArray> feed(const QByteArray& bytes);
    // The line was quiet for the end time: with cutting by silence what was received since the last
    // frame, else nothing.
    std::optional<QByteArray> silence();
    // What was received after the last frame (shown when the monitor ends).
    QByteArray rest() const { return m_buffer; }

private:
    bool m_byTimeout;
    char m_endChar;
    QByteArray m_buffer;
};

// "     123 ms   5 bytes  48 65 6C 6C 0D  |Hell.|": the time in ms, the length ("1 byte "), the hex
// bytes and the bytes 0x20..0x7E as text, every other byte as '.'.
QString MonitorLine(qint64 ms, const QByteArray& frame);

} // namespace velmaro
