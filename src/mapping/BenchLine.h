#pragma once

// The serial line of a bench run, from the project's pargen.xml as the settings editor reads it (the
// editor's defaults without one).

#include "base/Result.h"

#include <QString>

namespace velmaro {

struct BenchLine
{
    int baudRate = 115200;
    int parity = 0; // 0 none, 1 odd, 2 even (the serial port component's numbering)
    int dataBits = 8;
    int stopBits = 1;         // 1 or 2
    int timeoutMs = 1000;     // reply time-out: Ser_TimeOut, 1000 when it is 0
    qint64 inLength = 244;    // Profi_NB_IN
    qint64 outLength = 244;   // Profi_NB_OUT
    bool endByTimeout = true; // transparent mode: a frame ends after endTimeMs of silence...
    int endTimeMs = 50;
    int endChar = 0x13; // ...or with this character
};

// `stopBits`: 1 or 2. Fails with the reader's or the editor's message when pargen.xml cannot be read
// or the editor would refuse it, and, when `modbus`, for data bits other than 8 (Modbus RTU has 8).
Result<BenchLine> LoadBenchLine(const QString& pargenPath, int stopBits, bool modbus);

// "115200 baud, 8 data bits, parity none, 1 stop bit, reply time-out 1000 ms"
QString DescribeBenchLine(const BenchLine& line);

} // namespace velmaro
