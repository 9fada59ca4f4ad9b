#pragma once

// A pseudo-terminal whose slave side stands in for a serial device in the serial port tests.

#include <QByteArray>
#include <QString>
#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace velmaro::test {

// The code under test opens `slavePath` as its port; the test reads the line settings and writes
// bytes through `master`, which does not block. The slave side is closed at once, so the code under
// test is its only user; `slavePath` stays empty when no pseudo-terminal could be opened.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        slavePath = QString::fromLocal8Bit(name);
        ::close(slave);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~PseudoTerminal()
    {
        if (master >= 0)
            ::close(master);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The line settings as the port under test left them.
    termios settings() const
    {
        termios t{};
        ::tcgetattr(master, &t);
        return t;
    }
    // Bytes arriving on the port under test; a failed write fails the running test.
    void send(const QByteArray& bytes) const
    {
        QCOMPARE_GE(::write(master, bytes.constData(), bytes.size()), 0);
    }

    int master = -1;
    QString slavePath;
};

} // namespace velmaro::test
