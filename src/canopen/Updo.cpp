#include "canopen/Updo.h"

#include "widgets/GridKeys.h"
#include "widgets/UndoHistory.h"
#include "widgets/WindowStyle.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmaro {

namespace {

constexpr int kColumns = 6;
constexpr int kRows = PdoShownRows + 1;

QTableWidgetItem* fixedItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(QColor(0xE8, 0xE8, 0xE8));
    return item;
}

} // namespace

PdoGrid::PdoGrid(QWidget* parent) : CommittingGrid(parent)
{
    // The headings shown are the grid's header, which stays in view while the rows scroll and whose
    // section edges the user drags to resize the columns; row 0 below it keeps the attribute names
    // that the export writes, and is not shown.
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    QFont bold = horizontalHeader()->font();
    bold.setBold(true);
    horizontalHeader()->setFont(bold);
    horizontalHeader()->setMinimumSectionSize(1); // the shared width may be narrow
    prepare();
}

void PdoGrid::prepare()
{
    setColumnCount(kColumns);
    setRowCount(kRows);
    static const QStringList shown{QStringLiteral("N\u00B0"),     QStringLiteral("cobid"),
                                   QStringLiteral("id_dev_orig"), QStringLiteral("en_traslate"),
                                   QStringLiteral("posid"),       QStringLiteral("n_tPDO")};
    setHorizontalHeaderLabels(shown);
    const QStringList cells = QStringList{QStringLiteral("N")} + PdoDocument::definition().AttributeNames;
    for (int c = 0; c < kColumns; ++c)
        setItem(0, c, fixedItem(cells.at(c)));
    setRowHidden(0, true);
    for (int r = 1; r < kRows; ++r) {
        setItem(r, 0, fixedItem(QString::number(r - 1)));
        for (int c = 1; c < kColumns; ++c)
            setItem(r, c, new QTableWidgetItem(QString()));
    }
}

void PdoGrid::showRows(const QList<QStringList>& side)
{
    for (int r = 1; r < kRows; ++r) {
        const QStringList row = side.value(r - 1);
        for (int c = 1; c < kColumns; ++c)
            item(r, c)->setText(row.value(c - 1));
    }
}

void PdoGrid::readRows(QList<QStringList>& side)
{
    while (side.size() < PdoShownRows)
        side.append(QStringList(PdoColumnCount, QString()));
    for (int r = 1; r < kRows; ++r) {
        for (int c = 1; c < kColumns; ++c)
            side[r - 1][c - 1] = cellText(r, c);
    }
}

void PdoGrid::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    Q_EMIT resized();
}

QString PdoGrid::cellText(int row, int column) const
{
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

TFpdo::TFpdo(AppContext& context, QWidget* parent)
    : FormDialog(Placement::AsPlaced, parent), m_context(context)
{
    MakeSizableDialog(this, QStringLiteral("Fpdo"), QStringLiteral("Define Traslate PDO"));

    sga = new PdoGrid; // made before the notebook, placed in it after its tab bar
    sga->setObjectName(QStringLiteral("sga"));
    sgb = new PdoGrid;
    sgb->setObjectName(QStringLiteral("sgb"));
    page(Side::A).grid = sga;
    page(Side::B).grid = sgb;
    TabbedNotebook1 = MakeSideNotebook(this, sga, QStringLiteral("PDO From CanA to CanB"), sgb,
                                       QStringLiteral("PDO From CanB to CanA"));
    // Keys and clipboard of a spreadsheet; the cells take any text, as typed.
    for (PdoGrid* grid : {sga, sgb})
        new GridKeys(grid, m_context.messages);

    // Enter typed in a grid must not press a button.
    MakeEditorButtons(this, this, QStringLiteral("bitbtn1"), {&bitbtn1, &bitbtn2, &button1, &bitbtn4});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TabbedNotebook1);
    layout->addLayout(ButtonRow({bitbtn1, bitbtn2}, {button1, bitbtn4}));

    // At the smallest size every heading stays whole: the shared column width (a sixth of the grid,
    // less 5) holds the widest heading in the header's bold font with the header's margins.
    int widest = 0;
    for (int c = 0; c < sga->columnCount(); ++c)
        widest = std::max(widest, sga->horizontalHeader()->sectionSizeHint(c));
    const int chrome = 48; // the window's margins and the frames of the tabs and the grid
    setMinimumSize(std::max(480, (widest + 6) * sga->columnCount() + chrome), 260);
    resize(std::max(640, minimumWidth()), 380);

    // The layout sizes the showing grid after the window's own resize (and at the first showing only
    // then), so the columns follow that grid too; a tab change alone keeps what the user dragged.
    for (PdoGrid* grid : {sga, sgb}) {
        connect(grid, &PdoGrid::resized, this, [this, grid] {
            if (grid == TabbedNotebook1->currentWidget() && grid->width() != m_sharedFromWidth)
                FormResize();
        });
    }
    ConnectEditorButtons(this, bitbtn1, button1, bitbtn4);
}

void TFpdo::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TFpdo::FormShow()
{
    if (!m_history) {
        m_history = new SnapshotHistory<PdoTable>(
            this, [this] { return shownTable(); },
            [this](const PdoTable& t) {
                m_table = t;
                showGrids();
            });
        m_history->setCommitEditors([this] {
            sga->commitOpenEditor();
            sgb->commitOpenEditor();
        });
        // A committed cell, and all cells one key changed (a paste, a Delete), make one step.
        for (PdoGrid* grid : {sga, sgb})
            connect(grid, &QTableWidget::itemChanged, m_history, [this] { m_history->recordLater(); });
    }
    sga->prepare();
    sgb->prepare();
    const DocumentLoad load = m_actions.load();
    m_history->load(m_table); // rows read before a failure are shown
    for (const QString& message : load.shownMessages())
        m_context.messages.showMessage(message);
}

void TFpdo::FormResize()
{
    // The tab that is not showing keeps its old size until it is shown; it is given the size of the
    // showing one, which it gets then anyway, so that both tabs share the same width from the start.
    QWidget* shown = TabbedNotebook1->currentWidget();
    m_sharedFromWidth = shown->width();
    for (PdoGrid* grid : {sga, sgb}) {
        if (grid != shown)
            grid->resize(shown->size());
        const int width = SharedColumnWidth(grid->width(), grid->columnCount());
        grid->horizontalHeader()->setDefaultSectionSize(std::max(width, 1));
        for (int c = 0; c < grid->columnCount(); ++c)
            grid->setColumnWidth(c, std::max(width, 1));
    }
}

void TFpdo::BitBtn1Click()
{
    m_actions.ok(*this, [this] { readGrids(); });
}

void TFpdo::BitBtn4Click()
{
    m_history->record(); // cells typed before the Import are a step of their own
    m_actions.importWorkbook({}, [this](const ImportOutcome&) {
        showGrids();
        m_history->record(QStringLiteral("Import")); // before the import's note is shown
    });
}

void TFpdo::Button1Click()
{
    m_actions.exportCsv([this] { readGrids(); });
}

void TFpdo::readGrids()
{
    for (Side side : BothSides)
        page(side).grid->commitOpenEditor();
    for (Side side : BothSides)
        page(side).grid->readRows(m_table.side(side));
}

PdoTable TFpdo::shownTable() const
{
    PdoTable shown = m_table;
    for (Side side : BothSides)
        m_pages[side].grid->readRows(shown.side(side));
    return shown;
}

void TFpdo::showGrids()
{
    for (Side side : BothSides)
        page(side).grid->showRows(m_table.side(side));
}

} // namespace velmaro
