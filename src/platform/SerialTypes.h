#pragma once

// The settings of a serial line as every serial interface passes them: parity, data bits, stop bits
// and flow control.

#include <QFlags>

namespace velmaro {

enum class SerialParity
{
    None,
    Odd,
    Even,
    Mark,
    Space
};

// The value is the number of bits.
enum class SerialDataBits
{
    Four = 4,
    Five = 5,
    Six = 6,
    Seven = 7,
    Eight = 8
};

enum class SerialStopBits
{
    One,
    OneAndHalf,
    Two
};

enum class SerialFlowControl
{
    None,
    RtsCts,
    DtrDsr,
    XonXoff,
    Keep // what the device has
};

enum SerialOption
{
    SerialParityCheck = 1,
    SerialDsrSensitivity = 2,
    SerialIgnoreXOff = 4,
    SerialErrorChar = 8,
    SerialNullStrip = 16,
};
using SerialOptions = QFlags<SerialOption>;
Q_DECLARE_OPERATORS_FOR_FLAGS(SerialOptions)

// "none", "odd", "even", "mark", "space".
inline const char* SerialParityName(SerialParity parity)
{
    static const char* const names[] = {"none", "odd", "even", "mark", "space"};
    return names[int(parity)];
}

} // namespace velmaro
