#include "settings/Upargen.h"

#include "settings/CommFieldWords.h"
#include "widgets/IncompleteLoad.h"
#include "widgets/UndoHistory.h"
#include "widgets/WindowStyle.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmaro {

namespace {

QRadioButton* choice(const char* name, const char* caption)
{
    return named(new QRadioButton(QString::fromLatin1(caption)), name);
}

QLineEdit* textBox(const char* name)
{
    return named(new QLineEdit, name);
}

QComboBox* list(const char* name, const QStringList& items)
{
    QComboBox* box = named(new QComboBox, name);
    box->addItems(items);
    return box;
}

// Makes the two buttons one group that excludes each other, apart from the other pairs of the box.
void pair(QWidget* owner, QRadioButton* a, QRadioButton* b)
{
    auto* group = new QButtonGroup(owner);
    group->setExclusive(true);
    group->addButton(a);
    group->addButton(b);
}

QLabel* label(const char* text, QWidget* buddy)
{
    auto* l = new QLabel(QString::fromLatin1(text));
    l->setBuddy(buddy);
    return l;
}

QLabel* unit()
{
    return new QLabel(QStringLiteral("mS"));
}

// The name of a step: the field it changed, or how many.
QString describeChange(const CommEditorValues& before, const CommEditorValues& after)
{
    const CommSettings a = CommSettingsFromEditor(before);
    const CommSettings b = CommSettingsFromEditor(after);
    QStringList changed;
    for (const CommFieldLabel& l : CommFieldLabels()) {
        if (a.*l.field != b.*l.field)
            changed << QStringLiteral("%1 %2").arg(QLatin1String(l.group), QLatin1String(l.control));
    }
    return changed.size() == 1 ? changed.first() : QStringLiteral("%1 fields").arg(changed.size());
}

} // namespace

TFpargen::TFpargen(AppContext& context, QWidget* parent)
    : FormDialog(Placement::Centred, parent), m_context(context)
{
    setObjectName(QStringLiteral("Fpargen"));
    setWindowTitle(QStringLiteral("SET COMMUNICATION"));

    RB_Ser_232 = choice("RB_Ser_232", "RS232");
    RB_Ser_485 = choice("RB_Ser_485", "RS485");
    RB_Ser_Rec = choice("RB_Ser_Rec", "Only Receive from Serial");
    RB_Ser_RecTra = choice("RB_Ser_RecTra", "Receive and Transmit");
    RB_Ser_TEvery = choice("RB_Ser_TEvery", "Transmit Every");
    E_Ser_TEvery = textBox("E_Ser_TEvery");
    RB_Ser_TChange = choice("RB_Ser_TChange", "Transmit on Change DATA");
    RB_Ser_REndC = choice("RB_Ser_REndC", "Character for end frame");
    E_Ser_REndC = textBox("E_Ser_REndC");
    RB_Ser_REndT = choice("RB_Ser_REndT", "Timeout for end frame ms");
    E_Ser_REndT = textBox("E_Ser_REndT");
    CB_Ser_Baud = list("CB_Ser_Baud", SerialBaudItems());
    CB_Ser_Par = list("CB_Ser_Par", ParityItems());
    CB_DataBits = list("CB_DataBits", DataBitsItems());
    E_TimeOut = textBox("E_TimeOut");
    E_Pro_ID = textBox("E_Pro_ID");
    CB_Pro_Baud = list("CB_Pro_Baud", ProfibusBaudItems());
    CB_Pro_Baud->setCurrentIndex(ProfibusAutoBaudPosition);
    CB_Pro_Baud->setEnabled(false);
    E_PRo_IN = textBox("E_PRo_IN");
    E_PRo_Out = textBox("E_PRo_Out");
    bitbtn1 = named(new QPushButton(QStringLiteral("OK")), "bitbtn1");
    bitbtn2 = named(new QPushButton(QStringLiteral("Cancel")), "bitbtn2");

    pair(this, RB_Ser_232, RB_Ser_485);
    pair(this, RB_Ser_Rec, RB_Ser_RecTra);
    pair(this, RB_Ser_TEvery, RB_Ser_TChange);
    pair(this, RB_Ser_REndC, RB_Ser_REndT);

    auto* serial = new QGroupBox(QStringLiteral(" Serial "));
    auto* s = new QGridLayout(serial);
    int row = 0;
    s->addWidget(RB_Ser_232, row, 0);
    s->addWidget(RB_Ser_485, row++, 1);
    s->addWidget(RB_Ser_Rec, row, 0);
    s->addWidget(RB_Ser_RecTra, row++, 1);
    s->addWidget(RB_Ser_TEvery, row, 0);
    s->addWidget(E_Ser_TEvery, row, 1);
    s->addWidget(unit(), row++, 2);
    s->addWidget(RB_Ser_TChange, row++, 0);
    s->addWidget(RB_Ser_REndC, row, 0);
    s->addWidget(E_Ser_REndC, row++, 1);
    s->addWidget(RB_Ser_REndT, row, 0);
    s->addWidget(E_Ser_REndT, row++, 1);
    s->addWidget(label("Baudrate", CB_Ser_Baud), row, 0);
    s->addWidget(CB_Ser_Baud, row++, 1);
    s->addWidget(label("Parity", CB_Ser_Par), row, 0);
    s->addWidget(CB_Ser_Par, row++, 1);
    s->addWidget(label("Data Bits", CB_DataBits), row, 0);
    s->addWidget(CB_DataBits, row++, 1);
    s->addWidget(label("TimeOuts ", E_TimeOut), row, 0);
    s->addWidget(E_TimeOut, row, 1);
    s->addWidget(unit(), row++, 2);

    auto* profibus = new QGroupBox(QStringLiteral(" PROFIBUS "));
    auto* p = new QGridLayout(profibus);
    p->addWidget(label("ID Dev.", E_Pro_ID), 0, 0);
    p->addWidget(E_Pro_ID, 0, 1);
    p->addWidget(label("Baudrate", CB_Pro_Baud), 1, 0);
    p->addWidget(CB_Pro_Baud, 1, 1);
    p->addWidget(label("N Byte IN", E_PRo_IN), 2, 0);
    p->addWidget(E_PRo_IN, 2, 1);
    p->addWidget(label("N Byte OUT", E_PRo_Out), 3, 0);
    p->addWidget(E_PRo_Out, 3, 1);

    auto* top = new QVBoxLayout(this);
    top->addWidget(serial);
    top->addWidget(profibus);
    top->addLayout(ButtonRow({}, {bitbtn1, bitbtn2}));

    connect(RB_Ser_232, &QRadioButton::toggled, this, &TFpargen::RB_Ser_232Click);
    connect(RB_Ser_485, &QRadioButton::toggled, this, &TFpargen::RB_Ser_232Click);
    connect(bitbtn1, &QPushButton::clicked, this, &TFpargen::BitBtn1Click);
    connect(bitbtn2, &QPushButton::clicked, this, &TFpargen::reject);

    setControlValues(CommEditorValues());
    m_history = new SnapshotHistory<CommEditorValues>(
        this, [this] { return controlValues(); }, [this](const CommEditorValues& v) { setControlValues(v); },
        describeChange);
    // A choice or list change is a step at once, a typed text when Enter or leaving the box commits it.
    for (QRadioButton* rb : findChildren<QRadioButton*>()) {
        connect(rb, &QRadioButton::toggled, m_history, [this](bool checked) {
            if (checked)
                m_history->record();
        });
    }
    for (QComboBox* cb : findChildren<QComboBox*>())
        connect(cb, &QComboBox::currentIndexChanged, m_history, [this] { m_history->record(); });
    for (QLineEdit* e : findChildren<QLineEdit*>())
        connect(e, &QLineEdit::editingFinished, m_history, [this] { m_history->record(); });
    MakeFixedToolWindow(this);
}

void TFpargen::FormShow()
{
    // Every showing overwrites every control, from the document or from the editor's own values.
    m_fileAtShowing = TakeFileFingerprint(m_context.paths.PargenXmlPath);
    const CommEditorLoad load = LoadCommEditorValues(m_context.paths.PargenXmlPath);
    m_history->load(load.values);
    m_readWhole = load.readWhole();
    if (load.error)
        m_context.messages.showError(*load.error);
}

void TFpargen::RB_Ser_232Click()
{
    // The selection stays while the list is disabled, and OK saves it.
    CB_DataBits->setEnabled(RB_Ser_485->isChecked());
}

void TFpargen::BitBtn1Click()
{
    const CommEditorValues values = controlValues();
    if (const std::optional<QString> failure = ValidateCommEditorValues(values)) {
        m_context.messages.showError(*failure);
        return;
    }
    if (!MayReplaceDocument(m_context.messages, m_context.paths.PargenXmlPath, m_readWhole, m_fileAtShowing))
        return;
    const Status saved = SaveCommSettings(m_context.paths.PargenXmlPath, CommSettingsFromEditor(values));
    if (!saved.ok()) {
        m_context.messages.showError(saved.error());
        return;
    }
    accept();
}

void TFpargen::setControlValues(const CommEditorValues& v)
{
    (v.rs485 ? RB_Ser_485 : RB_Ser_232)->setChecked(true);
    (v.receiveAndTransmit ? RB_Ser_RecTra : RB_Ser_Rec)->setChecked(true);
    (v.transmitOnChange ? RB_Ser_TChange : RB_Ser_TEvery)->setChecked(true);
    (v.endByTimeout ? RB_Ser_REndT : RB_Ser_REndC)->setChecked(true);
    E_Ser_TEvery->setText(v.transmitEvery);
    E_Ser_REndC->setText(v.receiveEndChar);
    E_Ser_REndT->setText(v.receiveEndTime);
    CB_Ser_Baud->setCurrentIndex(v.serialBaud);
    CB_Ser_Par->setCurrentIndex(v.parity);
    CB_DataBits->setCurrentIndex(v.dataBits);
    RB_Ser_232Click();
    E_TimeOut->setText(v.timeOut);
    E_Pro_ID->setText(v.profibusId);
    CB_Pro_Baud->setCurrentIndex(v.profibusBaud);
    E_PRo_IN->setText(v.bytesIn);
    E_PRo_Out->setText(v.bytesOut);
}

CommEditorValues TFpargen::controlValues() const
{
    CommEditorValues v;
    v.rs485 = RB_Ser_485->isChecked();
    v.receiveAndTransmit = RB_Ser_RecTra->isChecked();
    v.transmitOnChange = RB_Ser_TChange->isChecked();
    v.endByTimeout = RB_Ser_REndT->isChecked();
    v.transmitEvery = E_Ser_TEvery->text();
    v.receiveEndChar = E_Ser_REndC->text();
    v.receiveEndTime = E_Ser_REndT->text();
    v.serialBaud = CB_Ser_Baud->currentIndex();
    v.parity = CB_Ser_Par->currentIndex();
    v.dataBits = CB_DataBits->currentIndex();
    v.timeOut = E_TimeOut->text();
    v.profibusId = E_Pro_ID->text();
    v.profibusBaud = CB_Pro_Baud->currentIndex();
    v.bytesIn = E_PRo_IN->text();
    v.bytesOut = E_PRo_Out->text();
    return v;
}

} // namespace velmaro
