#pragma once

#include "settings/CommSettings.h"

#include <QString>

#include <optional>

namespace velmaro {

// What one stored value of pargen.xml means in the settings editor's words, and why the editor could
// not have saved it, if so.
struct CommFieldWords
{
    QString meaning;                // e.g. "RS485", "Baudrate 9600", "transmit every 200 ms"
    std::optional<QString> refusal; // set when no save of the editor writes this value
};

// `value` is the field's number as a reader converts it. The refusals: a choice other than 0 or 1,
// a list position outside its list, a PROFIBUS baud rate other than "Auto Baudrate" (the editor
// always writes 10), a number outside the range the editor checks on OK.
CommFieldWords DescribeCommField(std::optional<QString> CommSettings::*field, qint64 value);

// Where a field stands in the settings editor: its group and the caption or label beside its control.
struct CommFieldLabel
{
    std::optional<QString> CommSettings::*field;
    const char* group;   // "Serial" or "PROFIBUS"
    const char* control; // e.g. "Baudrate", "RS232 / RS485"
};

// The fifteen fields in the editor's order, top to bottom.
const CommFieldLabel (&CommFieldLabels())[15];

// The label of one field.
QString CommFieldLabelOf(std::optional<QString> CommSettings::*field);

} // namespace velmaro
