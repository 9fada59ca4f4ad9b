#include "platform/SerialPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>

namespace velmaro {

namespace {

// Names "<prefix><number>" in `dir`, in numeric order.
QStringList numbered(const QDir& dir, const QString& prefix)
{
    const QRegularExpression pattern(QStringLiteral("^%1(\\d+)$").arg(prefix));
    QList<QPair<int, QString>> found;
    const QStringList entries =
        dir.entryList({prefix + QLatin1Char('*')}, QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QString& name : entries) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (m.hasMatch())
            found.append({m.captured(1).toInt(), name});
    }
    std::sort(found.begin(), found.end());
    QStringList names;
    for (const auto& f : found)
        names << f.second;
    return names;
}

// A built-in port node exists for every possible UART; only those with a UART behind it count.
bool hasUart(const QString& sysRoot, const QString& name)
{
    QFile type(sysRoot + QLatin1Char('/') + name + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = type.readAll().trimmed();
    return !text.isEmpty() && text != "0";
}

} // namespace

QStringList ComPortNames()
{
    QStringList names;
    for (int i = 1; i <= 10; ++i)
        names << QStringLiteral("COM%1").arg(i);
    return names;
}

QStringList ListSerialDevices(const QString& devRoot, const QString& sysRoot)
{
    const QDir dev(devRoot);
    QStringList devices;
    for (const QString& name : numbered(dev, QStringLiteral("ttyS"))) {
        if (hasUart(sysRoot, name))
            devices << dev.filePath(name);
    }
    for (const QString& name : numbered(dev, QStringLiteral("ttyUSB")))
        devices << dev.filePath(name);
    for (const QString& name : numbered(dev, QStringLiteral("ttyACM")))
        devices << dev.filePath(name);
    return devices;
}

QString StableDeviceName(const QString& device, const QString& byIdRoot)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const QDir dir(byIdRoot);
    for (const QString& name : dir.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString link = dir.filePath(name);
        if (link != device && QFileInfo(link).canonicalFilePath() == target)
            return link;
    }
    return {};
}

int ComPortNumber(const QString& portName)
{
    static const QRegularExpression pattern(QStringLiteral("^COM([1-9]\\d{0,8})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(portName);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString PortFailureReason(const QString& portName, const QString& device, int error,
                          const QString& componentText, const QStringList& present)
{
    if (device.isEmpty() || error == ENOENT || error == ENODEV || error == ENXIO) {
        const QString which =
            present.isEmpty()
                ? QStringLiteral("No serial device is present.")
                : QStringLiteral("Serial devices present: %1.").arg(present.join(QStringLiteral(", ")));
        if (portName.trimmed().isEmpty())
            return QStringLiteral("The port name is empty: give COMn or a device path. %1").arg(which);
        return QStringLiteral("%1 has no device. %2").arg(portName, which);
    }
    const QString where = QStringLiteral("%1 (%2): ").arg(portName, device);
    if (error < 0)
        return where + componentText.trimmed();
    return where + PortErrorText(error);
}

QString PortErrorText(int error)
{
    const QString system = qt_error_string(error) + QLatin1Char('.');
    if (error == EACCES || error == EPERM)
        return system
               + QStringLiteral(" On Linux, the user must be in the group that owns the device (usually "
                                "dialout) and then log in again.");
    if (error == EBUSY || error == EWOULDBLOCK)
        return system + QStringLiteral(" Another program holds the port.");
    return system;
}

QStringList PresentPorts(const ISerialPlatform& platform)
{
    QStringList present;
    for (const QString& name : ComPortNames()) {
        const QString path = platform.devicePath(name);
        if (!path.isEmpty())
            present << QStringLiteral("%1 = %2").arg(name, path);
    }
    return present;
}

PortProbe ProbeSerialPort(ISerialPlatform& platform, const QString& port)
{
    const QString device = platform.devicePath(port);
    int error = 0;
    bool notCharacterDevice = false;
    const SerialHandle handle = platform.openDevice(device, error, notCharacterDevice);
    if (handle != InvalidSerialHandle) {
        platform.closeDevice(handle);
        // Qt's serial port takes a name without a folder as one under /dev.
        return {QFileInfo(device).absoluteFilePath(), {}};
    }
    const QString component = notCharacterDevice ? QStringLiteral("it is not a serial device.") : QString();
    return {
        {},
        PortFailureReason(port, device, notCharacterDevice ? -1 : error, component, PresentPorts(platform))};
}

} // namespace velmaro
