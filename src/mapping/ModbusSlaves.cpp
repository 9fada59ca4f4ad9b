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
    default: return QStringLiteral("unknown code");
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

// A request with a good CRC, taken apart.
struct VirtualSlaves::Request
{
    explicit Request(const QByteArray& f)
        : frame(f), slave(quint8(f.at(0))), function(quint8(f.at(1))), body(int(f.size()) - 2),
          head(QStringLiteral("slave %1 function %2").arg(slave).arg(function))
    {
    }
    const QByteArray& frame;
    int slave;
    int function;
    int body; // bytes without CRC
    QString head;

    // The exception reply with `code`; `what` follows the head in the line.
    Answer exception(int code, const QString& what) const
    {
        QByteArray reply;
        reply.append(char(slave));
        reply.append(char(function | 0x80));
        reply.append(char(code));
        return {WithModbusCrc(reply),
                head + what + QStringLiteral(": exception %1 (%2)").arg(code).arg(ModbusExceptionName(code))};
    }
};

VirtualSlaves::Answer VirtualSlaves::respond(const QByteArray& frame)
{
    const Request request(frame);
    if (!m_slaves.contains(request.slave))
        return {QByteArray(), request.head + QStringLiteral(": not one of the virtual slaves, no answer")};
    if (request.function == 3 || request.function == 4)
        return readRegisters(request);
    if (request.function == 6 || request.function == 16)
        return writeRegisters(request);
    return request.exception(1, QString());
}

// Functions 3 and 4.
VirtualSlaves::Answer VirtualSlaves::readRegisters(const Request& request) const
{
    const QByteArray& frame = request.frame;
    if (request.body != 6)
        return request.exception(3, QString());
    const int first = wordAt(frame, 2);
    const int count = wordAt(frame, 4);
    if (count < 1 || count > MaxReadRegisters)
        return request.exception(3, QStringLiteral(" count %1").arg(count));
    const RegisterKind kind = request.function == 3 ? RegisterKind::Holding : RegisterKind::Input;
    QByteArray reply;
    reply.append(char(request.slave));
    reply.append(char(request.function));
    reply.append(char(2 * count));
    QVector<quint16> values;
    for (int r = 0; r < count; ++r) {
        const auto found = m_registers.constFind({request.slave, kind, first + r});
        if (found == m_registers.constEnd() || first + r > 65535)
            return request.exception(2, QLatin1Char(' ') + span(first, count));
        values.append(*found);
        appendWord(reply, *found);
    }
    return {WithModbusCrc(reply), request.head + QLatin1Char(' ') + span(first, count)
                                      + QStringLiteral(" read: ") + RegisterValuesText(values)};
}

// The first register and the values a request of function 6 or 16 writes; nothing when it is malformed.
std::optional<std::pair<int, QVector<quint16>>> VirtualSlaves::writtenValues(const Request& request)
{
    const QByteArray& frame = request.frame;
    const int body = request.body;
    QVector<quint16> values;
    if (request.function == 6) {
        if (body != 6)
            return std::nullopt;
        values.append(wordAt(frame, 4));
        return std::make_pair(int(wordAt(frame, 2)), values);
    }
    const int first = body >= 7 ? wordAt(frame, 2) : 0;
    const int count = body >= 7 ? wordAt(frame, 4) : 0;
    if (body < 7 || count < 1 || count > MaxWriteRegisters || quint8(frame.at(6)) != 2 * count
        || body != 7 + 2 * count)
        return std::nullopt;
    for (int r = 0; r < count; ++r)
        values.append(wordAt(frame, 7 + 2 * r));
    return std::make_pair(first, values);
}

// Functions 6 and 16.
VirtualSlaves::Answer VirtualSlaves::writeRegisters(const Request& request)
{
    const std::optional<std::pair<int, QVector<quint16>>> written = writtenValues(request);
    if (!written)
        return request.exception(3, QString());
    const auto& [first, values] = *written;
    const int slave = request.slave;
    for (int r = 0; r < values.size(); ++r) {
        if (!m_writable.contains({slave, RegisterKind::Holding, first + r}))
            return request.exception(2, QLatin1Char(' ') + span(first, int(values.size())));
    }
    for (int r = 0; r < values.size(); ++r)
        m_registers.insert({slave, RegisterKind::Holding, first + r}, values.at(r));
    // Function 6 echoes the request; 16 answers address and count.
    return {request.function == 6 ? request.frame : WithModbusCrc(request.frame.left(6)),
            request.head + QLatin1Char(' ') + span(first, int(values.size())) + QStringLiteral(" written: ")
                + RegisterValuesText(values)};
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
