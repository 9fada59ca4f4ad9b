#include "mapping/UTestMapping.h"

#include "mapping/ByteMapView.h"
#include "widgets/WindowStyle.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace velmaro {

namespace {

const QString kLastAnswer = QStringLiteral("last answer: ");

enum Column
{
    ColRow,
    ColSlave,
    ColRegisters,
    ColBytes,
    ColStatus,
    ColValues,
    ColumnCount
};

} // namespace

TFTestMapping::TFTestMapping(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    MakeSizableDialog(this, QStringLiteral("FTestMapping"), QStringLiteral("Test Mapping"));
    resize(900, 680);
    masterFactory = [] { return CreateModbusMaster(); };

    CB_Port = new QComboBox(this);
    CB_Port->setObjectName(QStringLiteral("CB_Port"));
    CB_Port->setEditable(true); // the listed ports, or any device or pseudo-terminal path
    CB_Port->addItems(ComPortNames());
    CB_Port->setMinimumWidth(220);
    SE_Interval = new QSpinBox(this);
    SE_Interval->setObjectName(QStringLiteral("SE_Interval"));
    SE_Interval->setRange(10, 600000);
    SE_Interval->setValue(1000);
    SE_Interval->setSuffix(QStringLiteral(" ms"));
    BtnPollOnce = MakeButton(QStringLiteral("BtnPollOnce"), QStringLiteral("Poll once"), this);
    BtnPollEvery = MakeButton(QStringLiteral("BtnPollEvery"), QStringLiteral("Poll every"), this);
    BtnStop = MakeButton(QStringLiteral("BtnStop"), QStringLiteral("Stop"), this);
    BtnStop->setEnabled(false);

    GridRows = new QTableWidget(0, ColumnCount, this);
    GridRows->setObjectName(QStringLiteral("GridRows"));
    GridRows->setHorizontalHeaderLabels({QStringLiteral("Row"), QStringLiteral("Slave"),
                                         QStringLiteral("Registers"), QStringLiteral("Bytes"),
                                         QStringLiteral("Status"), QStringLiteral("Values")});
    GridRows->verticalHeader()->hide();
    GridRows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridRows->horizontalHeader()->setStretchLastSection(true);
    GridRows->setColumnWidth(ColRegisters, 170);
    GridRows->setColumnWidth(ColStatus, 200);

    MapIn = new ByteMapView(this);
    MapIn->setObjectName(QStringLiteral("MapIn"));
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(MapIn);
    scroll->setWidgetResizable(false);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMinimumHeight(MapIn->heightForLines(4));

    EOutput = new QLineEdit(this);
    EOutput->setObjectName(QStringLiteral("EOutput"));
    EOutput->setPlaceholderText(QStringLiteral("PROFIBUS output data in hex, e.g. 01 02 0A FF"));
    BtnWrite = MakeButton(QStringLiteral("BtnWrite"), QStringLiteral("Write"), this);
    LStatus = new QLabel(this);
    LStatus->setObjectName(QStringLiteral("LStatus"));
    LStatus->setWordWrap(true);

    auto* portRow = new QHBoxLayout;
    portRow->addWidget(new QLabel(QStringLiteral("Port"), this));
    portRow->addWidget(CB_Port);
    portRow->addWidget(BtnPollOnce);
    portRow->addWidget(BtnPollEvery);
    portRow->addWidget(SE_Interval);
    portRow->addWidget(BtnStop);
    portRow->addStretch();
    auto* outRow = new QHBoxLayout;
    outRow->addWidget(new QLabel(QStringLiteral("Output data"), this));
    outRow->addWidget(EOutput, 1);
    outRow->addWidget(BtnWrite);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(portRow);
    layout->addWidget(GridRows, 1);
    layout->addWidget(new QLabel(QStringLiteral("Input data"), this));
    layout->addWidget(scroll);
    layout->addLayout(outRow);
    layout->addWidget(LStatus);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TFTestMapping::startRound);
    connect(BtnPollOnce, &QPushButton::clicked, this, &TFTestMapping::PollOnce);
    connect(BtnPollEvery, &QPushButton::clicked, this, &TFTestMapping::PollEvery);
    connect(BtnStop, &QPushButton::clicked, this, &TFTestMapping::Stop);
    connect(BtnWrite, &QPushButton::clicked, this, &TFTestMapping::Write);
    connect(EOutput, &QLineEdit::returnPressed, this, &TFTestMapping::Write); // Enter writes, as Write does
}

TFTestMapping::~TFTestMapping()
{
    Stop();
}

void TFTestMapping::SetTables(const MappingTables& used, const MappingLimits& limits)
{
    Stop();
    m_limits = limits;
    m_plan = PlanRequests(used);
    m_mapIn = ComputeByteMap(MappingSide::In, used.in, limits.in);
    GridRows->setRowCount(int(m_plan.reads.size() + m_plan.writes.size()));
    int r = 0;
    const auto put = [&](int column, const QString& text) {
        GridRows->setItem(r, column, new QTableWidgetItem(text));
    };
    for (const ReadRequest& read : m_plan.reads) {
        put(ColRow, QStringLiteral("IN %1").arg(read.row));
        put(ColSlave, QString::number(read.slave));
        put(ColRegisters, QStringLiteral("%1 %2..%3")
                              .arg(RegisterKindWord(read.kind))
                              .arg(read.first)
                              .arg(read.first + read.count - 1));
        put(ColBytes, ByteSpan(read.byte, read.byte + 2 * qint64(read.count) - 1));
        put(ColStatus, QString());
        put(ColValues, QString());
        ++r;
    }
    for (const WriteRequest& write : m_plan.writes) {
        put(ColRow, QStringLiteral("OUT %1").arg(write.row));
        put(ColSlave, QString::number(write.slave));
        put(ColRegisters,
            QStringLiteral("holding %1..%2").arg(write.first).arg(write.first + write.count - 1));
        put(ColBytes, ByteSpan(write.byte, write.byte + 2 * qint64(write.count) - 1));
        put(ColStatus, QString());
        put(ColValues, QString());
        ++r;
    }
    QStringList left;
    for (const PlanProblem& problem : m_plan.problems)
        left << QStringLiteral("%1 row %2 left out: %3.")
                    .arg(TableTag(problem.side))
                    .arg(problem.row)
                    .arg(problem.reason);
    LStatus->setText(left.join(QLatin1Char('\n')));
    showImage(InputImage(m_plan.reads, {}, limits.in));
}

void TFTestMapping::showImage(const QByteArray& image)
{
    MapIn->setMap(m_mapIn);
    QStringList texts;
    for (char byte : image)
        texts << QStringLiteral("%1").arg(quint8(byte), 2, 16, QLatin1Char('0')).toUpper();
    MapIn->setCellTexts(texts);
}

void TFTestMapping::setStatus(int tableRow, const QString& status, const QString& values)
{
    if (QTableWidgetItem* item = GridRows->item(tableRow, ColStatus))
        item->setText(status);
    if (QTableWidgetItem* item = GridRows->item(tableRow, ColValues))
        item->setText(values);
}

bool TFTestMapping::openLine()
{
    if (m_master)
        return true;
    // What the rows show came from the line before: a new line starts from nothing.
    for (int row = 0; row < GridRows->rowCount(); ++row)
        setStatus(row, QString(), QString());
    showImage(InputImage(m_plan.reads, {}, m_limits.in));
    const Result<BenchLine> line = LoadBenchLine(m_context.paths.PargenXmlPath, SerialStopBits::One, true);
    if (!line.ok()) {
        LStatus->setText(QStringLiteral("pargen.xml: ") + line.error());
        return false;
    }
    m_line = *line;
    const QString port = CB_Port->currentText().trimmed();
    const PortProbe probe = ProbeSerialPort(m_context.serial, port);
    if (probe.device.isEmpty()) {
        LStatus->setText(probe.failure);
        return false;
    }
    std::unique_ptr<IModbusMaster> master = masterFactory();
    const QString failure = master->open(BenchLineOptions(m_line, probe.device));
    if (!failure.isEmpty()) {
        LStatus->setText(QStringLiteral("%1 (%2): %3").arg(port, probe.device, failure));
        return false;
    }
    m_master = std::move(master);
    m_round = std::make_unique<BenchRound>(*m_master, m_plan.reads, m_limits.in);
    LStatus->setText(QStringLiteral("%1: %2").arg(probe.device, DescribeBenchLine(m_line)));
    CB_Port->setEnabled(false);
    BtnStop->setEnabled(true);
    return true;
}

void TFTestMapping::startRound()
{
    if (!m_round || m_round->running())
        return;
    const QList<WriteRequest> writes = m_pendingWrites;
    m_pendingWrites.clear();
    const int reads = int(m_plan.reads.size());
    // Rows of writes not in this round keep what they showed.
    m_round->start(
        writes,
        [this, reads, writes](bool write, int index, const ModbusOutcome& outcome) {
            int tableRow = index;
            if (write) {
                tableRow = reads;
                for (const WriteRequest& w : m_plan.writes) {
                    if (w.row == writes.at(index).row)
                        break;
                    ++tableRow;
                }
            }
            const bool ok = outcome.kind == ModbusOutcome::Ok;
            if (outcome.kind == ModbusOutcome::Failed) // the line itself: stop and free the port
                QTimer::singleShot(0, this, [this, text = outcome.text] {
                    const QString port = CB_Port->currentText().trimmed();
                    Stop();
                    LStatus->setText(port + QStringLiteral(": ") + text);
                });
            // A read that failed keeps its last answer in the input data, as the gateway does; say so.
            QString values = GridRows->item(tableRow, ColValues)->text();
            if (!values.isEmpty() && !values.startsWith(kLastAnswer))
                values.prepend(kLastAnswer);
            setStatus(tableRow, ok ? QStringLiteral("ok") : DescribeOutcome(outcome, m_line.timeoutMs),
                      write ? RegisterValuesText(writes.at(index).values)
                            : (ok ? RegisterValuesText(outcome.values) : values));
        },
        [this](const QByteArray& image, bool) {
            showImage(image);
            if (m_continuous)
                m_timer->start(SE_Interval->value());
        });
}

void TFTestMapping::PollOnce()
{
    m_continuous = false;
    m_timer->stop();
    if (openLine())
        startRound();
}

void TFTestMapping::PollEvery()
{
    if (!openLine())
        return;
    m_continuous = true;
    startRound();
}

void TFTestMapping::Stop()
{
    m_continuous = false;
    if (m_timer)
        m_timer->stop();
    m_round.reset();
    if (m_master)
        m_master->close();
    m_master.reset();
    if (CB_Port)
        CB_Port->setEnabled(true);
    if (BtnStop)
        BtnStop->setEnabled(false);
}

void TFTestMapping::Write()
{
    const Result<QByteArray> output = ParseHexBytes(EOutput->text(), m_limits.out);
    if (!output.ok()) {
        LStatus->setText(QStringLiteral("Output data: ") + output.error() + QLatin1Char('.'));
        return;
    }
    m_pendingWrites = OutputWrites(m_plan.writes, *output);
    if (!openLine())
        return;
    // Written with the next round; now when none runs or waits.
    if (!m_round->running())
        startRound();
}

void TFTestMapping::done(int result)
{
    // Escape, the close button and OK/Cancel all end here: no round may run on behind a hidden window.
    Stop();
    QDialog::done(result);
}

} // namespace velmaro
