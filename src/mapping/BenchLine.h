#pragma once

// The serial line of a bench run, from the project's pargen.xml as the settings editor reads it (the
// editor's defaults without one).

#include "base/Result.h"
#include "platform/ModbusLine.h"

#include <QString>

namespace velmaro {

// The line's settings without a device: stop bits One or Two, the reply time-out Ser_TimeOut (1000 ms when
// it is 0); then the data lengths and the transparent mode's frame end.
struct BenchLine : SerialLineOptions
{
    qint64 inLength = 244;    // Profi_NB_IN
    qint64 outLength = 244;   // Profi_NB_OUT
    bool endByTimeout = true; // transparent mode: a frame ends after endTimeMs of silence...
    int endTimeMs = 50;
    int endChar = 0x13; // ...or with this character
};

// `stopBits`: One or Two (anything else is One). Fails with the reader's or the editor's message when
// pargen.xml cannot be read or the editor would refuse it, and, when `modbus`, for data bits other than 8
// (Modbus RTU has 8).
Result<BenchLine> LoadBenchLine(const QString& pargenPath, SerialStopBits stopBits, bool modbus);

// The options of a serial line on `device` with the line's settings and reply time-out.
SerialLineOptions BenchLineOptions(const BenchLine& line, const QString& device);

// "115200 baud, 8 data bits, parity none, 1 stop bit, reply time-out 1000 ms"
QString DescribeBenchLine(const BenchLine& line);

} // namespace velmaro
