#pragma once

#include "canopen/EmcyTable.h"
#include "widgets/AppContext.h"

#include <QDialog>

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

// "Set Traslate EMCY": the EMCY translation table of the project, one page per CAN side. Both pages
// share their handlers; a handler finds its page from the control that raised the event.
class TFemcy : public QDialog
{
    Q_OBJECT
public:
    explicit TFemcy(AppContext& context, QWidget* parent = nullptr);

    const EmcyTable& table() const { return m_table; }

    QTabWidget* TabbedNotebook1 = nullptr;
    QListWidget* LBCanA = nullptr;
    QListWidget* LBCanB = nullptr;
    QCheckBox* enablea = nullptr;
    QCheckBox* enableb = nullptr;
    QPushButton* DeleteA = nullptr;
    QPushButton* NewA = nullptr;
    QPushButton* ModifyA = nullptr;
    QPushButton* DeleteB = nullptr;
    QPushButton* NewB = nullptr;
    QPushButton* ModifyB = nullptr;
    QWidget* PanelBColor1 = nullptr;
    QPushButton* LbButton1 = nullptr;
    QPushButton* bitbtn2 = nullptr;
    QPushButton* button1 = nullptr;
    QPushButton* bitbtn4 = nullptr;

    void FormShow();
    void ClearEmcyEditor();
    void LBCanAClick(QObject* sender);
    void NewAClick(QObject* sender);
    void ModifyAClick(QObject* sender);
    void DeleteAClick(QObject* sender);
    void BitBtn1Click();
    void BitBtn4Click();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

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

    QWidget* buildPage(int side);
    int sideOf(QObject* sender) const;
    void takeSelection(int side);
    void refreshList(int side);
    void showSelected(int side);
    void showMessages(const QStringList& messages);
    EmcyControls readControls(int side) const;
    void showFirstLines();
    // New and Modify: the page's controls applied to its table by `edit`, its messages shown.
    using EmcyEdit = bool (*)(EmcyTable&, int, const EmcyControls&, QStringList&);
    void applyControls(QObject* sender, EmcyEdit edit);

    AppContext& m_context;
    EmcyTable m_table;
    bool m_readWhole = true; // this showing read emcydef.xml whole (or found none)
    std::array<Page, EmcySideCount> m_pages;
};

} // namespace velmaro
