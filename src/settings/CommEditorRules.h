#pragma once

#include "base/Result.h"
#include "settings/CommSettings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace velmaro {

// The item texts of the four lists, in position order.
const QStringList& SerialBaudItems();
const QStringList& ParityItems();
const QStringList& DataBitsItems();
const QStringList& ProfibusBaudItems();

// The position the PROFIBUS baud-rate list always stands on ("Auto Baudrate").
constexpr int ProfibusAutoBaudPosition = 10;

// What the settings editor shows: one flag per choice group (true selects the "1" meaning), the list
// positions and the texts of the boxes exactly as they stand.
struct CommEditorValues
{
    bool rs485 = false;             // RB_Ser_485, otherwise RB_Ser_232
    bool receiveAndTransmit = true; // RB_Ser_RecTra, otherwise RB_Ser_Rec
    bool transmitOnChange = true;   // RB_Ser_TChange, otherwise RB_Ser_TEvery
    bool endByTimeout = true;       // RB_Ser_REndT, otherwise RB_Ser_REndC
    QString transmitEvery = QStringLiteral("1000");
    QString receiveEndChar = QStringLiteral("0x13");
    QString receiveEndTime = QStringLiteral("50");
    int serialBaud = 7;
    int parity = 0;
    int dataBits = 3;
    QString timeOut = QStringLiteral("0");
    QString profibusId = QStringLiteral("1");
    int profibusBaud = ProfibusAutoBaudPosition;
    QString bytesIn = QStringLiteral("244");
    QString bytesOut = QStringLiteral("244");

    bool operator==(const CommEditorValues& o) const;
    bool operator!=(const CommEditorValues& o) const { return !(*this == o); }
};

// The editor's view of a document. Each field is read by its own rule: a field that fails shows the
// editor's default, every other field its stored value. `error` then lists every failed field, one
// line each; a document that is not well-formed gives the parser's text and the defaults.
struct CommEditorLoad
{
    CommEditorValues values;
    std::optional<QString> error;

    // Whether the values are the whole document, or there was no document: OK may replace it
    // without asking.
    bool readWhole() const { return !error; }
};

// Applies the editor's reading rules to a loaded record. `documentName` names the document in
// failure texts.
CommEditorLoad CommEditorValuesFrom(const CommSettings& settings, const QString& documentName);

// Loads the document at `path` as the editor does: no document gives the defaults.
CommEditorLoad LoadCommEditorValues(const QString& path);

// The editor's checks in order; the message of the first that fails, or nothing when all pass.
std::optional<QString> ValidateCommEditorValues(const CommEditorValues& values);

// The values a text box accepts on OK, for the fields the editor range-checks (none for the choice and
// list fields).
struct CommEditorRange
{
    qint32 low;
    qint32 high;
};
std::optional<CommEditorRange> CommEditorRangeOf(std::optional<QString> CommSettings::*field);

// The complete record the editor saves: choices as "1"/"0", texts exactly as typed, positions in decimal.
CommSettings CommSettingsFromEditor(const CommEditorValues& values);

// One line in words: interface, baud rate, parity, data bits, PROFIBUS address, input and output bytes.
QString DescribeCommEditorValues(const CommEditorValues& values);

} // namespace velmaro
