#pragma once

// The project report: one self-contained HTML page that documents an installation. The loader reads
// every document of a project folder as its editor or generator would; the writer only formats what
// was loaded, so it can be tested with values made up in memory.

#include "app/ProjectDiff.h"
#include "base/ProjectPaths.h"
#include "canopen/TableMechanisms.h"
#include "device/GsdFile.h"
#include "device/ParameterImage.h"
#include "mapping/ByteMap.h"
#include "mapping/MappingDocument.h"
#include "settings/CommSettings.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmaro {

// A document that could not be read, and the message of the reader that tried.
struct ReportFailure
{
    QString document;
    QString message;
};

// A CANopen table document as it stands: its attribute names and one row per row element.
struct ReportTable
{
    QString title;    // e.g. "PDO translation"
    QString document; // e.g. "rpdodef.xml"
    QStringList columns;
    QList<QStringList> rows;
};

// What differs between the project (A) and another project or a bank.bin (B), as velmaro-cli diff lists it.
struct ReportComparison
{
    QString other; // the other project or file, as given
    QList<DiffEntry> entries;
};

struct ProjectReportData
{
    QString projectName;
    QString projectDir; // native form, as shown
    QDateTime created;
    QString programVersion; // of the program that wrote the report

    // pargen.xml. Without the document `stored` holds the editor's defaults.
    bool pargenFound = false;
    bool pargenRead = false; // loaded as the editor loads it
    CommSettings stored;
    std::optional<QString> settingsVerdict; // the editor's first refusal on OK; none: accepted

    // bank.bin as found, and what pargen.xml builds now.
    bool bankFound = false;
    std::optional<DecodedImage> bank;
    std::optional<QByteArray> built;
    QString buildError;

    // The GSD file's sizes, or why the generator refuses them.
    std::optional<GsdSizes> gsd;
    QString gsdError;

    // sdo.xml: the rows in use, the byte map and the editor's verdict on OK.
    bool mappingFound = false;
    bool mappingRead = false;
    MappingTables mapping;
    MappingLimits limits;
    ByteMaps byteMaps;
    QStringList mappingNotices;
    QString mappingVerdict; // empty: accepted

    QList<ReportTable> canopen; // the table documents that exist and could be read
    int canopenFound = 0;       // the table documents that exist, read or not
    QList<ReportFailure> failures;

    std::optional<ReportComparison> comparison; // appended at the end of the page when set
};

// A CANopen table document of a project: its title, file name, path and names.
struct CanopenDocument
{
    QString title;    // e.g. "PDO translation"
    QString document; // e.g. "rpdodef.xml"
    QString path;
    TableDefinition definition;
};

// The four table documents of the project at `paths`, in the order the report shows them.
QList<CanopenDocument> CanopenDocuments(const ProjectPaths& paths);

// Every row element of the table document at `path` with the attributes of `definition`, in document
// order. Fails with the editors' read message and its reason ("Error in reading file XML: row 3 has no
// attribute ...") when the document is not well-formed or a row lacks an attribute.
Result<QList<QStringList>> ReadTableRows(const QString& path, const TableDefinition& definition);

// Reads every document of the project at `projectDir` (built with "\" or "/"); never fails, a document
// that cannot be read is listed in `failures`.
ProjectReportData LoadProjectReport(const QString& projectDir, const QDateTime& created);

// The page: XHTML-compatible, UTF-8, no script, no external file, with print rules for A4. Every text
// taken from a document or a folder name is escaped.
QString ProjectReportHtml(const ProjectReportData& data);

} // namespace velmaro
