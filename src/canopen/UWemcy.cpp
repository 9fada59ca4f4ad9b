#include "canopen/UWemcy.h"

#include "canopen/EmcyWordDocument.h"
#include "widgets/UndoHistory.h"
#include "widgets/WindowStyle.h"

#include <QBitmap>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

static void initResources()
{
    Q_INIT_RESOURCE(canopen);
}

namespace velmaro {

namespace {

const QString WordCaption = QStringLiteral("Word n°  Emcy Define");
const QString BitCaption = QStringLiteral("Mask BIT n°  Define");
constexpr int KindRole = Qt::UserRole;
enum NodeKind
{
    WordNode = 0,
    BitNode = 1
};

QLineEdit* edit(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

TFWemcy::TFWemcy(AppContext& context, QWidget* parent)
    : FormDialog(Placement::Centred, parent,
                 Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      m_context(context)
{
    setObjectName(QStringLiteral("FWemcy"));
    setWindowTitle(QStringLiteral("Define EMCY Word"));

    TabbedNotebook1 = MakeSideNotebook(this, buildPage(Side::A), QStringLiteral("CanA"), buildPage(Side::B),
                                       QStringLiteral("CanB"));

    LayOutTableEditor(this, TabbedNotebook1, QStringLiteral("bitbtn1"),
                      {&bitbtn1, &bitbtn2, &button1, &bitbtn4});

    ConnectEditorButtons(this, bitbtn1, button1, bitbtn4);

    FormCreate();
    adjustSize();
    setFixedSize(sizeHint());
}

QWidget* TFWemcy::buildPage(Side side)
{
    const bool a = side == Side::A;
    const QString s = a ? QStringLiteral("A") : QStringLiteral("B");
    Page& p = page(side);
    auto* widget = new QWidget;

    p.tree = new QTreeWidget(widget);
    p.tree->setObjectName(QStringLiteral("TWCan") + s);
    p.tree->setHeaderHidden(true);
    p.tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    p.tree->setMinimumWidth(140);

    p.wordGroup = new QGroupBox(WordCaption, widget);
    p.wordGroup->setObjectName(QStringLiteral("GBword_emcy_bitmap") + s);
    p.index = edit(p.wordGroup, QStringLiteral("Eindex_addrm") + s);
    p.subindex = edit(p.wordGroup, QStringLiteral("Esubindex") + s);
    p.devid = edit(p.wordGroup, QStringLiteral("Edevid") + s);
    auto* words = new QGridLayout(p.wordGroup);
    words->addWidget(label(p.wordGroup, QStringLiteral("index_addrm") + s,
                           a ? QStringLiteral("Index SDO BUS B") : QStringLiteral("Index SDO BUS A")),
                     0, 0);
    words->addWidget(p.index, 0, 1);
    words->addWidget(label(p.wordGroup, QStringLiteral("subindex") + s,
                           a ? QStringLiteral("Subindex SDO BUS B") : QStringLiteral("Subindex SDO BUS A")),
                     1, 0);
    words->addWidget(p.subindex, 1, 1);
    words->addWidget(label(p.wordGroup, QStringLiteral("devid") + s,
                           a ? QStringLiteral("ID EMCY BUS A") : QStringLiteral("ID EMCY BUS B")),
                     2, 0);
    words->addWidget(p.devid, 2, 1);

    p.bitGroup = new QGroupBox(BitCaption, p.wordGroup);
    p.bitGroup->setObjectName(QStringLiteral("Gbebm") + s);
    p.b0 = edit(p.bitGroup, QStringLiteral("Eb0") + s);
    p.pos1 = edit(p.bitGroup, QStringLiteral("Eposcomp") + s);
    p.b1 = edit(p.bitGroup, QStringLiteral("Eb1") + s);
    p.pos2 = edit(p.bitGroup, QStringLiteral("Eposcomp") + s + QStringLiteral("2"));
    auto* bits = new QGridLayout(p.bitGroup);
    bits->addWidget(label(p.bitGroup, QStringLiteral("b0") + s, QStringLiteral("Mask Byte 1")), 0, 0);
    bits->addWidget(p.b0, 0, 1);
    bits->addWidget(label(p.bitGroup, QStringLiteral("poscomp") + s, QStringLiteral("Emcy byte 1")), 0, 2);
    bits->addWidget(p.pos1, 0, 3);
    bits->addWidget(label(p.bitGroup, QStringLiteral("b1") + s,
                          a ? QStringLiteral("Mask byte 2") : QStringLiteral("Mask Byte 2")),
                    1, 0);
    bits->addWidget(p.b1, 1, 1);
    bits->addWidget(label(p.bitGroup, a ? QStringLiteral("poscompA2") : QStringLiteral("posscompb2"),
                          QStringLiteral("Emcy Byte 2")),
                    1, 2);
    bits->addWidget(p.pos2, 1, 3);
    words->addWidget(p.bitGroup, 3, 0, 1, 2);

    p.deleteButton = MakeButton(QStringLiteral("delete") + s, QStringLiteral("Delete"), widget);
    p.newButton = MakeButton(QStringLiteral("new") + s, QStringLiteral("New"), widget);
    p.modifyButton = MakeButton(QStringLiteral("modify") + s, QStringLiteral("Modify"), widget);
    QHBoxLayout* buttons = ButtonRow({p.deleteButton, p.newButton, p.modifyButton}, {});

    auto* right = new QVBoxLayout;
    right->addWidget(p.wordGroup);
    right->addLayout(buttons);
    right->addStretch();
    auto* layout = new QHBoxLayout(widget);
    layout->addWidget(p.tree);
    layout->addLayout(right);

    // Both pages share the handlers; the side tells them apart.
    connect(p.deleteButton, &QPushButton::clicked, this, [this, side] { deleteBClick(side); });
    connect(p.newButton, &QPushButton::clicked, this, [this, side] { newBClick(side); });
    connect(p.modifyButton, &QPushButton::clicked, this, [this, side] { modifyBClick(side); });
    connect(p.tree, &QTreeWidget::itemSelectionChanged, this, [this, side] { TWCanAChange(side); });
    return widget;
}

void TFWemcy::FormCreate()
{
    initResources();
    // A strip of six 16 x 16 images; olive pixels are transparent.
    const QPixmap strip(QStringLiteral(":/canopen/LARGEIMAGES.bmp"));
    for (int i = 0; i < 6; ++i) {
        QPixmap image = strip.copy(i * 16, 0, 16, 16);
        image.setMask(image.createMaskFromColor(QColor(128, 128, 0)));
        Large << image;
    }
}

void TFWemcy::FormShow()
{
    if (!m_history) {
        // Undo and redo show a former table as a load does: trees rebuilt, nothing selected.
        m_history = new SnapshotHistory<EmcyWordTable>(
            this, [this] { return m_table; },
            [this](const EmcyWordTable& t) {
                m_table = t;
                rebuildTrees();
            });
    }
    ClearWordEditor();
    const DocumentLoad loaded = m_actions.load();
    for (const QString& message : loaded.shownMessages())
        m_context.messages.showMessage(message);
    m_history->load(m_table);
}

void TFWemcy::ClearWordEditor()
{
    m_filling = true;
    for (Page& p : m_pages) {
        p.tree->clear();
        for (QLineEdit* e : {p.index, p.subindex, p.devid, p.b0, p.b1, p.pos1, p.pos2})
            e->clear();
    }
    m_filling = false;
    m_table.clear();
}

void TFWemcy::rebuildTrees()
{
    m_filling = true;
    for (Side side : BothSides) {
        page(side).tree->clear();
        for (const QString& label : m_table.side(side).labels)
            AddWordNodes(side, label.mid(1));
        page(side).tree->clearSelection();
    }
    m_filling = false;
}

void TFWemcy::AddWordNodes(Side side, const QString& number)
{
    auto icon = [this](int normal, int selected) {
        QIcon i;
        if (Large.size() > selected) {
            i.addPixmap(Large.at(normal), QIcon::Normal);
            i.addPixmap(Large.at(selected), QIcon::Selected);
        }
        return i;
    };
    auto* word = new QTreeWidgetItem(page(side).tree, QStringList{QStringLiteral("W") + number});
    word->setIcon(0, icon(0, 1));
    word->setData(0, KindRole, WordNode);
    for (int bit = 0; bit < 16; ++bit) {
        auto* node = new QTreeWidgetItem(word, QStringList{QStringLiteral("Bit") + QString::number(bit)});
        node->setIcon(0, icon(2, 3));
        node->setData(0, KindRole, BitNode);
    }
}

int TFWemcy::SelectedNodeIndex(Side side) const
{
    const QTreeWidget* tree = page(side).tree;
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    if (selected.isEmpty())
        return -1;
    const QTreeWidgetItem* item = selected.constFirst();
    if (const QTreeWidgetItem* parent = item->parent())
        return tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(parent)) * emcyword::NodesPerWord
               + parent->indexOfChild(const_cast<QTreeWidgetItem*>(item)) + 1;
    return tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) * emcyword::NodesPerWord;
}

void TFWemcy::ShowWordNode(int position, Side side)
{
    const int word = position / emcyword::NodesPerWord;
    const int node = position % emcyword::NodesPerWord;
    const QString wordCaption =
        QStringLiteral("Word n°") + QString::number(word) + QStringLiteral(" Emcy Define ");
    const QString bitCaption = QStringLiteral("Mask BIT n°")
                               + (node == 0 ? QString() : QString::number(node - 1))
                               + QStringLiteral(" Define");
    for (Page& p : m_pages) {
        p.wordGroup->setTitle(wordCaption);
        p.bitGroup->setTitle(bitCaption);
    }
    const auto& words = m_table.side(side).words;
    if (word >= words.size())
        return;
    const TClWEmcy& w = words.at(word);
    Page& p = page(side);
    p.index->setText(w.index_addrm);
    p.subindex->setText(w.subindex);
    p.devid->setText(w.devid);
    if (node == 0) {
        for (QLineEdit* e : {p.b0, p.b1, p.pos1, p.pos2})
            e->clear();
        return;
    }
    const ClEbm& bit = w.bits[size_t(node - 1)];
    p.b0->setText(bit.b0);
    p.b1->setText(bit.b1);
    const auto positions = emcyword::UnpackPositions(bit.poscomp);
    if (!positions.ok()) {
        m_context.messages.showError(positions.error());
        return;
    }
    p.pos1->setText(positions->first);
    p.pos2->setText(positions->second);
}

void TFWemcy::ModifyWordNode(int position, Side side)
{
    const Page& p = page(side);
    const EditOutcome outcome =
        position % emcyword::NodesPerWord != 0
            ? m_table.modifyBit(side, position, {p.b0->text(), p.b1->text(), p.pos1->text(), p.pos2->text()})
            : m_table.modifyWord(side, position, p.index->text(), p.subindex->text(), p.devid->text());
    ShowEditOutcome(m_context.messages, outcome);
}

void TFWemcy::modifyBClick(Side side)
{
    const int position = SelectedNodeIndex(side);
    if (position != -1)
        ModifyWordNode(position, side);
    m_history->record(QStringLiteral("Modify")); // a refused bit may still have changed its masks
}

void TFWemcy::newBClick(Side side)
{
    const Page& p = page(side);
    const EditOutcome outcome = m_table.newWord(side, p.index->text(), p.subindex->text(), p.devid->text());
    ShowEditOutcome(m_context.messages, outcome);
    if (!outcome.accepted())
        return;
    m_filling = true;
    AddWordNodes(side, m_table.side(side).labels.constLast().mid(1));
    m_filling = false;
    m_history->record(QStringLiteral("New"));
}

void TFWemcy::deleteBClick(Side side)
{
    const int position = SelectedNodeIndex(side);
    if (!m_table.deleteNode(side, position).accepted())
        return;
    QTreeWidget* tree = page(side).tree;
    m_filling = true;
    delete tree->takeTopLevelItem(position / emcyword::NodesPerWord);
    tree->clearSelection();
    m_filling = false;
    m_history->record(QStringLiteral("Delete"));
}

void TFWemcy::TWCanAChange(Side side)
{
    if (m_filling)
        return;
    const int position = SelectedNodeIndex(side);
    if (position >= 0)
        ShowWordNode(position, side);
}

void TFWemcy::BitBtn1Click()
{
    m_actions.ok(*this);
}

void TFWemcy::BitBtn4Click()
{
    m_actions.importWorkbook([this] { ClearWordEditor(); }, [this](const ImportOutcome&) { rebuildTrees(); });
    m_history->record(QStringLiteral("Import"));
}

void TFWemcy::Button1Click()
{
    m_actions.exportCsv();
}

} // namespace velmaro
