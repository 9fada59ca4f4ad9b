#include "device/CommInt.h"

#include <QCoreApplication>
#include <QPointer>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <optional>

namespace velmaro {

// What a port and its monitor thread share. The thread touches the device only while holding the
// mutex and only while not terminated, so after Close it never reaches a closed (or reused) handle;
// `comm` is read and cleared on the user-interface thread only, so a late hand-over finds it empty.
struct CommMonitorLink
{
    explicit CommMonitorLink(ISerialPlatform& p, SerialHandle h) : platform(p), handle(h) {}
    ~CommMonitorLink() { platform.closeWake(wake); }
    ISerialPlatform& platform;
    std::mutex mutex;
    bool terminated = false;
    SerialHandle handle;
    int wake[2] = {-1, -1};
    TCustomComm* comm = nullptr;
    std::atomic<int> pendingErrors{0};
};

namespace {

const QString PortOpenText = QStringLiteral("Port already assigned (open)");

unsigned eventBit(TCommEventType e)
{
    return TCommEventTypes::bit(e);
}

// The component's settings in the platform's terms; both enumerations list the same values in order.
SerialParity serialParity(TParity parity)
{
    static const SerialParity values[] = {SerialParity::None, SerialParity::Odd, SerialParity::Even,
                                          SerialParity::Mark, SerialParity::Space};
    return values[int(parity)];
}

SerialStopBits serialStopBits(TStopbits stopBits)
{
    static const SerialStopBits values[] = {SerialStopBits::One, SerialStopBits::OneAndHalf,
                                            SerialStopBits::Two};
    return values[int(stopBits)];
}

SerialDataBits serialDataBits(TDatabits dataBits)
{
    static const SerialDataBits values[] = {SerialDataBits::Four, SerialDataBits::Five, SerialDataBits::Six,
                                            SerialDataBits::Seven, SerialDataBits::Eight};
    return values[int(dataBits)];
}

SerialFlowControl serialFlowControl(TFlowControl flowControl)
{
    static const SerialFlowControl values[] = {SerialFlowControl::None, SerialFlowControl::RtsCts,
                                               SerialFlowControl::DtrDsr, SerialFlowControl::XonXoff,
                                               SerialFlowControl::Keep};
    return values[int(flowControl)];
}

SerialOptions serialOptions(TCommOptions options)
{
    static const struct
    {
        TCommOption option;
        SerialOption serial;
    } pairs[] = {{coParityCheck, SerialParityCheck},
                 {coDsrSensitivity, SerialDsrSensitivity},
                 {coIgnoreXOff, SerialIgnoreXOff},
                 {coErrorChar, SerialErrorChar},
                 {coNullStrip, SerialNullStrip}};
    SerialOptions result;
    for (const auto& pair : pairs)
        result.setFlag(pair.serial, options.contains(pair.option));
    return result;
}

} // namespace

ECommError::ECommError(const QString& text, int errorCode)
    : m_message(text + QStringLiteral(" (Error: %1) ").arg(errorCode)), m_what(m_message.toLocal8Bit()),
      m_errorCode(errorCode)
{
}

int BaudRateValue(TBaudrate rate)
{
    static const int values[] = {110,   300,   600,   1200,   2400,   4800,   9600,    14400,  19200,
                                 38400, 56000, 57600, 115200, 128000, 256000, 1500000, 3000000};
    return values[int(rate)];
}

TCommEventTypes AllCommEvents()
{
    return {evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty};
}

// ---- TCommEventChars

void TCommEventChars::set(char& field, char value)
{
    field = value;
    m_owner->ApplyLineSettings();
}

void TCommEventChars::Assign(const TCommEventChars& source)
{
    m_xon = source.m_xon;
    m_xoff = source.m_xoff;
    m_error = source.m_error;
    m_eof = source.m_eof;
    m_evt = source.m_evt;
    m_owner->ApplyLineSettings();
}

// ---- TCommEventThread

TCommEventThread::TCommEventThread(std::shared_ptr<CommMonitorLink> link, TCommEventTypes events)
    : m_link(std::move(link)), m_events(events)
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

namespace {

// Events of the modem lines that changed between two looks.
unsigned modemLineEvents(const SerialLineState& last, const SerialLineState& now)
{
    const int changed = now.lines ^ last.lines;
    unsigned mask = 0;
    if (changed & SerialLineState::Cts)
        mask |= eventBit(evCts);
    if (changed & SerialLineState::Dsr)
        mask |= eventBit(evDsr);
    if (changed & SerialLineState::Ring)
        mask |= eventBit(evRing);
    if (changed & SerialLineState::Dcd)
        mask |= eventBit(evRlsd);
    return mask;
}

// The error bits (TCommErrorBits) of the counters that grew between two looks.
int lineErrors(const SerialLineState& last, const SerialLineState& now)
{
    int errors = 0;
    if (now.breaks > last.breaks)
        errors |= ceBreak;
    if (now.frame > last.frame)
        errors |= ceFrame;
    if (now.overrun > last.overrun)
        errors |= ceOverrun;
    if (now.parity > last.parity)
        errors |= ceRxParity;
    if (now.bufferOverrun > last.bufferOverrun)
        errors |= ceRxOver;
    return errors;
}

} // namespace

// What the monitor saw at its last look at the line.
struct TCommEventThread::Seen
{
    SerialLineState line;
    int input = 0;
    bool hangup = false;
};

void TCommEventThread::run()
{
    Seen seen;
    {
        std::lock_guard<std::mutex> lock(m_link->mutex);
        if (m_link->terminated)
            return;
        m_link->platform.readLineState(m_link->handle, seen.line);
    }
    for (;;) {
        SerialHandle handle;
        {
            std::lock_guard<std::mutex> lock(m_link->mutex);
            if (m_link->terminated)
                break;
            handle = m_link->handle;
        }
        // Bytes already waiting keep a descriptor readable, so while some wait the queue is
        // looked at periodically instead.
        const int woke = m_link->platform.waitForActivity(handle, m_link->wake,
                                                          !seen.hangup && seen.input == 0, PollIntervalMs);
        const std::optional<unsigned> mask = look(handle, woke, seen);
        if (!mask)
            break;
        if (const unsigned wanted = *mask & m_events.bits())
            handOver(wanted);
    }
}

std::optional<unsigned> TCommEventThread::look(SerialHandle handle, int woke, Seen& seen)
{
    CommMonitorLink& link = *m_link;
    ISerialPlatform& os = link.platform;
    std::lock_guard<std::mutex> lock(link.mutex);
    if (link.terminated)
        return std::nullopt;
    if (woke & SerialWaitWoken)
        os.clearWake(link.wake);
    if (woke & SerialWaitHangup)
        seen.hangup = true;
    unsigned mask = 0;
    const int input = os.inputQueue(handle);
    if (input > seen.input)
        mask |= eventBit(evRxChar);
    seen.input = input;

    SerialLineState now;
    os.readLineState(handle, now);
    mask |= modemLineEvents(seen.line, now);
    if (now.countersValid && seen.line.countersValid) {
        const int errors = lineErrors(seen.line, now);
        if (errors & ceBreak)
            mask |= eventBit(evBreak);
        if (errors & ~ceBreak)
            mask |= eventBit(evError);
        link.pendingErrors.fetch_or(errors);
    }
    if (seen.line.outputQueue > 0 && now.outputQueue == 0)
        mask |= eventBit(evTxEmpty);
    seen.line = now;
    return mask;
}

void TCommEventThread::handOver(unsigned mask)
{
    {
        std::lock_guard<std::mutex> lock(m_link->mutex);
        if (m_link->terminated)
            return;
    }
    QCoreApplication* ui = QCoreApplication::instance();
    if (!ui)
        return;
    // Runs on the user-interface thread, where Close clears `comm`; a hand-over that arrives after
    // Close or after the port was destroyed finds nothing to call. If the receiving side goes away
    // first, Qt releases this wait when it discards the queued call.
    std::shared_ptr<CommMonitorLink> link = m_link;
    QMetaObject::invokeMethod(
        ui,
        [link, mask] {
            if (link->comm)
                link->comm->HandleCommEvent(mask);
        },
        Qt::BlockingQueuedConnection);
}

// ---- TCustomComm

TCustomComm::TCustomComm(QObject* owner, ISerialPlatform& platform) : QObject(owner), m_platform(platform) {}

TCustomComm::~TCustomComm()
{
    Close();
}

void TCustomComm::refuseWhenOpen()
{
    if (IsOpen())
        throw ECommError(PortOpenText, -1);
}

void TCustomComm::CreateHandle()
{
    int error = 0;
    bool notCharacterDevice = false;
    const SerialHandle handle = m_platform.openDevice(DevicePath(), error, notCharacterDevice);
    if (notCharacterDevice)
        throw ECommError(QStringLiteral("Invalid device handle, access denied"), -1);
    if (handle == InvalidSerialHandle)
        throw ECommError(QStringLiteral("Error accessing specified device"), error);
    m_handle = handle;
}

void TCustomComm::Open()
{
    if (IsOpen())
        throw ECommError(PortOpenText, -1);
    CreateHandle();

    auto link = std::make_shared<CommMonitorLink>(m_platform, m_handle);
    if (!m_platform.createWake(link->wake)) {
        const int error = errno;
        m_platform.closeDevice(m_handle);
        m_handle = InvalidSerialHandle;
        throw ECommError(QStringLiteral("Error accessing specified device"), error);
    }
    link->comm = this;
    m_link = link;
    m_eventThread = new TCommEventThread(link, m_monitorEvents);
    m_eventThread->start(QThread::HighPriority);

    ApplyTimeouts();
    ApplyLineSettings();
    // The buffer sizes are kept: a terminal's queues are sized by its driver and cannot be asked for.
}

void TCustomComm::Close()
{
    if (!IsOpen())
        return;
    if (m_link) {
        std::lock_guard<std::mutex> lock(m_link->mutex);
        m_platform.signalWake(m_link->wake);
        m_link->terminated = true;
        m_link->comm = nullptr;
    }
    m_link.reset();
    m_eventThread = nullptr;
    // What the monitor does on leaving its loop is done here, while the handle is still valid.
    m_platform.purge(m_handle);
    m_platform.closeDevice(m_handle);
    m_handle = InvalidSerialHandle;
}

void TCustomComm::SetDtr(bool state)
{
    if (!IsOpen())
        throw ECommError(QStringLiteral("Port not open, unable to complete operation"), -1);
    if (const int error = m_platform.setDtr(m_handle, state))
        throw ECommError(QStringLiteral("EscapeCommFunction failure"), error);
}

void TCustomComm::ApplyTimeouts()
{
    if (const int error = m_platform.setReadsReturnAtOnce(m_handle))
        throw ECommError(QStringLiteral("Error updating CommTimeouts"), error);
}

void TCustomComm::ApplyLineSettings()
{
    if (!IsOpen())
        return;
    SerialLineSettings s;
    s.baudRate = BaudRateValue(m_baudRate);
    s.parity = serialParity(m_parity);
    s.stopBits = serialStopBits(m_stopbits);
    s.dataBits = serialDataBits(m_databits);
    s.xonChar = m_eventChars.XonChar();
    s.xoffChar = m_eventChars.XoffChar();
    s.errorChar = m_eventChars.ErrorChar();
    s.eofChar = m_eventChars.EofChar();
    s.evtChar = m_eventChars.EvtChar();
    s.xonLimit = m_readBufSize / 4;
    s.xoffLimit = m_readBufSize / 4;
    s.flowControl = serialFlowControl(m_flowControl);
    s.options = serialOptions(m_options);
    if (const int error = m_platform.applyLineSettings(m_handle, s))
        throw ECommError(QStringLiteral("Error updating DataControlBlock"), error);
}

void TCustomComm::HandleCommEvent(unsigned mask)
{
    const int errors = m_link ? m_link->pendingErrors.exchange(0) : 0;
    const int count = IsOpen() ? m_platform.inputQueue(m_handle) : 0;
    // A handler may close the port or schedule its deletion; stop when the port is gone.
    QPointer<TCustomComm> self(this);
    auto has = [mask](TCommEventType e) { return (mask & eventBit(e)) != 0; };
    auto notify = [&](TCommEventType e, const TNotifyEvent& handler) {
        if (self && has(e) && handler)
            handler(this);
    };
    notify(evBreak, OnBreak);
    notify(evCts, OnCts);
    notify(evDsr, OnDsr);
    if (self && has(evError) && OnError)
        OnError(this, errors);
    notify(evRing, OnRing);
    notify(evRlsd, OnRlsd);
    if (self && has(evRxChar) && OnRxChar && count > 0)
        OnRxChar(this, count);
    notify(evRxFlag, OnRxFlag);
    notify(evTxEmpty, OnTxEmpty);
}

} // namespace velmaro
