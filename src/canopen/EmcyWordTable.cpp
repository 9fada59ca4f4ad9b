#include "canopen/EmcyWordTable.h"

#include "base/IntegerText.h"

namespace velmaro {

namespace emcyword {

Result<QString> PackPositions(const QString& first, const QString& second)
{
    const auto a = ParseIntegerText(first);
    if (!a.ok())
        return a.status();
    const auto b = ParseIntegerText(second);
    if (!b.ok())
        return b.status();
    const quint32 packed = (quint32(a.value()) * 16u + quint32(b.value())) % 65536u;
    return QString::number(packed);
}

Result<std::pair<QString, QString>> UnpackPositions(const QString& poscomp)
{
    const auto v = ParseIntegerText(poscomp);
    if (!v.ok())
        return v.status();
    const quint32 low = quint32(v.value()) & 0xFFFFu;
    return std::make_pair(QString::number(low >> 4), QString::number(low % 16));
}

} // namespace emcyword

void EmcyWordTable::clear()
{
    m_sides = {};
}

void EmcyWordTable::addWord(Side side, const TClWEmcy& word, const QString& number)
{
    m_sides[side].words << word;
    m_sides[side].labels << QStringLiteral("W") + number;
}

void EmcyWordTable::addLoadedWord(Side side, const TClWEmcy& word)
{
    addWord(side, word, QString::number(m_sides[side].words.size()));
}

void EmcyWordTable::addRecord(const emcyword::SidedWord& record)
{
    if (emcyword::IsSideMarker(record.side))
        addLoadedWord(record.side == emcyword::SideMarker(Side::A) ? Side::A : Side::B, record.word);
}

QString EmcyWordTable::NextWordNumber(Side side) const
{
    QString next = QStringLiteral("0");
    for (const QString& label : m_sides[side].labels)
        next = QString::number(qint64(ParseIntegerTextOr(label.mid(1), -1)) + 1);
    return next;
}

bool EmcyWordTable::CheckWordKey(const QString& index, const QString& subindex, const QString& devid,
                                 int mode, int ownPosition) const
{
    using namespace emcyword;
    if (mode < NewOnA || mode > ModifyOnB)
        return true;
    if (index.isEmpty() || subindex.isEmpty() || devid.isEmpty())
        return false;
    const bool modify = mode == ModifyOnA || mode == ModifyOnB;
    const QList<TClWEmcy>& words = side((mode == NewOnA || mode == ModifyOnA) ? Side::A : Side::B).words;
    for (int i = 0; i < words.size(); ++i) {
        if (modify && i == ownPosition)
            continue;
        const TClWEmcy& w = words.at(i);
        if (w.index_addrm == index && w.subindex == subindex && w.devid == devid)
            return false;
    }
    return true;
}

EditOutcome EmcyWordTable::newWord(Side side, const QString& index, const QString& subindex,
                                   const QString& devid)
{
    if (!CheckWordKey(index, subindex, devid, side == Side::A ? emcyword::NewOnA : emcyword::NewOnB, -1))
        return EditOutcome::refused({IndexNotValidMessage});
    TClWEmcy word;
    word.index_addrm = index;
    word.subindex = subindex;
    word.devid = devid;
    addWord(side, word, NextWordNumber(side));
    return EditOutcome::done();
}

EditOutcome EmcyWordTable::deleteNode(Side side, int position)
{
    if (position < 0 || position % emcyword::NodesPerWord != 0)
        return EditOutcome::refused();
    const int w = position / emcyword::NodesPerWord;
    if (w >= m_sides[side].words.size())
        return EditOutcome::refused();
    m_sides[side].words.removeAt(w);
    m_sides[side].labels.removeAt(w);
    return EditOutcome::done();
}

EditOutcome EmcyWordTable::modifyBit(Side side, int position, const BitEdits& edits)
{
    const int w = position / emcyword::NodesPerWord;
    const int bit = position % emcyword::NodesPerWord - 1;
    if (bit < 0 || w >= m_sides[side].words.size())
        return EditOutcome::done();
    ClEbm& b = m_sides[side].words[w].bits[size_t(bit)];
    b.b0 = edits.b0;
    b.b1 = edits.b1;
    const auto packed = emcyword::PackPositions(edits.first, edits.second);
    if (!packed.ok())
        return EditOutcome::failed(packed.error());
    b.poscomp = packed.value();
    return EditOutcome::done();
}

EditOutcome EmcyWordTable::modifyWord(Side side, int position, const QString& index, const QString& subindex,
                                      const QString& devid)
{
    const int w = position / emcyword::NodesPerWord;
    if (w >= m_sides[side].words.size())
        return EditOutcome::done();
    const int mode = side == Side::A ? emcyword::ModifyOnA : emcyword::ModifyOnB;
    if (!CheckWordKey(index, subindex, devid, mode, w))
        return EditOutcome::refused({IndexNotValidMessage});
    TClWEmcy& word = m_sides[side].words[w];
    word.index_addrm = index;
    word.subindex = subindex;
    word.devid = devid;
    return EditOutcome::done();
}

} // namespace velmaro
