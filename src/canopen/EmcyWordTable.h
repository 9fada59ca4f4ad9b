#pragma once

// The EMCY word editor's table: the words of both sides with their 52 values and the editing rules
// (the format of its document, worksheet and CSV file is EmcyWordDocument's).

#include "base/Result.h"
#include "canopen/TableMechanisms.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace velmaro {

// One bit of an EMCY word: two mask bytes and the two EMCY byte positions packed into one number.
struct ClEbm
{
    QString b0;
    QString b1;
    QString poscomp; // first position x 16 + second position, modulo 65536, decimal

    bool operator==(const ClEbm& o) const { return b0 == o.b0 && b1 == o.b1 && poscomp == o.poscomp; }
};

// One EMCY word: the 16-bit object on the other bus, the producer's node id and its sixteen bits.
struct TClWEmcy
{
    QString index_addrm;
    QString subindex;
    QString devid;
    std::array<ClEbm, 16> bits;

    bool operator==(const TClWEmcy& o) const
    {
        return index_addrm == o.index_addrm && subindex == o.subindex && devid == o.devid && bits == o.bits;
    }
};

namespace emcyword {

constexpr int NodesPerWord = 17; // the word node, then Bit0..Bit15
// The "extdata" value that marks a word's side: 0 for side A, 1 for side B.
constexpr qint32 SideMarker(Side side)
{
    return side == Side::A ? 0 : 1;
}
// Whether an "extdata" value names a side; the editor drops a word whose marker does not.
constexpr bool IsSideMarker(qint32 value)
{
    return value == SideMarker(Side::A) || value == SideMarker(Side::B);
}

// Packs the two positions: fails with the conversion message of the first text that is not an integer.
Result<QString> PackPositions(const QString& first, const QString& second);
// Unpacks a stored poscomp into its two positions (decimal texts).
Result<std::pair<QString, QString>> UnpackPositions(const QString& poscomp);

// A word and the "extdata" side marker it was read with (see EmcyWordDocument::WordFromRecord).
struct SidedWord
{
    TClWEmcy word;
    qint32 side = 0; // the "extdata" value: 0 side A, 1 side B, anything else is dropped
};

// Modes of CheckWordKey.
enum KeyMode
{
    NewOnA = 0,
    NewOnB = 1,
    ModifyOnA = 2,
    ModifyOnB = 3
};

} // namespace emcyword

// The in-memory table of the editor: a list of words and their labels per side. Every word takes 17
// consecutive positions in its side's tree: the word node, then its sixteen bit nodes.
class EmcyWordTable
{
public:
    struct WordSide
    {
        QList<TClWEmcy> words;
        QStringList labels; // "W" + number, given when added, never renumbered

        bool operator==(const WordSide& o) const { return words == o.words && labels == o.labels; }
    };
    bool operator==(const EmcyWordTable& o) const { return m_sides == o.m_sides; }

    void clear();
    const WordSide& side(Side s) const { return m_sides[s]; }

    // Appends a word with the label "W" + number.
    void addWord(Side side, const TClWEmcy& word, const QString& number);
    // Appends a word labelled with the count of words the side held before (loading and import).
    void addLoadedWord(Side side, const TClWEmcy& word);
    // "0" for an empty side, else one more than the number of the last word.
    QString NextWordNumber(Side side) const;

    // Accepts a key: none of the texts empty and no other word of the side with the same three texts.
    bool CheckWordKey(const QString& index, const QString& subindex, const QString& devid, int mode,
                      int ownPosition) const;

    // New: adds the word when its key is accepted; refused with "Index Not Valid" otherwise.
    EditOutcome newWord(Side side, const QString& index, const QString& subindex, const QString& devid);
    // Delete: removes the word of a word node; a bit node, or no word there, is refused without a message.
    EditOutcome deleteNode(Side side, int position);

    struct BitEdits
    {
        QString b0, b1, first, second;
    };
    // Modify on a bit node: masks stored, then positions packed (a conversion failure fails with its
    // message and leaves the masks changed and poscomp as it was).
    EditOutcome modifyBit(Side side, int position, const BitEdits& edits);
    // Modify on a word node; refused with "Index Not Valid" when the key is.
    EditOutcome modifyWord(Side side, int position, const QString& index, const QString& subindex,
                           const QString& devid);

    // Loads a document: records of 52 texts; side markers other than 0 and 1 are dropped.
    void addRecord(const emcyword::SidedWord& record);

private:
    Sides<WordSide> m_sides;
};

} // namespace velmaro
