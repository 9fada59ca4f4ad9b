#include "mapping/BenchLine.h"

#include "base/IntegerText.h"
#include "settings/CommEditorRules.h"
#include "settings/CommSettings.h"

namespace velmaro {

Result<BenchLine> LoadBenchLine(const QString& pargenPath, int stopBits, bool modbus)
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
    line.parity = v.parity == 1 ? 2 : v.parity == 2 ? 1 : 0;
    line.dataBits = 5 + v.dataBits;
    line.stopBits = stopBits == 2 ? 2 : 1;
    const qint32 timeout = ParseIntegerTextOr(v.timeOut, 0);
    line.timeoutMs = timeout > 0 ? timeout : 1000;
    line.inLength = ParseIntegerTextOr(v.bytesIn, 244);
    line.outLength = ParseIntegerTextOr(v.bytesOut, 244);
    line.endByTimeout = v.endByTimeout;
    line.endTimeMs = ParseIntegerTextOr(v.receiveEndTime, 50);
    line.endChar = ParseIntegerTextOr(v.receiveEndChar, 0x13);
    if (modbus && line.dataBits != 8)
        return Result<BenchLine>::failure(
            QStringLiteral("Ser_DataBits is %1 bits; Modbus RTU needs 8 data bits. Choose \"8 bits\" in "
                           "SET COMMUNICATION.")
                .arg(line.dataBits));
    return line;
}

QString DescribeBenchLine(const BenchLine& line)
{
    static const char* const parities[] = {"none", "odd", "even"};
    return QStringLiteral("%1 baud, %2 data bits, parity %3, %4 stop bit%5, reply time-out %6 ms")
        .arg(line.baudRate)
        .arg(line.dataBits)
        .arg(QLatin1String(parities[line.parity]))
        .arg(line.stopBits)
        .arg(line.stopBits == 1 ? "" : "s")
        .arg(line.timeoutMs);
}

} // namespace velmaro
