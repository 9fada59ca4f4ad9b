// The bench's Modbus RTU master on libmodbus: framing, CRC, timing and the checks of a reply against
// its request are the library's. The system serial layer opens and sets up the port (its reasons for a
// missing, busy or forbidden port, and its lock); libmodbus only reads and writes a copy of that
// descriptor, on a worker thread, since its calls block until the reply or the time-out. Outcomes come
// back through the event loop of the thread that made the master.
#include "platform/ModbusLine.h"
#include "platform/SerialPlatform.h"
#include "platform/posix/SerialLineOpen.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <modbus.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace velmaro {

namespace {

void onInterrupt(int) {}

// The signal that breaks the worker's wait for a reply when the master closes. Its handler does nothing:
// the wait ends with EINTR, and libmodbus waits again on a descriptor that by then reads as ended.
int interruptSignal()
{
    static const int number = [] {
        const int n = SIGRTMIN + 3;
        struct sigaction action = {};
        action.sa_handler = &onInterrupt;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(n, &action, nullptr);
        return n;
    }();
    return number;
}

char parityLetter(SerialParity parity)
{
    // Only for the library's records: the port itself is set up by the serial layer, mark and space
    // included.
    switch (parity) {
    case SerialParity::Odd: return 'O';
    case SerialParity::Even: return 'E';
    default: return 'N';
    }
}

// Microseconds as libmodbus takes a time-out.
void setTimeout(modbus_t* ctx, int (*set)(modbus_t*, uint32_t, uint32_t), int ms)
{
    set(ctx, uint32_t(ms / 1000), uint32_t(ms % 1000) * 1000);
}

// The longest gap between two bytes of one reply: 4 characters of 11 bits plus 50 ms for adapters that
// deliver in bursts (USB latency timers, pseudo-terminals), never more than the reply time-out.
int byteTimeoutMs(int baudRate, int timeoutMs)
{
    const int characters = int(4 * 11 * 1000.0 / std::max(baudRate, 1) + 0.999);
    return std::min(timeoutMs, 50 + characters);
}

ModbusOutcome outcomeOfError(int error)
{
    ModbusOutcome outcome;
    if (error == ETIMEDOUT) {
        outcome.kind = ModbusOutcome::NoReply;
        return outcome;
    }
    if (error > MODBUS_ENOBASE && error < MODBUS_ENOBASE + MODBUS_EXCEPTION_MAX) {
        outcome.kind = ModbusOutcome::Exception;
        outcome.exceptionCode = error - MODBUS_ENOBASE;
        return outcome;
    }
    outcome.kind = ModbusOutcome::Damaged;
    switch (error) {
    case EMBBADCRC: outcome.text = QStringLiteral("its CRC is wrong"); break;
    case EMBBADSLAVE: outcome.text = QStringLiteral("it answers another slave address or function"); break;
    case EMBBADDATA:
        outcome.text = QStringLiteral("its function, length or register count does not fit the request");
        break;
    case EMBBADEXC: outcome.text = QStringLiteral("its exception code is not valid"); break;
    case ECONNRESET: // the library's word for a read of 0 bytes: the device hung up
    case EIO:
    case ENXIO:
    case ENODEV:
        outcome.kind = ModbusOutcome::Failed;
        outcome.text = LineLostText(error == ECONNRESET ? 0 : error);
        break;
    default:
        outcome.kind = ModbusOutcome::Failed;
        outcome.text = QString::fromLocal8Bit(modbus_strerror(error));
        break;
    }
    return outcome;
}

class LibModbusMaster : public IModbusMaster
{
public:
    ~LibModbusMaster() override { close(); }

    QString open(const SerialLineOptions& o) override
    {
        close();
        interruptSignal();
        QString failure;
        m_port = OpenSerialLine(o, 0, failure);
        if (m_port == InvalidSerialHandle)
            return failure;
        // The library's descriptor is a copy, so that close() can turn it into /dev/null while a request
        // still uses it; the port's own descriptor keeps the lock until then.
        m_lineFd = ::fcntl(m_port, F_DUPFD_CLOEXEC, 0);
        m_nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (m_lineFd < 0 || m_nullFd < 0) {
            const int why = errno;
            release();
            return PortErrorText(why);
        }
        m_ctx = modbus_new_rtu(QFile::encodeName(o.device).constData(), std::max(o.baudRate, 1),
                               parityLetter(o.parity), int(o.dataBits),
                               o.stopBits == SerialStopBits::Two ? 2 : 1);
        if (!m_ctx) {
            const int why = errno;
            release();
            return QString::fromLocal8Bit(modbus_strerror(why));
        }
        // Never modbus_connect or modbus_close: the library would keep, and later restore, terminal
        // settings it never read.
        modbus_set_socket(m_ctx, m_lineFd);
        modbus_set_error_recovery(m_ctx, MODBUS_ERROR_RECOVERY_NONE);
        m_timeoutMs = std::max(o.timeoutMs, 1);
        m_baudRate = o.baudRate;
        setTimeout(m_ctx, &modbus_set_response_timeout, m_timeoutMs);
        setTimeout(m_ctx, &modbus_set_byte_timeout, byteTimeoutMs(o.baudRate, std::max(o.timeoutMs, 1)));
        m_stopping = false;
        m_worker = std::thread(&LibModbusMaster::work, this, m_generation);
        return {};
    }

    void close() override
    {
        ++m_generation; // outcomes already posted are dropped
        m_pending.clear();
        if (m_worker.joinable()) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_stopping = true;
                m_jobs.clear();
            }
            m_wake.notify_all();
            // A request on the line ends now: its descriptor reads as ended from here on, and the signal
            // breaks a wait that began before.
            while (::dup2(m_nullFd, m_lineFd) < 0 && errno == EINTR) {
            }
            ::pthread_kill(m_worker.native_handle(), interruptSignal());
            m_worker.join();
        }
        release();
    }

    void read(int slave, int function, int first, int count,
              std::function<void(const ModbusOutcome&)> done) override
    {
        Job job;
        job.slave = slave;
        job.function = function == 4 ? 4 : 3;
        job.first = first;
        job.count = count;
        queue(std::move(job), std::move(done));
    }

    void write(int slave, int first, const QVector<quint16>& values,
               std::function<void(const ModbusOutcome&)> done) override
    {
        // Function 16 whatever the count: the gateway writes its rows so.
        Job job;
        job.slave = slave;
        job.function = 16;
        job.first = first;
        job.values = values;
        queue(std::move(job), std::move(done));
    }

private:
    struct Job
    {
        int slave = 0;
        int function = 3;
        int first = 0;
        int count = 0;
        QVector<quint16> values;
    };

    // `done` stays on this thread; the worker gets the request only.
    void queue(Job job, std::function<void(const ModbusOutcome&)> done)
    {
        m_pending.push_back(std::move(done));
        if (!m_worker.joinable()) {
            ModbusOutcome failed;
            failed.text = QStringLiteral("the port is not open");
            post(m_generation, failed);
            return;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs.push_back(std::move(job));
        }
        m_wake.notify_one();
    }

    void post(quint64 generation, const ModbusOutcome& outcome)
    {
        QMetaObject::invokeMethod(
            &m_receiver, [this, generation, outcome] { deliver(generation, outcome); }, Qt::QueuedConnection);
    }

    void deliver(quint64 generation, const ModbusOutcome& outcome)
    {
        if (generation != m_generation || m_pending.empty())
            return;
        const std::function<void(const ModbusOutcome&)> done = std::move(m_pending.front());
        m_pending.pop_front();
        done(outcome); // may close or destroy this master: nothing after it
    }

    void work(quint64 generation)
    {
        for (;;) {
            Job job;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
                if (m_stopping)
                    return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            post(generation, perform(job));
        }
    }

    // The request as sent, without its CRC (the library adds it); empty when too many registers.
    static QByteArray requestFrame(const Job& job)
    {
        const int count = job.function == 16 ? int(job.values.size()) : job.count;
        const int most = job.function == 16 ? MODBUS_MAX_WRITE_REGISTERS : MODBUS_MAX_READ_REGISTERS;
        if (count < 1 || count > most)
            return {};
        QByteArray frame;
        for (int byte : {job.slave, job.function, job.first >> 8, job.first & 0xFF, count >> 8, count & 0xFF})
            frame.append(char(byte));
        if (job.function == 16) {
            frame.append(char(2 * count));
            for (quint16 value : job.values)
                frame.append(char(value >> 8)).append(char(value & 0xFF));
        }
        return frame;
    }

    // What a complete frame from the job's slave says; nullopt for an answer to another function (a late
    // answer to an earlier request), which the master passes over.
    static std::optional<ModbusOutcome> outcomeOfFrame(const Job& job, const uint8_t* frame, int length)
    {
        ModbusOutcome outcome;
        if (frame[1] == (job.function | 0x80)) {
            outcome.kind = ModbusOutcome::Exception;
            outcome.exceptionCode = frame[2];
            return outcome;
        }
        if (frame[1] != job.function)
            return std::nullopt;
        const bool fits = job.function == 16 ? frame[2] == (job.first >> 8) && frame[3] == (job.first & 0xFF)
                                                   && frame[4] == 0 && frame[5] == job.values.size()
                                             : frame[2] == 2 * job.count && length == 5 + 2 * job.count;
        if (!fits)
            return damaged(QStringLiteral("its function, length or register count does not fit the request"));
        outcome.kind = ModbusOutcome::Ok;
        for (int i = 0; job.function != 16 && i < job.count; ++i)
            outcome.values.append(quint16(frame[3 + 2 * i] << 8 | frame[4 + 2 * i]));
        return outcome;
    }

    static ModbusOutcome damaged(const QString& why)
    {
        ModbusOutcome outcome;
        outcome.kind = ModbusOutcome::Damaged;
        outcome.text = why;
        return outcome;
    }

    // Whether a byte follows the frame within 1.5 character times, the most a frame's bytes may be apart.
    bool frameGoesOn() const
    {
        const timespec wait{0, long(1.5 * 11 * 1e9 / std::max(m_baudRate, 1))};
        pollfd line{m_lineFd, POLLIN, 0};
        return ::ppoll(&line, 1, &wait, nullptr) > 0 && (line.revents & POLLIN);
    }

    ModbusOutcome perform(const Job& job)
    {
        // Whatever arrived since the last reply (a late answer to a request that timed out) answers
        // nothing that follows.
        ::tcflush(m_lineFd, TCIFLUSH);
        const QByteArray request = requestFrame(job);
        if (request.isEmpty())
            return outcomeOfError(EMBMDATA);
        if (modbus_set_slave(m_ctx, job.slave) != 0
            || modbus_send_raw_request(m_ctx, reinterpret_cast<const uint8_t*>(request.constData()),
                                       int(request.size()))
                   < 0)
            return outcomeOfError(errno);
        // Frames of other slaves, or answers to other functions, are passed over until the time-out.
        QElapsedTimer clock;
        clock.start();
        bool passedOver = false;
        for (;;) {
            const qint64 left = m_timeoutMs - clock.elapsed();
            if (left <= 0)
                break;
            setTimeout(m_ctx, &modbus_set_response_timeout, int(left));
            uint8_t frame[MODBUS_RTU_MAX_ADU_LENGTH];
            const qint64 waitStart = clock.elapsed();
            const int length = modbus_receive_confirmation(m_ctx, frame);
            if (length < 0) {
                // A time-out well before the reply time-out ran out is the byte time-out: a reply stopped.
                if (errno == ETIMEDOUT && clock.elapsed() - waitStart + 1 < left)
                    return damaged(QStringLiteral("it is incomplete"));
                if (errno == ETIMEDOUT)
                    break;
                return outcomeOfError(errno);
            }
            if (length == 0 || frame[0] != job.slave) {
                passedOver = true;
                continue;
            }
            std::optional<ModbusOutcome> outcome = outcomeOfFrame(job, frame, length);
            if (!outcome) {
                passedOver = true;
                continue;
            }
            if (frameGoesOn())
                return damaged(QStringLiteral("it is longer than its request allows"));
            return *outcome;
        }
        if (passedOver)
            return damaged(QStringLiteral("it answers another slave address or function"));
        ModbusOutcome none;
        none.kind = ModbusOutcome::NoReply;
        return none;
    }

    // Frees what open() set up; the worker has ended.
    void release()
    {
        if (m_ctx)
            modbus_free(m_ctx);
        m_ctx = nullptr;
        for (int* fd : {&m_lineFd, &m_nullFd}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
        if (m_port != InvalidSerialHandle)
            SystemSerialPlatform().closeDevice(m_port);
        m_port = InvalidSerialHandle;
    }

    QObject m_receiver; // posted outcomes run in its thread; pending ones end with it
    quint64 m_generation = 0;
    std::deque<std::function<void(const ModbusOutcome&)>> m_pending;

    SerialHandle m_port = InvalidSerialHandle;
    int m_lineFd = -1;
    int m_nullFd = -1;
    modbus_t* m_ctx = nullptr;
    int m_timeoutMs = 1000;
    int m_baudRate = 115200;

    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;  // under m_mutex
    bool m_stopping = false; // under m_mutex
};

} // namespace

std::unique_ptr<IModbusMaster> CreateModbusMaster()
{
    return std::make_unique<LibModbusMaster>();
}

} // namespace velmaro
