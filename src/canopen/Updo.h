#pragma once

#include "canopen/PdoDocument.h"
#include "canopen/TableEditorActions.h"
#include "widgets/AppContext.h"
#include "widgets/FormDialog.h"
#include "widgets/GridKeys.h"

#include <QTableWidget>

class QPushButton;
class QTabWidget;

namespace velmaro {

template <typename State>
class SnapshotHistory;

// One side's grid: 6 columns (1 fixed), 11 rows, row 0 the heading row whose cells hold the
// attribute names while the headings shown are the header above them.
class PdoGrid : public CommittingGrid<QTableWidget>
{
    Q_OBJECT
public:
    explicit PdoGrid(QWidget* parent = nullptr);
    // Sets the size, the heading row and the row numbers, and empties every record cell.
    void prepare();
    // Shows grid rows 1 to 10 from the side's first ten rows.
    void showRows(const QList<QStringList>& side);
    // Copies the cells of rows 1 to 10 into the side's first ten rows (rows beyond stay).
    void readRows(QList<QStringList>& side);
    QString cellText(int row, int column) const;

Q_SIGNALS:
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// Editor of the PDO translation table (rpdodef.xml): one tab per direction.
class TFpdo : public FormDialog
{
    Q_OBJECT
public:
    explicit TFpdo(AppContext& context, QWidget* parent = nullptr);

    QTabWidget* TabbedNotebook1 = nullptr;
    PdoGrid* sga = nullptr;         // "PDO From CanA to CanB"
    PdoGrid* sgb = nullptr;         // "PDO From CanB to CanA"
    QPushButton* bitbtn1 = nullptr; // OK
    QPushButton* bitbtn2 = nullptr; // Cancel
    QPushButton* button1 = nullptr; // Export
    QPushButton* bitbtn4 = nullptr; // Import

    void FormShow() override;
    void FormResize();
    void BitBtn1Click();
    void BitBtn4Click();
    void Button1Click();

    // The whole in-memory table, records beyond the tenth included.
    const PdoTable& table() const { return m_table; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The controls of one tab: grid sga shows side A, grid sgb side B.
    struct Page
    {
        PdoGrid* grid = nullptr;
    };
    Page& page(Side side) { return m_pages[side]; }

    void readGrids();
    void showGrids();
    // The table with the grids' cells over its first rows, as OK would save it.
    PdoTable shownTable() const;

    AppContext& m_context;
    PdoTable m_table;
    int m_sharedFromWidth = -1; // the grid width the column widths were last shared from
    // The showing's load, OK, Import and Export of rpdodef.xml.
    TableEditorActions<PdoDocument> m_actions{m_context, m_table};
    Sides<Page> m_pages;
    SnapshotHistory<PdoTable>* m_history = nullptr; // made at the first showing
};

} // namespace velmaro
