#include "mapping/ModbusSlaves.h"

namespace velmaro {

namespace {

quint16 wordAt(const QByteArray& frame, int at)
{
    return quint16(quint8(frame.at(at)) << 8 | quint8(frame.at(at + 1)));
}

void appendWord(QByteArray& frame, quint16 word)
{
    frame.append(char(word >> 8));
    frame.append(char(word & 0xFF));
}

bool crcHolds(const QByteArray& frame)
{
    if (frame.size() < 4)
        return false;
    const quint16 crc = ModbusCrc(frame.left(frame.size() - 2));
    return quint8(frame.at(frame.size() - 2)) == (crc & 0xFF)
           && quint8(frame.at(frame.size() - 1)) == crc >> 8;
}

// Bytes of a request with this function, -1 when the byte count is not there yet, 0 when unknown.
int requestLength(const QByteArray& buffer)
{
    const int function = quint8(buffer.at(1));
    if (function >= 1 && function <= 6)
        return 8;
    if (function == 15 || function == 16)
        return buffer.size() < 7 ? -1 : 9 + quint8(buffer.at(6));
    return 0;
}

QString span(int first, int count)
{
    return QStringLiteral("registers %1..%2").arg(first).arg(first + count - 1);
}

} // namespace

quint16 ModbusCrc(const QByteArray& bytes)
{
    quint16 crc = 0xFFFF;
    for (char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

QByteArray WithModbusCrc(QByteArray frame)
{
    const quint16 crc = ModbusCrc(frame);
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

QString ModbusExceptionName(int code)
{
    switch (code) {
    case 1: return QStringLiteral("illegal function");
    case 2: return QStringLiteral("illegal data address");
    case 3: return QStringLiteral("illegal data value");
    case 4: return QStringLiteral("slave device failure");
    case 5: return QStringLiteral("acknowledge");
    case 6: return QStringLiteral("slave device busy");
    case 8: return QStringLiteral("memory parity error");
    case 10: return QStringLiteral("gateway path unavailable");
    case 11: return QStringLiteral("gateway target device failed to respond");
    default: return QStringLiteral("exception %1").arg(code);
    }
}

std::optional<QByteArray> RequestCutter::next()
{
    while (m_buffer.size() >= 2) {
        const int length = requestLength(m_buffer);
        if (length < 0 || length == 0 || m_buffer.size() < length)
            return std::nullopt; // wait for more, or for the silence that ends an unknown function
        QByteArray frame = m_buffer.left(length);
        if (crcHolds(frame)) {
            m_buffer.remove(0, length);
            return frame;
        }
        m_buffer.remove(0, 1);
        ++m_dropped;
    }
    return std::nullopt;
}

std::optional<QByteArray> RequestCutter::silence()
{
    QByteArray rest;
    rest.swap(m_buffer);
    if (crcHolds(rest))
        return rest;
    m_dropped += rest.size();
    return std::nullopt;
}

int RequestCutter::takeDropped()
{
    const int n = m_dropped;
    m_dropped = 0;
    return n;
}

VirtualSlaves::VirtualSlaves(QSet<int> slaves, RegisterValues registers, QSet<RegisterKey> writable)
    : m_slaves(std::move(slaves)), m_registers(std::move(registers)), m_writable(std::move(writable))
{
    for (const RegisterKey& key : std::as_const(m_writable)) {
        if (!m_registers.contains(key))
            m_registers.insert(key, 0);
    }
}

VirtualSlaves::Answer VirtualSlaves::respond(const QByteArray& frame)
{
    Answer answer;
    const int slave = quint8(frame.at(0));
    const int function = quint8(frame.at(1));
    const QString head = QStringLiteral("slave %1 function %2").arg(slave).arg(function);
    if (!m_slaves.contains(slave)) {
        answer.line = head + QStringLiteral(": not one of the virtual slaves, no answer");
        return answer;
    }
    const auto exception = [&](int code, const QString& what) {
        QByteArray reply;
        reply.append(char(slave));
        reply.append(char(function | 0x80));
        reply.append(char(code));
        answer.reply = WithModbusCrc(reply);
        answer.line =
            head + what + QStringLiteral(": exception %1 (%2)").arg(code).arg(ModbusExceptionName(code));
        return answer;
    };
    const int body = frame.size() - 2; // without CRC
    if (function == 3 || function == 4) {
        if (body != 6)
            return exception(3, QString());
        const int first = wordAt(frame, 2);
        const int count = wordAt(frame, 4);
        if (count < 1 || count > MaxReadRegisters)
            return exception(3, QStringLiteral(" count %1").arg(count));
        const RegisterKind kind = function == 3 ? RegisterKind::Holding : RegisterKind::Input;
        QByteArray reply;
        reply.append(char(slave));
        reply.append(char(function));
        reply.append(char(2 * count));
        QVector<quint16> values;
        for (int r = 0; r < count; ++r) {
            const auto found = m_registers.constFind({slave, kind, first + r});
            if (found == m_registers.constEnd() || first + r > 65535)
                return exception(2, QLatin1Char(' ') + span(first, count));
            values.append(*found);
            appendWord(reply, *found);
        }
        answer.reply = WithModbusCrc(reply);
        answer.line = head + QLatin1Char(' ') + span(first, count) + QStringLiteral(" read: ")
                      + RegisterValuesText(values);
        return answer;
    }
    if (function == 6 || function == 16) {
        int first = 0;
        QVector<quint16> values;
        if (function == 6) {
            if (body != 6)
                return exception(3, QString());
            first = wordAt(frame, 2);
            values.append(wordAt(frame, 4));
        } else {
            first = body >= 7 ? wordAt(frame, 2) : 0;
            const int count = body >= 7 ? wordAt(frame, 4) : 0;
            if (body < 7 || count < 1 || count > MaxWriteRegisters || quint8(frame.at(6)) != 2 * count
                || body != 7 + 2 * count)
                return exception(3, QString());
            for (int r = 0; r < count; ++r)
                values.append(wordAt(frame, 7 + 2 * r));
        }
        for (int r = 0; r < values.size(); ++r) {
            if (!m_writable.contains({slave, RegisterKind::Holding, first + r}))
                return exception(2, QLatin1Char(' ') + span(first, int(values.size())));
        }
        for (int r = 0; r < values.size(); ++r)
            m_registers.insert({slave, RegisterKind::Holding, first + r}, values.at(r));
        // Function 6 echoes the request; 16 answers address and count.
        answer.reply = function == 6 ? frame : WithModbusCrc(frame.left(6));
        answer.line = head + QLatin1Char(' ') + span(first, int(values.size())) + QStringLiteral(" written: ")
                      + RegisterValuesText(values);
        return answer;
    }
    return exception(1, QString());
}

VirtualSlaves SlavesForPlan(const RequestPlan& plan, const RegisterValues& registers)
{
    QSet<int> slaves;
    QSet<RegisterKey> writable;
    for (const ReadRequest& read : plan.reads)
        slaves.insert(read.slave);
    for (const WriteRequest& write : plan.writes) {
        slaves.insert(write.slave);
        for (int r = 0; r < write.count; ++r)
            writable.insert({write.slave, RegisterKind::Holding, write.first + r});
    }
    return VirtualSlaves(slaves, registers, writable);
}

} // namespace velmaro
