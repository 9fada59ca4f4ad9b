#pragma once

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>

#include <optional>

namespace velmaro::test {

// The settings editor's document for a new project, as element/text pairs in document order.
inline QList<QPair<QString, QString>> DefaultPargenFields()
{
    return {{"Ser_Type", "0"},           {"Ser_RecTra", "1"},         {"Ser_Transmit", "1"},
            {"Ser_Receive", "1"},        {"Ser_Trans_Every", "1000"}, {"Ser_Receive_End_C", "0x13"},
            {"Ser_Receive_End_T", "50"}, {"Ser_Baud", "7"},           {"Ser_Par", "0"},
            {"Ser_DataBits", "3"},       {"Ser_TimeOut", "0"},        {"Profi_ID", "1"},
            {"Profi_Baud", "10"},        {"Profi_NB_IN", "244"},      {"Profi_NB_OUT", "244"}};
}

// A pargen.xml text: the default document with some fields replaced; nullopt leaves a field out.
inline QByteArray PargenXml(const QMap<QString, std::optional<QString>>& changes = {})
{
    QByteArray xml = "<Par_Gen>\n";
    for (const auto& [name, text] : DefaultPargenFields()) {
        std::optional<QString> value = text;
        if (changes.contains(name))
            value = changes.value(name);
        if (value)
            xml += "  <" + name.toUtf8() + ">" + value->toUtf8() + "</" + name.toUtf8() + ">\n";
    }
    return xml + "</Par_Gen>\n";
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A golden file of the device tests.
inline QByteArray Golden(const char* name)
{
    return ReadBytes(QStringLiteral(VELMARO_TEST_DATA "/device/") + QLatin1String(name));
}

} // namespace velmaro::test
