#include "settings/CommEditorRules.h"

#include "base/IntegerText.h"
#include "platform/FileSystem.h"

namespace velmaro {

namespace {

const CommEditorValues kDefaults;

// Reads each field by its own rule. A field that fails keeps the editor's default and adds one line
// to the failures; the fields after it are read all the same.
class Reader
{
public:
    Reader(const CommSettings& settings, const QString& documentName)
        : m_settings(settings), m_documentName(documentName)
    {
    }

    const QStringList& failures() const { return m_failures; }

    // A text shown as stored; absent fails.
    void requiredText(std::optional<QString> CommSettings::*member, const char* element, QString& out)
    {
        const std::optional<QString>& field = m_settings.*member;
        if (!field)
            missing(element);
        else
            out = *field;
    }

    // An integer; absent or not an integer fails.
    bool requiredInteger(std::optional<QString> CommSettings::*member, const char* element, qint32& out)
    {
        const std::optional<QString>& field = m_settings.*member;
        if (!field)
            return missing(element);
        const Result<qint32> value = ParseIntegerText(*field);
        if (!value.ok()) {
            m_failures << QStringLiteral("%1: element \"%2\": %3")
                              .arg(m_documentName, QLatin1String(element), value.error());
            return false;
        }
        out = *value;
        return true;
    }

    // A choice: the value 1 selects the "1" meaning, every other integer the "0" meaning.
    void choice(std::optional<QString> CommSettings::*member, const char* element, bool& out)
    {
        qint32 value = 0;
        if (requiredInteger(member, element, value))
            out = value == 1;
    }

    // A list position; a position outside the list fails, since the list cannot show it and OK would
    // replace it: `out` keeps the editor's default.
    void position(std::optional<QString> CommSettings::*member, const char* element, int count, int& out)
    {
        qint32 value = 0;
        if (!requiredInteger(member, element, value))
            return;
        if (value < 0 || value >= count) {
            m_failures << QStringLiteral("%1: element \"%2\": %3 is not a position of the list (0 to %4)")
                              .arg(m_documentName, QLatin1String(element), QString::number(value),
                                   QString::number(count - 1));
            return;
        }
        out = value;
    }

    // The same for a field read leniently: absent or not an integer keeps the default without a
    // failure; only an integer outside the list fails.
    void lenientPosition(std::optional<QString> CommSettings::*member, const char* element, int count,
                         int& out)
    {
        const std::optional<QString>& field = m_settings.*member;
        if (!field || !ParseIntegerText(*field).ok())
            return;
        position(member, element, count, out);
    }

private:
    bool missing(const char* element)
    {
        m_failures << QStringLiteral("%1: the element \"%2\" is missing")
                          .arg(m_documentName, QLatin1String(element));
        return false;
    }

    const CommSettings& m_settings;
    QString m_documentName;
    QStringList m_failures;
};

QString textOr(const std::optional<QString>& field, const QString& fallback)
{
    return field ? *field : fallback;
}

// The fields whose reading can fail: absent or not an integer (but Ser_DataBits), or outside the list.
void readRequired(Reader& r, CommEditorValues& v)
{
    using S = CommSettings;
    r.choice(&S::Ser_Type, "Ser_Type", v.rs485);
    r.choice(&S::Ser_RecTra, "Ser_RecTra", v.receiveAndTransmit);
    r.choice(&S::Ser_Transmit, "Ser_Transmit", v.transmitOnChange);
    r.choice(&S::Ser_Receive, "Ser_Receive", v.endByTimeout);
    r.requiredText(&S::Ser_Trans_Every, "Ser_Trans_Every", v.transmitEvery);
    r.requiredText(&S::Ser_Receive_End_C, "Ser_Receive_End_C", v.receiveEndChar);
    r.requiredText(&S::Ser_Receive_End_T, "Ser_Receive_End_T", v.receiveEndTime);
    r.position(&S::Ser_Baud, "Ser_Baud", int(SerialBaudItems().size()), v.serialBaud);
    r.position(&S::Ser_Par, "Ser_Par", int(ParityItems().size()), v.parity);
    // Absent or not an integer selects "8 bits"; a position outside the list does too, but is reported,
    // so that OK does not replace it unasked.
    r.lenientPosition(&S::Ser_DataBits, "Ser_DataBits", int(DataBitsItems().size()), v.dataBits);
}

struct Check
{
    QString CommEditorValues::*text;
    std::optional<QString> CommSettings::*field;
    qint32 low;
    qint32 high;
    const char* message;
};

// In the order the editor checks them; every message but the fourth ends with a blank.
const Check kChecks[] = {
    {&CommEditorValues::transmitEvery, &CommSettings::Ser_Trans_Every, 0, 10000,
     "Error!! Serial Transmit timeOut must be between 0 and 10000 mS. "},
    {&CommEditorValues::receiveEndChar, &CommSettings::Ser_Receive_End_C, 0, 255,
     "Error!! Serial Receive End Caracter must be between 0 and 255. "},
    {&CommEditorValues::receiveEndTime, &CommSettings::Ser_Receive_End_T, 0, 1000,
     "Error!! Serial Receive End TimeOut must be between 0 and 1000 mS. "},
    {&CommEditorValues::timeOut, &CommSettings::Ser_TimeOut, 0, 10000000,
     "Error!! Serial TimeOut must be between 0 and 10000000 mS (0 to disable the timeout)"},
    {&CommEditorValues::profibusId, &CommSettings::Profi_ID, 1, 126,
     "Error!! ProfiBus address must be between 1 and 126. "},
    {&CommEditorValues::bytesIn, &CommSettings::Profi_NB_IN, 0, 244,
     "Error!! ProfiBus N Byte IN must be between 0 and 244. "},
    {&CommEditorValues::bytesOut, &CommSettings::Profi_NB_OUT, 0, 244,
     "Error!! ProfiBus N Byte OUT must be between 0 and 244. "},
};

QString oneOrZero(bool b)
{
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

QString itemAt(const QStringList& items, int position)
{
    return position >= 0 && position < items.size() ? items.at(position) : QStringLiteral("?");
}

} // namespace

const QStringList& SerialBaudItems()
{
    static const QStringList items = {
        QStringLiteral("1200"),  QStringLiteral("2400"),  QStringLiteral("4800"),  QStringLiteral("9600"),
        QStringLiteral("19200"), QStringLiteral("38400"), QStringLiteral("57600"), QStringLiteral("115200")};
    return items;
}

const QStringList& ParityItems()
{
    static const QStringList items = {QStringLiteral("NONE"), QStringLiteral("EVEN"), QStringLiteral("ODD")};
    return items;
}

const QStringList& DataBitsItems()
{
    static const QStringList items = {QStringLiteral("5 bits"), QStringLiteral("6 bits"),
                                      QStringLiteral("7 bits"), QStringLiteral("8 bits")};
    return items;
}

const QStringList& ProfibusBaudItems()
{
    static const QStringList items = {
        QStringLiteral("9600"),   QStringLiteral("19200"),        QStringLiteral("45.45K"),
        QStringLiteral("93.75K"), QStringLiteral("187.5K"),       QStringLiteral("500K"),
        QStringLiteral("1.5M"),   QStringLiteral("3.0M"),         QStringLiteral("6.0M"),
        QStringLiteral("12M"),    QStringLiteral("Auto Baudrate")};
    return items;
}

bool CommEditorValues::operator==(const CommEditorValues& o) const
{
    return rs485 == o.rs485 && receiveAndTransmit == o.receiveAndTransmit
           && transmitOnChange == o.transmitOnChange && endByTimeout == o.endByTimeout
           && transmitEvery == o.transmitEvery && receiveEndChar == o.receiveEndChar
           && receiveEndTime == o.receiveEndTime && serialBaud == o.serialBaud && parity == o.parity
           && dataBits == o.dataBits && timeOut == o.timeOut && profibusId == o.profibusId
           && profibusBaud == o.profibusBaud && bytesIn == o.bytesIn && bytesOut == o.bytesOut;
}

CommEditorLoad CommEditorValuesFrom(const CommSettings& settings, const QString& documentName)
{
    CommEditorLoad load;
    CommEditorValues& v = load.values;
    Reader reader(settings, documentName);
    readRequired(reader, v);
    if (!reader.failures().isEmpty())
        load.error = reader.failures().join(QLatin1Char('\n'));
    // These never fail: absent fields take the editor's values.
    v.timeOut = textOr(settings.Ser_TimeOut, kDefaults.timeOut);
    v.profibusId = textOr(settings.Profi_ID, kDefaults.profibusId);
    v.profibusBaud = ProfibusAutoBaudPosition; // whatever the document holds
    v.bytesIn = textOr(settings.Profi_NB_IN, kDefaults.bytesIn);
    v.bytesOut = textOr(settings.Profi_NB_OUT, kDefaults.bytesOut);
    return load;
}

CommEditorLoad LoadCommEditorValues(const QString& path)
{
    const Result<std::optional<CommSettings>> loaded = LoadCommSettings(path);
    if (!loaded.ok()) {
        CommEditorLoad load;
        load.error = loaded.error();
        return load;
    }
    if (!loaded.value())
        return CommEditorLoad();
    return CommEditorValuesFrom(*loaded.value(), DisplayPath(path));
}

std::optional<CommEditorRange> CommEditorRangeOf(std::optional<QString> CommSettings::*field)
{
    for (const Check& check : kChecks) {
        if (check.field == field)
            return CommEditorRange{check.low, check.high};
    }
    return std::nullopt;
}

std::optional<QString> ValidateCommEditorValues(const CommEditorValues& values)
{
    for (const Check& check : kChecks) {
        const qint32 value = ParseIntegerTextOr(values.*check.text, -1);
        if (value < check.low || value > check.high)
            return QString::fromLatin1(check.message);
    }
    return std::nullopt;
}

CommSettings CommSettingsFromEditor(const CommEditorValues& v)
{
    CommSettings s;
    s.Ser_Type = oneOrZero(v.rs485);
    s.Ser_RecTra = oneOrZero(v.receiveAndTransmit);
    s.Ser_Transmit = oneOrZero(v.transmitOnChange);
    s.Ser_Receive = oneOrZero(v.endByTimeout);
    s.Ser_Trans_Every = v.transmitEvery;
    s.Ser_Receive_End_C = v.receiveEndChar;
    s.Ser_Receive_End_T = v.receiveEndTime;
    s.Ser_Baud = QString::number(v.serialBaud);
    s.Ser_Par = QString::number(v.parity);
    s.Ser_DataBits = QString::number(v.dataBits);
    s.Ser_TimeOut = v.timeOut;
    s.Profi_ID = v.profibusId;
    s.Profi_Baud = QString::number(v.profibusBaud);
    s.Profi_NB_IN = v.bytesIn;
    s.Profi_NB_OUT = v.bytesOut;
    return s;
}

QString DescribeCommEditorValues(const CommEditorValues& v)
{
    const auto number = [](const QString& text) { return QString::number(ParseIntegerTextOr(text, -1)); };
    // "1 input byte", "244 input bytes"
    const auto bytes = [](const QString& text, const char* direction) {
        const qint32 n = ParseIntegerTextOr(text, -1);
        return QStringLiteral("%1 %2 %3")
            .arg(n)
            .arg(QLatin1String(direction), QLatin1String(n == 1 ? "byte" : "bytes"));
    };
    return QStringLiteral("%1, %2 baud, parity %3, %4 data bits, PROFIBUS address %5, %6, %7")
        .arg(v.rs485 ? QStringLiteral("RS485") : QStringLiteral("RS232"),
             itemAt(SerialBaudItems(), v.serialBaud), itemAt(ParityItems(), v.parity),
             QString::number(5 + v.dataBits), number(v.profibusId), bytes(v.bytesIn, "input"),
             bytes(v.bytesOut, "output"));
}

} // namespace velmaro
