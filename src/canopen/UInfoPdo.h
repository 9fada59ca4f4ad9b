#pragma once

#include "canopen/StoredPdoDocument.h"
#include "canopen/TableEditorActions.h"
#include "widgets/AppContext.h"
#include "widgets/FormDialog.h"

#include <QGroupBox>

#include <functional>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace velmaro {

template <typename State>
class SnapshotHistory;

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
class TFInfopdo : public FormDialog
{
    Q_OBJECT
public:
    explicit TFInfopdo(AppContext& context, QWidget* parent = nullptr);

    const StoredPdoTable& table() const { return m_table; }

    // Handlers; each serves both tabs and acts on the side its control was connected with.
    void FormShow() override;
    void LPdoCanAClick(Side tab);
    void LSdoCanAClick(Side tab);
    void NewAClick(Side tab);
    void ModifyAClick(Side tab);
    void DeleteAClick(Side tab);
    void CopyAClick(Side tab);
    void PasteAClick(Side tab);
    void BitBtn1Click();
    void Button1Click();
    void BitBtn4Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls of one tab: tab "CanA" shows side A, tab "CanB" side B.
    struct Page
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

    QWidget* buildTab(Side tab);
    void connectTab(Side tab);
    Page& page(Side tab) { return m_pages[tab]; }
    void clearEntryControls(Page& c);
    void selectPdo(Side tab);
    void selectSdo(Side tab);
    TClSdo typedEntry(const Page& c) const;
    // Shows an entry in the tab's edits and radio groups; a position composition that is not an
    // integer is reported and leaves the groups as they were.
    void showEntry(Page& c, const TClSdo& entry);
    void fillPdoList(Side tab);
    // The import's empty step: the entry lists and entry controls emptied, no PDO selected.
    void clearEntriesForImport();
    // Shows a table as a load does; an undo or redo keeps the PDO in view when its list still has it.
    void showTable(const StoredPdoTable& table);

    AppContext& m_context;
    StoredPdoTable m_table;
    // The showing's load, OK, Import and Export of sdopdo.xml.
    TableEditorActions<StoredPdoDocument> m_actions{m_context, m_table};
    Sides<StoredPdoCopyBuffer> m_copyBuffers; // kept across showings
    Sides<Page> m_pages;
    QTabWidget* m_notebook = nullptr;
    bool m_mouseDown = false;
    std::function<void()> m_pendingSelection; // of a press whose click is still to come
    // Made at the first showing.
    SnapshotHistory<StoredPdoTable>* m_history = nullptr;
};

} // namespace velmaro
