// The bench's byte line on Qt SerialPort (the virtual slaves and the monitor), and the termination
// signals turned into event-loop calls.
#include "platform/ModbusLine.h"

#include <QSerialPort>
#include <QSocketNotifier>

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
