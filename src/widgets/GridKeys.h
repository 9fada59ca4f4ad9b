#pragma once

#include "base/Result.h"

#include <QAbstractItemView>
#include <QObject>
#include <QString>

#include <functional>

class QTableView;
class QModelIndex;
class QWidget;

namespace velmaro {

class IMessageBoxes;

// A grid that can end an edit in progress, so that the typed text counts before the grid is read.
template <class View>
class CommittingGrid : public View
{
public:
    using View::View;
    void commitOpenEditor()
    {
        if (this->state() != QAbstractItemView::EditingState)
            return;
        if (QWidget* editor = this->indexWidget(this->currentIndex())) {
            this->commitData(editor);
            this->closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
};

// What a grid stores for a text given to one cell by a paste or a Delete: the text to store, or the
// reason the cell refuses it. The same rule the cell's own editor applies to a typed value.
using GridCellRule = std::function<Result<QString>(const QModelIndex& cell, const QString& text)>;

// The keys and the clipboard of a spreadsheet for one grid:
// - Ctrl+Tab and Ctrl+Shift+Tab move the focus to the next or previous control of the window, also
//   from an open cell editor (Tab alone still moves from cell to cell);
// - Copy puts the selected rectangle on the clipboard as tab-separated text;
// - Paste writes tab-separated text into the cells from the selection's top-left cell (a single value
//   fills every selected cell), without opening a cell editor; every cell goes through `rule` first,
//   and one refusal, or a block running off the grid, changes nothing and is shown in an error box;
// - Delete empties the selected cells, through the same rule.
// Only editable cells are written. The grid keeps a rectangular selection.
class GridKeys : public QObject
{
    Q_OBJECT
public:
    GridKeys(QTableView* grid, IMessageBoxes& messages, GridCellRule rule = {});

    void copy();
    void paste();
    void clearSelected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Writes `values` (row by row) to the cells; false, with the reason shown, when any cell refuses.
    bool write(const QList<QModelIndex>& cells, const QStringList& values);

    QTableView* m_grid;
    IMessageBoxes& m_messages;
    GridCellRule m_rule;
};

// Moves the focus from `from` (and whatever inside it has the focus) to the next or previous control of
// its window that takes the focus by Tab, as Tab does between ordinary controls.
void MoveFocusOutOf(QWidget* from, bool forward);

} // namespace velmaro
