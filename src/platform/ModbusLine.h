#pragma once

// The serial line of the bench: a Modbus RTU master (framing, CRC and timing by libmodbus) and a
// plain byte line for the virtual slaves and the monitor. Tests and the window see only these
// interfaces; CreateModbusMaster and CreateSerialByteLine give the implementations on libmodbus
// and on the system serial layer (library velmaro_line).

#include "platform/SerialTypes.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

namespace velmaro {

struct SerialLineOptions
{
    QString device; // device path
    int baudRate = 115200;
    SerialParity parity = SerialParity::None;
    SerialDataBits dataBits = SerialDataBits::Eight;
    SerialStopBits stopBits = SerialStopBits::One;
    int timeoutMs = 1000; // reply time-out of the master
};

struct ModbusOutcome
{
    enum Kind
    {
        Ok,        // `values` holds the registers read (none for a write)
        NoReply,   // nothing usable arrived within the time-out
        Exception, // the slave answered `exceptionCode`
        Damaged,   // a reply arrived that is not a valid answer
        Failed     // the line itself failed (`text` says why)
    };
    Kind kind = Failed;
    int exceptionCode = 0;
    QVector<quint16> values;
    QString text; // the library's or system's words, for Damaged and Failed
};

class IModbusMaster
{
public:
    virtual ~IModbusMaster() = default;
    // Opens the port; an empty text, or why it could not be opened.
    virtual QString open(const SerialLineOptions& options) = 0;
    virtual void close() = 0;
    // Requests run in the order given: `done` runs once, on the thread that made the master, from its
    // event loop, and never after close() or the master's end (a request on the line then is dropped).
    // `function`: 3 holding registers, 4 input registers.
    virtual void read(int slave, int function, int first, int count,
                      std::function<void(const ModbusOutcome&)> done) = 0;
    // Function 16.
    virtual void write(int slave, int first, const QVector<quint16>& values,
                       std::function<void(const ModbusOutcome&)> done) = 0;
};

class ISerialByteLine
{
public:
    virtual ~ISerialByteLine() = default;
    virtual QString open(const SerialLineOptions& options) = 0;
    virtual void close() = 0;
    virtual void write(const QByteArray& bytes) = 0;
    // Runs from the event loop with every chunk of received bytes; `failed` when the line fails.
    std::function<void(const QByteArray&)> received;
    std::function<void(const QString&)> failed;
};

std::unique_ptr<IModbusMaster> CreateModbusMaster();
std::unique_ptr<ISerialByteLine> CreateSerialByteLine();

// From now on SIGINT and SIGTERM call `handler` from the event loop instead of ending the process; an
// empty handler gives them back their default action.
void HandleTerminationSignals(std::function<void()> handler);

} // namespace velmaro
