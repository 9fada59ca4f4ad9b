#pragma once

#include "canopen/EmcyDocument.h"
#include "canopen/TableEditorActions.h"
#include "widgets/AppContext.h"
#include "widgets/FormDialog.h"

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace velmaro {

template <typename State>
class SnapshotHistory;

// "Set Traslate EMCY": the EMCY translation table of the project, one page per CAN side. Both pages
// share their handlers; each page's list and buttons pass their side when connected.
class TFemcy : public FormDialog
{
    Q_OBJECT
public:
    explicit TFemcy(AppContext& context, QWidget* parent = nullptr);

    const EmcyTable& table() const { return m_table; }

    QTabWidget* TabbedNotebook1 = nullptr;
    QPushButton* LbButton1 = nullptr;
    QPushButton* bitbtn2 = nullptr;
    QPushButton* button1 = nullptr;
    QPushButton* bitbtn4 = nullptr;

    void FormShow() override;
    void ClearEmcyEditor();
    void LBCanAClick(Side side);
    void NewAClick(Side side);
    void ModifyAClick(Side side);
    void DeleteAClick(Side side);
    void BitBtn1Click();
    void BitBtn4Click();
    void Button1Click();

private:
    // The controls of one page, edits and labels in attribute order, option buttons by code.
    struct Page
    {
        QListWidget* list = nullptr;
        std::array<QLineEdit*, EmcyTextFieldCount> edits{};
        std::array<QLabel*, EmcyTextFieldCount> labels{};
        QCheckBox* enable = nullptr;
        QGroupBox* group = nullptr;
        std::array<QRadioButton*, EmcyAliasCount> options{};
        QPushButton* deleteButton = nullptr;
        QPushButton* newButton = nullptr;
        QPushButton* modifyButton = nullptr;
    };

    QWidget* buildPage(Side side);
    Page& page(Side side) { return m_pages[side]; }
    const Page& page(Side side) const { return m_pages[side]; }
    void takeSelection(Side side);
    void refreshList(Side side);
    void showSelected(Side side);
    void showMessages(const QStringList& messages);
    EmcyControls readControls(Side side) const;
    void showFirstLines();
    // After New, Modify or Delete on a page: what the table said, then the page's list as it is now.
    void showEdit(Side side, const EditOutcome& outcome);
    // The lists after a load or an import: the first lines selected when it read everything.
    void showLists(bool readWhole);
    // Shows a table as a load does; an undo or redo leaves nothing selected.
    void showTable(const EmcyTable& table);

    AppContext& m_context;
    EmcyTable m_table;
    // The showing's load, OK, Import and Export of emcydef.xml.
    TableEditorActions<EmcyDocument> m_actions{m_context, m_table};
    Sides<Page> m_pages;
    SnapshotHistory<EmcyTable>* m_history = nullptr; // made at the first showing
};

} // namespace velmaro
