#include "device/UBootSer.h"

#include "device/CommInt.h"
#include "device/UpdaterCommand.h"
#include "platform/FileSystem.h"
#include "widgets/TransientNote.h"
#include "widgets/WindowStyle.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace velmaro {

TBusyIndicator::TBusyIndicator(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BusyIndicator"));
    setWindowTitle(QStringLiteral("Update Firmware from Serial (RS232)"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowModality(Qt::ApplicationModal);
    setMinimumWidth(340);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Waiting for the updater to finish..."), this));
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0);
    layout->addWidget(bar);
    LElapsed = named(new QLabel(this), "LElapsed");
    layout->addWidget(LElapsed);
    SetElapsed(0);
}

void TBusyIndicator::SetElapsed(qint64 elapsedMs)
{
    LElapsed->setText(
        QStringLiteral("%1 s elapsed (at most %2 s)").arg(elapsedMs / 1000).arg(UpdaterWaitLimitMs / 1000));
}

void TBusyIndicator::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

TFBootSer::TFBootSer(AppContext& context, QWidget* parent)
    : FormDialog(Placement::Centred, parent), m_context(context)
{
    setObjectName(QStringLiteral("FBootSer"));
    setWindowTitle(QStringLiteral("Update Firmware from Serial (RS232)"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(440, 330);

    Comm1 = new TComm(this, m_context.serial);
    Comm1->setObjectName(QStringLiteral("Comm1"));
    Comm1->SetMonitorEvents(AllCommEvents());
    Comm1->SetOptions({});

    // Puts each control on `parent` at its place, in this order (the Tab order).
    const auto place = [](QWidget* parent, std::initializer_list<std::pair<QWidget*, QRect>> places) {
        for (const auto& [control, geometry] : places) {
            control->setParent(parent);
            control->setGeometry(geometry);
        }
    };
    Label1 =
        named(new QLabel(QStringLiteral("Follow these steps to update the GQ4712 from RS232:")), "Label1");
    Label2 = named(new QLabel(QStringLiteral("1 - Turn OFF the Device")), "Label2");
    Label3 = named(new QLabel(QStringLiteral("2 - Insert the Boot Jumper (see the manual)")), "Label3");
    Label4 =
        named(new QLabel(QStringLiteral("3 - Select the  COM port and press the connect button")), "Label4");
    CB_Com = named(new QComboBox, "CB_Com");
    CB_Com->setEditable(false);
    CB_Com->addItems(ComPortNames());
    CB_Com->setCurrentIndex(0);
    LComDevice = named(new QLabel, "LComDevice");
    LbButton1 = named(new QPushButton(QStringLiteral("Connect")), "LbButton1");
    Label5 = named(new QLabel(QStringLiteral("4 - Turn ON the Device")), "Label5");
    Label6 = named(new QLabel(QStringLiteral("5 - Check the BOOT led. It must blink quickly")), "Label6");
    LbButton3 = named(new QPushButton(QStringLiteral("Cancel")), "LbButton3");
    LbButton2 = named(new QPushButton(QStringLiteral("Next")), "LbButton2");
    LUpdater = named(new QLabel, "LUpdater");
    LUpdater->setWordWrap(true);
    LUpdater->setTextInteractionFlags(Qt::TextSelectableByMouse);
    place(this, {
                    {Label1, {16, 12, 408, 22}},
                    {Label2, {32, 44, 392, 22}},
                    {Label3, {32, 72, 392, 22}},
                    {Label4, {32, 100, 392, 22}},
                    {CB_Com, {48, 130, 100, 26}},
                    {LComDevice, {156, 126, 156, 38}},
                    {LbButton1, {316, 128, 100, 30}},
                    {Label5, {32, 170, 392, 22}},
                    {Label6, {32, 198, 392, 22}},
                    {LUpdater, {16, 226, 408, 50}},
                    {LbButton3, {200, 280, 100, 32}},
                    {LbButton2, {316, 280, 100, 32}},
                });

    Panel1 = named(new QFrame(this), "Panel1");
    Panel1->setAutoFillBackground(true);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Label7 = named(new QLabel(QStringLiteral("Update Device Options")), "Label7");
    CB_Firm = named(new QCheckBox(QStringLiteral("Firmware")), "CB_Firm");
    CB_RFirm = named(new QCheckBox(QStringLiteral("Read Firmware when finish")), "CB_RFirm");
    CB_Proj = named(new QCheckBox(QStringLiteral("Project")), "CB_Proj");
    CB_RProj = named(new QCheckBox(QStringLiteral("Read Project when finish")), "CB_RProj");
    LbButton4 = named(new QPushButton(QStringLiteral("Execute update firmware")), "LbButton4");
    for (QCheckBox* box : {CB_Firm, CB_RFirm, CB_Proj, CB_RProj})
        box->setChecked(true);
    place(Panel1, {
                      {Label7, {16, 12, 300, 22}},
                      {CB_Firm, {32, 48, 300, 24}},
                      {CB_RFirm, {32, 80, 300, 24}},
                      {CB_Proj, {32, 112, 300, 24}},
                      {CB_RProj, {32, 144, 300, 24}},
                      {LbButton4, {32, 200, 220, 34}},
                  });
    Panel1->hide();

    connect(CB_Com, &QComboBox::currentIndexChanged, this, &TFBootSer::CB_ComChange);
    connect(LbButton1, &QPushButton::clicked, this, &TFBootSer::LbButton1Click);
    connect(LbButton2, &QPushButton::clicked, this, &TFBootSer::LbButton2Click);
    connect(LbButton3, &QPushButton::clicked, this, &QDialog::reject);
    connect(LbButton4, &QPushButton::clicked, this, &TFBootSer::LbButton4Click);
}

void TFBootSer::hideEvent(QHideEvent* event)
{
    FormDialog::hideEvent(event);
    if (!event->spontaneous())
        FormClose();
}

void TFBootSer::showPage(int page)
{
    const bool first = page == 1;
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5, Label6})
        label->setVisible(first);
    LUpdater->setVisible(first && !LUpdater->text().isEmpty());
    // Covered is not enough: a covered control keeps the focus, takes Tab and the arrow keys and, as
    // the default button, Enter. On page 2 no page-1 control can be reached by any key.
    for (QWidget* control : std::initializer_list<QWidget*>{CB_Com, LbButton1, LbButton3, LbButton2})
        control->setEnabled(first);
    Panel1->setVisible(!first);
    if (first) {
        LbButton4->setDefault(false);
        LbButton1->setDefault(true);
        return;
    }
    Panel1->setGeometry(rect());
    Panel1->raise();
    LbButton4->setDefault(true);
    LbButton4->setFocus();
}

void TFBootSer::CB_ComChange()
{
    // The device, and below it its stable name where the system gives one (elided; whole in the tip).
    const QString device = m_context.serial.devicePath(CB_Com->currentText());
    const QString stable = device.isEmpty() ? QString() : StableDeviceName(device);
    const QString shown = LComDevice->fontMetrics().elidedText(stable, Qt::ElideMiddle, LComDevice->width());
    LComDevice->setText(device.isEmpty()   ? QStringLiteral("(no device)")
                        : stable.isEmpty() ? device
                                           : device + QLatin1Char('\n') + shown);
    LComDevice->setToolTip(stable);
}

void TFBootSer::FormShow()
{
    showPage(1);
    PortOk = false;
    CB_ComChange(); // devices come and go between showings
    const QString missing = MissingUpdaterText(m_context.paths.AppDir);
    LUpdater->setText(missing);
    LUpdater->setVisible(!missing.isEmpty());
    // The note about a missing updater may need more lines than its place holds (a long path): the window
    // grows by what it needs, the buttons move down with it.
    const int extra = missing.isEmpty() ? 0 : qMax(0, LUpdater->heightForWidth(408) - 50);
    LUpdater->setGeometry(16, 226, 408, 50 + extra);
    LbButton3->move(200, 280 + extra);
    LbButton2->move(316, 280 + extra);
    setFixedSize(440, 330 + extra);
}

void TFBootSer::FormClose()
{
    Comm1->Close();
}

void TFBootSer::LbButton1Click()
{
    PortOk = false;
    const Status connected = ConnectPort(*Comm1, CB_Com->currentText());
    if (!connected.ok()) {
        m_context.messages.showError(connected.error());
        return;
    }
    PortOk = true;
    ShowNote(LbButton1, QStringLiteral("Connected to %1").arg(CB_Com->currentText()));
}

void TFBootSer::LbButton2Click()
{
    if (!PortOk) {
        m_context.messages.showError(QStringLiteral("Select one port."));
        return;
    }
    showPage(2);
    Comm1->Close();
}

void TFBootSer::LbButton4Click()
{
    if (m_busy)
        return;
    const ProjectPaths& p = m_context.paths;
    const Status folders = CheckUpdaterFolders(p.MasterDir, p.ProjectDir);
    if (!folders.ok()) {
        m_context.messages.showError(folders.error());
        return;
    }
    UpdateChoices choices;
    choices.firmware = CB_Firm->isChecked();
    choices.readFirmware = CB_RFirm->isChecked();
    choices.project = CB_Proj->isChecked();
    choices.readProject = CB_RProj->isChecked();
    const QString parameters = UpdaterCommandLine(CB_Com->currentText(), choices, p.MasterDir, p.ProjectDir);

    // The indicator appears with the first wait, so a missing updater returns without a flash.
    auto whileWaiting = [this](qint64 elapsedMs) {
        if (!m_busy) {
            m_busy = new TBusyIndicator(this);
            m_busy->show();
        }
        m_busy->SetElapsed(elapsedMs);
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    };
    const QString program = NativePath(UpdaterProgram(p.AppDir));
    const QString device = m_context.serial.devicePath(CB_Com->currentText());
    const ProcessOutcome outcome = m_context.processes.runAndWait(
        program, parameters, false, UpdaterWaitLimitMs, whileWaiting, UpdaterEnvironment(device));
    if (m_busy) {
        m_busy->hide();
        m_busy->deleteLater();
        m_busy = nullptr;
    }
    const QString failure = UpdaterOutcomeText(outcome, program);
    if (!failure.isEmpty())
        m_context.messages.showError(failure);
}

} // namespace velmaro
