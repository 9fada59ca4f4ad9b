// The bench's serial line on Qt SerialBus (Modbus RTU master) and Qt SerialPort (byte line).
#include "platform/ModbusLine.h"

#include <QLoggingCategory>
#include <QModbusReply>
#include <QModbusRtuSerialClient>
#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QVariant>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmaro {

namespace {

QSerialPort::Parity parityOf(SerialParity parity)
{
    switch (parity) {
    case SerialParity::None: break;
    case SerialParity::Odd: return QSerialPort::OddParity;
    case SerialParity::Even: return QSerialPort::EvenParity;
    case SerialParity::Mark: return QSerialPort::MarkParity;
    case SerialParity::Space: return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits stopBitsOf(SerialStopBits stopBits)
{
    switch (stopBits) {
    case SerialStopBits::One: break;
    case SerialStopBits::OneAndHalf: return QSerialPort::OneAndHalfStop;
    case SerialStopBits::Two: return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

// Why the library dropped what arrived for `reply`, empty when nothing arrived.
QString droppedReply(const QModbusReply& reply)
{
    const QList<QModbusDevice::IntermediateError> errors = reply.intermediateErrors();
    if (errors.contains(QModbusDevice::ResponseCrcError))
        return QStringLiteral("its CRC is wrong");
    if (errors.contains(QModbusDevice::ResponseRequestMismatch))
        return QStringLiteral("it answers another slave address or function");
    return {};
}

ModbusOutcome outcomeOf(QModbusReply* reply)
{
    ModbusOutcome outcome;
    switch (reply->error()) {
    case QModbusDevice::NoError: {
        outcome.kind = ModbusOutcome::Ok;
        const QModbusDataUnit unit = reply->result();
        for (qsizetype i = 0; i < unit.valueCount(); ++i)
            outcome.values.append(unit.value(i));
        return outcome;
    }
    case QModbusDevice::ProtocolError:
        if (reply->rawResult().isException()) {
            outcome.kind = ModbusOutcome::Exception;
            outcome.exceptionCode = int(reply->rawResult().exceptionCode());
            return outcome;
        }
        outcome.kind = ModbusOutcome::Damaged;
        break;
    case QModbusDevice::TimeoutError:
        // The library drops a reply with a wrong CRC or from another slave and waits out the time-out:
        // that reply was damaged, not missing.
        if (const QString damage = droppedReply(*reply); !damage.isEmpty()) {
            outcome.kind = ModbusOutcome::Damaged;
            outcome.text = damage;
            return outcome;
        }
        outcome.kind = ModbusOutcome::NoReply;
        break;
    case QModbusDevice::ConnectionError:
    case QModbusDevice::ReadError:
    case QModbusDevice::WriteError: outcome.kind = ModbusOutcome::Failed; break;
    default: outcome.kind = ModbusOutcome::Damaged; break;
    }
    outcome.text = reply->errorString();
    return outcome;
}

class QtModbusMaster : public IModbusMaster
{
public:
    QString open(const SerialLineOptions& o) override
    {
        close();
        m_client = new QModbusRtuSerialClient;
        m_client->setConnectionParameter(QModbusDevice::SerialPortNameParameter, o.device);
        m_client->setConnectionParameter(QModbusDevice::SerialBaudRateParameter, o.baudRate);
        m_client->setConnectionParameter(QModbusDevice::SerialParityParameter, parityOf(o.parity));
        m_client->setConnectionParameter(QModbusDevice::SerialDataBitsParameter, int(o.dataBits));
        m_client->setConnectionParameter(QModbusDevice::SerialStopBitsParameter, stopBitsOf(o.stopBits));
        m_client->setTimeout(o.timeoutMs);
        m_client->setNumberOfRetries(0);
        if (!m_client->connectDevice() || m_client->state() != QModbusDevice::ConnectedState) {
            const QString why = m_client->errorString();
            close();
            return why.isEmpty() ? QStringLiteral("the port cannot be opened") : why;
        }
        return {};
    }
    void close() override
    {
        if (!m_client)
            return;
        m_client->disconnectDevice();
        delete m_client;
        m_client = nullptr;
    }
    ~QtModbusMaster() override { close(); }

    void read(int slave, int function, int first, int count,
              std::function<void(const ModbusOutcome&)> done) override
    {
        const auto table =
            function == 4 ? QModbusDataUnit::InputRegisters : QModbusDataUnit::HoldingRegisters;
        send(m_client ? m_client->sendReadRequest(QModbusDataUnit(table, first, quint16(count)), slave)
                      : nullptr,
             std::move(done));
    }
    void write(int slave, int first, const QVector<quint16>& values,
               std::function<void(const ModbusOutcome&)> done) override
    {
        // A write request with function 16 whatever the count: the gateway writes its rows so.
        const QModbusRequest request =
            QModbusRequest(QModbusRequest::WriteMultipleRegisters, quint16(first), quint16(values.size()),
                           quint8(2 * values.size()), values);
        send(m_client ? m_client->sendRawRequest(request, slave) : nullptr, std::move(done));
    }

private:
    void send(QModbusReply* reply, std::function<void(const ModbusOutcome&)> done)
    {
        if (!reply) {
            ModbusOutcome failed;
            failed.text = m_client ? m_client->errorString() : QStringLiteral("the port is not open");
            done(failed);
            return;
        }
        if (reply->isFinished()) {
            const ModbusOutcome outcome = outcomeOf(reply);
            reply->deleteLater();
            done(outcome);
            return;
        }
        QObject::connect(reply, &QModbusReply::finished, reply, [reply, done = std::move(done)] {
            const ModbusOutcome outcome = outcomeOf(reply);
            reply->deleteLater();
            done(outcome);
        });
    }

    QModbusRtuSerialClient* m_client = nullptr;
};

class QtSerialByteLine : public ISerialByteLine
{
public:
    QString open(const SerialLineOptions& o) override
    {
        close();
        m_port = new QSerialPort;
        m_port->setPortName(o.device);
        m_port->setBaudRate(o.baudRate);
        m_port->setParity(parityOf(o.parity));
        m_port->setDataBits(QSerialPort::DataBits(int(o.dataBits)));
        m_port->setStopBits(stopBitsOf(o.stopBits));
        m_port->setFlowControl(QSerialPort::NoFlowControl);
        if (!m_port->open(QIODevice::ReadWrite)) {
            const QString why = m_port->errorString();
            close();
            return why;
        }
        QObject::connect(m_port, &QSerialPort::readyRead, m_port, [this] {
            const QByteArray bytes = m_port->readAll();
            if (received && !bytes.isEmpty())
                received(bytes);
        });
        QObject::connect(m_port, &QSerialPort::errorOccurred, m_port, [this](QSerialPort::SerialPortError e) {
            if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError && failed)
                failed(m_port->errorString());
        });
        return {};
    }
    void close() override
    {
        if (!m_port)
            return;
        m_port->close();
        delete m_port;
        m_port = nullptr;
    }
    ~QtSerialByteLine() override { close(); }
    void write(const QByteArray& bytes) override
    {
        if (m_port)
            m_port->write(bytes);
    }

private:
    QSerialPort* m_port = nullptr;
};

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

std::unique_ptr<IModbusMaster> CreateModbusMaster()
{
    // Each row's outcome says what the library's warnings would (a wrong CRC, a reply it cannot match).
    QLoggingCategory::setFilterRules(QStringLiteral("qt.modbus*=false"));
    return std::make_unique<QtModbusMaster>();
}

std::unique_ptr<ISerialByteLine> CreateSerialByteLine()
{
    return std::make_unique<QtSerialByteLine>();
}

void HandleTerminationSignals(std::function<void()> handler)
{
    static QSocketNotifier* notifier = nullptr;
    if (!handler) {
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        delete notifier;
        notifier = nullptr;
        return;
    }
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    delete notifier;
    notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler = std::move(handler)] {
        char byte;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &byte, 1);
        handler();
    });
    struct sigaction action = {};
    action.sa_handler = &onSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace velmaro
