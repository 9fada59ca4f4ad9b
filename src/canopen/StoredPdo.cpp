#include "canopen/StoredPdo.h"

#include "base/IntegerText.h"
#include "canopen/TableMechanisms.h"

namespace velmaro {

using namespace storedpdo;

const TableDefinition& SdoPdoTable()
{
    static const TableDefinition table{QStringLiteral("sdopdo"),
                                       {QStringLiteral("index"), QStringLiteral("subindex"),
                                        QStringLiteral("nrpdo"), QStringLiteral("poscomp")}};
    return table;
}

void StoredPdoTable::clear()
{
    PdoListA.clear();
    PdoListB.clear();
    SdoRefListA.clear();
    SdoRefListB.clear();
}

QString TabName(Side tab)
{
    return tab == Side::A ? QStringLiteral("CanA") : QStringLiteral("CanB");
}

int PackNrpdo(int number, Side tab)
{
    return tab == Side::B ? number + kCanBFlag : number;
}

std::pair<Side, int> UnpackNrpdo(qint32 nrpdo)
{
    const Side tab = (nrpdo & kCanBFlag) != 0 ? Side::B : Side::A;
    return {tab, int(nrpdo & kMaxPdoNumber)};
}

QString ComposePoscomp(int highItem, int lowItem)
{
    return QString::number(16 * highItem + lowItem);
}

Result<std::pair<int, int>> SplitPoscomp(const QString& poscomp)
{
    const Result<qint32> v = ParseIntegerText(poscomp);
    if (!v.ok())
        return v.status();
    const int high = std::min(int((*v >> 4) & 15), kLastByteItem);
    const int low = std::min(int(*v & 15), kLastByteItem);
    return std::make_pair(high, low);
}

namespace {

// Compares a typed pair with a listed one: the index texts first, the subindex texts only when the
// indexes are equal. The typed values are converted once, at their first comparison.
class PairComparer
{
public:
    PairComparer(const QString& index, const QString& subindex) : m_index(index), m_subindex(subindex) {}

    // true/false, or the conversion error.
    Result<bool> equals(const TClSdo& other)
    {
        if (!m_indexValue) {
            const Result<qint32> v = ParseIntegerText(m_index);
            if (!v.ok())
                return v.status();
            m_indexValue = *v;
        }
        const Result<qint32> otherIndex = ParseIntegerText(other.Index);
        if (!otherIndex.ok())
            return otherIndex.status();
        if (*otherIndex != *m_indexValue)
            return false;
        if (!m_subindexValue) {
            const Result<qint32> v = ParseIntegerText(m_subindex);
            if (!v.ok())
                return v.status();
            m_subindexValue = *v;
        }
        const Result<qint32> otherSubindex = ParseIntegerText(other.Subindex);
        if (!otherSubindex.ok())
            return otherSubindex.status();
        return *otherSubindex == *m_subindexValue;
    }

private:
    QString m_index;
    QString m_subindex;
    std::optional<qint32> m_indexValue;
    std::optional<qint32> m_subindexValue;
};

EditOutcome failed(const QString& message)
{
    return EditOutcome{EditOutcome::Failed, message};
}

} // namespace

EditOutcome CheckSdoEntry(const QString& index, const QString& subindex,
                          const std::optional<EntryPosition>& except, const QList<TClPdo>& pdos,
                          const QList<TClSdo>& refs)
{
    PairComparer compare(index, subindex);
    for (const TClSdo& r : refs) {
        const Result<bool> same = compare.equals(r);
        if (!same.ok())
            return failed(same.error());
        if (*same)
            return EditOutcome{EditOutcome::Rejected, kInSdoTable};
    }
    for (int p = 0; p < pdos.size(); ++p) {
        const QList<TClSdo>& sdos = pdos.at(p).Sdos;
        for (int s = 0; s < sdos.size(); ++s) {
            const Result<bool> same = compare.equals(sdos.at(s));
            if (!same.ok())
                return failed(same.error());
            if (*same && !(except && except->pdo == p && except->sdo == s))
                return EditOutcome{EditOutcome::Rejected, kAlreadyStored};
        }
    }
    return EditOutcome{};
}

EditOutcome AddSdoEntry(StoredPdoTable& table, Side tab, int pdoPosition, const TClSdo& entry)
{
    QList<TClPdo>& pdos = table.pdos(tab);
    if (pdoPosition < 0 || pdoPosition >= pdos.size())
        return EditOutcome{EditOutcome::Rejected, QString()};
    EditOutcome outcome = CheckSdoEntry(entry.Index, entry.Subindex, std::nullopt, pdos, table.refs(tab));
    if (outcome.accepted())
        pdos[pdoPosition].Sdos.append(entry);
    return outcome;
}

EditOutcome ModifySdoEntry(StoredPdoTable& table, Side tab, EntryPosition at, const TClSdo& entry)
{
    QList<TClPdo>& pdos = table.pdos(tab);
    if (at.pdo < 0 || at.pdo >= pdos.size() || at.sdo < 0 || at.sdo >= pdos.at(at.pdo).Sdos.size())
        return EditOutcome{EditOutcome::Rejected, QString()};
    EditOutcome outcome = CheckSdoEntry(entry.Index, entry.Subindex, at, pdos, table.refs(tab));
    if (outcome.accepted())
        pdos[at.pdo].Sdos[at.sdo] = entry;
    return outcome;
}

bool DeleteSdoEntry(StoredPdoTable& table, Side tab, EntryPosition at)
{
    QList<TClPdo>& pdos = table.pdos(tab);
    if (at.pdo < 0 || at.pdo >= pdos.size() || at.sdo < 0 || at.sdo >= pdos.at(at.pdo).Sdos.size())
        return false;
    pdos[at.pdo].Sdos.removeAt(at.sdo);
    return true;
}

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

} // namespace

void ReadSdoTable(const QString& path, StoredPdoTable& table, QList<TableLoadResult>& failures)
{
    report(LoadTableDocument(path, kSdoNotFound, kSdoReadError,
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

void ReadPdoTranslation(const QString& path, StoredPdoTable& table, QList<TableLoadResult>& failures)
{
    report(LoadTableDocument(path, kPdoNotFound, kPdoReadError,
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

TableLoadResult ReadStoredEntries(const QString& path, StoredPdoTable& table,
                                  QList<TableLoadResult>& failures)
{
    bool dropped = false;
    TableLoadResult result = LoadTableDocument(
        path, kStoredNotFound, kStoredReadError, [&table, &dropped](const TableRow& row) -> Status {
            const Result<qint32> nrpdo = row.integerAttribute(QStringLiteral("nrpdo"));
            if (!nrpdo.ok())
                return nrpdo.status();
            const auto [tab, number] = UnpackNrpdo(*nrpdo);
            if (number > table.pdos(tab).size()) {
                dropped = true; // a PDO the tab does not have: dropped
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

Result<StoredPdoSides> StoredPdoSaveRows(const StoredPdoTable& table)
{
    StoredPdoSides sides;
    for (Side tab : {Side::A, Side::B}) {
        TableSideRows& side = tab == Side::A ? sides.sideA : sides.sideB;
        for (const TClPdo& pdo : table.pdos(tab)) {
            if (!pdo.Sdos.isEmpty() && pdo.Number > kMaxPdoNumber)
                return Result<StoredPdoSides>::failure(
                    QStringLiteral("Cannot save: PDO %1 (COB-ID %2) of tab \"%3\" has stored SDO entries, "
                                   "but only the first %4 PDOs of a tab can hold them. Nothing was written.")
                        .arg(pdo.Number)
                        .arg(pdo.CobId, TabName(tab))
                        .arg(kMaxPdoNumber));
            const QString nrpdo = QString::number(PackNrpdo(pdo.Number, tab));
            for (const TClSdo& sdo : pdo.Sdos)
                side.append({sdo.Index, sdo.Subindex}, {sdo.Index, sdo.Subindex, nrpdo, sdo.Poscomp});
        }
    }
    return sides;
}

namespace {

Result<bool> saveStored(const StoredPdoTable& table, const QString& path, const WriteConsent& consent)
{
    const Result<StoredPdoSides> sides = StoredPdoSaveRows(table);
    if (!sides.ok())
        return sides.status();
    return SaveTableDocument(SdoPdoTable(), path, sides->sideA, sides->sideB,
                             OrderRule{QStringLiteral("0x999999"), TieRule::SmallerTuple}, consent);
}

} // namespace

namespace {

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
        pdo->Sdos.append(TClSdo{fields.value(0), fields.value(1), fields.value(3)});
        return Status();
    }

    ImportOutcome finish(ImportOutcome outcome)
    {
        using O = ImportOutcome::Outcome;
        if (outcome.outcome == O::Imported || outcome.outcome == O::StoppedAtRecord)
            drop();
        return outcome;
    }
};

} // namespace

ImportOutcome ImportStoredPdo(const Workbook& workbook, StoredPdoTable& table,
                              const std::function<void()>& emptyStep, bool strict)
{
    StoredPdoImport import{table, strict};
    return import.finish(
        ImportWorksheet(SdoPdoTable(), workbook, emptyStep,
                        [&import](const QStringList& fields) { return import.read(fields); }));
}

const TableDefinition& StoredPdoDocument::definition()
{
    return SdoPdoTable();
}

QString StoredPdoDocument::path(const ProjectPaths& paths)
{
    return paths.SdoPdoXmlPath;
}

DocumentLoad StoredPdoDocument::load(const ProjectPaths& paths, Table& table)
{
    table.clear();
    DocumentLoad load;
    ReadSdoTable(paths.SdoXmlPath, table, load.failures);
    ReadPdoTranslation(paths.RpdoDefXmlPath, table, load.failures);
    // Last: its rows refer to the PDOs by number.
    load.readWhole = ReadStoredEntries(path(paths), table, load.failures).readWhole();
    return load;
}

Result<bool> StoredPdoDocument::save(const ProjectPaths& paths, const Table& table,
                                     const WriteConsent& consent)
{
    return saveStored(table, path(paths), consent);
}

int StoredPdoDocument::savedRows(const Table& table)
{
    int rows = 0;
    for (Side tab : {Side::A, Side::B})
        for (const TClPdo& pdo : table.pdos(tab))
            rows += int(pdo.Sdos.size());
    return rows;
}

ImportOutcome StoredPdoDocument::importWorkbook(const QString& workbookPath, Table& table, ImportRule rule,
                                                const std::function<void()>& emptyStep)
{
    StoredPdoImport import{table, rule == ImportRule::EveryRecordKept};
    return import.finish(
        ImportWorksheet(SdoPdoTable(), workbookPath, emptyStep,
                        [&import](const QStringList& fields) { return import.read(fields); }));
}

Status StoredPdoDocument::exportCsv(const ProjectPaths& paths, const Table& table)
{
    QList<QStringList> lines;
    for (Side tab : {Side::A, Side::B}) {
        for (const TClPdo& pdo : table.pdos(tab)) {
            const QString nrpdo = QString::number(PackNrpdo(pdo.Number, tab));
            for (const TClSdo& sdo : pdo.Sdos)
                lines.append({sdo.Index, sdo.Subindex, nrpdo, sdo.Poscomp});
        }
    }
    return ExportCsv(paths.ProjectDir, SdoPdoTable(), lines);
}

} // namespace velmaro
