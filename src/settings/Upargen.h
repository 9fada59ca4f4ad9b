#pragma once

#include "platform/FileFingerprint.h"
#include "settings/CommEditorRules.h"
#include "widgets/AppContext.h"
#include "widgets/FormDialog.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velmaro {

template <typename State>
class SnapshotHistory;

// "SET COMMUNICATION": edits the project's pargen.xml. Loads on every showing, OK validates and saves,
// Cancel writes nothing.
class TFpargen : public FormDialog
{
    Q_OBJECT
public:
    explicit TFpargen(AppContext& context, QWidget* parent = nullptr);

    QRadioButton* RB_Ser_232 = nullptr;
    QRadioButton* RB_Ser_485 = nullptr;
    QRadioButton* RB_Ser_Rec = nullptr;
    QRadioButton* RB_Ser_RecTra = nullptr;
    QRadioButton* RB_Ser_TEvery = nullptr;
    QLineEdit* E_Ser_TEvery = nullptr;
    QRadioButton* RB_Ser_TChange = nullptr;
    QRadioButton* RB_Ser_REndC = nullptr;
    QLineEdit* E_Ser_REndC = nullptr;
    QRadioButton* RB_Ser_REndT = nullptr;
    QLineEdit* E_Ser_REndT = nullptr;
    QComboBox* CB_Ser_Baud = nullptr;
    QComboBox* CB_Ser_Par = nullptr;
    QComboBox* CB_DataBits = nullptr;
    QLineEdit* E_TimeOut = nullptr;
    QLineEdit* E_Pro_ID = nullptr;
    QComboBox* CB_Pro_Baud = nullptr;
    QLineEdit* E_PRo_IN = nullptr;
    QLineEdit* E_PRo_Out = nullptr;
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;

private:
    void FormShow() override;
    void RB_Ser_232Click();
    void BitBtn1Click();
    void setControlValues(const CommEditorValues& values);
    CommEditorValues controlValues() const;

    AppContext& m_context;
    // Undo and redo of this showing's edits; each committed control change is one step.
    SnapshotHistory<CommEditorValues>* m_history = nullptr;
    bool m_readWhole = true;         // this showing read the whole document, or there was none
    FileFingerprint m_fileAtShowing; // the document before this showing read it
};

} // namespace velmaro
