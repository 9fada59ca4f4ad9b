#include "canopen/Uemcy.h"

#include "canopen/EmcyDocument.h"
#include "widgets/UndoHistory.h"
#include "widgets/WindowStyle.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmaro {

namespace {

// The edits from top to bottom: attribute position, label name, range, and width class
// (0 identifier, 1 eight bits, 2 sixteen bits).
struct EditRow
{
    int field;
    const char* caption;
    const char* range;
    int width;
};

const EditRow editRows[EmcyTextFieldCount] = {
    {0, "ID_EMCY", "(1..127)", 0},
    {1, "Mask_error_code", "(0..65535)", 2},
    {6, "Enabled_mask_error_code", "(0..65535)", 2},
    {2, "MAsk_error_Reg", "(0..255)", 1},
    {7, "Enabled_mask_error_Reg", "(0..255)", 1},
    {3, "Mask_Manu1", "(0..65535)", 2},
    {8, "Enabled_Mask_Manu1", "(0..65535)", 2},
    {4, "Mask_Manu2", "(0..65535)", 2},
    {9, "Enabled_Mask_Manu2", "(0..65535)", 2},
    {5, "Mask_Manu3", "(0..255)", 1},
    {10, "Enabled_Mask_Manu3", "(0..255)", 1},
};

// Option buttons by alias code, top to bottom.
const char* const optionNames[EmcyAliasCount] = {"r1", "r2", "r3", "r9", "r4", "r5", "r6", "r7", "r8"};

QString optionCaption(int code, Side side)
{
    switch (code) {
    case 0:
        return side == Side::A ? QStringLiteral("No traslate ID CANA")
                               : QStringLiteral("No traslate ID CANB");
    case 1: return QStringLiteral("Error code byte  HIGH");
    case 2: return QStringLiteral("Error code byte LOW");
    case 3: return QStringLiteral("Error Reg");
    case 4: return QStringLiteral("Manu1 byte HIGH");
    case 5: return QStringLiteral("Manu1 byte LOW");
    case 6: return QStringLiteral("Manu2 byte HIGH");
    case 7: return QStringLiteral("Manu2 byte LOW");
    default: return QStringLiteral("Manu3");
    }
}

} // namespace

TFemcy::TFemcy(AppContext& context, QWidget* parent)
    : FormDialog(Placement::Centred, parent), m_context(context)
{
    setObjectName(QStringLiteral("Femcy"));
    setWindowTitle(QStringLiteral("Set Traslate EMCY"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::WindowMaximizeButtonHint);

    TabbedNotebook1 = MakeSideNotebook(this, buildPage(Side::A), QStringLiteral("From CAN A"),
                                       buildPage(Side::B), QStringLiteral("From CAN B"));

    LayOutTableEditor(this, TabbedNotebook1, QStringLiteral("LbButton1"),
                      {&LbButton1, &bitbtn2, &button1, &bitbtn4});

    ConnectEditorButtons(this, LbButton1, button1, bitbtn4);

    adjustSize();
    setFixedSize(sizeHint());
}

QWidget* TFemcy::buildPage(Side side)
{
    const QString suffix = side == Side::A ? QStringLiteral("A") : QStringLiteral("B");
    const QString lowSuffix = suffix.toLower();
    Page& p = page(side);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Page") + suffix);

    p.list = new QListWidget(page);
    p.list->setObjectName(QStringLiteral("LBCan") + suffix);
    p.list->setSelectionMode(QAbstractItemView::SingleSelection);
    p.list->setSortingEnabled(false);
    p.list->setFixedWidth(110);

    auto* edits = new QGridLayout;
    const int widths[3] = {40, 60, 90};
    for (int row = 0; row < EmcyTextFieldCount; ++row) {
        const EditRow& r = editRows[row];
        const QString attribute = EmcyDocument::definition().AttributeNames.at(r.field);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QStringLiteral("E") + attribute + suffix);
        edit->setFixedWidth(widths[r.width]);
        const QString name = QLatin1String(r.caption);
        auto* label = new QLabel(
            name + QString(qMax(2, 26 - int(name.size())), QLatin1Char(' ')) + QLatin1String(r.range), page);
        label->setObjectName(attribute + suffix);
        label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)); // the blanks align the ranges
        edits->addWidget(edit, row, 0);
        edits->addWidget(label, row, 1);
        p.edits[size_t(r.field)] = edit;
        p.labels[size_t(r.field)] = label;
    }

    p.enable = new QCheckBox(side == Side::A ? QStringLiteral("Enabled_Traslate to CANB")
                                             : QStringLiteral("Enabled_Traslate to CANA"),
                             page);
    p.enable->setObjectName(QStringLiteral("enable") + lowSuffix);

    p.group = new QGroupBox(QStringLiteral("Allias use"), page);
    p.group->setObjectName(QStringLiteral("Gbbypass_set") + suffix);
    auto* texts = new QVBoxLayout;
    const QString other = side == Side::A ? QStringLiteral("B") : QStringLiteral("A");
    const QString staticTexts[3] = {QStringLiteral("ID CAN") + suffix + QStringLiteral(" EMCY "),
                                    QStringLiteral("Traslate in"),
                                    QStringLiteral("CAN") + other + QStringLiteral(" EMCY at:")};
    for (int i = 0; i < 3; ++i) {
        auto* t = new QLabel(staticTexts[i], p.group);
        t->setObjectName(QStringLiteral("StaticText%1").arg(i + 1) + suffix);
        texts->addWidget(t);
    }
    texts->addStretch();
    auto* options = new QVBoxLayout;
    for (int code = 0; code < EmcyAliasCount; ++code) {
        auto* rb = new QRadioButton(optionCaption(code, side), p.group);
        rb->setObjectName(QLatin1String(optionNames[code]) + lowSuffix);
        options->addWidget(rb);
        p.options[size_t(code)] = rb;
    }
    auto* groupLayout = new QHBoxLayout(p.group);
    groupLayout->addLayout(texts);
    groupLayout->addLayout(options);

    p.deleteButton = MakeButton(QStringLiteral("Delete") + suffix, QStringLiteral("Delete EMCY"), page);
    p.newButton = MakeButton(QStringLiteral("New") + suffix, QStringLiteral("New EMCY"), page);
    p.modifyButton =
        MakeButton(QStringLiteral("Modify") + suffix,
                   side == Side::A ? QStringLiteral("Modify ENCY") : QStringLiteral("Modify EMCY"), page);

    auto* right = new QVBoxLayout;
    right->addWidget(p.enable);
    right->addWidget(p.group);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(p.list);
    top->addLayout(edits);
    top->addLayout(right);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addLayout(ButtonRow({p.deleteButton, p.newButton, p.modifyButton}, {}));

    // A click, or moving the selection with the keys, shows the selected entry.
    connect(p.list, &QListWidget::itemClicked, this, [this, side] { LBCanAClick(side); });
    connect(p.list, &QListWidget::currentRowChanged, this, [this, side] { LBCanAClick(side); });
    connect(p.newButton, &QPushButton::clicked, this, [this, side] { NewAClick(side); });
    connect(p.modifyButton, &QPushButton::clicked, this, [this, side] { ModifyAClick(side); });
    connect(p.deleteButton, &QPushButton::clicked, this, [this, side] { DeleteAClick(side); });
    return page;
}

void TFemcy::takeSelection(Side side)
{
    QListWidget* list = page(side).list;
    const QList<QListWidgetItem*> items = list->selectedItems();
    m_table.side(side).selected = items.isEmpty() ? -1 : list->row(items.first());
}

void TFemcy::refreshList(Side side)
{
    const EmcySide& s = m_table.side(side);
    QListWidget* list = page(side).list;
    const QSignalBlocker blocker(list);
    if (list->count() != s.labels.size()) {
        list->clear();
        list->addItems(s.labels);
    } else {
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setText(s.labels.at(i));
    }
    if (s.selected >= 0) {
        list->setCurrentRow(s.selected);
    } else {
        list->clearSelection();
        list->setCurrentRow(-1);
    }
}

void TFemcy::showSelected(Side side)
{
    const EmcySide& s = m_table.side(side);
    if (s.selected < 0 || s.selected >= s.entries.size())
        return;
    const EmcyControls c = ControlsOfEntry(s.entries.at(s.selected));
    Page& p = page(side);
    for (int i = 0; i < EmcyTextFieldCount; ++i)
        p.edits[size_t(i)]->setText(c.texts[size_t(i)]);
    p.enable->setChecked(c.enable);
    if (c.alias)
        p.options[size_t(*c.alias)]->setChecked(true);
}

EmcyControls TFemcy::readControls(Side side) const
{
    const Page& p = page(side);
    EmcyControls c;
    for (int i = 0; i < EmcyTextFieldCount; ++i)
        c.texts[size_t(i)] = p.edits[size_t(i)]->text();
    c.enable = p.enable->isChecked();
    for (int code = 0; code < EmcyAliasCount; ++code) {
        if (p.options[size_t(code)]->isChecked()) {
            c.alias = code;
            break;
        }
    }
    return c;
}

void TFemcy::showMessages(const QStringList& messages)
{
    for (const QString& m : messages)
        m_context.messages.showMessage(m);
}

void TFemcy::showFirstLines()
{
    SelectFirstLines(m_table);
    for (Side side : BothSides) {
        refreshList(side);
        showSelected(side);
    }
}

void TFemcy::ClearEmcyEditor()
{
    ClearEmcyTable(m_table);
    for (Side side : BothSides) {
        refreshList(side);
        Page& p = page(side);
        for (QLineEdit* e : p.edits)
            e->clear();
        p.enable->setChecked(false);
        p.options[0]->setChecked(true);
    }
}

void TFemcy::FormShow()
{
    if (!m_history) {
        m_history = new SnapshotHistory<EmcyTable>(
            this, [this] { return m_table; }, [this](const EmcyTable& t) { showTable(t); });
    }
    ClearEmcyEditor();
    const DocumentLoad loaded = m_actions.load();
    showMessages(loaded.shownMessages());
    showLists(loaded.failures.isEmpty());
    m_history->load(m_table);
}

void TFemcy::showTable(const EmcyTable& table)
{
    m_table = table;
    for (Side side : BothSides) {
        if (m_history->restoring())
            m_table.side(side).selected = -1;
        refreshList(side);
    }
}

void TFemcy::LBCanAClick(Side side)
{
    takeSelection(side);
    showSelected(side);
}

void TFemcy::NewAClick(Side side)
{
    takeSelection(side);
    showEdit(side, NewEmcy(m_table, side, readControls(side)));
    m_history->record(QStringLiteral("New EMCY"));
}

void TFemcy::ModifyAClick(Side side)
{
    takeSelection(side);
    showEdit(side, ModifyEmcy(m_table, side, readControls(side)));
    m_history->record(QStringLiteral("Modify EMCY"));
}

void TFemcy::DeleteAClick(Side side)
{
    takeSelection(side);
    showEdit(side, DeleteEmcy(m_table, side));
    m_history->record(QStringLiteral("Delete EMCY"));
}

void TFemcy::showEdit(Side side, const EditOutcome& outcome)
{
    ShowEditOutcome(m_context.messages, outcome);
    refreshList(side);
}

void TFemcy::BitBtn1Click()
{
    m_actions.ok(*this);
}

void TFemcy::BitBtn4Click()
{
    m_actions.importWorkbook([this] { ClearEmcyEditor(); },
                             [this](const ImportOutcome& imported) { showLists(imported.ok()); });
    m_history->record(QStringLiteral("Import"));
}

void TFemcy::Button1Click()
{
    m_actions.exportCsv();
}

void TFemcy::showLists(bool readWhole)
{
    // After a failure whatever was placed stays, and nothing is selected.
    if (readWhole) {
        showFirstLines();
    } else {
        for (Side side : {Side::A, Side::B})
            refreshList(side);
    }
}

} // namespace velmaro
