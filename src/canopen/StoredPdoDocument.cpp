#include "canopen/StoredPdoDocument.h"

#include "base/IntegerText.h"

#include <memory>

namespace velmaro {

using namespace storedpdo;

namespace {

void report(const TableLoadResult& loaded, QList<TableLoadResult>& failures)
{
    if (!loaded.ok())
        failures << loaded;
}

// The PDO with `number` on `tab`, or nullptr when the tab has fewer PDOs.
TClPdo* pdoNumbered(StoredPdoTable& table, Side tab, int number)
{
    QList<TClPdo>& pdos = table.pdos(tab);
    if (number < 1 || number > pdos.size())
        return nullptr;
    return &pdos[number - 1];
}

// Reads the SDO reference lists from the SDO table at `path`.
void readSdoTable(const QString& path, StoredPdoTable& table, QList<TableLoadResult>& failures)
{
    report(LoadTableDocument(path, SdoNotFoundMessage, SdoReadErrorMessage,
                             [&table](const TableRow& row) -> Status {
                                 const Result<QString> index = row.attribute(QStringLiteral("IndexA"));
                                 if (!index.ok())
                                     return index.status();
                                 const Result<QString> subindex = row.attribute(QStringLiteral("SubindexA"));
                                 if (!subindex.ok())
                                     return subindex.status();
                                 const Result<qint32> conf = row.integerAttribute(QStringLiteral("conf"));
                                 if (!conf.ok())
                                     return conf.status();
                                 const Side tab = (*conf & 1) == 0 ? Side::A : Side::B;
                                 table.refs(tab).append(TClSdo{*index, *subindex, QString()});
                                 return Status();
                             }),
           failures);
}

// Reads the PDOs of both tabs from the PDO translation document at `path`.
void readPdoTranslation(const QString& path, StoredPdoTable& table, QList<TableLoadResult>& failures)
{
    report(LoadTableDocument(path, PdoNotFoundMessage, PdoReadErrorMessage,
                             [&table](const TableRow& row) -> Status {
                                 const Result<qint32> flags =
                                     row.integerAttribute(QStringLiteral("en_bypass"));
                                 if (!flags.ok())
                                     return flags.status();
                                 const Result<QString> cobid = row.attribute(QStringLiteral("cobid"));
                                 if (!cobid.ok())
                                     return cobid.status();
                                 // Bit 1 set marks the records passed from CAN A to CAN B.
                                 QList<TClPdo>& pdos = table.pdos((*flags & 2) == 0 ? Side::A : Side::B);
                                 pdos.append(TClPdo{*cobid, int(pdos.size()) + 1, {}});
                                 return Status();
                             }),
           failures);
}

// Reads the stored entries at `path` into the PDOs already listed; rowsLost names the first one dropped.
TableLoadResult readStoredEntries(const QString& path, StoredPdoTable& table,
                                  QList<TableLoadResult>& failures)
{
    QString dropped; // the first row the editor drops
    TableLoadResult result = LoadTableDocument(
        path, StoredNotFoundMessage, StoredReadErrorMessage,
        [&table, &dropped](const TableRow& row) -> Status {
            const Result<qint32> nrpdo = row.integerAttribute(QStringLiteral("nrpdo"));
            if (!nrpdo.ok())
                return nrpdo.status();
            const auto [tab, number] = UnpackNrpdo(*nrpdo);
            if (number > table.pdos(tab).size()) {
                // A PDO the tab does not have: dropped.
                if (dropped.isEmpty())
                    dropped = QStringLiteral("row %1 names PDO %2 of tab \"%3\", which lists %4 PDO(s); the "
                                             "editor drops it")
                                  .arg(row.index() + 1)
                                  .arg(number)
                                  .arg(TabName(tab))
                                  .arg(table.pdos(tab).size());
                return Status();
            }
            TClPdo* pdo = pdoNumbered(table, tab, number);
            if (!pdo)
                return Status::failure(QStringLiteral("row %1 names PDO number 0").arg(row.index() + 1));
            TClSdo entry;
            for (auto [field, name] :
                 {std::pair{&entry.Index, "index"}, std::pair{&entry.Subindex, "subindex"},
                  std::pair{&entry.Poscomp, "poscomp"}}) {
                const Result<QString> value = row.attribute(QLatin1String(name));
                if (!value.ok())
                    return value.status();
                *field = *value;
            }
            pdo->Sdos.append(entry);
            return Status();
        });
    result.rowsLost = dropped;
    report(result, failures);
    return result;
}

// The import's record reader, and the drop of every stored entry that happens once the worksheet is
// found: before the first record, or after the import when the worksheet had none.
struct StoredPdoImport
{
    StoredPdoTable& table;
    bool strict;
    bool dropped = false;

    void drop()
    {
        if (dropped)
            return;
        dropped = true;
        for (Side tab : {Side::A, Side::B})
            for (TClPdo& pdo : table.pdos(tab))
                pdo.Sdos.clear();
    }

    Status read(const QStringList& fields)
    {
        drop();
        const Result<qint32> nrpdo = ParseIntegerText(fields.value(2));
        if (!nrpdo.ok())
            return nrpdo.status();
        const auto [tab, number] = UnpackNrpdo(*nrpdo);
        if (number > table.pdos(tab).size()) {
            if (strict)
                return Status::failure(QStringLiteral("it names PDO %1 of tab \"%2\", which lists %3 PDO(s)")
                                           .arg(number)
                                           .arg(TabName(tab))
                                           .arg(table.pdos(tab).size()));
            return Status();
        }
        TClPdo* pdo = pdoNumbered(table, tab, number);
        if (!pdo)
            return Status::failure(QStringLiteral("the PDO number is 0"));
        if (strict) {
            const Status keys = CheckImportKeys({QStringLiteral("index"), QStringLiteral("subindex")},
                                                {fields.value(0), fields.value(1)});
            if (!keys.ok())
                return keys;
            if (number > MaxPdoNumber)
                return Status::failure(
                    QStringLiteral("it names PDO %1 of tab \"%2\"; only the first %3 PDOs of a "
                                   "tab can hold stored entries")
                        .arg(number)
                        .arg(TabName(tab))
                        .arg(MaxPdoNumber));
        }
        pdo->Sdos.append(TClSdo{fields.value(0), fields.value(1), fields.value(3)});
        return Status();
    }

    void finish(const ImportOutcome& outcome)
    {
        using O = ImportOutcome::Outcome;
        if (outcome.outcome == O::Imported || outcome.outcome == O::StoppedAtRecord)
            drop();
    }
};

} // namespace

DocumentLoad StoredPdoDocument::load(const ProjectPaths& paths, Table& table)
{
    table.clear();
    DocumentLoad load;
    readSdoTable(paths.SdoXmlPath, table, load.failures);
    readPdoTranslation(paths.RpdoDefXmlPath, table, load.failures);
    // Last: its rows refer to the PDOs by number.
    load.judge(readStoredEntries(path(paths), table, load.failures));
    return load;
}

int StoredPdoDocument::savedRows(const Table& table)
{
    int rows = 0;
    for (Side tab : {Side::A, Side::B})
        for (const TClPdo& pdo : table.pdos(tab))
            rows += int(pdo.Sdos.size());
    return rows;
}

namespace {

TableDefinition describe()
{
    return {QStringLiteral("sdopdo"),
            {QStringLiteral("index"), QStringLiteral("subindex"), QStringLiteral("nrpdo"),
             QStringLiteral("poscomp")}};
}

// The records of both tabs as the save takes them, in list order: key (Index, Subindex) and the row
// "index", "subindex", "nrpdo", "poscomp"; refuses, naming the tab and the PDO, an entry of a PDO
// beyond the 127th of its tab.
// The format of the document, worksheet and CSV file, for TableDocument.
class StoredPdoFormat final : public TableFormat<StoredPdoTable>
{
public:
    StoredPdoFormat()
        : TableFormat(&ProjectPaths::SdoPdoXmlPath, describe(),
                      OrderRule{QStringLiteral("0x999999"), TieRule::SmallerTuple})
    {
    }

    Result<SideRows> sideRows(const StoredPdoTable& table) const override
    {
        SideRows sides;
        for (Side tab : {Side::A, Side::B}) {
            TableSideRows& side = sides[size_t(tab)];
            for (const TClPdo& pdo : table.pdos(tab)) {
                if (!pdo.Sdos.isEmpty() && pdo.Number > MaxPdoNumber)
                    return Result<SideRows>::failure(
                        QStringLiteral(
                            "Cannot save: PDO %1 (COB-ID %2) of tab \"%3\" has stored SDO entries, "
                            "but only the first %4 PDOs of a tab can hold them. Nothing was written.")
                            .arg(pdo.Number)
                            .arg(pdo.CobId, TabName(tab))
                            .arg(MaxPdoNumber));
                const QString nrpdo = QString::number(PackNrpdo(pdo.Number, tab));
                for (const TClSdo& sdo : pdo.Sdos)
                    side.append({sdo.Index, sdo.Subindex}, {sdo.Index, sdo.Subindex, nrpdo, sdo.Poscomp});
            }
        }
        return sides;
    }

    RecordReading recordReading(StoredPdoTable& table, ImportRule rule) const override
    {
        const auto import =
            std::make_shared<StoredPdoImport>(StoredPdoImport{table, rule == ImportRule::EveryRecordKept});
        return {{},
                [import](const QStringList& fields) { return import->read(fields); },
                [import](ImportOutcome& outcome) { import->finish(outcome); }};
    }

    QList<QStringList> csvLines(const StoredPdoTable& table, Side tab) const override
    {
        QList<QStringList> lines;
        for (const TClPdo& pdo : table.pdos(tab)) {
            const QString nrpdo = QString::number(PackNrpdo(pdo.Number, tab));
            for (const TClSdo& sdo : pdo.Sdos)
                lines.append({sdo.Index, sdo.Subindex, nrpdo, sdo.Poscomp});
        }
        return lines;
    }
};

} // namespace

const TableFormat<StoredPdoTable>& StoredPdoDocument::format()
{
    static const StoredPdoFormat format;
    return format;
}

} // namespace velmaro
