// Bit rates that have no termios constant, set through the Linux "other" rate (termios2). Kept apart
// because the kernel's termios structures clash with the C library's.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace velmaro {

int SetOtherBitRate(int fd, int rate)
{
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = speed_t(rate);
    t.c_ospeed = speed_t(rate);
    return ioctl(fd, TCSETS2, &t) != 0 ? errno : 0;
}

int ReadOutputBitRate(int fd)
{
    termios2 t{};
    return ioctl(fd, TCGETS2, &t) == 0 ? int(t.c_ospeed) : -1;
}

} // namespace velmaro
