#include "settings/CommFieldWords.h"

#include "settings/CommEditorRules.h"

#include <QStringList>

namespace velmaro {

namespace {

using Field = std::optional<QString> CommSettings::*;

struct Choice
{
    Field field;
    const char* zero; // the button for "0" (and, as the editor reads it, any value but 1)
    const char* one;
};

const Choice kChoices[] = {
    {&CommSettings::Ser_Type, "RS232", "RS485"},
    {&CommSettings::Ser_RecTra, "Only Receive from Serial", "Receive and Transmit"},
    {&CommSettings::Ser_Transmit, "Transmit Every", "Transmit on Change DATA"},
    {&CommSettings::Ser_Receive, "Character for end frame", "Timeout for end frame ms"},
};

struct List
{
    Field field;
    const char* label;
    const QStringList& (*items)();
};

const List kLists[] = {
    {&CommSettings::Ser_Baud, "Baudrate", &SerialBaudItems},
    {&CommSettings::Ser_Par, "Parity", &ParityItems},
    {&CommSettings::Ser_DataBits, "Data Bits", &DataBitsItems},
    {&CommSettings::Profi_Baud, "PROFIBUS Baudrate", &ProfibusBaudItems},
};

// The number fields: %1 is the value, %2 "byte" or "bytes" after it.
struct Number
{
    Field field;
    const char* words;
};

const Number kNumbers[] = {
    {&CommSettings::Ser_Trans_Every, "transmit every %1 ms"},
    {&CommSettings::Ser_Receive_End_T, "end of frame after %1 ms of silence"},
    {&CommSettings::Ser_TimeOut, "serial time-out %1 ms"},
    {&CommSettings::Profi_ID, "station address (ID Dev.) %1"},
    {&CommSettings::Profi_NB_IN, "%1 input %2 (N Byte IN)"},
    {&CommSettings::Profi_NB_OUT, "%1 output %2 (N Byte OUT)"},
};

std::optional<QString> RangeRefusal(Field field, qint64 value)
{
    const std::optional<CommEditorRange> range = CommEditorRangeOf(field);
    if (!range || (value >= range->low && value <= range->high))
        return std::nullopt;
    return QStringLiteral("outside %1..%2, the editor refuses it").arg(range->low).arg(range->high);
}

} // namespace

CommFieldWords DescribeCommField(Field field, qint64 value)
{
    CommFieldWords words;
    for (const Choice& c : kChoices) {
        if (c.field != field)
            continue;
        words.meaning = QLatin1String(value == 1 ? c.one : c.zero);
        if (value != 0 && value != 1)
            words.refusal = QStringLiteral("the editor writes only 0 or 1 (it reads %1 as \"%2\")")
                                .arg(value)
                                .arg(QLatin1String(c.zero));
        return words;
    }
    for (const List& l : kLists) {
        if (l.field != field)
            continue;
        const QStringList& items = l.items();
        if (value >= 0 && value < items.size()) {
            words.meaning = QStringLiteral("%1 %2").arg(QLatin1String(l.label), items.at(int(value)));
        } else {
            words.meaning =
                QStringLiteral("%1: position %2 is not in the list").arg(QLatin1String(l.label)).arg(value);
            words.refusal = QStringLiteral("not a position of the list (0..%1)").arg(items.size() - 1);
        }
        if (field == &CommSettings::Profi_Baud && value != ProfibusAutoBaudPosition && !words.refusal) {
            words.refusal = QStringLiteral("the editor always writes %1 (\"%2\")")
                                .arg(ProfibusAutoBaudPosition)
                                .arg(items.at(ProfibusAutoBaudPosition));
        }
        return words;
    }
    if (field == &CommSettings::Ser_Receive_End_C) {
        words.meaning = QStringLiteral("end character code 0x%1 (%2)")
                            .arg(QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0')))
                            .arg(value);
    }
    for (const Number& n : kNumbers) {
        if (n.field != field)
            continue;
        words.meaning = QString::fromLatin1(n.words).arg(value);
        if (words.meaning.contains(QLatin1String("%2")))
            words.meaning = words.meaning.arg(QLatin1String(value == 1 ? "byte" : "bytes"));
    }
    if (field == &CommSettings::Ser_TimeOut && value == 0)
        words.meaning += QStringLiteral(" (0: off)");
    words.refusal = RangeRefusal(field, value);
    return words;
}

const CommFieldLabel (&CommFieldLabels())[15]
{
    static const CommFieldLabel labels[15] = {
        {&CommSettings::Ser_Type, "Serial", "RS232 / RS485"},
        {&CommSettings::Ser_RecTra, "Serial", "Only Receive / Receive and Transmit"},
        {&CommSettings::Ser_Transmit, "Serial", "Transmit Every / on Change DATA"},
        {&CommSettings::Ser_Trans_Every, "Serial", "Transmit Every (mS)"},
        {&CommSettings::Ser_Receive, "Serial", "End frame by character / timeout"},
        {&CommSettings::Ser_Receive_End_C, "Serial", "Character for end frame"},
        {&CommSettings::Ser_Receive_End_T, "Serial", "Timeout for end frame ms"},
        {&CommSettings::Ser_Baud, "Serial", "Baudrate"},
        {&CommSettings::Ser_Par, "Serial", "Parity"},
        {&CommSettings::Ser_DataBits, "Serial", "Data Bits"},
        {&CommSettings::Ser_TimeOut, "Serial", "TimeOuts (mS)"},
        {&CommSettings::Profi_ID, "PROFIBUS", "ID Dev."},
        {&CommSettings::Profi_Baud, "PROFIBUS", "Baudrate"},
        {&CommSettings::Profi_NB_IN, "PROFIBUS", "N Byte IN"},
        {&CommSettings::Profi_NB_OUT, "PROFIBUS", "N Byte OUT"},
    };
    return labels;
}

QString CommFieldLabelOf(Field field)
{
    for (const CommFieldLabel& l : CommFieldLabels()) {
        if (l.field == field)
            return QLatin1String(l.control);
    }
    return {};
}

} // namespace velmaro
