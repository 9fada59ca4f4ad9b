#include "app/ProjectDiff.h"

#include "app/ProjectReport.h"
#include "base/IntegerText.h"
#include "base/ProjectPaths.h"
#include "base/TabSeparated.h"
#include "device/ImageExplanation.h"
#include "platform/FileSystem.h"
#include "platform/XmlDocument.h"
#include "settings/CommEditorRules.h"
#include "settings/CommFieldWords.h"

#include <QFileInfo>

#include <algorithm>
#include <pugixml.hpp>

namespace velmaro {

bool DiffResult::trouble() const
{
    return std::any_of(entries.cbegin(), entries.cend(),
                       [](const DiffEntry& e) { return e.kind == DiffEntry::Kind::Unreadable; });
}

namespace {

using Kind = DiffEntry::Kind;
using Field = std::optional<QString> CommSettings::*;

struct KindName
{
    DiffKind kind;
    const QString& document;      // the file name in a project
    QString ProjectPaths::*place; // where it is in a project
    const char* root;             // the root element the program writes
};

// In the order a project comparison lists them; the image last.
const KindName kKinds[] = {
    {DiffKind::Pargen, PargenXmlName, &ProjectPaths::PargenXmlPath, "Par_Gen"},
    {DiffKind::Mapping, SdoXmlName, &ProjectPaths::SdoXmlPath, "Serial_to_ProfiBus"},
    {DiffKind::Rpdodef, RpdoDefXmlName, &ProjectPaths::RpdoDefXmlPath, "rpdodef"},
    {DiffKind::Sdopdo, SdoPdoXmlName, &ProjectPaths::SdoPdoXmlPath, "sdopdo"},
    {DiffKind::Emcydef, EmcyDefXmlName, &ProjectPaths::EmcyDefXmlPath, "emcydef"},
    {DiffKind::Emcyword, EmcyWordXmlName, &ProjectPaths::EmcyWordXmlPath, "emcyword"},
    {DiffKind::Image, BankBinName, &ProjectPaths::BankBinPath, nullptr},
};

const KindName* kindName(DiffKind kind)
{
    for (const KindName& k : kKinds) {
        if (k.kind == kind)
            return &k;
    }
    return nullptr;
}

QString documentOf(DiffKind kind)
{
    const KindName* k = kindName(kind);
    return k ? k->document : QStringLiteral("project folder");
}

QString kindWords(DiffKind kind)
{
    return kind == DiffKind::Project ? QStringLiteral("a project folder") : documentOf(kind);
}

// Where a document of `kind` is in the project folder `dir`.
QString pathInProject(const QString& dir, DiffKind kind)
{
    const KindName* k = kindName(kind);
    return k ? ProjectPathsOf(dir).*(k->place) : dir;
}

// One side of a document comparison: the document, and the pargen.xml beside it that gives the mapping
// tables their data lengths (none for a single document: 244 bytes each).
struct Place
{
    QString path;
    QString pargen;
};

DiffEntry unreadable(const QString& document, bool sideB, const QString& message)
{
    DiffEntry e{Kind::Unreadable,
                document,
                sideB ? QStringLiteral("B") : QStringLiteral("A"),
                QStringLiteral("unreadable"),
                QString(),
                QString()};
    (sideB ? e.newValue : e.oldValue) = message;
    return e;
}

// ---------------------------------------------------------------------------------------------------
// pargen.xml

const QStringList* listItems(Field field)
{
    if (field == &CommSettings::Ser_Baud)
        return &SerialBaudItems();
    if (field == &CommSettings::Ser_Par)
        return &ParityItems();
    if (field == &CommSettings::Ser_DataBits)
        return &DataBitsItems();
    if (field == &CommSettings::Profi_Baud)
        return &ProfibusBaudItems();
    return nullptr;
}

bool isChoice(Field field)
{
    return field == &CommSettings::Ser_Type || field == &CommSettings::Ser_RecTra
           || field == &CommSettings::Ser_Transmit || field == &CommSettings::Ser_Receive;
}

// A stored text as the editor shows it: a list position as its item, a choice as its button's caption,
// a text box's text as typed.
QString shownValue(Field field, const std::optional<QString>& text)
{
    if (!text)
        return QStringLiteral("(absent)");
    const Result<qint32> value = ParseIntegerText(*text);
    if (!value.ok())
        return *text;
    if (const QStringList* items = listItems(field)) {
        return *value >= 0 && *value < items->size()
                   ? items->at(*value)
                   : QStringLiteral("position %1 (not in the list)").arg(*value);
    }
    if (isChoice(field))
        return DescribeCommField(field, *value).meaning;
    return *text;
}

void diffPargen(const Place& a, const Place& b, const DiffOptions& options, QList<DiffEntry>& out)
{
    const QString& document = PargenXmlName;
    const auto loadedA = LoadCommSettings(a.path);
    const auto loadedB = LoadCommSettings(b.path);
    if (!loadedA.ok() || !loadedB.ok()) {
        if (!loadedA.ok())
            out << unreadable(document, false, loadedA.error());
        if (!loadedB.ok())
            out << unreadable(document, true, loadedB.error());
        return;
    }
    const CommSettings sa = loadedA.value().value_or(CommSettings());
    const CommSettings sb = loadedB.value().value_or(CommSettings());
    for (const CommFieldLabel& label : CommFieldLabels()) {
        const std::optional<QString>& ta = sa.*label.field;
        const std::optional<QString>& tb = sb.*label.field;
        if (!ta && !tb)
            continue;
        if (ta && tb && SameDiffCell(*ta, *tb, options))
            continue;
        QString oldShown = shownValue(label.field, ta);
        QString newShown = shownValue(label.field, tb);
        if (oldShown == newShown) {
            // Two texts the editor shows alike (a choice of 0 and of 2, "7" and "0x7" with --text).
            oldShown += QStringLiteral(" (%1)").arg(ta.value_or(QString()));
            newShown += QStringLiteral(" (%1)").arg(tb.value_or(QString()));
        }
        QString element;
        for (const CommField& f : CommFields()) {
            if (f.member == label.field)
                element = QLatin1String(f.element);
        }
        out << DiffEntry{Kind::Changed, document,
                         QString(),     QStringLiteral("%1 (%2)").arg(QLatin1String(label.control), element),
                         oldShown,      newShown};
    }
}

// ---------------------------------------------------------------------------------------------------
// bank.bin

// The image a side stands for: bank.bin read back, or the one its pargen.xml builds.
Result<DecodedImage> imageOf(const QString& path, bool fromPargen)
{
    if (!fromPargen)
        return ReadParameterImage(path);
    const Result<ParameterImage> built = BuildParameterImage(path);
    if (!built.ok())
        return built.status();
    return DecodeParameterImage(built->bytes);
}

QString fieldLabel(const ExplainedField& field)
{
    for (const ImageField& f : ParameterImageFields()) {
        if (field.name == QLatin1String(f.element))
            return QStringLiteral("%1 (%2)").arg(CommFieldLabelOf(f.member), field.name);
    }
    return field.name;
}

QString shownField(const ExplainedField* field)
{
    if (!field)
        return QStringLiteral("(absent)");
    return QStringLiteral("%1 (%2)").arg(ImageHex(field->raw), field->meaning);
}

void diffImages(const Place& a, bool aFromPargen, const Place& b, bool bFromPargen, QList<DiffEntry>& out)
{
    const QString& document = BankBinName;
    const Result<DecodedImage> imageA = imageOf(a.path, aFromPargen);
    const Result<DecodedImage> imageB = imageOf(b.path, bFromPargen);
    if (!imageA.ok() || !imageB.ok()) {
        if (!imageA.ok())
            out << unreadable(aFromPargen ? PargenXmlName : document, false, imageA.error());
        if (!imageB.ok())
            out << unreadable(bFromPargen ? PargenXmlName : document, true, imageB.error());
        return;
    }
    const QList<ExplainedField> fieldsA = ExplainParameterImage(*imageA);
    const QList<ExplainedField> fieldsB = ExplainParameterImage(*imageB);
    // The header, then the settings in image order; an image without settings has the header alone.
    const QList<ExplainedField>& longer = fieldsA.size() >= fieldsB.size() ? fieldsA : fieldsB;
    for (int i = 0; i < longer.size(); ++i) {
        const ExplainedField* fa = i < fieldsA.size() ? &fieldsA.at(i) : nullptr;
        const ExplainedField* fb = i < fieldsB.size() ? &fieldsB.at(i) : nullptr;
        if (fa && fb && fa->raw == fb->raw)
            continue;
        const ExplainedField& f = fa ? *fa : *fb;
        out << DiffEntry{Kind::Changed, document,       QStringLiteral("offset %1").arg(f.offset),
                         fieldLabel(f), shownField(fa), shownField(fb)};
    }
}

// ---------------------------------------------------------------------------------------------------
// One document of each side

void diffMapping(const Place& a, const Place& b, const DiffOptions& options, QList<DiffEntry>& out)
{
    const MappingLoad loadA = LoadMappingDocument(a.path);
    const MappingLoad loadB = LoadMappingDocument(b.path);
    if (!loadA.ok() || !loadB.ok()) {
        if (!loadA.ok())
            out << unreadable(SdoXmlName, false, loadA.error);
        if (!loadB.ok())
            out << unreadable(SdoXmlName, true, loadB.error);
        return;
    }
    const auto limits = [](const Place& p) {
        const Result<MappingLimits> l = p.pargen.isEmpty() ? MappingLimits() : LoadMappingLimits(p.pargen);
        return l.ok() ? *l : MappingLimits();
    };
    out += DiffMappingTables(loadA.tables, limits(a), loadB.tables, limits(b), options);
}

void diffTable(DiffKind kind, const Place& a, const Place& b, const DiffOptions& options,
               QList<DiffEntry>& out)
{
    const QString document = documentOf(kind);
    const QString table = document.chopped(4);
    for (const CanopenDocument& d : CanopenDocuments(ProjectPathsOf(QString()))) {
        if (d.document != document)
            continue;
        const Result<QList<QStringList>> rowsA = ReadTableRows(a.path, d.definition);
        const Result<QList<QStringList>> rowsB = ReadTableRows(b.path, d.definition);
        if (!rowsA.ok())
            out << unreadable(document, false, rowsA.error());
        if (!rowsB.ok())
            out << unreadable(document, true, rowsB.error());
        if (rowsA.ok() && rowsB.ok())
            out += DiffTableRows(table, *rowsA, *rowsB, options);
    }
}

void diffDocument(DiffKind kind, const Place& a, const Place& b, const DiffOptions& options,
                  QList<DiffEntry>& out)
{
    switch (kind) {
    case DiffKind::Pargen: diffPargen(a, b, options, out); break;
    case DiffKind::Mapping: diffMapping(a, b, options, out); break;
    case DiffKind::Image: diffImages(a, false, b, false, out); break;
    case DiffKind::Project: break;
    default: diffTable(kind, a, b, options, out); break;
    }
}

void diffProjects(const QString& dirA, const QString& dirB, const DiffOptions& options, QList<DiffEntry>& out)
{
    for (const KindName& k : kKinds) {
        const Place a{pathInProject(dirA, k.kind), pathInProject(dirA, DiffKind::Pargen)};
        const Place b{pathInProject(dirB, k.kind), pathInProject(dirB, DiffKind::Pargen)};
        const bool inA = FileExists(a.path);
        const bool inB = FileExists(b.path);
        if (inA && inB)
            diffDocument(k.kind, a, b, options, out);
        else if (inA || inB)
            out << DiffEntry{inA ? Kind::OnlyInA : Kind::OnlyInB,
                             documentOf(k.kind),
                             QString(),
                             QStringLiteral("document"),
                             inA ? QStringLiteral("present") : QStringLiteral("(absent)"),
                             inB ? QStringLiteral("present") : QStringLiteral("(absent)")};
    }
}

// A file's kind by its root element, for names the program does not write.
std::optional<DiffKind> kindByRoot(const QString& path)
{
    const auto doc = LoadXmlDocument(path);
    if (!doc.ok())
        return std::nullopt;
    const QString root = QString::fromUtf8((*doc)->document_element().name());
    for (const KindName& k : kKinds) {
        if (k.root && root == QLatin1String(k.root))
            return k.kind;
    }
    return std::nullopt;
}

} // namespace

Result<DiffSource> ClassifyDiffSource(const QString& argument)
{
    QString path = argument;
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    if (DirectoryExists(path)) {
        // A folder without any of the documents is no project: comparing two such folders would say
        // "no difference" about whatever they hold.
        for (const KindName& k : kKinds) {
            if (FileExists(pathInProject(path, k.kind)))
                return DiffSource{DiffKind::Project, path};
        }
        return Result<DiffSource>::failure(
            QStringLiteral("\"%1\" is not a project folder: none of pargen.xml, sdo.xml, rpdodef.xml, "
                           "sdopdo.xml, emcydef.xml, emcyword.xml or bin/bank.bin is in it.")
                .arg(argument));
    }
    if (!FileExists(path))
        return Result<DiffSource>::failure(QStringLiteral("\"%1\" does not exist.").arg(argument));
    const QString name = QFileInfo(NativePath(path)).fileName().toLower();
    // No document name ends with another's, so the first match is the one.
    for (const KindName& k : kKinds) {
        if (k.kind != DiffKind::Image && name.endsWith(k.document))
            return DiffSource{k.kind, path};
    }
    if (name.endsWith(QLatin1String(".bin")))
        return DiffSource{DiffKind::Image, path};
    if (const std::optional<DiffKind> kind = kindByRoot(path))
        return DiffSource{*kind, path};
    return Result<DiffSource>::failure(
        QStringLiteral("Cannot tell which document \"%1\" is: its name is none of pargen.xml, sdo.xml, "
                       "rpdodef.xml, sdopdo.xml, emcydef.xml, emcyword.xml or *.bin, and its root element "
                       "none of theirs.")
            .arg(argument));
}

Result<std::pair<DiffSource, DiffSource>> ClassifyDiffPair(const QString& a, const QString& b)
{
    const QString nullDevice = QStringLiteral("/dev/null");
    if (a == nullDevice && b == nullDevice)
        return Result<std::pair<DiffSource, DiffSource>>::failure(
            QStringLiteral("Both sides are /dev/null: there is nothing to compare."));
    Result<DiffSource> sa = a == nullDevice ? Result<DiffSource>::failure(QString()) : ClassifyDiffSource(a);
    Result<DiffSource> sb = b == nullDevice ? Result<DiffSource>::failure(QString()) : ClassifyDiffSource(b);
    // What stands beside a known document takes its kind: /dev/null, which git passes for a document
    // that one side lacks, is that document absent; a file of no known kind is read as that kind, so
    // that why it cannot be read is named.
    const auto besides = [](const QString& argument, const Result<DiffSource>& other) -> Result<DiffSource> {
        if (!other.ok() || other->kind == DiffKind::Project)
            return Result<DiffSource>::failure(QString());
        if (argument == QLatin1String("/dev/null"))
            return DiffSource{other->kind, QString()};
        if (FileExists(argument) && !DirectoryExists(argument))
            return DiffSource{other->kind, argument};
        return Result<DiffSource>::failure(QString());
    };
    if (!sa.ok() && besides(a, sb).ok())
        sa = besides(a, sb);
    else if (!sb.ok() && besides(b, sa).ok())
        sb = besides(b, sa);
    for (const auto& [argument, source] : {std::pair{a, sa}, std::pair{b, sb}}) {
        if (!source.ok())
            return Result<std::pair<DiffSource, DiffSource>>::failure(
                source.error().isEmpty()
                    ? QStringLiteral("/dev/null stands for a missing document: the other side must be one.")
                    : source.error());
    }
    return std::pair{*sa, *sb};
}

Result<DiffResult> CompareSources(const DiffSource& a, const DiffSource& b, const DiffOptions& options)
{
    DiffResult result;
    const bool projectA = a.kind == DiffKind::Project;
    const bool projectB = b.kind == DiffKind::Project;
    const auto pargenOf = [](const DiffSource& s) {
        return s.kind == DiffKind::Project ? pathInProject(s.path, DiffKind::Pargen) : s.path;
    };
    if (projectA && projectB) {
        diffProjects(a.path, b.path, options, result.entries);
    } else if ((a.kind == DiffKind::Image) != (b.kind == DiffKind::Image)) {
        // A project or a pargen.xml against an image: the image its pargen.xml builds, field by field.
        const DiffSource& other = a.kind == DiffKind::Image ? b : a;
        if (other.kind != DiffKind::Project && other.kind != DiffKind::Pargen)
            return Result<DiffResult>::failure(
                QStringLiteral("Cannot compare %1 with %2.").arg(kindWords(a.kind), kindWords(b.kind)));
        diffImages(Place{a.kind == DiffKind::Image ? a.path : pargenOf(a), QString()},
                   a.kind != DiffKind::Image,
                   Place{b.kind == DiffKind::Image ? b.path : pargenOf(b), QString()},
                   b.kind != DiffKind::Image, result.entries);
    } else if (projectA || projectB || a.kind == b.kind) {
        // A project against a single document compares the project's document of that kind.
        const DiffKind kind = projectA ? b.kind : a.kind;
        const auto place = [&](const DiffSource& s) {
            return s.kind == DiffKind::Project
                       ? Place{pathInProject(s.path, kind), pathInProject(s.path, DiffKind::Pargen)}
                       : Place{s.path, QString()};
        };
        const Place pa = place(a);
        const Place pb = place(b);
        if (!FileExists(pa.path) || !FileExists(pb.path)) {
            if (FileExists(pa.path) || FileExists(pb.path))
                result.entries << DiffEntry{
                    FileExists(pa.path) ? Kind::OnlyInA : Kind::OnlyInB,
                    documentOf(kind),
                    QString(),
                    QStringLiteral("document"),
                    FileExists(pa.path) ? QStringLiteral("present") : QStringLiteral("(absent)"),
                    FileExists(pb.path) ? QStringLiteral("present") : QStringLiteral("(absent)")};
        } else {
            diffDocument(kind, pa, pb, options, result.entries);
        }
    } else {
        return Result<DiffResult>::failure(
            QStringLiteral("Cannot compare %1 with %2.").arg(kindWords(a.kind), kindWords(b.kind)));
    }
    return result;
}

namespace {

// An empty value, or one with blanks at either end, in quotes: otherwise the line hides it.
QString shownValue(const QString& text)
{
    if (!text.isEmpty() && text.trimmed().size() == text.size())
        return text;
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString DiffLine(const DiffEntry& e)
{
    const QString head =
        e.document + QStringLiteral(": ") + (e.place.isEmpty() ? QString() : e.place + QStringLiteral(": "));
    switch (e.kind) {
    case Kind::Changed:
        return head + e.field + (e.place.isEmpty() ? QStringLiteral(": ") : QStringLiteral(" "))
               + shownValue(e.oldValue) + QStringLiteral(" -> ") + shownValue(e.newValue);
    case Kind::Added: return head + QStringLiteral("added ") + e.field + QStringLiteral(": ") + e.newValue;
    case Kind::Removed:
        return head + QStringLiteral("removed ") + e.field + QStringLiteral(": ") + e.oldValue;
    case Kind::OnlyInA: return e.document + QStringLiteral(": only in A");
    case Kind::OnlyInB: return e.document + QStringLiteral(": only in B");
    case Kind::Unreadable:
        return e.document + QStringLiteral(": cannot be read in ") + e.place + QStringLiteral(": ")
               + (e.place == QLatin1String("A") ? e.oldValue : e.newValue);
    }
    return {};
}

QString DiffCsv(const QList<DiffEntry>& entries)
{
    const auto field = [](const QString& text) { return CsvField(text); };
    QString csv = QStringLiteral("document,place,field,old,new\n");
    for (const DiffEntry& e : entries) {
        csv += QStringList{field(e.document), field(e.place), field(e.field), field(e.oldValue),
                           field(e.newValue)}
                   .join(QLatin1Char(','))
               + QLatin1Char('\n');
    }
    return csv;
}

} // namespace velmaro
