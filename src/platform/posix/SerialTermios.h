#pragma once

#include "platform/SerialPlatform.h"

#include <termios.h>

namespace velmaro {

// Changes terminal settings as read from a device to the given line settings: raw bytes, bit rate,
// parity, data and stop bits, XON/XOFF characters, flow control and options. 0, or EINVAL for a
// setting that a terminal cannot express.
int ConfigureTermios(termios& t, const SerialLineSettings& s);

} // namespace velmaro
