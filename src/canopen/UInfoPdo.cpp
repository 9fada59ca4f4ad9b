#include "canopen/UInfoPdo.h"

#include "widgets/UndoHistory.h"
#include "widgets/WindowStyle.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace velmaro {

namespace {

QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

// The row of the selected item, -1 when none is selected. A list that takes the focus gets a current
// row without a selection; only a selection counts.
int selectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

void deselect(QListWidget* list)
{
    list->clearSelection();
    list->setCurrentRow(-1);
}

} // namespace

PoscompRadioGroup::PoscompRadioGroup(const QString& name, QWidget* parent)
    : QGroupBox(QStringLiteral("Selected PDO Byte"), parent), m_buttons(new QButtonGroup(this))
{
    setObjectName(name);
    auto* grid = new QGridLayout(this);
    for (int i = 0; i <= storedpdo::LastByteItem; ++i) {
        const QString text = i == 0 ? QStringLiteral("none") : QStringLiteral("B%1").arg(i);
        auto* radio = new QRadioButton(text, this);
        radio->setObjectName(name + QLatin1Char('_') + text);
        m_buttons->addButton(radio, i);
        grid->addWidget(radio, i / 3, i % 3);
    }
    setItemIndex(0);
}

int PoscompRadioGroup::itemIndex() const
{
    return m_buttons->checkedId();
}

void PoscompRadioGroup::setItemIndex(int index)
{
    if (QAbstractButton* b = m_buttons->button(index))
        b->setChecked(true);
}

TFInfopdo::TFInfopdo(AppContext& context, QWidget* parent)
    : FormDialog(Placement::AsPlaced, parent), m_context(context)
{
    setObjectName(QStringLiteral("FInfopdo"));
    setWindowTitle(QStringLiteral("Define Store PDO"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);

    auto* layout = new QVBoxLayout(this);
    m_notebook = MakeSideNotebook(this, buildTab(Side::A), QStringLiteral("CanA"), buildTab(Side::B),
                                  QStringLiteral("CanB"));
    layout->addWidget(m_notebook, 1);

    QPushButton *ok = nullptr, *cancel = nullptr, *exportButton = nullptr, *importButton = nullptr;
    MakeEditorButtons(this, this, QStringLiteral("LbButton1"), {&ok, &cancel, &exportButton, &importButton});
    layout->addLayout(ButtonRow({}, {ok, cancel, exportButton, importButton}));

    ConnectEditorButtons(this, ok, exportButton, importButton);
    connectTab(Side::A);
    connectTab(Side::B);
    resize(760, 460);
}

QWidget* TFInfopdo::buildTab(Side tab)
{
    const bool a = tab == Side::A;
    const QString s = a ? QStringLiteral("A") : QStringLiteral("B");
    Page& c = page(tab);
    auto* page = new QWidget;
    page->setObjectName(TabName(tab));

    auto* grid = new QGridLayout(page);

    // PDOs of the tab.
    auto* pdoColumn = new QVBoxLayout;
    pdoColumn->addWidget(label(a ? QStringLiteral("StaticText1") : QStringLiteral("StaticText6"),
                               QStringLiteral("Correlated"), page));
    pdoColumn->addWidget(label(QStringLiteral("IndexPdo") + s,
                               a ? QStringLiteral("Index PDO in CANA") : QStringLiteral("Index PDO in CANB"),
                               page));
    c.LPdoCan = new QListWidget(page);
    c.LPdoCan->setObjectName(QStringLiteral("LPdoCan") + s);
    pdoColumn->addWidget(c.LPdoCan, 1);
    grid->addLayout(pdoColumn, 0, 0, 2, 1);

    // Entries of the selected PDO.
    auto* sdoColumn = new QVBoxLayout;
    sdoColumn->addWidget(label(QStringLiteral("CorrelatedSdo") + s,
                               a ? QStringLiteral("SDO CANB") : QStringLiteral("SDO CANA"), page));
    c.LSdoCan = new QListWidget(page);
    c.LSdoCan->setObjectName(QStringLiteral("LSdoCan") + s);
    sdoColumn->addWidget(c.LSdoCan, 1);
    grid->addLayout(sdoColumn, 0, 1, 2, 1);

    // The entry being edited.
    const QString other = a ? QStringLiteral("CANB") : QStringLiteral("CANA");
    auto* fields = new QVBoxLayout;
    fields->addWidget(label(QStringLiteral("index") + s, QStringLiteral("Index SDO ") + other, page));
    c.Eindex = new QLineEdit(page);
    c.Eindex->setObjectName(QStringLiteral("Eindex") + s);
    fields->addWidget(c.Eindex);
    fields->addWidget(label(QStringLiteral("subindex") + s, QStringLiteral("Subindex SDO ") + other, page));
    c.Esubindex = new QLineEdit(page);
    c.Esubindex->setObjectName(QStringLiteral("Esubindex") + s);
    fields->addWidget(c.Esubindex);

    auto addGroup = [&](PoscompRadioGroup*& group, const QString& name, const QString& lead,
                        const QString& what) {
        auto* row = new QHBoxLayout;
        auto* texts = new QVBoxLayout;
        texts->addWidget(label(QString(), lead, page));
        texts->addWidget(label(QString(), what, page));
        texts->addStretch(1);
        row->addLayout(texts);
        group = new PoscompRadioGroup(name, page);
        row->addWidget(group, 1);
        fields->addLayout(row);
    };
    addGroup(c.PoscompMsb, QStringLiteral("PoscompMsb") + s, QStringLiteral("Traslate in"),
             QStringLiteral("High SDO Byte"));
    addGroup(c.PoscompLsb, QStringLiteral("PoscompLsb") + s,
             a ? QStringLiteral("Trsalete in") : QStringLiteral("Traslate in"),
             QStringLiteral("Low SDO Byte"));
    fields->addStretch(1);
    grid->addLayout(fields, 0, 2);

    auto* buttons = new QHBoxLayout;
    c.Delete = MakeButton(a ? QStringLiteral("DELETEa") : QStringLiteral("Deleteb"),
                          QStringLiteral("Delete SDO"), page);
    c.New = MakeButton(a ? QStringLiteral("NewA") : QStringLiteral("Newb"), QStringLiteral("New SDO"), page);
    c.Modify = MakeButton(a ? QStringLiteral("ModifyA") : QStringLiteral("Modifyb"),
                          QStringLiteral("Modify SDO"), page);
    c.Copy = MakeButton(QStringLiteral("copy") + s, QStringLiteral("Copy SDO"), page);
    c.Paste = MakeButton(QStringLiteral("Paste") + s, QStringLiteral("Paste SDO"), page);
    for (QPushButton* b : {c.New, c.Modify, c.Delete, c.Copy, c.Paste})
        buttons->addWidget(b);
    grid->addLayout(buttons, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 2);
    return page;
}

void TFInfopdo::connectTab(Side tab)
{
    Page& c = page(tab);
    connect(c.LPdoCan, &QListWidget::itemClicked, this, [this, tab] { LPdoCanAClick(tab); });
    connect(c.LSdoCan, &QListWidget::itemClicked, this, [this, tab] { LSdoCanAClick(tab); });
    // Keyboard moves select too. A selection made with the mouse is handled by the click that
    // follows the press, or, when the button is released elsewhere, right after the release.
    const std::pair<QListWidget*, std::function<void()>> lists[] = {
        {c.LPdoCan, [this, tab] { selectPdo(tab); }},
        {c.LSdoCan, [this, tab] { selectSdo(tab); }},
    };
    for (const auto& [list, select] : lists) {
        connect(list, &QListWidget::itemSelectionChanged, this, [this, select = select] {
            if (m_mouseDown)
                m_pendingSelection = select;
            else
                select();
        });
        connect(list, &QListWidget::itemClicked, this, [this] { m_pendingSelection = nullptr; });
        list->viewport()->installEventFilter(this);
    }
    connect(c.New, &QPushButton::clicked, this, [this, tab] { NewAClick(tab); });
    connect(c.Modify, &QPushButton::clicked, this, [this, tab] { ModifyAClick(tab); });
    connect(c.Delete, &QPushButton::clicked, this, [this, tab] { DeleteAClick(tab); });
    connect(c.Copy, &QPushButton::clicked, this, [this, tab] { CopyAClick(tab); });
    connect(c.Paste, &QPushButton::clicked, this, [this, tab] { PasteAClick(tab); });
}

bool TFInfopdo::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        m_mouseDown = true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        m_mouseDown = false;
        QTimer::singleShot(0, this, [this] {
            if (const std::function<void()> select = std::exchange(m_pendingSelection, nullptr))
                select();
        });
    }
    return QDialog::eventFilter(watched, event);
}

void TFInfopdo::clearEntryControls(Page& c)
{
    c.Eindex->clear();
    c.Esubindex->clear();
    c.PoscompMsb->setItemIndex(0);
    c.PoscompLsb->setItemIndex(0);
}

void TFInfopdo::fillPdoList(Side tab)
{
    QListWidget* list = page(tab).LPdoCan;
    const QSignalBlocker block(list);
    list->clear();
    for (const TClPdo& pdo : m_table.pdos(tab))
        list->addItem(pdo.CobId);
    deselect(list);
}

void TFInfopdo::FormShow()
{
    if (!m_history) {
        m_history = new SnapshotHistory<StoredPdoTable>(
            this, [this] { return m_table; }, [this](const StoredPdoTable& t) { showTable(t); });
    }
    for (Side tab : BothSides) {
        Page& c = page(tab);
        const QSignalBlocker blockPdo(c.LPdoCan);
        const QSignalBlocker blockSdo(c.LSdoCan);
        c.LPdoCan->clear();
        c.LSdoCan->clear();
        clearEntryControls(c);
    }
    const DocumentLoad loaded = m_actions.load();
    const QStringList messages = loaded.shownMessages();
    m_history->load(m_table);
    for (const QString& m : messages)
        m_context.messages.showMessage(m);
}

void TFInfopdo::showTable(const StoredPdoTable& table)
{
    Sides<int> inView;
    for (Side tab : BothSides)
        inView[tab] = selectedRow(page(tab).LPdoCan);
    m_table = table;
    for (Side tab : BothSides) {
        fillPdoList(tab);
        QListWidget* list = page(tab).LPdoCan;
        if (m_history->restoring() && inView[tab] >= 0 && inView[tab] < list->count()) {
            const QSignalBlocker block(list);
            list->setCurrentRow(inView[tab]);
        }
        selectPdo(tab); // lists the PDO's entries again, none selected
    }
}

void TFInfopdo::LPdoCanAClick(Side tab)
{
    selectPdo(tab);
}

void TFInfopdo::selectPdo(Side tab)
{
    Page& c = page(tab);
    const QSignalBlocker block(c.LSdoCan);
    c.LSdoCan->clear();
    clearEntryControls(c);
    const int row = selectedRow(c.LPdoCan);
    if (row < 0 || row >= m_table.pdos(tab).size())
        return;
    const int n = int(m_table.pdos(tab).at(row).Sdos.size());
    for (int i = 0; i < n; ++i)
        c.LSdoCan->addItem(QStringLiteral("Sdo") + QString::number(i));
    deselect(c.LSdoCan);
}

void TFInfopdo::LSdoCanAClick(Side tab)
{
    selectSdo(tab);
}

void TFInfopdo::selectSdo(Side tab)
{
    Page& c = page(tab);
    const int pdo = selectedRow(c.LPdoCan);
    const int sdo = selectedRow(c.LSdoCan);
    if (pdo < 0 || pdo >= m_table.pdos(tab).size() || sdo < 0)
        return;
    const QList<TClSdo>& sdos = m_table.pdos(tab).at(pdo).Sdos;
    if (sdo >= sdos.size())
        return;
    showEntry(c, sdos.at(sdo));
}

void TFInfopdo::showEntry(Page& c, const TClSdo& entry)
{
    c.Eindex->setText(entry.Index);
    c.Esubindex->setText(entry.Subindex);
    const Result<std::pair<int, int>> items = SplitPoscomp(entry.Poscomp);
    if (!items.ok()) {
        m_context.messages.showError(items.error());
        return;
    }
    c.PoscompMsb->setItemIndex(items->first);
    c.PoscompLsb->setItemIndex(items->second);
}

TClSdo TFInfopdo::typedEntry(const Page& c) const
{
    return TClSdo{c.Eindex->text(), c.Esubindex->text(),
                  ComposePoscomp(c.PoscompMsb->itemIndex(), c.PoscompLsb->itemIndex())};
}

void TFInfopdo::NewAClick(Side tab)
{
    Page& c = page(tab);
    const EditOutcome outcome = AddSdoEntry(m_table, tab, selectedRow(c.LPdoCan), typedEntry(c));
    ShowEditOutcome(m_context.messages, outcome);
    if (!outcome.accepted())
        return;
    const QSignalBlocker block(c.LSdoCan);
    c.LSdoCan->addItem(QStringLiteral("Sdo") + QString::number(c.LSdoCan->count()));
    c.LSdoCan->setCurrentRow(c.LSdoCan->count() - 1);
    m_history->record(QStringLiteral("New"));
}

void TFInfopdo::ModifyAClick(Side tab)
{
    Page& c = page(tab);
    const EntryPosition at{selectedRow(c.LPdoCan), selectedRow(c.LSdoCan)};
    ShowEditOutcome(m_context.messages, ModifySdoEntry(m_table, tab, at, typedEntry(c)));
    m_history->record(QStringLiteral("Modify"));
}

void TFInfopdo::DeleteAClick(Side tab)
{
    Page& c = page(tab);
    const EntryPosition at{selectedRow(c.LPdoCan), selectedRow(c.LSdoCan)};
    const EditOutcome outcome = DeleteSdoEntry(m_table, tab, at);
    ShowEditOutcome(m_context.messages, outcome);
    if (!outcome.accepted())
        return;
    const QSignalBlocker block(c.LSdoCan);
    delete c.LSdoCan->takeItem(at.sdo);
    deselect(c.LSdoCan);
    m_history->record(QStringLiteral("Delete"));
}

void TFInfopdo::CopyAClick(Side tab)
{
    const TClSdo typed = typedEntry(page(tab));
    m_copyBuffers[tab] = StoredPdoCopyBuffer{typed.Index, typed.Subindex, typed.Poscomp};
}

void TFInfopdo::PasteAClick(Side tab)
{
    const StoredPdoCopyBuffer& buffer = m_copyBuffers[tab];
    showEntry(page(tab), TClSdo{buffer.index, buffer.subindex, buffer.poscomp});
}

void TFInfopdo::BitBtn1Click()
{
    m_actions.ok(*this);
}

void TFInfopdo::Button1Click()
{
    m_actions.exportCsv();
}

void TFInfopdo::BitBtn4Click()
{
    m_actions.importWorkbook([this] { clearEntriesForImport(); }, {});
    m_history->record(QStringLiteral("Import"));
}

void TFInfopdo::clearEntriesForImport()
{
    for (Side tab : BothSides) {
        Page& c = page(tab);
        const QSignalBlocker blockPdo(c.LPdoCan);
        const QSignalBlocker blockSdo(c.LSdoCan);
        c.LSdoCan->clear();
        clearEntryControls(c);
        // The entry list is empty now; without a selected PDO, New waits for a PDO click, which lists
        // the PDO's entries again so that list positions and entries stay in step.
        deselect(c.LPdoCan);
    }
}

} // namespace velmaro
