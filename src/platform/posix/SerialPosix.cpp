// Serial ports on POSIX terminals (termios and the modem-control calls).
#include "platform/posix/SerialTermios.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

namespace velmaro {

namespace {

bool speedFor(int baudRate, speed_t& speed)
{
    static const struct
    {
        int rate;
        speed_t speed;
    } table[] = {
        {110, B110},         {300, B300},         {600, B600},       {1200, B1200},
        {2400, B2400},       {4800, B4800},       {9600, B9600},     {19200, B19200},
        {38400, B38400},     {57600, B57600},     {115200, B115200},
#ifdef B1500000
        {1500000, B1500000}, {3000000, B3000000},
#endif
    };
    for (const auto& entry : table) {
        if (entry.rate == baudRate) {
            speed = entry.speed;
            return true;
        }
    }
    return false;
}

} // namespace

bool HasTermiosSpeed(int baudRate)
{
    speed_t ignored;
    return speedFor(baudRate, ignored);
}

int SetReadMinimum(int fd, int minimum)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return errno;
    t.c_cc[VMIN] = cc_t(minimum);
    t.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &t) != 0 ? errno : 0;
}

#ifndef __linux__
int SetOtherBitRate(int, int)
{
    return EINVAL;
}

int ReadOutputBitRate(int)
{
    return -1;
}
#endif

namespace {

// A port component moves bytes unchanged: no line editing, echo or output processing.
void makeRaw(termios& t)
{
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
}

// A rate without termios constant is left to SetOtherBitRate.
void setSpeed(termios& t, int baudRate)
{
    speed_t speed;
    if (speedFor(baudRate, speed)) {
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
    }
}

int setParity(termios& t, SerialParity parity)
{
    t.c_cflag &= ~tcflag_t(PARENB | PARODD | CMSPAR);
    switch (parity) {
    case SerialParity::None: return 0;
    case SerialParity::Odd: t.c_cflag |= PARENB | PARODD; return 0;
    case SerialParity::Even: t.c_cflag |= PARENB; return 0;
    case SerialParity::Mark: t.c_cflag |= PARENB | PARODD | CMSPAR; return 0;
    case SerialParity::Space: t.c_cflag |= PARENB | CMSPAR; return 0;
    }
    return EINVAL;
}

int setDataBits(termios& t, SerialDataBits dataBits)
{
    t.c_cflag &= ~tcflag_t(CSIZE);
    switch (dataBits) {
    case SerialDataBits::Five: t.c_cflag |= CS5; return 0;
    case SerialDataBits::Six: t.c_cflag |= CS6; return 0;
    case SerialDataBits::Seven: t.c_cflag |= CS7; return 0;
    case SerialDataBits::Eight: t.c_cflag |= CS8; return 0;
    case SerialDataBits::Four: break; // 4 data bits do not exist on a terminal
    }
    return EINVAL;
}

// Two stop bits with five data bits is one and a half on a UART; nothing else expresses it.
int setStopBits(termios& t, SerialStopBits stopBits, SerialDataBits dataBits)
{
    if (stopBits == SerialStopBits::One)
        t.c_cflag &= ~tcflag_t(CSTOPB);
    else if (stopBits == SerialStopBits::Two
             || (stopBits == SerialStopBits::OneAndHalf && dataBits == SerialDataBits::Five))
        t.c_cflag |= CSTOPB;
    else
        return EINVAL;
    return 0;
}

int setFlowControl(termios& t, SerialFlowControl flowControl)
{
    switch (flowControl) {
    case SerialFlowControl::None:
        t.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | INPCK | IGNPAR);
        t.c_cflag &= ~tcflag_t(CRTSCTS);
        return 0;
    case SerialFlowControl::RtsCts: t.c_cflag |= CRTSCTS; return 0;
    case SerialFlowControl::DtrDsr: break; // no DTR/DSR handshake on a terminal
    case SerialFlowControl::XonXoff: t.c_iflag |= IXON | IXOFF; return 0;
    case SerialFlowControl::Keep: return 0;
    }
    return EINVAL;
}

int setOptions(termios& t, SerialOptions options, char errorChar)
{
    if (options.testFlag(SerialParityCheck))
        t.c_iflag |= INPCK;
    else
        t.c_iflag &= ~tcflag_t(INPCK);
    if (options.testFlag(SerialDsrSensitivity))
        return EINVAL;
    // Transmitting goes on after the driver has sent XOFF whatever the option says.
    if (options.testFlag(SerialErrorChar)) {
        // A byte received with an error reads as NUL when it is neither ignored nor marked.
        if (errorChar != 0)
            return EINVAL;
        t.c_iflag &= ~tcflag_t(IGNPAR | PARMRK);
    }
    if (options.testFlag(SerialNullStrip))
        return EINVAL;
    return 0;
}

} // namespace

int ConfigureTermios(termios& t, const SerialLineSettings& s)
{
    makeRaw(t);
    setSpeed(t, s.baudRate);
    if (const int error = setParity(t, s.parity))
        return error;
    if (const int error = setDataBits(t, s.dataBits))
        return error;
    if (const int error = setStopBits(t, s.stopBits, s.dataBits))
        return error;
    // The error, end-of-file and event characters and the XON/XOFF limits have no terminal
    // setting; the component keeps them.
    t.c_cc[VSTART] = cc_t(s.xonChar);
    t.c_cc[VSTOP] = cc_t(s.xoffChar);
    if (const int error = setFlowControl(t, s.flowControl))
        return error;
    return setOptions(t, s.options, s.errorChar);
}

namespace {

class PosixSerialPlatform : public ISerialPlatform
{
public:
    QString devicePath(const QString& portName) const override
    {
        const int n = ComPortNumber(portName);
        if (n == 0)
            return portName;
        const QStringList devices = ListSerialDevices();
        return n <= devices.size() ? devices.at(n - 1) : QString();
    }

    SerialHandle openDevice(const QString& path, int& error, bool& notCharacterDevice) override
    {
        error = 0;
        notCharacterDevice = false;
        if (path.isEmpty()) {
            error = ENOENT;
            return InvalidSerialHandle;
        }
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = errno;
            return InvalidSerialHandle;
        }
        struct stat st
        {
        };
        if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || !::isatty(fd)) {
            ::close(fd);
            notCharacterDevice = true;
            return InvalidSerialHandle;
        }
        // TIOCEXCL keeps other openers out except the super-user; the advisory lock holds for
        // every process that opens the port the same way.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = (errno == EWOULDBLOCK) ? EBUSY : errno;
            ::close(fd);
            return InvalidSerialHandle;
        }
        if (::ioctl(fd, TIOCEXCL) != 0) {
            error = errno;
            ::close(fd);
            return InvalidSerialHandle;
        }
        return fd;
    }

    void closeDevice(SerialHandle handle) override
    {
        if (handle < 0)
            return;
        // Released explicitly: an abandoned monitor still inside poll() keeps the file itself alive
        // for a moment, and with it a lock that only the file's end would release.
        ::ioctl(handle, TIOCNXCL);
        ::flock(handle, LOCK_UN);
        ::close(handle);
    }

    int setReadsReturnAtOnce(SerialHandle handle) override { return SetReadMinimum(handle, 0); }

    int applyLineSettings(SerialHandle handle, const SerialLineSettings& s) override
    {
        termios t{};
        if (::tcgetattr(handle, &t) != 0)
            return errno;
        if (const int error = ConfigureTermios(t, s))
            return error;
        if (::tcsetattr(handle, TCSANOW, &t) != 0)
            return errno;
        return HasTermiosSpeed(s.baudRate) ? 0 : SetOtherBitRate(handle, s.baudRate);
    }

    int setDtr(SerialHandle handle, bool state) override
    {
        int bits = TIOCM_DTR;
        return ::ioctl(handle, state ? TIOCMBIS : TIOCMBIC, &bits) != 0 ? errno : 0;
    }

    int inputQueue(SerialHandle handle) override
    {
        int count = 0;
        return ::ioctl(handle, FIONREAD, &count) == 0 ? count : 0;
    }

    void purge(SerialHandle handle) override { ::tcflush(handle, TCIOFLUSH); }

    void readLineState(SerialHandle handle, SerialLineState& state) override
    {
        int bits = 0;
        state.lines = 0;
        if (::ioctl(handle, TIOCMGET, &bits) == 0) {
            state.lines = ((bits & TIOCM_CTS) ? SerialLineState::Cts : 0)
                          | ((bits & TIOCM_DSR) ? SerialLineState::Dsr : 0)
                          | ((bits & TIOCM_RNG) ? SerialLineState::Ring : 0)
                          | ((bits & TIOCM_CAR) ? SerialLineState::Dcd : 0);
        }
        state.countersValid = false;
#ifdef TIOCGICOUNT
        serial_icounter_struct counters{};
        if (::ioctl(handle, TIOCGICOUNT, &counters) == 0) {
            state.countersValid = true;
            state.breaks = counters.brk;
            state.frame = counters.frame;
            state.overrun = counters.overrun;
            state.parity = counters.parity;
            state.bufferOverrun = counters.buf_overrun;
        }
#endif
        int queued = 0;
        state.outputQueue = ::ioctl(handle, TIOCOUTQ, &queued) == 0 ? queued : 0;
    }

    bool createWake(int (&fds)[2]) override
    {
        return ::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0;
    }

    void signalWake(const int (&fds)[2]) override
    {
        const char one = 1;
        while (::write(fds[1], &one, 1) < 0 && errno == EINTR) {
        }
    }

    void clearWake(const int (&fds)[2]) override
    {
        char buffer[64];
        while (::read(fds[0], buffer, sizeof buffer) > 0) {
        }
    }

    void closeWake(int (&fds)[2]) override
    {
        for (int& fd : fds) {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    }

    int waitForActivity(SerialHandle handle, const int (&wake)[2], bool watchInput, int timeoutMs) override
    {
        pollfd fds[2] = {{wake[0], POLLIN, 0}, {watchInput ? handle : -1, POLLIN, 0}};
        const int n = ::poll(fds, 2, timeoutMs);
        if (n <= 0)
            return SerialWaitTimeout;
        int result = 0;
        if (fds[0].revents & POLLIN)
            result |= SerialWaitWoken;
        if (fds[1].revents & POLLIN)
            result |= SerialWaitInput;
        if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
            result |= SerialWaitHangup;
        return result;
    }
};

} // namespace

ISerialPlatform& SystemSerialPlatform()
{
    static PosixSerialPlatform* platform = new PosixSerialPlatform;
    return *platform;
}

} // namespace velmaro
