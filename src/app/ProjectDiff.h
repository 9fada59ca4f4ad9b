#pragma once

// What differs between two projects, two documents of the same kind, or a project and a bank.bin, in
// the editors' words: one entry per change. Documents are compared as their readers see them, so
// whitespace, attribute order and the XML declaration never count.

#include "base/Result.h"
#include "mapping/MappingDocument.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace velmaro {

struct DiffOptions
{
    // Compare stored texts: "0x13" and "19" differ. Otherwise two texts that read as the same integer
    // are equal.
    bool text = false;
};

struct DiffEntry
{
    enum class Kind
    {
        Changed,    // field: oldValue -> newValue
        Added,      // a row or finding only B has (newValue describes it)
        Removed,    // a row or finding only A has (oldValue describes it)
        OnlyInA,    // the document exists in A only
        OnlyInB,    // the document exists in B only
        Unreadable, // place "A" or "B"; the reader's message in that side's value
    };
    Kind kind = Kind::Changed;
    QString document; // "pargen.xml", "sdo.xml", "rpdodef.xml", ..., "bank.bin"
    QString place;    // "ProfiBus IN row 3", "CanA cobid 0x181", "offset 12"; empty for a whole field
    QString field;    // "Baudrate (Ser_Baud)", "NPoint", "row", "finding", "document"
    QString oldValue;
    QString newValue;
};

struct DiffResult
{
    QList<DiffEntry> entries;
    // A document could not be read: the comparison is not complete.
    bool trouble() const;
};

// The kinds of what can be compared.
enum class DiffKind
{
    Project, // a project folder
    Pargen,
    Mapping, // sdo.xml
    Rpdodef,
    Sdopdo,
    Emcydef,
    Emcyword,
    Image // bank.bin
};

struct DiffSource
{
    DiffKind kind = DiffKind::Project;
    QString path; // as given, trailing separators removed
};

// A folder is a project; a file is known by its name ("pargen.xml", "sdo.xml", the four table documents,
// also as the end of a longer name such as a temporary copy "x1_pargen.xml"; "*.bin" is an image), else
// by its root element. Fails when nothing is there or the kind cannot be told.
Result<DiffSource> ClassifyDiffSource(const QString& argument);
// Both arguments of a comparison. Beside a known document, /dev/null (what git passes for a document
// one side lacks) is that document absent, and a file of no known kind is read as that kind.
Result<std::pair<DiffSource, DiffSource>> ClassifyDiffPair(const QString& a, const QString& b);

// Compares A (old) with B (new). Sources of the same kind, a project with a document (its document of
// that kind) and a project or a pargen.xml with a bank.bin (the image pargen.xml builds, field by field)
// can be compared; any other pair fails with a message naming both kinds.
Result<DiffResult> CompareSources(const DiffSource& a, const DiffSource& b, const DiffOptions& options = {});

// Two cell texts are the same value when their keys are equal: an integer's decimal form, or the text
// itself when it is no integer (always the text with DiffOptions::text).
QString DiffCellKey(const QString& text, const DiffOptions& options);
bool SameDiffCell(const QString& a, const QString& b, const DiffOptions& options);

// The building blocks, on values already read (tests, benchmarks).
QList<DiffEntry> DiffMappingTables(const MappingTables& a, const MappingLimits& limitsA,
                                   const MappingTables& b, const MappingLimits& limitsB,
                                   const DiffOptions& options);
// `tableName`: "rpdodef", "sdopdo", "emcydef" or "emcyword"; rows with the table's attributes in order.
QList<DiffEntry> DiffTableRows(const QString& tableName, const QList<QStringList>& a,
                               const QList<QStringList>& b, const DiffOptions& options);

// One line: "pargen.xml: Baudrate (Ser_Baud): 115200 -> 9600", "sdo.xml: ProfiBus IN row 3: NPoint 2 -> 4".
QString DiffLine(const DiffEntry& entry);
// RFC 4180 CSV: the heading "document,place,field,old,new", then one row per entry; lines end with LF.
QString DiffCsv(const QList<DiffEntry>& entries);

} // namespace velmaro
