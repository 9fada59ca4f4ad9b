#pragma once

// Virtual Modbus RTU slaves for a bench test: several slave addresses answered on one line, which a
// library server (one address per server) cannot do. Kept small: request framing by function code,
// CRC, and functions 3, 4, 6 and 16 over a register store.

#include "mapping/MappingSimulation.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <optional>
#include <utility>

namespace velmaro {

// CRC-16 of Modbus RTU (polynomial 0xA001 reflected, start 0xFFFF); sent low byte first.
quint16 ModbusCrc(const QByteArray& bytes);
// `frame` with its CRC appended.
QByteArray WithModbusCrc(QByteArray frame);

// "illegal data address" for 2; "exception N" for a code Modbus does not name.
QString ModbusExceptionName(int code);

// Cuts request frames out of the received bytes. The length of a request follows from its function
// (8 bytes for 1..6, 9 + byte count for 15 and 16); a frame whose CRC fails loses its first byte and
// the rest is searched again. `silence()` is called when the line has been quiet for the frame gap:
// what is left is taken as one frame when its CRC holds (a function of unknown length), else dropped.
class RequestCutter
{
public:
    void feed(const QByteArray& bytes) { m_buffer += bytes; }
    // The next complete frame with a good CRC, or nothing.
    std::optional<QByteArray> next();
    std::optional<QByteArray> silence();
    // Bytes thrown away since the last call, then 0.
    int takeDropped();

private:
    QByteArray m_buffer;
    int m_dropped = 0;
};

// The slaves and their registers.
class VirtualSlaves
{
public:
    // `slaves`: the addresses answered. `registers`: what functions 3 and 4 read. `writable`: holding
    // registers that functions 6 and 16 may write; they read as 0 until written unless `registers`
    // gives them a value.
    VirtualSlaves(QSet<int> slaves, RegisterValues registers, QSet<RegisterKey> writable);

    struct Answer
    {
        QByteArray reply; // with CRC; empty: no answer (another slave's request, or a broadcast)
        QString line;     // what happened, one line
    };
    // `frame`: a request with a good CRC.
    Answer respond(const QByteArray& frame);

    const RegisterValues& registers() const { return m_registers; }

private:
    struct Request;
    Answer readRegisters(const Request& request) const;
    Answer writeRegisters(const Request& request);
    static std::optional<std::pair<int, QVector<quint16>>> writtenValues(const Request& request);
    QSet<int> m_slaves;
    RegisterValues m_registers;
    QSet<RegisterKey> m_writable;
};

// The slaves a plan names, the registers of the values file, and the holding registers of every
// write row as writable.
VirtualSlaves SlavesForPlan(const RequestPlan& plan, const RegisterValues& registers);

} // namespace velmaro
