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

int ConfigureTermios(termios& t, const SerialLineSettings& s)
{
    // A port component moves bytes unchanged: no line editing, echo or output processing.
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;

    speed_t speed;
    if (speedFor(s.baudRate, speed)) {
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
    }

    t.c_cflag &= ~tcflag_t(PARENB | PARODD | CMSPAR);
    switch (s.parity) {
    case 0: break;
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: return EINVAL;
    }

    t.c_cflag &= ~tcflag_t(CSIZE);
    switch (s.dataBits) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: return EINVAL; // 4 data bits do not exist on a terminal
    }

    // Two stop bits with five data bits is one and a half on a UART; nothing else expresses it.
    if (s.stopBits == 0)
        t.c_cflag &= ~tcflag_t(CSTOPB);
    else if (s.stopBits == 2 || (s.stopBits == 1 && s.dataBits == 5))
        t.c_cflag |= CSTOPB;
    else
        return EINVAL;

    // The error, end-of-file and event characters and the XON/XOFF limits have no terminal
    // setting; the component keeps them.
    t.c_cc[VSTART] = cc_t(s.xonChar);
    t.c_cc[VSTOP] = cc_t(s.xoffChar);

    switch (s.flowControl) {
    case 0:
        t.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | INPCK | IGNPAR);
        t.c_cflag &= ~tcflag_t(CRTSCTS);
        break;
    case 1: t.c_cflag |= CRTSCTS; break;
    case 2: return EINVAL; // no DTR/DSR handshake on a terminal
    case 3: t.c_iflag |= IXON | IXOFF; break;
    case 4: break;
    default: return EINVAL;
    }

    if (s.options & SerialParityCheck)
        t.c_iflag |= INPCK;
    else
        t.c_iflag &= ~tcflag_t(INPCK);
    if (s.options & SerialDsrSensitivity)
        return EINVAL;
    // Transmitting goes on after the driver has sent XOFF whatever the option says.
    if (s.options & SerialErrorChar) {
        // A byte received with an error reads as NUL when it is neither ignored nor marked.
        if (s.errorChar != 0)
            return EINVAL;
        t.c_iflag &= ~tcflag_t(IGNPAR | PARMRK);
    }
    if (s.options & SerialNullStrip)
        return EINVAL;

    return 0;
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

    int setReadsReturnAtOnce(SerialHandle handle) override
    {
        termios t{};
        if (::tcgetattr(handle, &t) != 0)
            return errno;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        return ::tcsetattr(handle, TCSANOW, &t) != 0 ? errno : 0;
    }

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
