#pragma once

#include "platform/SerialPlatform.h"

#include <termios.h>

namespace velmaro {

// Changes terminal settings as read from a device to the given line settings: raw bytes, bit rate,
// parity, data and stop bits, XON/XOFF characters, flow control and options. 0, or EINVAL for a
// setting that a terminal cannot express.
// A rate without termios constant leaves the speed as it is; SetOtherBitRate sets it afterwards where
// the system offers that (Linux), otherwise it is refused with EINVAL.
int ConfigureTermios(termios& t, const SerialLineSettings& s);
bool HasTermiosSpeed(int baudRate);
// 0 or the error number; EINVAL where arbitrary rates are not available.
int SetOtherBitRate(int fd, int rate);
// A read then waits for `minimum` bytes (0: returns at once); 0 or the error number.
int SetReadMinimum(int fd, int minimum);
// The output bit rate of a terminal, or -1 (for tests).
int ReadOutputBitRate(int fd);

} // namespace velmaro
