#include "mapping/USetVar.h"

#include "mapping/MappingGrid.h"
#include "mapping/MappingRules.h"
#include "widgets/IncompleteLoad.h"
#include "widgets/WindowStyle.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
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
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                          | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    for (int c = 1; c < model->columnCount(); ++c)
        grid->setColumnWidth(c, 120);
    return grid;
}

} // namespace

TFSetVar::TFSetVar(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("TFSetVar").mid(1));
    setWindowTitle(QStringLiteral("Set SDO Access"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    resize(920, 560);

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
    PageControl1->addTab(sga, QStringLiteral("ProfiBus IN --> Serial Read"));
    PageControl1->addTab(sgb, QStringLiteral("Serial Write --> ProfiBus OUT"));

    // Enter typed in a grid must not save the tables behind the user's back.
    bitbtn1 = MakeButton(QStringLiteral("bitbtn1"), QStringLiteral("OK"), this);
    bitbtn2 = MakeButton(QStringLiteral("bitbtn2"), QStringLiteral("Cancel"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(ButtonRow({}, {bitbtn1, bitbtn2}));

    connect(bitbtn1, &QPushButton::clicked, this, &TFSetVar::bitbtn1Click);
    connect(bitbtn2, &QPushButton::clicked, this, &TFSetVar::reject);
}

void TFSetVar::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
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

    const MappingLoad load = LoadMappingDocument(m_context.paths.SdoXmlPath);
    m_modelA->setRows(load.tables.in);
    m_modelB->setRows(load.tables.out);
    m_readWhole = load.readWhole();
    for (const QString& notice : load.notices)
        m_context.messages.showMessage(notice);
    if (!load.ok())
        m_context.messages.showError(load.error);
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
    if (!MayReplaceDocument(m_context.messages, m_context.paths.SdoXmlPath, m_readWhole))
        return;
    const Status saved = SaveMappingDocument(m_context.paths.SdoXmlPath, used);
    if (!saved.ok()) {
        m_context.messages.showError(saved.error());
        return;
    }
    accept();
}

} // namespace velmaro
