#pragma once

#include "platform/ModbusLine.h"
#include "platform/SerialPlatform.h"

#include <QString>

namespace velmaro {

// Opens `options.device` through the system serial layer (its lock, and its reasons for a missing, busy
// or forbidden port), sets the line, makes a read wait for `readMinimum` bytes (0: return at once) and
// drops what waited on the line. InvalidSerialHandle, with `failure`, when it cannot.
SerialHandle OpenSerialLine(const SerialLineOptions& options, int readMinimum, QString& failure);

// What a failed read or write of an open port means: the device went away (a USB adapter unplugged, the
// other side of a pseudo-terminal closed) or failed otherwise. `error` 0: the device hung up.
QString LineLostText(int error);

} // namespace velmaro
