#include "mapping/BenchLine.h"

#include "base/IntegerText.h"
#include "settings/CommEditorRules.h"
#include "settings/CommSettings.h"

namespace velmaro {

Result<BenchLine> LoadBenchLine(const QString& pargenPath, SerialStopBits stopBits, bool modbus)
{
    const CommEditorLoad load = LoadCommEditorValues(pargenPath);
    if (load.error)
        return Result<BenchLine>::failure(*load.error);
    const CommEditorValues& v = load.values;
    if (const std::optional<QString> refusal = ValidateCommEditorValues(v))
        return Result<BenchLine>::failure(refusal->trimmed());
    BenchLine line;
    line.baudRate = SerialBaudItems().value(v.serialBaud).toInt();
    // The editor's list is NONE, EVEN, ODD.
    line.parity = v.parity == 1 ? SerialParity::Even : v.parity == 2 ? SerialParity::Odd : SerialParity::None;
    line.dataBits = SerialDataBits(5 + v.dataBits);
    line.stopBits = stopBits == SerialStopBits::Two ? SerialStopBits::Two : SerialStopBits::One;
    const qint32 timeout = ParseIntegerTextOr(v.timeOut, 0);
    line.timeoutMs = timeout > 0 ? timeout : 1000;
    line.inLength = ParseIntegerTextOr(v.bytesIn, 244);
    line.outLength = ParseIntegerTextOr(v.bytesOut, 244);
    line.endByTimeout = v.endByTimeout;
    line.endTimeMs = ParseIntegerTextOr(v.receiveEndTime, 50);
    line.endChar = ParseIntegerTextOr(v.receiveEndChar, 0x13);
    if (modbus && line.dataBits != SerialDataBits::Eight)
        return Result<BenchLine>::failure(
            QStringLiteral("Ser_DataBits is %1 bits; Modbus RTU needs 8 data bits. Choose \"8 bits\" in "
                           "SET COMMUNICATION.")
                .arg(int(line.dataBits)));
    return line;
}

QString DescribeBenchLine(const BenchLine& line)
{
    const bool two = line.stopBits == SerialStopBits::Two;
    return QStringLiteral("%1 baud, %2 data bits, parity %3, %4 stop bit%5, reply time-out %6 ms")
        .arg(line.baudRate)
        .arg(int(line.dataBits))
        .arg(QLatin1String(SerialParityName(line.parity)))
        .arg(two ? 2 : 1)
        .arg(two ? "s" : "")
        .arg(line.timeoutMs);
}

SerialLineOptions BenchLineOptions(const BenchLine& line, const QString& device)
{
    SerialLineOptions options = line;
    options.device = device;
    return options;
}

} // namespace velmaro
