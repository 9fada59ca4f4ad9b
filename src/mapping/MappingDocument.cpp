#include "mapping/MappingDocument.h"

#include "platform/FileSystem.h"
#include "platform/XmlDocument.h"
#include "settings/CommSettings.h"

#include <pugixml.hpp>

namespace velmaro {

namespace {

// A column of side In: its attribute in the document and its caption in the editor. Side Out has the same
// columns but the second, Type.
struct Column
{
    const char* attribute;
    const char* caption;
};
constexpr Column kColumns[] = {{"Slave_ID", "Slave ID"},
                               {"Type", "Type"},
                               {"Address_Mod", "Address Register"},
                               {"NPoint", "NPoint"},
                               {"Address_Profi", "Address ProfiBUS"},
                               {"Mnemonic", "Mnemonic"}};

QStringList columnTexts(MappingSide side, const char* Column::*text)
{
    QStringList texts;
    for (const Column& column : kColumns)
        texts << QLatin1String(column.*text);
    if (side == MappingSide::Out)
        texts.removeAt(1);
    return texts;
}

} // namespace

const QStringList& MappingAttributes(MappingSide side)
{
    static const QStringList in = columnTexts(MappingSide::In, &Column::attribute);
    static const QStringList out = columnTexts(MappingSide::Out, &Column::attribute);
    return side == MappingSide::In ? in : out;
}

const QStringList& MappingColumnCaptions(MappingSide side)
{
    static const QStringList in = columnTexts(MappingSide::In, &Column::caption);
    static const QStringList out = columnTexts(MappingSide::Out, &Column::caption);
    return side == MappingSide::In ? in : out;
}

QString MappingElement(MappingSide side)
{
    return side == MappingSide::In ? QStringLiteral("ProfiBUS_IN") : QStringLiteral("ProfiBUS_OUT");
}

namespace {

// Reads the rows of one table into `rows`; stops at the first row that lacks an attribute.
void loadSide(const pugi::xml_node& root, MappingSide side, const QString& path, MappingLoad& load)
{
    const QString element = MappingElement(side);
    const pugi::xml_node holder = root.child(element.toUtf8().constData());
    if (!holder) {
        load.error = QStringLiteral("%1: the element \"%2\" is missing").arg(DisplayPath(path), element);
        return;
    }
    const QStringList& attributes = MappingAttributes(side);
    QList<MappingRow>& rows = load.tables.side(side);
    int count = 0;
    for (const pugi::xml_node& child : holder.children()) {
        if (child.type() != pugi::node_element)
            continue;
        ++count;
        if (count > MappingRowCount)
            continue; // only counted, for the notice below
        MappingRow row;
        row.reserve(attributes.size());
        for (const QString& name : attributes) {
            const pugi::xml_attribute a = child.attribute(name.toUtf8().constData());
            if (!a) {
                // One arg() call: a "%1" inside the path must stay text.
                load.error = QStringLiteral("%1: row %2 of \"%3\" has no attribute \"%4\"")
                                 .arg(DisplayPath(path), QString::number(count), element, name);
                return;
            }
            row << QString::fromUtf8(a.value());
        }
        rows << row;
    }
    if (count > MappingRowCount) {
        load.beyondGrid = true;
        load.notices << QStringLiteral("\"%1\" in %2 holds %3 rows, the table only %4: rows %5 to %3 "
                                       "were not loaded, and OK would drop them.")
                            .arg(element, DisplayPath(path), QString::number(count),
                                 QString::number(MappingRowCount), QString::number(MappingRowCount + 1));
    }
}

} // namespace

MappingLoad LoadMappingDocument(const QString& path)
{
    MappingLoad load;
    if (!FileExists(path))
        return load;
    load.found = true;
    auto doc = LoadXmlDocument(path);
    if (!doc.ok()) {
        load.error = doc.error();
        return load;
    }
    // The document element is taken whatever its name.
    const pugi::xml_node root = doc.value()->document_element();
    loadSide(root, MappingSide::In, path, load);
    if (load.ok())
        loadSide(root, MappingSide::Out, path, load);
    return load;
}

Status SaveMappingDocument(const QString& path, const MappingTables& tables)
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("Serial_to_ProfiBus");
    for (MappingSide side : {MappingSide::In, MappingSide::Out}) {
        pugi::xml_node holder = root.append_child(MappingElement(side).toUtf8().constData());
        const QStringList& attributes = MappingAttributes(side);
        for (const MappingRow& row : tables.side(side)) {
            pugi::xml_node r = holder.append_child("row");
            for (int i = 0; i < attributes.size(); ++i) {
                const QString value = i < row.size() ? row.at(i) : QString();
                r.append_attribute(attributes.at(i).toUtf8().constData())
                    .set_value(value.toUtf8().constData());
            }
        }
    }
    return SaveXmlDocument(doc, path);
}

Result<MappingLimits> LoadMappingLimits(const QString& pargenPath)
{
    const auto settings = LoadCommSettings(pargenPath);
    if (!settings.ok())
        return settings.status();
    MappingLimits limits;
    if (settings.value()) {
        limits.in = ProfibusByteCount(settings.value()->Profi_NB_IN);
        limits.out = ProfibusByteCount(settings.value()->Profi_NB_OUT);
    }
    return limits;
}

} // namespace velmaro
