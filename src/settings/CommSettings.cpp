#include "settings/CommSettings.h"

#include "base/IntegerText.h"
#include "platform/FileSystem.h"
#include "platform/XmlDocument.h"

#include <pugixml.hpp>

namespace velmaro {

const CommField (&CommFields())[15]
{
    static const CommField fields[15] = {
        {"Ser_Type", &CommSettings::Ser_Type},
        {"Ser_RecTra", &CommSettings::Ser_RecTra},
        {"Ser_Transmit", &CommSettings::Ser_Transmit},
        {"Ser_Receive", &CommSettings::Ser_Receive},
        {"Ser_Trans_Every", &CommSettings::Ser_Trans_Every},
        {"Ser_Receive_End_C", &CommSettings::Ser_Receive_End_C},
        {"Ser_Receive_End_T", &CommSettings::Ser_Receive_End_T},
        {"Ser_Baud", &CommSettings::Ser_Baud},
        {"Ser_Par", &CommSettings::Ser_Par},
        {"Ser_DataBits", &CommSettings::Ser_DataBits},
        {"Ser_TimeOut", &CommSettings::Ser_TimeOut},
        {"Profi_ID", &CommSettings::Profi_ID},
        {"Profi_Baud", &CommSettings::Profi_Baud},
        {"Profi_NB_IN", &CommSettings::Profi_NB_IN},
        {"Profi_NB_OUT", &CommSettings::Profi_NB_OUT},
    };
    return fields;
}

Result<std::optional<CommSettings>> LoadCommSettings(const QString& path)
{
    if (!FileExists(path))
        return std::optional<CommSettings>();
    auto doc = LoadXmlDocument(path);
    if (!doc.ok())
        return doc.status();
    const pugi::xml_node root = doc.value()->document_element();
    CommSettings settings;
    for (const CommField& f : CommFields()) {
        // The first element of that name counts; order and other children do not matter.
        const pugi::xml_node node = root.child(f.element);
        if (node)
            settings.*f.member = QString::fromUtf8(node.child_value());
    }
    return std::optional<CommSettings>(settings);
}

Status SaveCommSettings(const QString& path, const CommSettings& settings)
{
    // A record with a missing field would write an incomplete document: refuse before touching the file.
    for (const CommField& f : CommFields()) {
        if (!(settings.*f.member))
            return Status::failure(QStringLiteral("Cannot save \"%1\": the field %2 has no value.")
                                       .arg(DisplayPath(path), QLatin1String(f.element)));
    }
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("Par_Gen");
    for (const CommField& f : CommFields())
        root.append_child(f.element).text().set((settings.*f.member)->toUtf8().constData());
    return SaveXmlDocument(doc, path);
}

qint32 ProfibusByteCount(const std::optional<QString>& field)
{
    return field ? ParseIntegerTextOr(*field, 244) : 244;
}

} // namespace velmaro
