#pragma once

#include "canopen/EmcyWordDocument.h"
#include "canopen/TableEditorActions.h"
#include "widgets/AppContext.h"
#include "widgets/FormDialog.h"

#include <QList>
#include <QPixmap>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmaro {

template <typename State>
class SnapshotHistory;

// "Define EMCY Word": the EMCY words of both buses as two trees of word and bit nodes.
class TFWemcy : public FormDialog
{
    Q_OBJECT
public:
    explicit TFWemcy(AppContext& context, QWidget* parent = nullptr);

    QTabWidget* TabbedNotebook1 = nullptr;
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;
    QPushButton* button1 = nullptr;
    QPushButton* bitbtn4 = nullptr;
    // The six 16 x 16 node images (0 word, 1 selected word, 2 bit, 3 selected bit).
    QList<QPixmap> Large;

    const EmcyWordTable& table() const { return m_table; }

    void FormShow() override;
    void ClearWordEditor();
    int SelectedNodeIndex(Side side) const;
    void ShowWordNode(int position, Side side);
    void ModifyWordNode(int position, Side side);
    void newBClick(Side side);
    void modifyBClick(Side side);
    void deleteBClick(Side side);
    void TWCanAChange(Side side);
    void BitBtn1Click();
    void BitBtn4Click();
    void Button1Click();

private:
    // The controls of one page: page "CanA" shows side A, page "CanB" side B.
    struct Page
    {
        QTreeWidget* tree = nullptr;
        QGroupBox* wordGroup = nullptr;
        QGroupBox* bitGroup = nullptr;
        QLineEdit* index = nullptr;
        QLineEdit* subindex = nullptr;
        QLineEdit* devid = nullptr;
        QLineEdit* b0 = nullptr;
        QLineEdit* b1 = nullptr;
        QLineEdit* pos1 = nullptr;
        QLineEdit* pos2 = nullptr;
        QPushButton* deleteButton = nullptr;
        QPushButton* newButton = nullptr;
        QPushButton* modifyButton = nullptr;
    };
    Page& page(Side side) { return m_pages[side]; }
    const Page& page(Side side) const { return m_pages[side]; }

    void FormCreate();
    QWidget* buildPage(Side side);
    void AddWordNodes(Side side, const QString& number);
    void rebuildTrees();

    AppContext& m_context;
    EmcyWordTable m_table;
    // The showing's load, OK, Import and Export of emcyword.xml.
    TableEditorActions<EmcyWordDocument> m_actions{m_context, m_table};
    bool m_filling = false;
    Sides<Page> m_pages;
    SnapshotHistory<EmcyWordTable>* m_history = nullptr; // made at the first showing
};

} // namespace velmaro
