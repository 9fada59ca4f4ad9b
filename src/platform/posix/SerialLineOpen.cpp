#include "platform/posix/SerialLineOpen.h"

#include "platform/posix/SerialTermios.h"

namespace velmaro {

SerialHandle OpenSerialLine(const SerialLineOptions& options, int readMinimum, QString& failure)
{
    ISerialPlatform& platform = SystemSerialPlatform();
    int error = 0;
    bool notCharacterDevice = false;
    const SerialHandle port = platform.openDevice(options.device, error, notCharacterDevice);
    if (port == InvalidSerialHandle) {
        failure = notCharacterDevice ? QStringLiteral("it is not a serial device.") : PortErrorText(error);
        return port;
    }
    SerialLineSettings settings;
    settings.baudRate = options.baudRate;
    settings.parity = options.parity;
    settings.dataBits = options.dataBits;
    settings.stopBits = options.stopBits;
    settings.flowControl = SerialFlowControl::None;
    error = platform.applyLineSettings(port, settings);
    if (!error)
        error = SetReadMinimum(port, readMinimum);
    if (error) {
        platform.closeDevice(port);
        failure = QStringLiteral("the line settings cannot be set: ") + PortErrorText(error);
        return InvalidSerialHandle;
    }
    platform.purge(port);
    return port;
}

QString LineLostText(int error)
{
    return QStringLiteral("the port was closed or removed (%1).")
        .arg(error ? qt_error_string(error) : QStringLiteral("the device hung up"));
}

} // namespace velmaro
