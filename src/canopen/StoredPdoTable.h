#pragma once

// The stored-PDO editor's table: the PDOs of both tabs with their stored SDO entries, the SDO
// objects they may not repeat, and the editing rules of New, Modify and Delete.

#include "base/Result.h"
#include "canopen/TableMechanisms.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmaro {

// One stored SDO entry of a PDO: the SDO object of the other CAN side and the position composition
// (16 x M + L: PDO byte paired with the SDO's high byte, PDO byte paired with its low byte).
struct TClSdo
{
    QString Index;
    QString Subindex;
    QString Poscomp;

    bool operator==(const TClSdo& o) const
    {
        return Index == o.Index && Subindex == o.Subindex && Poscomp == o.Poscomp;
    }
};

// One PDO of a tab: its COB-ID as listed, its 1-based position in the tab's list (the number stored
// entries refer to) and its stored entries.
struct TClPdo
{
    QString CobId;
    int Number = 0;
    QList<TClSdo> Sdos;

    bool operator==(const TClPdo& o) const
    {
        return CobId == o.CobId && Number == o.Number && Sdos == o.Sdos;
    }
};

// Tab "CanA" shows side A, tab "CanB" side B.
QString TabName(Side tab);

// Everything the stored-PDO editor holds between a showing and its OK or Cancel.
struct StoredPdoTable
{
    Sides<QList<TClPdo>> pdoLists; // the PDOs of each tab
    Sides<QList<TClSdo>> refLists; // from the SDO table, Index and Subindex only

    QList<TClPdo>& pdos(Side tab) { return pdoLists[tab]; }
    const QList<TClPdo>& pdos(Side tab) const { return pdoLists[tab]; }
    QList<TClSdo>& refs(Side tab) { return refLists[tab]; }
    const QList<TClSdo>& refs(Side tab) const { return refLists[tab]; }
    // The lists under the names the editor's description gives them.
    QList<TClPdo>& PdoListA() { return pdoLists[Side::A]; }
    QList<TClPdo>& PdoListB() { return pdoLists[Side::B]; }
    QList<TClSdo>& SdoRefListA() { return refLists[Side::A]; }
    QList<TClSdo>& SdoRefListB() { return refLists[Side::B]; }
    const QList<TClPdo>& PdoListA() const { return pdoLists[Side::A]; }
    const QList<TClPdo>& PdoListB() const { return pdoLists[Side::B]; }
    const QList<TClSdo>& SdoRefListA() const { return refLists[Side::A]; }
    const QList<TClSdo>& SdoRefListB() const { return refLists[Side::B]; }
    void clear();
    bool operator==(const StoredPdoTable& o) const
    {
        return pdoLists == o.pdoLists && refLists == o.refLists;
    }
};

// The Copy/Paste buffer of one tab: index, subindex and position composition texts. Empty until the
// first Copy; it outlives the showings of the window.
struct StoredPdoCopyBuffer
{
    QString index;
    QString subindex;
    QString poscomp;
};

namespace storedpdo {

inline constexpr int MaxPdoNumber = 127; // seven bits of "nrpdo"
inline constexpr int CanBFlag = 128;     // bit 7 of "nrpdo"
inline constexpr int LastByteItem = 8;   // "B8"

inline const QString SdoNotFoundMessage = QStringLiteral("File SDO XML not found");
inline const QString SdoReadErrorMessage = QStringLiteral("Error in reading file SDO XML");
inline const QString PdoNotFoundMessage = QStringLiteral("File PDO XML not found");
inline const QString PdoReadErrorMessage = QStringLiteral("Error in reading file PDO XML");
inline const QString StoredNotFoundMessage = QStringLiteral("File SDOPDO XML not found");
inline const QString StoredReadErrorMessage = QStringLiteral("Error in reading file SDOPDO XML");
inline const QString InSdoTableMessage = QStringLiteral("Index or Subindex Not Valid,Sdo Already Exists");
inline const QString AlreadyStoredMessage = QStringLiteral("Index or Subindex Not Valid");

} // namespace storedpdo

// "nrpdo" of an entry of the PDO numbered `number` on `tab`: the number, plus 128 on tab "CanB".
int PackNrpdo(int number, Side tab);
// The tab and PDO number that an "nrpdo" value names (bit 7: "CanB"; bits 0 to 6: the number).
std::pair<Side, int> UnpackNrpdo(qint32 nrpdo);

// Decimal text of 16 x high + low, with the radio items ("none" = 0, "B1".."B8" = 1..8).
QString ComposePoscomp(int highItem, int lowItem);
// Radio items for a composition text: high and low nibble, a nibble above 8 giving "B8".
// Fails with the conversion error when the text is not an integer.
Result<std::pair<int, int>> SplitPoscomp(const QString& poscomp);

// Where an entry sits: PDO position in the tab's list, entry position in its Sdos.
struct EntryPosition
{
    int pdo = -1;
    int sdo = -1;
};

// The outcome of the duplicate check: accepted, rejected with its fixed message, or failed with the
// conversion error. Accepts the pair unless the tab's SDO table holds it, or another stored entry of the tab
// (other than `except`) has it. Values are compared as integers; a subindex is converted only where the index
// matched, nothing at all when the lists are empty.
EditOutcome CheckSdoEntry(const QString& index, const QString& subindex,
                          const std::optional<EntryPosition>& except, const QList<TClPdo>& pdos,
                          const QList<TClSdo>& refs);

// New: checks the pair and appends an entry to the PDO at `pdoPosition` (no PDO there: refused
// without a message).
EditOutcome AddSdoEntry(StoredPdoTable& table, Side tab, int pdoPosition, const TClSdo& entry);
// Modify: checks the pair, the entry itself excepted, and replaces it (no entry at `at`: refused
// without a message).
EditOutcome ModifySdoEntry(StoredPdoTable& table, Side tab, EntryPosition at, const TClSdo& entry);
// Delete: removes the entry; refused without a message when there is none at `at`.
EditOutcome DeleteSdoEntry(StoredPdoTable& table, Side tab, EntryPosition at);

} // namespace velmaro
