#pragma once

#include "platform/SerialTypes.h"

#include <QString>
#include <QStringList>

namespace velmaro {

// The operating-system side of a serial port, as the port component needs it. One implementation per
// operating system (chosen by CMake); tests derive from it to put a pseudo-terminal behind a port
// name or to accept an operation that a pseudo-terminal refuses. Every operation except the name
// lookup is safe to call from any thread; errors are returned as the system's error number.
using SerialHandle = int;
constexpr SerialHandle InvalidSerialHandle = -1;

// The line settings written by one configuration step, in the component's own terms.
struct SerialLineSettings
{
    int baudRate = 9600; // bits per second
    SerialParity parity = SerialParity::None;
    SerialStopBits stopBits = SerialStopBits::One;
    SerialDataBits dataBits = SerialDataBits::Eight;
    char xonChar = 17;
    char xoffChar = 19;
    char errorChar = 0;
    char eofChar = 0;
    char evtChar = 0;
    int xonLimit = 0;  // bytes
    int xoffLimit = 0; // bytes
    SerialFlowControl flowControl = SerialFlowControl::Keep;
    SerialOptions options;
};

// Modem lines and line-error counters as last seen by the monitor.
struct SerialLineState
{
    enum Line
    {
        Cts = 1,
        Dsr = 2,
        Ring = 4,
        Dcd = 8
    };
    int lines = 0;
    bool countersValid = false;
    long breaks = 0, frame = 0, overrun = 0, parity = 0, bufferOverrun = 0;
    int outputQueue = 0;
};

// What a wait for line activity ended with.
enum SerialWaitResult
{
    SerialWaitTimeout = 0,
    SerialWaitInput = 1,  // bytes can be read
    SerialWaitWoken = 2,  // the wake signal was set
    SerialWaitHangup = 4, // the device reports hang-up or an error condition
};

class ISerialPlatform
{
public:
    virtual ~ISerialPlatform() = default;

    // The device that a port name such as "COM3" stands for, or an empty text when none. Any name that
    // is not of the form COMn (case ignored) is taken as a device path as it stands.
    virtual QString devicePath(const QString& portName) const = 0;

    // Opens an existing device for reading and writing, non-blocking, held exclusively against every
    // other opener. Returns the handle, or InvalidSerialHandle with `error` set; `notCharacterDevice`
    // is set (and the object closed again) when it opened but is not a character device.
    virtual SerialHandle openDevice(const QString& path, int& error, bool& notCharacterDevice) = 0;
    virtual void closeDevice(SerialHandle handle) = 0;
    // Makes reads return at once with whatever has been received. 0 or the error number.
    virtual int setReadsReturnAtOnce(SerialHandle handle) = 0;
    // Reads the current settings, changes them as told and writes them back. 0 or the error number;
    // EINVAL for a setting the device interface cannot express.
    virtual int applyLineSettings(SerialHandle handle, const SerialLineSettings& settings) = 0;
    virtual int setDtr(SerialHandle handle, bool state) = 0;
    // Bytes waiting in the input queue (0 when unknown).
    virtual int inputQueue(SerialHandle handle) = 0;
    // Drops what is waiting in both directions.
    virtual void purge(SerialHandle handle) = 0;
    virtual void readLineState(SerialHandle handle, SerialLineState& state) = 0;

    // The wake signal of a monitor: a pair of descriptors (read end, write end).
    virtual bool createWake(int (&fds)[2]) = 0;
    virtual void signalWake(const int (&fds)[2]) = 0;
    virtual void clearWake(const int (&fds)[2]) = 0;
    virtual void closeWake(int (&fds)[2]) = 0;
    // Waits up to timeoutMs for the wake signal and, when watchInput, for received bytes.
    virtual int waitForActivity(SerialHandle handle, const int (&wake)[2], bool watchInput,
                                int timeoutMs) = 0;
};

// Passes every operation to another platform; tests derive from it and replace one or two.
class ForwardingSerialPlatform : public ISerialPlatform
{
public:
    explicit ForwardingSerialPlatform(ISerialPlatform& inner) : m_inner(inner) {}
    QString devicePath(const QString& portName) const override { return m_inner.devicePath(portName); }
    SerialHandle openDevice(const QString& path, int& error, bool& notCharacterDevice) override
    {
        return m_inner.openDevice(path, error, notCharacterDevice);
    }
    void closeDevice(SerialHandle h) override { m_inner.closeDevice(h); }
    int setReadsReturnAtOnce(SerialHandle h) override { return m_inner.setReadsReturnAtOnce(h); }
    int applyLineSettings(SerialHandle h, const SerialLineSettings& s) override
    {
        return m_inner.applyLineSettings(h, s);
    }
    int setDtr(SerialHandle h, bool state) override { return m_inner.setDtr(h, state); }
    int inputQueue(SerialHandle h) override { return m_inner.inputQueue(h); }
    void purge(SerialHandle h) override { m_inner.purge(h); }
    void readLineState(SerialHandle h, SerialLineState& state) override { m_inner.readLineState(h, state); }
    bool createWake(int (&fds)[2]) override { return m_inner.createWake(fds); }
    void signalWake(const int (&fds)[2]) override { m_inner.signalWake(fds); }
    void clearWake(const int (&fds)[2]) override { m_inner.clearWake(fds); }
    void closeWake(int (&fds)[2]) override { m_inner.closeWake(fds); }
    int waitForActivity(SerialHandle h, const int (&wake)[2], bool watchInput, int timeoutMs) override
    {
        return m_inner.waitForActivity(h, wake, watchInput, timeoutMs);
    }

private:
    ISerialPlatform& m_inner;
};

// The implementation for the running system; never destroyed.
ISerialPlatform& SystemSerialPlatform();

// Port names offered to the user and the rule that maps them (documented in README):
// COMn is the n-th of the serial devices present, in this order: built-in ports /dev/ttyS* that have
// a UART behind them, then /dev/ttyUSB*, then /dev/ttyACM*, each group in numeric order.
QStringList ComPortNames();
// The device list of that rule, read from the running system (`devRoot` and `sysRoot` for tests).
QStringList ListSerialDevices(const QString& devRoot = QStringLiteral("/dev"),
                              const QString& sysRoot = QStringLiteral("/sys/class/tty"));
// The stable name of a device under /dev/serial/by-id (a link that survives re-plugging and
// renumbering), or an empty text when the system gives it none. `byIdRoot` for tests.
QString StableDeviceName(const QString& device,
                         const QString& byIdRoot = QStringLiteral("/dev/serial/by-id"));
// The index n of a name "COMn" (case ignored, n >= 1), or 0 when the name is not of that form.
int ComPortNumber(const QString& portName);

// Why `portName` could not be used, from the system's error number (`error`, -1 for a failure of the
// component itself, then `componentText` says it): the system's text, and for a refused permission, a
// port held by another program or a name without a device what that means. `present` lists the port
// names that have a device, each with its device.
QString PortFailureReason(const QString& portName, const QString& device, int error,
                          const QString& componentText, const QStringList& present);
// The system's text for `error` with what a refused permission or a busy port means, without the port.
QString PortErrorText(int error);

// "COM2 = /dev/ttyUSB0" for every port name that has a device, in the order of ComPortNames.
QStringList PresentPorts(const ISerialPlatform& platform);

// Opens the device of `port` (COMn, a device path or a pseudo-terminal path) and closes it again: the
// device's absolute path, or the PortFailureReason text when it is missing, busy, forbidden or not a
// serial device.
struct PortProbe
{
    QString device; // empty on failure
    QString failure;
};
PortProbe ProbeSerialPort(ISerialPlatform& platform, const QString& port);

} // namespace velmaro
