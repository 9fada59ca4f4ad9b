#pragma once

#include "canopen/StoredPdo.h"
#include "widgets/AppContext.h"

#include <QDialog>
#include <QGroupBox>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace velmaro {

// A titled group of exclusive choices, "none" and "B1" to "B8"; the item index is the choice's
// position (0 to 8).
class PoscompRadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    PoscompRadioGroup(const QString& name, QWidget* parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);

private:
    QButtonGroup* m_buttons;
};

// Attaches stored SDO entries to the PDOs of the PDO translation table, one tab per CAN side.
class TFInfopdo : public QDialog
{
    Q_OBJECT
public:
    explicit TFInfopdo(AppContext& context, QWidget* parent = nullptr);

    const StoredPdoTable& table() const { return m_table; }

    // Handlers; each serves both tabs and acts on the tab of the control that raised it.
    void FormShow();
    void LPdoCanAClick();
    void LSdoCanAClick();
    void NewAClick();
    void ModifyAClick();
    void DeleteAClick();
    void CopyAClick();
    void PasteAClick();
    void BitBtn1Click();
    void Button1Click();
    void BitBtn4Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TabControls
    {
        QListWidget* LSdoCan = nullptr;
        QListWidget* LPdoCan = nullptr;
        QLineEdit* Eindex = nullptr;
        QLineEdit* Esubindex = nullptr;
        PoscompRadioGroup* PoscompMsb = nullptr;
        PoscompRadioGroup* PoscompLsb = nullptr;
        QPushButton* Delete = nullptr;
        QPushButton* New = nullptr;
        QPushButton* Modify = nullptr;
        QPushButton* Copy = nullptr;
        QPushButton* Paste = nullptr;
    };

    QWidget* buildTab(PdoTab tab);
    void connectTab(TabControls& c);
    PdoTab tabOf(QObject* control) const;
    TabControls& controls(PdoTab tab) { return tab == PdoTab::CanA ? m_tabA : m_tabB; }
    StoredPdoCopyBuffer& copyBuffer(PdoTab tab) { return tab == PdoTab::CanA ? m_copyA : m_copyB; }
    void clearEntryControls(TabControls& c);
    void selectPdo(PdoTab tab);
    void selectSdo(PdoTab tab);
    TClSdo typedEntry(TabControls& c) const;
    void showOutcome(const EditOutcome& outcome);
    void fillPdoList(PdoTab tab);
    void listSelected(QListWidget* list);

    AppContext& m_context;
    StoredPdoTable m_table;
    bool m_readWhole = true;     // this showing read sdopdo.xml whole (or found none)
    StoredPdoCopyBuffer m_copyA; // kept across showings
    StoredPdoCopyBuffer m_copyB;
    TabControls m_tabA;
    TabControls m_tabB;
    QTabWidget* m_notebook = nullptr;
    bool m_mouseDown = false;
    QListWidget* m_pendingSelection = nullptr; // selected by a press whose click is still to come
};

} // namespace velmaro
