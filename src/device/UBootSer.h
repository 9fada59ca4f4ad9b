#pragma once

#include "widgets/AppContext.h"
#include "widgets/FormDialog.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace velmaro {

class TComm;

// Shown while the updater runs: keeps the program painted, tells the elapsed seconds and takes every
// input for itself; it cannot be closed by the user.
class TBusyIndicator : public QDialog
{
    Q_OBJECT
public:
    explicit TBusyIndicator(QWidget* parent);
    void SetElapsed(qint64 elapsedMs);
    QLabel* LElapsed;

protected:
    void reject() override {}
    void closeEvent(QCloseEvent* event) override;
};

class TFBootSer : public FormDialog
{
    Q_OBJECT
public:
    explicit TFBootSer(AppContext& context, QWidget* parent = nullptr);

    bool PortOk = false;
    TComm* Comm1;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QComboBox* CB_Com;
    QLabel* LComDevice; // the device the selected name stands for
    QLabel* LUpdater;   // where the updater is looked for, when it is not there
    QPushButton* LbButton1;
    QPushButton* LbButton2;
    QPushButton* LbButton3;
    QFrame* Panel1;
    QLabel* Label7;
    QCheckBox* CB_Firm;
    QCheckBox* CB_RFirm;
    QCheckBox* CB_Proj;
    QCheckBox* CB_RProj;
    QPushButton* LbButton4;

    // The busy indicator while the updater runs (null otherwise).
    TBusyIndicator* BusyIndicator() const { return m_busy; }

    void FormShow() override;
    void FormClose();
    void LbButton1Click();
    void LbButton2Click();
    void LbButton4Click();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void CB_ComChange();
    // Page 1 (the instructions and the port) or page 2 (Panel1, the options).
    void showPage(int page);

    AppContext& m_context;
    TBusyIndicator* m_busy = nullptr;
};

} // namespace velmaro
