#pragma once

#include "platform/SerialPlatform.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>

#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

namespace velmaro {

// Raised by every failing operation of the serial port component. The message is the operation's
// text followed by " (Error: <ErrorCode>) "; ErrorCode is the system's error number, or -1 when the
// failure is the component's own.
class ECommError : public std::exception
{
public:
    ECommError(const QString& text, int errorCode);
    const char* what() const noexcept override { return m_what.constData(); }
    const QString& Message() const { return m_message; }
    int ErrorCode() const { return m_errorCode; }

private:
    QString m_message;
    QByteArray m_what;
    int m_errorCode;
};

enum TBaudrate
{
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    br1500000,
    br3000000
};
enum TParity
{
    paNone,
    paOdd,
    paEven,
    paMark,
    paSpace
};
enum TStopbits
{
    sb10,
    sb15,
    sb20
};
enum TDatabits
{
    da4,
    da5,
    da6,
    da7,
    da8
};
enum TFlowControl
{
    fcNone,
    fcCTS,
    fcDTR,
    fcSoftware,
    fcDefault
};
enum TCommOption
{
    coParityCheck,
    coDsrSensitivity,
    coIgnoreXOff,
    coErrorChar,
    coNullStrip
};
enum TCommEventType
{
    evBreak,
    evCts,
    evDsr,
    evError,
    evRing,
    evRlsd,
    evRxChar,
    evRxFlag,
    evTxEmpty
};

// Bits of the device's error state passed to OnError.
enum TCommErrorBits
{
    ceRxOver = 0x0001,   // input buffer overflow
    ceOverrun = 0x0002,  // character lost by the hardware
    ceRxParity = 0x0004, // parity error
    ceFrame = 0x0008,    // framing error
    ceBreak = 0x0010,    // break detected
};

int BaudRateValue(TBaudrate rate);

// A set of enumeration values (at most 32).
template <typename E>
class TEnumSet
{
public:
    TEnumSet() = default;
    TEnumSet(std::initializer_list<E> values)
    {
        for (E v : values)
            m_bits |= bit(v);
    }
    static TEnumSet fromBits(unsigned bits)
    {
        TEnumSet s;
        s.m_bits = bits;
        return s;
    }
    bool contains(E v) const { return (m_bits & bit(v)) != 0; }
    bool isEmpty() const { return m_bits == 0; }
    unsigned bits() const { return m_bits; }
    bool operator==(const TEnumSet& o) const { return m_bits == o.m_bits; }
    bool operator!=(const TEnumSet& o) const { return m_bits != o.m_bits; }
    static unsigned bit(E v) { return 1u << unsigned(v); }

private:
    unsigned m_bits = 0;
};
using TCommOptions = TEnumSet<TCommOption>;
using TCommEventTypes = TEnumSet<TCommEventType>;

TCommEventTypes AllCommEvents();

class TCustomComm;

// The five special characters of a port. Setting one re-applies the port's line settings.
class TCommEventChars
{
public:
    explicit TCommEventChars(TCustomComm* owner) : m_owner(owner) {}
    TCommEventChars(const TCommEventChars&) = delete;
    TCommEventChars& operator=(const TCommEventChars&) = delete;

    char XonChar() const { return m_xon; }
    char XoffChar() const { return m_xoff; }
    char ErrorChar() const { return m_error; }
    char EofChar() const { return m_eof; }
    char EvtChar() const { return m_evt; }
    void SetXonChar(char c) { set(m_xon, c); }
    void SetXoffChar(char c) { set(m_xoff, c); }
    void SetErrorChar(char c) { set(m_error, c); }
    void SetEofChar(char c) { set(m_eof, c); }
    void SetEvtChar(char c) { set(m_evt, c); }
    // Copies all five characters, then re-applies the line settings once.
    void Assign(const TCommEventChars& source);

private:
    void set(char& field, char value);
    TCustomComm* m_owner;
    char m_xon = 17;
    char m_xoff = 19;
    char m_error = 0;
    char m_eof = 0;
    char m_evt = 0;
};

struct CommMonitorLink;

// The monitoring thread of an open port: waits for line events and hands each one to the port's
// HandleCommEvent on the user-interface thread, waiting until it has run. Stopped by the port's Close
// without being waited for; it deletes itself when it ends.
class TCommEventThread : public QThread
{
    Q_OBJECT
public:
    TCommEventThread(std::shared_ptr<CommMonitorLink> link, TCommEventTypes events);
    // How often modem lines and the input queue are looked at while nothing wakes the thread.
    static constexpr int PollIntervalMs = 20;

protected:
    void run() override;

private:
    struct Seen;
    // Looks at the line after a wait that ended with `woke` (SerialWaitResult bits): the events seen
    // since the last look, or nothing when the port was closed meanwhile.
    std::optional<unsigned> look(SerialHandle handle, int woke, Seen& seen);
    void handOver(unsigned mask);
    std::shared_ptr<CommMonitorLink> m_link;
    TCommEventTypes m_events;
};

// A serial port: opens a device by name with exclusive access, configures it and reports line events
// to handlers on the user-interface thread. Every failing operation raises ECommError. Port names of
// the form COMn are mapped to devices by the platform (see ComPortNames); any other name is a path.
class TCustomComm : public QObject
{
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TCustomComm* Sender)>;
    using TCommErrorEvent = std::function<void(TCustomComm* Sender, int Errors)>;
    using TCommRxCharEvent = std::function<void(TCustomComm* Sender, int Count)>;

    // `platform` must outlive every port opened through it and their monitor threads.
    explicit TCustomComm(QObject* owner = nullptr, ISerialPlatform& platform = SystemSerialPlatform());
    ~TCustomComm() override;

    bool IsOpen() const { return m_handle != InvalidSerialHandle; }
    void Open();
    void Close();
    void SetDtr(bool state);
    // Runs the assigned handlers for an event mask (TCommEventTypes bits); user-interface thread only.
    void HandleCommEvent(unsigned mask);

    const QString& DeviceName() const { return m_deviceName; }
    void SetDeviceName(const QString& value) { setClosedLineProperty(m_deviceName, value); }
    int ReadTimeout() const { return m_readTimeout; }
    void SetReadTimeout(int value) { m_readTimeout = value; }
    int WriteTimeout() const { return m_writeTimeout; }
    void SetWriteTimeout(int value) { m_writeTimeout = value; }
    int ReadBufSize() const { return m_readBufSize; }
    void SetReadBufSize(int value) { setClosedLineProperty(m_readBufSize, value); }
    int WriteBufSize() const { return m_writeBufSize; }
    void SetWriteBufSize(int value) { setClosedLineProperty(m_writeBufSize, value); }
    TCommEventTypes MonitorEvents() const { return m_monitorEvents; }
    void SetMonitorEvents(TCommEventTypes value) { setClosedLineProperty(m_monitorEvents, value); }
    TBaudrate BaudRate() const { return m_baudRate; }
    void SetBaudRate(TBaudrate value) { setLineProperty(m_baudRate, value); }
    TParity Parity() const { return m_parity; }
    void SetParity(TParity value) { setLineProperty(m_parity, value); }
    TStopbits Stopbits() const { return m_stopbits; }
    void SetStopbits(TStopbits value) { setLineProperty(m_stopbits, value); }
    TDatabits Databits() const { return m_databits; }
    void SetDatabits(TDatabits value) { setLineProperty(m_databits, value); }
    TCommEventChars& EventChars() { return m_eventChars; }
    const TCommEventChars& EventChars() const { return m_eventChars; }
    TCommOptions Options() const { return m_options; }
    void SetOptions(TCommOptions value) { setLineProperty(m_options, value); }
    TFlowControl FlowControl() const { return m_flowControl; }
    void SetFlowControl(TFlowControl value) { setLineProperty(m_flowControl, value); }
    // The device the port name stands for (empty when none).
    QString DevicePath() const { return m_platform.devicePath(m_deviceName); }
    ISerialPlatform& Platform() const { return m_platform; }

    TNotifyEvent OnBreak, OnCts, OnDsr, OnRing, OnRlsd, OnRxFlag, OnTxEmpty;
    TCommErrorEvent OnError;
    TCommRxCharEvent OnRxChar;

protected:
    virtual void CreateHandle();
    void ApplyTimeouts();
    void ApplyLineSettings();
    SerialHandle m_handle = InvalidSerialHandle;

private:
    friend class TCommEventChars;
    void refuseWhenOpen();
    // Sets a setting that only a closed line may change (ECommError while open, unless unchanged).
    template <typename T>
    void setClosedLineProperty(T& field, const T& value)
    {
        if (value == field)
            return;
        refuseWhenOpen();
        field = value;
    }
    // Sets one line setting; an open line takes the new settings at once.
    template <typename T>
    void setLineProperty(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        ApplyLineSettings();
    }

    ISerialPlatform& m_platform;
    std::shared_ptr<CommMonitorLink> m_link;
    TCommEventThread* m_eventThread = nullptr; // deletes itself; only a reference while open
    QString m_deviceName = QStringLiteral("Com2");
    int m_readTimeout = 1000;
    int m_writeTimeout = 1000;
    int m_readBufSize = 4096;
    int m_writeBufSize = 2048;
    TCommEventTypes m_monitorEvents = AllCommEvents();
    TBaudrate m_baudRate = br9600;
    TParity m_parity = paNone;
    TStopbits m_stopbits = sb10;
    TDatabits m_databits = da8;
    TCommEventChars m_eventChars{this};
    TCommOptions m_options;
    TFlowControl m_flowControl = fcDefault;
};

// The port with every property available for setting; no other behaviour.
class TComm : public TCustomComm
{
    Q_OBJECT
public:
    using TCustomComm::TCustomComm;
};

} // namespace velmaro
