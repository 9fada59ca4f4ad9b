#pragma once

#include "mapping/MappingDocument.h"
#include "platform/FileFingerprint.h"
#include "widgets/AppContext.h"
#include "widgets/FormDialog.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace velmaro {

class ByteMapView;
class MappingGridModel;
class MappingGridView;
class TFTestMapping;
template <typename State>
class SnapshotHistory;

// Editor of the two serial / PROFIBUS mapping tables kept in sdo.xml.
class TFSetVar : public FormDialog
{
    Q_OBJECT
public:
    explicit TFSetVar(AppContext& context, QWidget* parent = nullptr);

    QTabWidget* PageControl1 = nullptr;
    MappingGridView* sga = nullptr;
    MappingGridView* sgb = nullptr;
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;
    // The PROFIBUS byte map under each grid, its findings line and its Pack button (A: input, B: output).
    ByteMapView* bmA = nullptr;
    ByteMapView* bmB = nullptr;
    QLabel* LMapA = nullptr;
    QLabel* LMapB = nullptr;
    QPushButton* btnPackA = nullptr;
    QPushButton* btnPackB = nullptr;
    // "Test...": opens the "Test Mapping" window on the tables as shown.
    QPushButton* btnTest = nullptr;
    TFTestMapping* FTestMapping = nullptr;

    // Highest PROFIBUS address accepted in each table, set at every showing.
    qint32 InLimit = 244;
    qint32 OutLimit = 244;

    void FormShow() override;
    void bitbtn1Click();
    void btnTestClick();
    // Recomputes both byte maps from the grids; runs after every cell edit and reload.
    void RefreshByteMaps();
    // Asks, then rewrites Address ProfiBUS of the table's rows in use to follow each other from 0.
    void btnPackClick(MappingSide side);

private:
    QWidget* makePage(MappingSide side, MappingGridView* grid);
    void selectRow(MappingSide side, int row);
    MappingTables shownTables() const;
    // Shows the tables, as loaded or as an undo or redo restores them.
    void showTables(const MappingTables& tables);
    // Brings the page and the cells an undo or redo changed into view, selected.
    void showChanges(const MappingTables& before, const MappingTables& after);

    AppContext& m_context;
    MappingGridModel* m_modelA = nullptr;
    MappingGridModel* m_modelB = nullptr;
    bool m_readWhole = true;         // this showing read the whole document, or there was none
    FileFingerprint m_fileAtShowing; // the document before this showing read it
    QScrollArea* m_mapAreaA = nullptr;
    QScrollArea* m_mapAreaB = nullptr;
    bool m_packing = false; // Pack writes many cells: one refresh at its end
    // Undo and redo of this showing's edits: a cell edit, a paste, a Delete or a Pack is one step.
    SnapshotHistory<MappingTables>* m_history = nullptr;
};

} // namespace velmaro
