#include "mapping/USetVar.h"

#include "base/IntegerText.h"
#include "mapping/ByteMap.h"
#include "mapping/ByteMapView.h"
#include "mapping/MappingGrid.h"
#include "mapping/MappingRules.h"
#include "mapping/UTestMapping.h"
#include "widgets/GridKeys.h"
#include "widgets/IncompleteLoad.h"
#include "widgets/UndoHistory.h"
#include "widgets/WindowStyle.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmaro {

namespace {

MappingGridView* makeGrid(const QString& name, MappingGridModel* model, QWidget* parent)
{
    auto* grid = new MappingGridView(parent);
    grid->setObjectName(name);
    grid->setModel(model);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setColumnWidth(0, 48);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                          | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    for (int c = 1; c < model->columnCount(); ++c)
        grid->setColumnWidth(c, 120);
    return grid;
}

// The cells (row, attribute) whose texts differ between two versions of one table.
QList<QPoint> changedCells(const QList<MappingRow>& a, const QList<MappingRow>& b)
{
    QList<QPoint> cells;
    for (int r = 0; r < a.size() && r < b.size(); ++r) {
        for (int c = 0; c < a[r].size() && c < b[r].size(); ++c) {
            if (a[r][c] != b[r][c])
                cells << QPoint(c, r);
        }
    }
    return cells;
}

// The name of a step: "ProfiBus IN row 3: NPoint", or "12 cells of ProfiBus OUT".
QString describeChange(const MappingTables& before, const MappingTables& after)
{
    QStringList parts;
    for (const MappingSide side : {MappingSide::In, MappingSide::Out}) {
        const QList<QPoint> cells = changedCells(before.side(side), after.side(side));
        const QString table = QStringLiteral("ProfiBus ") + TableTag(side);
        if (cells.size() == 1) {
            parts << QStringLiteral("%1 row %2: %3")
                         .arg(table, QString::number(cells[0].y() + 1),
                              MappingColumnCaptions(side).value(cells[0].x()));
        } else if (!cells.isEmpty()) {
            parts << QStringLiteral("%1 cells of %2").arg(QString::number(cells.size()), table);
        }
    }
    return parts.join(QStringLiteral(" and "));
}

} // namespace

TFSetVar::TFSetVar(AppContext& context, QWidget* parent)
    : FormDialog(Placement::AsPlaced, parent), m_context(context)
{
    MakeSizableDialog(this, QStringLiteral("FSetVar"), QStringLiteral("Set SDO Access"));
    resize(920, 720);

    const QString number = QStringLiteral("N\u00B0");
    m_modelA = new MappingGridModel({number, QStringLiteral("Slave ID"), QStringLiteral("Type"),
                                     QStringLiteral("Address Register"), QStringLiteral("NPoint"),
                                     QStringLiteral("Address ProfiBUS"), QStringLiteral("Mnemonic")},
                                    this);
    m_modelB = new MappingGridModel({number, QStringLiteral("Slave ID"), QStringLiteral("Address Register"),
                                     QStringLiteral("NPoint"), QStringLiteral("Address ProfiBUS"),
                                     QStringLiteral("Mnemonic")},
                                    this);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    sga = makeGrid(QStringLiteral("sga"), m_modelA, PageControl1);
    sga->setColumnWidth(2, 140);
    sga->setItemDelegateForColumn(2, new RegisterTypeDelegate(sga));
    sgb = makeGrid(QStringLiteral("sgb"), m_modelB, PageControl1);
    // Keys and clipboard of a spreadsheet; a pasted Type passes the check of the Type list.
    new GridKeys(sga, m_context.messages, [](const QModelIndex& cell, const QString& text) {
        return cell.column() == 2 ? RegisterTypeText(text) : Result<QString>(text);
    });
    new GridKeys(sgb, m_context.messages);
    PageControl1->addTab(makePage(MappingSide::In, sga), QStringLiteral("ProfiBus IN --> Serial Read"));
    PageControl1->addTab(makePage(MappingSide::Out, sgb), QStringLiteral("Serial Write --> ProfiBus OUT"));

    // Enter typed in a grid must not save the tables behind the user's back.
    bitbtn1 = MakeButton(QStringLiteral("bitbtn1"), QStringLiteral("OK"), this);
    bitbtn2 = MakeButton(QStringLiteral("bitbtn2"), QStringLiteral("Cancel"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    btnTest = MakeButton(QStringLiteral("btnTest"), QStringLiteral("Test..."), this);
    btnTest->setToolTip(QStringLiteral("Poll the slaves of these tables on a serial port"));
    layout->addLayout(ButtonRow({btnTest}, {bitbtn1, bitbtn2}));
    connect(btnTest, &QPushButton::clicked, this, &TFSetVar::btnTestClick);

    connect(bitbtn1, &QPushButton::clicked, this, &TFSetVar::bitbtn1Click);
    connect(bitbtn2, &QPushButton::clicked, this, &TFSetVar::reject);

    m_history = new SnapshotHistory<MappingTables>(
        this, [this] { return shownTables(); }, [this](const MappingTables& t) { showTables(t); },
        describeChange);
    m_history->setCommitEditors([this] {
        sga->commitOpenEditor();
        sgb->commitOpenEditor();
    });
    for (MappingGridModel* model : {m_modelA, m_modelB}) {
        connect(model, &QAbstractItemModel::dataChanged, this, [this] {
            // All cells one key or click changed (a paste, a Delete) make one step.
            m_history->recordLater();
            if (!m_packing)
                RefreshByteMaps();
        });
        connect(model, &QAbstractItemModel::modelReset, this, &TFSetVar::RefreshByteMaps);
    }
    RefreshByteMaps();
}

QWidget* TFSetVar::makePage(MappingSide side, MappingGridView* grid)
{
    const bool in = side == MappingSide::In;
    auto* page = new QWidget(PageControl1);
    auto* map = new ByteMapView(page);
    map->setObjectName(in ? QStringLiteral("bmA") : QStringLiteral("bmB"));
    auto* scroll = new QScrollArea(page);
    scroll->setWidget(map);
    scroll->setWidgetResizable(false);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::NoFocus); // Ctrl+Tab from the grid goes straight to Pack
    scroll->setMinimumWidth(map->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
    auto* summary = new QLabel(page);
    summary->setObjectName(in ? QStringLiteral("LMapA") : QStringLiteral("LMapB"));
    auto* pack = MakeButton(in ? QStringLiteral("btnPackA") : QStringLiteral("btnPackB"),
                            QStringLiteral("Pack"), page);
    pack->setToolTip(
        QStringLiteral("Rewrite Address ProfiBUS so that the rows follow each other from byte 0"));

    auto* mapColumn = new QVBoxLayout;
    mapColumn->addWidget(scroll);
    mapColumn->addWidget(MakeByteMapLegend(page));
    mapColumn->addWidget(summary);
    auto* mapRow = new QHBoxLayout;
    mapRow->addLayout(mapColumn);
    mapRow->addWidget(pack, 0, Qt::AlignTop);
    mapRow->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(grid, 1);
    layout->addLayout(mapRow);

    (in ? m_mapAreaA : m_mapAreaB) = scroll;
    (in ? bmA : bmB) = map;
    (in ? LMapA : LMapB) = summary;
    (in ? btnPackA : btnPackB) = pack;
    connect(map, &ByteMapView::rowClicked, this, [this, side](int row) { selectRow(side, row); });
    connect(pack, &QPushButton::clicked, this, [this, side] { btnPackClick(side); });
    return page;
}

void TFSetVar::FormShow()
{
    const Result<MappingLimits> limits = LoadMappingLimits(m_context.paths.PargenXmlPath);
    // An unreadable pargen.xml is reported; the tables still load so that nothing is lost.
    const MappingLimits used = limits.ok() ? limits.value() : MappingLimits();
    InLimit = used.in;
    OutLimit = used.out;
    if (!limits.ok())
        m_context.messages.showError(limits.error());

    m_fileAtShowing = TakeFileFingerprint(m_context.paths.SdoXmlPath);
    const MappingLoad load = LoadMappingDocument(m_context.paths.SdoXmlPath);
    m_history->load(load.tables);
    m_readWhole = load.readWhole();
    for (const QString& notice : load.notices)
        m_context.messages.showMessage(notice);
    if (!load.ok())
        m_context.messages.showError(load.error);
}

void TFSetVar::btnTestClick()
{
    if (!FTestMapping)
        FTestMapping = new TFTestMapping(m_context, this);
    // The tables as this window shows them, edits included.
    FTestMapping->SetTables(RowsInUse({m_modelA->rows(), m_modelB->rows()}),
                            MappingLimits{InLimit, OutLimit});
    FTestMapping->show();
    FTestMapping->raise();
    FTestMapping->activateWindow();
}

void TFSetVar::bitbtn1Click()
{
    sga->commitOpenEditor();
    sgb->commitOpenEditor();
    MappingTables grid;
    grid.in = m_modelA->rows();
    grid.out = m_modelB->rows();
    const MappingTables used = RowsInUse(grid);
    const Status valid = ValidateMapping(used, MappingLimits{InLimit, OutLimit});
    if (!valid.ok()) {
        m_context.messages.showError(valid.error());
        return;
    }
    if (!MayReplaceDocument(m_context.messages, m_context.paths.SdoXmlPath, m_readWhole, m_fileAtShowing))
        return;
    const Status saved = SaveMappingDocument(m_context.paths.SdoXmlPath, used);
    if (!saved.ok()) {
        m_context.messages.showError(saved.error());
        return;
    }
    accept();
}

void TFSetVar::RefreshByteMaps()
{
    MappingTables grid;
    grid.in = m_modelA->rows();
    grid.out = m_modelB->rows();
    const ByteMaps maps = ComputeByteMaps(RowsInUse(grid), MappingLimits{InLimit, OutLimit});
    bmA->setMap(maps.in);
    bmB->setMap(maps.out);
    LMapA->setText(SummaryLine(maps.in));
    LMapB->setText(SummaryLine(maps.out));
    // The map area grows with the map up to the eight lines of 244 bytes; longer maps scroll.
    for (QScrollArea* area : {m_mapAreaA, m_mapAreaB}) {
        const auto* map = static_cast<const ByteMapView*>(area->widget());
        area->setFixedHeight(std::min(map->sizeHint().height(), map->heightForLines(8)));
    }
}

void TFSetVar::selectRow(MappingSide side, int row)
{
    MappingGridView* grid = side == MappingSide::In ? sga : sgb;
    const QModelIndex index = grid->model()->index(row - 1, 1);
    grid->setCurrentIndex(index);
    grid->scrollTo(index);
    grid->setFocus();
}

void TFSetVar::btnPackClick(MappingSide side)
{
    MappingGridView* grid = side == MappingSide::In ? sga : sgb;
    MappingGridModel* model = side == MappingSide::In ? m_modelA : m_modelB;
    grid->commitOpenEditor();
    m_history->record(); // a text typed before Pack is a step of its own
    MappingTables all;
    all.side(side) = model->rows();
    const QList<MappingRow> used = RowsInUse(all).side(side);
    if (used.isEmpty())
        return;
    const QString title = TableTitle(side);
    if (!m_context.messages.askYesNo(
            QStringLiteral("Pack the rows of \"") + title
            + QStringLiteral("\"? Their Address ProfiBUS will follow each other from byte "
                             "0 in row order, without gaps.")))
        return;
    const qint64 length = side == MappingSide::In ? InLimit : OutLimit;
    const PackResult packed = PackRows(side, used, length);
    const int addressColumn = int(MappingAttributes(side).indexOf(QStringLiteral("Address_Profi"))) + 1;
    m_packing = true;
    for (int r = 0; r < packed.rows.size(); ++r)
        model->setData(model->index(r, addressColumn), packed.rows[r].value(addressColumn - 1));
    m_packing = false;
    m_history->record(QStringLiteral("Pack ProfiBus ") + TableTag(side));
    RefreshByteMaps();

    QStringList notes;
    if (!packed.fits) {
        notes << QStringLiteral("The packed rows of \"%1\" fill %2; the data length is %3.")
                     .arg(title, ByteCount(packed.end), ByteCount(length));
    }
    if (!packed.skipped.isEmpty()) {
        QStringList rows;
        for (int r : packed.skipped)
            rows << QString::number(r);
        notes << QStringLiteral("Rows left as they were (NPoint is not an integer): ")
                     + rows.join(QStringLiteral(", ")) + QLatin1Char('.');
    }
    if (!notes.isEmpty())
        m_context.messages.showMessage(notes.join(QLatin1Char('\n')));
}

MappingTables TFSetVar::shownTables() const
{
    MappingTables shown;
    shown.in = m_modelA->rows();
    shown.out = m_modelB->rows();
    return shown;
}

void TFSetVar::showTables(const MappingTables& tables)
{
    const MappingTables before = shownTables();
    m_modelA->setRows(tables.in);
    m_modelB->setRows(tables.out);
    if (m_history->restoring())
        showChanges(before, tables);
}

void TFSetVar::showChanges(const MappingTables& before, const MappingTables& after)
{
    // The page in view first, so that an undo on it stays there.
    const bool inFirst = PageControl1->currentIndex() == 0;
    for (const MappingSide side :
         {inFirst ? MappingSide::In : MappingSide::Out, inFirst ? MappingSide::Out : MappingSide::In}) {
        const QList<QPoint> cells = changedCells(before.side(side), after.side(side));
        if (cells.isEmpty())
            continue;
        MappingGridView* grid = side == MappingSide::In ? sga : sgb;
        const QWidget* focus = QApplication::focusWidget();
        const bool focusInGrid =
            focus && (sga->isAncestorOf(focus) || sgb->isAncestorOf(focus) || focus == sga || focus == sgb);
        PageControl1->setCurrentIndex(side == MappingSide::In ? 0 : 1);
        QItemSelection changed;
        for (const QPoint& cell : cells) {
            const QModelIndex index = grid->model()->index(cell.y(), cell.x() + 1);
            changed.select(index, index);
        }
        const QModelIndex first = grid->model()->index(cells[0].y(), cells[0].x() + 1);
        grid->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        grid->selectionModel()->select(changed, QItemSelectionModel::ClearAndSelect);
        grid->scrollTo(first);
        if (focusInGrid)
            grid->setFocus();
        return;
    }
}

} // namespace velmaro
