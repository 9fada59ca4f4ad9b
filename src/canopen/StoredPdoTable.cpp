#include "canopen/StoredPdoTable.h"

#include "base/IntegerText.h"

namespace velmaro {

using namespace storedpdo;

void StoredPdoTable::clear()
{
    pdoLists = {};
    refLists = {};
}

QString TabName(Side tab)
{
    return tab == Side::A ? QStringLiteral("CanA") : QStringLiteral("CanB");
}

int PackNrpdo(int number, Side tab)
{
    return tab == Side::B ? number + CanBFlag : number;
}

std::pair<Side, int> UnpackNrpdo(qint32 nrpdo)
{
    const Side tab = (nrpdo & CanBFlag) != 0 ? Side::B : Side::A;
    return {tab, int(nrpdo & MaxPdoNumber)};
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
    const int high = std::min(int((*v >> 4) & 15), LastByteItem);
    const int low = std::min(int(*v & 15), LastByteItem);
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
        const Result<bool> sameIndex = same(m_indexValue, m_index, other.Index);
        if (!sameIndex.ok() || !*sameIndex)
            return sameIndex;
        return same(m_subindexValue, m_subindex, other.Subindex);
    }

private:
    // Whether `listed` is the number `typed` is; `typed` is converted into `value` once.
    static Result<bool> same(std::optional<qint32>& value, const QString& typed, const QString& listed)
    {
        if (!value) {
            const Result<qint32> v = ParseIntegerText(typed);
            if (!v.ok())
                return v.status();
            value = *v;
        }
        const Result<qint32> other = ParseIntegerText(listed);
        if (!other.ok())
            return other.status();
        return *other == *value;
    }

    QString m_index;
    QString m_subindex;
    std::optional<qint32> m_indexValue;
    std::optional<qint32> m_subindexValue;
};

} // namespace

EditOutcome CheckSdoEntry(const QString& index, const QString& subindex,
                          const std::optional<EntryPosition>& except, const QList<TClPdo>& pdos,
                          const QList<TClSdo>& refs)
{
    PairComparer compare(index, subindex);
    for (const TClSdo& r : refs) {
        const Result<bool> same = compare.equals(r);
        if (!same.ok())
            return EditOutcome::failed(same.error());
        if (*same)
            return EditOutcome::refused({InSdoTableMessage});
    }
    for (int p = 0; p < pdos.size(); ++p) {
        const QList<TClSdo>& sdos = pdos.at(p).Sdos;
        for (int s = 0; s < sdos.size(); ++s) {
            const Result<bool> same = compare.equals(sdos.at(s));
            if (!same.ok())
                return EditOutcome::failed(same.error());
            if (*same && !(except && except->pdo == p && except->sdo == s))
                return EditOutcome::refused({AlreadyStoredMessage});
        }
    }
    return EditOutcome::done();
}

EditOutcome AddSdoEntry(StoredPdoTable& table, Side tab, int pdoPosition, const TClSdo& entry)
{
    QList<TClPdo>& pdos = table.pdos(tab);
    if (pdoPosition < 0 || pdoPosition >= pdos.size())
        return EditOutcome::refused();
    EditOutcome outcome = CheckSdoEntry(entry.Index, entry.Subindex, std::nullopt, pdos, table.refs(tab));
    if (outcome.accepted())
        pdos[pdoPosition].Sdos.append(entry);
    return outcome;
}

EditOutcome ModifySdoEntry(StoredPdoTable& table, Side tab, EntryPosition at, const TClSdo& entry)
{
    QList<TClPdo>& pdos = table.pdos(tab);
    if (at.pdo < 0 || at.pdo >= pdos.size() || at.sdo < 0 || at.sdo >= pdos.at(at.pdo).Sdos.size())
        return EditOutcome::refused();
    EditOutcome outcome = CheckSdoEntry(entry.Index, entry.Subindex, at, pdos, table.refs(tab));
    if (outcome.accepted())
        pdos[at.pdo].Sdos[at.sdo] = entry;
    return outcome;
}

EditOutcome DeleteSdoEntry(StoredPdoTable& table, Side tab, EntryPosition at)
{
    QList<TClPdo>& pdos = table.pdos(tab);
    if (at.pdo < 0 || at.pdo >= pdos.size() || at.sdo < 0 || at.sdo >= pdos.at(at.pdo).Sdos.size())
        return EditOutcome::refused();
    pdos[at.pdo].Sdos.removeAt(at.sdo);
    return EditOutcome::done();
}

} // namespace velmaro
