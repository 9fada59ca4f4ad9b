#include "platform/SerialPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

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

} // namespace velmaro
