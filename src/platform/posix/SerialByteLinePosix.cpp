// The bench's byte line (the virtual slaves and the monitor) on the system serial layer, as the Modbus
// master: the same open, lock and reasons, so every bench program sees the others holding a port. Reading
// and writing run from the event loop through socket notifiers. Also the termination signals turned into
// event-loop calls.
#include "platform/ModbusLine.h"
#include "platform/SerialPlatform.h"
#include "platform/posix/SerialLineOpen.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace velmaro {

namespace {

class PosixSerialByteLine : public ISerialByteLine
{
public:
    ~PosixSerialByteLine() override { close(); }

    QString open(const SerialLineOptions& o) override
    {
        close();
        // A read without input then fails with EAGAIN, so a read of 0 bytes means the end of the device.
        QString failure;
        m_port = OpenSerialLine(o, 1, failure);
        if (m_port == InvalidSerialHandle)
            return failure;
        m_reader = new QSocketNotifier(m_port, QSocketNotifier::Read);
        QObject::connect(m_reader, &QSocketNotifier::activated, m_reader, [this] { readAvailable(); });
        m_writer = new QSocketNotifier(m_port, QSocketNotifier::Write);
        m_writer->setEnabled(false);
        QObject::connect(m_writer, &QSocketNotifier::activated, m_writer, [this] { writePending(); });
        return {};
    }

    void close() override
    {
        delete m_reader;
        m_reader = nullptr;
        delete m_writer;
        m_writer = nullptr;
        m_pending.clear();
        m_lost = false;
        if (m_port != InvalidSerialHandle)
            SystemSerialPlatform().closeDevice(m_port);
        m_port = InvalidSerialHandle;
    }

    void write(const QByteArray& bytes) override
    {
        if (m_port == InvalidSerialHandle || m_lost)
            return;
        m_pending += bytes;
        writePending();
    }

private:
    void readAvailable()
    {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_port, buffer, sizeof buffer);
            if (n > 0) {
                if (received)
                    received(QByteArray(buffer, int(n)));
                if (m_port == InvalidSerialHandle || m_lost) // closed by the receiver, or lost by its write
                    return;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            lose(n < 0 ? errno : 0);
            return;
        }
    }

    void writePending()
    {
        while (!m_pending.isEmpty()) {
            const ssize_t n = ::write(m_port, m_pending.constData(), size_t(m_pending.size()));
            if (n >= 0) {
                m_pending.remove(0, qsizetype(n));
                continue;
            }
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            lose(errno);
            return;
        }
        if (m_writer)
            m_writer->setEnabled(!m_pending.isEmpty());
    }

    // The line is gone: no more notifications (a hung-up device stays readable), one report.
    void lose(int error)
    {
        if (m_lost)
            return;
        m_lost = true;
        if (m_reader)
            m_reader->setEnabled(false);
        if (m_writer)
            m_writer->setEnabled(false);
        m_pending.clear();
        if (failed)
            failed(LineLostText(error));
    }

    SerialHandle m_port = InvalidSerialHandle;
    QSocketNotifier* m_reader = nullptr;
    QSocketNotifier* m_writer = nullptr;
    QByteArray m_pending; // bytes the device did not take yet
    bool m_lost = false;  // reported as failed; nothing more is read or written
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
    return std::make_unique<PosixSerialByteLine>();
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
