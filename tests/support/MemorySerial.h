#pragma once

// Serial devices that exist only in memory, for tests that need a port to open, hold and configure but
// no bytes from a line: no pseudo-terminal, no socat.

#include "platform/SerialPlatform.h"

#include <QHash>
#include <QSet>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace velmaro::test {

// Each device is opened by one holder at a time (a second opener gets EBUSY, as a held port); every
// name in `ports` (COMn, case ignored) or in `devices` (a path) exists. Safe to call from the
// monitor thread of an open port; must outlive every port opened through it.
class MemorySerialPlatform : public ISerialPlatform
{
public:
    // Port name (upper case) -> device path; every path named here exists.
    QHash<QString, QString> ports;
    // Further device paths that exist.
    QSet<QString> devices;
    int refuseOpen = 0; // the error number every open fails with, 0 for none
    bool refuseDtr = false;

    // The settings the last configuration step wrote.
    SerialLineSettings lastSettings() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_settings;
    }
    bool isOpen(const QString& path) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_open.key(path, InvalidSerialHandle) != InvalidSerialHandle;
    }

    QString devicePath(const QString& portName) const override
    {
        if (ComPortNumber(portName) == 0)
            return portName;
        return ports.value(portName.toUpper());
    }
    SerialHandle openDevice(const QString& path, int& error, bool& notCharacterDevice) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        notCharacterDevice = false;
        const bool exists = !path.isEmpty() && (devices.contains(path) || ports.key(path).size() > 0);
        error = refuseOpen ? refuseOpen : !exists ? ENOENT : m_open.key(path, -1) != -1 ? EBUSY : 0;
        if (error)
            return InvalidSerialHandle;
        const SerialHandle handle = m_next++;
        m_open.insert(handle, path);
        return handle;
    }
    void closeDevice(SerialHandle handle) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open.remove(handle);
    }
    int setReadsReturnAtOnce(SerialHandle) override { return 0; }
    int applyLineSettings(SerialHandle, const SerialLineSettings& settings) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_settings = settings;
        return 0;
    }
    int setDtr(SerialHandle, bool) override { return refuseDtr ? EIO : 0; }
    int inputQueue(SerialHandle) override { return 0; } // nothing ever arrives
    void purge(SerialHandle) override {}
    void readLineState(SerialHandle, SerialLineState& state) override { state = SerialLineState(); }

    bool createWake(int (&fds)[2]) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        fds[0] = fds[1] = m_next++;
        return true;
    }
    void signalWake(const int (&fds)[2]) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_woken.insert(fds[0]);
        m_changed.notify_all();
    }
    void clearWake(const int (&fds)[2]) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_woken.remove(fds[0]);
    }
    void closeWake(int (&fds)[2]) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_woken.remove(fds[0]);
        fds[0] = fds[1] = -1;
    }
    int waitForActivity(SerialHandle, const int (&wake)[2], bool, int timeoutMs) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const bool woken = m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                              [&] { return m_woken.contains(wake[0]); });
        return woken ? SerialWaitWoken : SerialWaitTimeout;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QHash<SerialHandle, QString> m_open;
    QSet<int> m_woken;
    SerialLineSettings m_settings;
    int m_next = 100;
};

} // namespace velmaro::test
