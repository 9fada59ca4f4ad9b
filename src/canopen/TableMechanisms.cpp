#include "canopen/TableMechanisms.h"

#include "base/IntegerText.h"
#include "base/TerminalText.h"
#include "platform/FileSystem.h"
#include "platform/Workbook.h"
#include "platform/XmlDocument.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <pugixml.hpp>
#include <vector>

namespace velmaro {

// ---------------------------------------------------------------------------------------------------
// Loading

Result<QString> TableRow::attribute(const QString& name) const
{
    const pugi::xml_node node(m_node);
    const QByteArray key = name.toUtf8();
    const pugi::xml_attribute attr =
        node.type() == pugi::node_element ? node.attribute(key.constData()) : pugi::xml_attribute();
    if (!attr)
        return Result<QString>::failure(
            QStringLiteral("row %1 has no attribute \"%2\"").arg(m_index + 1).arg(name));
    return QString::fromUtf8(attr.value());
}

Result<QStringList> TableRow::attributes(const QList<QByteArray>& names) const
{
    const pugi::xml_node node(m_node);
    std::vector<const char*> found(size_t(names.size()), nullptr);
    if (node.type() == pugi::node_element) {
        qsizetype next = 0; // documents usually hold the attributes in table order: try that name first
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const char* name = a.name();
            qsizetype k =
                next < names.size() && std::strcmp(names.at(next).constData(), name) == 0 ? next : -1;
            for (qsizetype i = 0; k < 0 && i < names.size(); ++i) {
                if (std::strcmp(names.at(i).constData(), name) == 0)
                    k = i;
            }
            if (k < 0)
                continue;
            if (!found[size_t(k)])
                found[size_t(k)] = a.value();
            next = k + 1;
        }
    }
    QStringList values;
    values.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (!found[size_t(i)])
            return Result<QStringList>::failure(QStringLiteral("row %1 has no attribute \"%2\"")
                                                    .arg(m_index + 1)
                                                    .arg(QString::fromUtf8(names.at(i))));
        values << QString::fromUtf8(found[size_t(i)]);
    }
    return values;
}

Result<qint32> TableRow::integerAttribute(const QString& name) const
{
    const Result<QString> text = attribute(name);
    if (!text.ok())
        return text.status();
    const Result<qint32> value = ParseIntegerText(*text);
    if (!value.ok())
        return Result<qint32>::failure(QStringLiteral("row %1: %2").arg(m_index + 1).arg(value.error()));
    return value;
}

TableLoadResult LoadTableDocument(const QString& path, const QString& notFoundMessage,
                                  const QString& readErrorMessage, const TableRowReader& reader)
{
    TableLoadResult result;
    result.path = path;
    if (!FileExists(path)) {
        result.outcome = TableLoadResult::Outcome::NotFound;
        result.message = notFoundMessage;
        result.detail = QStringLiteral("\"%1\" does not exist").arg(DisplayPath(path));
        return result;
    }
    auto fail = [&](const QString& detail) {
        result.outcome = TableLoadResult::Outcome::ReadError;
        result.message = readErrorMessage;
        result.detail = detail;
        return result;
    };
    const auto doc = LoadXmlDocument(path);
    if (!doc.ok())
        return fail(doc.error());
    const pugi::xml_node root = (*doc)->document_element();
    int index = 0;
    // Every child is a row whatever its name; a text or other node has no attributes, so a reader
    // asking for one fails as it should.
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling(), ++index) {
        const Status status = reader(TableRow(child.internal_object(), index));
        if (!status.ok())
            return fail(status.error());
    }
    return result;
}

QStringList DocumentLoad::messages() const
{
    QStringList shown;
    for (const TableLoadResult& failure : failures)
        shown << failure.message;
    return shown;
}

QString TableLoadResult::shownText() const
{
    if (outcome != Outcome::ReadError)
        return message;
    // Most reasons name the file already (the parser's, the refusal of a folder or a pipe); a row
    // reader's does not.
    const QString file = DisplayPath(path);
    const QString reason =
        detail.contains(file) || file.isEmpty() ? detail : QStringLiteral("\"%1\": %2").arg(file, detail);
    return reason.isEmpty() ? message : message + QLatin1Char('\n') + reason;
}

QStringList DocumentLoad::shownMessages() const
{
    QStringList shown;
    for (const TableLoadResult& failure : failures)
        shown << failure.shownText();
    return shown;
}

DocumentLoad DocumentLoad::of(const TableLoadResult& read)
{
    DocumentLoad load;
    if (!read.ok())
        load.failures << read;
    load.judge(read);
    return load;
}

void DocumentLoad::judge(const TableLoadResult& own)
{
    readWhole = own.readWhole();
    notShown = own.notShown;
    if (own.outcome == TableLoadResult::Outcome::ReadError)
        incomplete = own.detail.isEmpty() ? own.message : own.detail;
    else
        incomplete = own.rowsLost;
}

QString DocumentLoad::verdict(const QString& path) const
{
    if (!readWhole) {
        // The reason may be a sentence of its own (a file helper's message): one full stop at the end.
        const QString why = incomplete.endsWith(QLatin1Char('.')) ? incomplete.chopped(1) : incomplete;
        return QStringLiteral("\"%1\" could not be read completely: %2.").arg(DisplayPath(path), why);
    }
    if (!notShown.isEmpty())
        return QStringLiteral("\"%1\" %2.").arg(DisplayPath(path), notShown);
    return {};
}

// ---------------------------------------------------------------------------------------------------
// Ordering

Result<QList<int>> OrderByKey(const QList<QStringList>& keys, const OrderRule& rule)
{
    const Result<qint32> sentinel = ParseIntegerText(rule.sentinel);
    if (!sentinel.ok())
        return sentinel.status();
    const int n = int(keys.size());
    const int width = n == 0 ? 0 : int(keys.first().size());
    std::vector<qint32> values(size_t(n) * size_t(width));
    for (int i = 0; i < n; ++i) {
        const QStringList& key = keys.at(i);
        for (int c = 0; c < width; ++c) {
            const Result<qint32> v = ParseIntegerText(c < key.size() ? key.at(c) : QString());
            if (!v.ok())
                return v.status();
            values[size_t(i) * size_t(width) + size_t(c)] = *v;
        }
    }
    // Lexicographic comparison of record i's tuple with record j's (or with the sentinel tuple).
    auto compare = [&](int i, int j) {
        for (int c = 0; c < width; ++c) {
            const qint32 a = values[size_t(i) * size_t(width) + size_t(c)];
            const qint32 b = j < 0 ? *sentinel : values[size_t(j) * size_t(width) + size_t(c)];
            if (a != b)
                return a < b ? -1 : 1;
        }
        return 0;
    };
    const bool laterWins = rule.tie == TieRule::LaterWins;
    // A record the selection loop can choose: its tuple beats the sentinel tuple under the tie rule.
    auto chosen = [&](int i) {
        const int c = compare(i, -1);
        return laterWins ? c <= 0 : c < 0;
    };
    QList<int> order(n);
    for (int i = 0; i < n; ++i)
        order[i] = i;
    std::vector<char> inRange(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        inRange[size_t(i)] = chosen(i) ? 1 : 0;
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        if (inRange[size_t(a)] != inRange[size_t(b)])
            return inRange[size_t(a)] > inRange[size_t(b)];
        const int c = compare(a, b);
        if (c != 0)
            return c < 0;
        return laterWins ? a > b : a < b;
    });
    return order;
}

// ---------------------------------------------------------------------------------------------------
// Saving

Status WriteTableDocument(const TableDefinition& table, const QString& path, const QList<QStringList>& rows)
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child(table.TableName.toUtf8().constData());
    std::vector<QByteArray> names;
    names.reserve(size_t(table.AttributeNames.size()));
    for (const QString& name : table.AttributeNames)
        names.push_back(name.toUtf8());
    for (const QStringList& values : rows) {
        pugi::xml_node row = root.append_child("row");
        for (size_t k = 0; k < names.size(); ++k) {
            const QString value = qsizetype(k) < values.size() ? values.at(qsizetype(k)) : QString();
            row.append_attribute(names[k].constData()).set_value(value.toUtf8().constData());
        }
    }
    return SaveXmlDocument(doc, path);
}

Status SaveTableDocument(const TableDefinition& table, const QString& path, const TableSideRows& sideA,
                         const TableSideRows& sideB, const OrderRule& rule)
{
    return SaveTableDocument(table, path, sideA, sideB, rule, WriteConsent()).status();
}

Result<bool> SaveTableDocument(const TableDefinition& table, const QString& path, const TableSideRows& sideA,
                               const TableSideRows& sideB, const OrderRule& rule, const WriteConsent& consent)
{
    QList<QStringList> rows;
    rows.reserve(sideA.rows.size() + sideB.rows.size());
    for (const TableSideRows* side : {&sideA, &sideB}) {
        const Result<QList<int>> order = OrderByKey(side->keys, rule);
        if (!order.ok())
            return order.status();
        for (int i : *order)
            rows.append(side->rows.at(i));
    }
    if (consent && !consent())
        return false;
    const Status written = WriteTableDocument(table, path, rows);
    if (!written.ok())
        return written;
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Importing

FileDialogRequest OpenExcelRequest(const ProjectPaths& paths)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Open");
    request.filter = QStringLiteral("File EXCEL (*.xls)|*.xls|"
                                    "Workbook (*.xlsx)|*.xlsx|"
                                    "OpenDocument spreadsheet (*.ods)|*.ods");
    request.initialDir = paths.ProjectDir;
    return request;
}

Status CheckImportKeys(const QStringList& names, const QStringList& keys)
{
    for (qsizetype k = 0; k < keys.size(); ++k) {
        const Result<qint32> value = ParseIntegerText(keys.at(k));
        if (!value.ok())
            return Status::failure(QStringLiteral("its \"%1\": %2").arg(names.value(k), value.error()));
    }
    return {};
}

QString ImportOutcome::describe(const QString& workbookPath, const QString& tableName) const
{
    switch (outcome) {
    case Outcome::Imported:
        return QStringLiteral("Imported %1 records from \"%2\".").arg(records).arg(DisplayPath(workbookPath));
    case Outcome::Unreadable:
        return QStringLiteral("Cannot read workbook \"%1\": %2").arg(DisplayPath(workbookPath), reason);
    case Outcome::NoWorksheet:
        return QStringLiteral("Workbook \"%1\" has no worksheet \"%2\".")
            .arg(DisplayPath(workbookPath), tableName);
    case Outcome::StoppedAtRecord:
        return QStringLiteral("Import stopped at record %1 (worksheet row %2): %3")
            .arg(record)
            .arg(sheetRow)
            .arg(reason);
    }
    return {};
}

QString ImportOutcome::editorNote(const QString& workbookPath, const QString& tableName) const
{
    QStringList lines;
    if (!ok()) {
        const QString line = describe(workbookPath, tableName);
        lines << (outcome == Outcome::StoppedAtRecord
                      ? line + QStringLiteral(". The records before it were imported.")
                      : line);
    }
    if (!notShown.isEmpty())
        lines << notShown;
    return lines.join(QLatin1Char('\n'));
}

namespace {

// The name of the worksheet named `name` in any letter case; none when there is none.
std::optional<QString> findWorksheet(const Workbook& workbook, const QString& name)
{
    for (const QString& sheet : workbook.worksheetNames()) {
        if (sheet.compare(name, Qt::CaseInsensitive) == 0)
            return sheet;
    }
    return {};
}

// Why a record cannot be stored: a value the document could not keep (XML holds no control character
// but the tab) or that would split a CSV line. Empty when every value can be stored.
QString unstorableValue(const TableDefinition& table, const QStringList& fields)
{
    for (qsizetype k = 0; k < fields.size(); ++k) {
        for (const QChar c : fields.at(k)) {
            const char16_t u = c.unicode();
            if ((u < 0x20 && u != u'\t') || u == 0xFFFE || u == 0xFFFF || c.isSurrogate()) {
                return QStringLiteral("the value of \"%1\" holds the character %2, which a table "
                                      "document cannot keep")
                    .arg(table.AttributeNames.at(k), TerminalText(QString(c)));
            }
        }
    }
    return {};
}

} // namespace

ImportOutcome ImportWorksheet(const TableDefinition& table, const Workbook& workbook,
                              const std::function<void()>& emptyStep, const WorksheetRecordReader& reader)
{
    if (emptyStep)
        emptyStep();
    ImportOutcome result;
    const std::optional<QString> sheet = findWorksheet(workbook, table.TableName);
    if (!sheet) {
        result.outcome = ImportOutcome::Outcome::NoWorksheet;
        return result;
    }
    const Result<WorksheetRows> rows = workbook.readRows(*sheet);
    if (!rows.ok()) {
        result.outcome = ImportOutcome::Outcome::Unreadable;
        result.reason = rows.error();
        return result;
    }
    const int fieldCount = int(table.AttributeNames.size());
    int number = 0;
    for (const WorksheetRow& row : rows->rows) {
        ++number;
        auto stop = [&](const QString& reason) {
            result.outcome = ImportOutcome::Outcome::StoppedAtRecord;
            result.record = number;
            result.sheetRow = row.sheetRow;
            result.reason = reason;
            return result;
        };
        if (rows->columns < fieldCount)
            return stop(
                QStringLiteral("the worksheet has %1 columns, %2 needed").arg(rows->columns).arg(fieldCount));
        QStringList fields;
        fields.reserve(fieldCount);
        for (int k = 0; k < fieldCount; ++k)
            fields.append(k < row.cells.size() ? row.cells.at(k) : QString());
        // Stopped here, before the record reaches the table.
        const QString unstorable = unstorableValue(table, fields);
        if (!unstorable.isEmpty())
            return stop(unstorable);
        const Status status = reader(fields);
        if (!status.ok())
            return stop(status.error());
        ++result.records;
    }
    return result;
}

ImportOutcome ImportWorksheet(const TableDefinition& table, const QString& workbookPath,
                              const std::function<void()>& emptyStep, const WorksheetRecordReader& reader)
{
    if (emptyStep)
        emptyStep();
    // The reason only: the message names the workbook once.
    const Result<std::shared_ptr<Workbook>> workbook = OpenWorkbookFile(workbookPath);
    if (!workbook.ok()) {
        ImportOutcome result;
        result.outcome = ImportOutcome::Outcome::Unreadable;
        result.reason = workbook.error();
        return result;
    }
    return ImportWorksheet(table, **workbook, nullptr, reader);
}

// ---------------------------------------------------------------------------------------------------
// Exporting

QString CsvPath(const QString& projectDir, const TableDefinition& table)
{
    return TableCsvPath(projectDir, table.TableName);
}

QByteArray CsvText(const QList<QStringList>& lines)
{
    QString text;
    for (const QStringList& line : lines) {
        for (const QString& value : line) {
            text += value;
            text += QLatin1Char(',');
        }
        text += QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

Status ExportCsv(const QString& projectDir, const TableDefinition& table, const QList<QStringList>& lines)
{
    return WriteFileAtomically(CsvPath(projectDir, table), CsvText(lines));
}

} // namespace velmaro
