#include "widgets/GridKeys.h"

#include "base/TabSeparated.h"
#include "platform/Dialogs.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QShortcut>
#include <QTableView>

#include <algorithm>

namespace velmaro {

namespace {

bool editable(const QModelIndex& cell)
{
    return cell.isValid() && (cell.flags() & Qt::ItemIsEditable);
}

// The cells a key acts on: the selection, or the current cell when nothing is selected.
QList<QModelIndex> targetCells(const QTableView& grid)
{
    QList<QModelIndex> cells = grid.selectionModel()->selectedIndexes();
    if (cells.isEmpty() && grid.currentIndex().isValid())
        cells << grid.currentIndex();
    std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    return cells;
}

// The row as the user counts it (hidden rows left out) and the column's heading.
QString describeCell(const QTableView& grid, const QModelIndex& cell)
{
    int row = 0;
    for (int r = 0; r <= cell.row(); ++r)
        row += grid.isRowHidden(r) ? 0 : 1;
    const QString heading = grid.model()->headerData(cell.column(), Qt::Horizontal).toString();
    return QStringLiteral("row %1, column \"%2\"").arg(QString::number(row), heading);
}

// The next row or column from `from` on that the grid shows, or -1 past the end.
int nextShown(int from, int count, const std::function<bool(int)>& hidden)
{
    for (int i = from; i < count; ++i) {
        if (!hidden(i))
            return i;
    }
    return -1;
}

} // namespace

GridKeys::GridKeys(QTableView* grid, IMessageBoxes& messages, GridCellRule rule)
    : QObject(grid), m_grid(grid), m_messages(messages), m_rule(std::move(rule))
{
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->installEventFilter(this);
    // Shortcuts, so that they work from an open cell editor too, whose Tab handling would keep the
    // focus in the grid.
    const struct
    {
        QKeySequence keys;
        bool forward;
    } leave[] = {{QKeySequence(Qt::CTRL | Qt::Key_Tab), true},
                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), false}};
    for (const auto& l : leave) {
        auto* shortcut = new QShortcut(l.keys, m_grid);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        const bool forward = l.forward;
        connect(shortcut, &QShortcut::activated, this, [this, forward] { MoveFocusOutOf(m_grid, forward); });
    }
}

bool GridKeys::eventFilter(QObject* watched, QEvent* event)
{
    // An open cell editor takes these keys for its own text; only what it leaves reaches the grid.
    if (watched != m_grid || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy)) {
        copy();
        return true;
    }
    if (key->matches(QKeySequence::Paste)) {
        paste();
        return true;
    }
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
        clearSelected();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void GridKeys::copy()
{
    const QList<QModelIndex> cells = targetCells(*m_grid);
    if (cells.isEmpty())
        return;
    int top = cells.first().row(), bottom = top, left = cells.first().column(), right = left;
    for (const QModelIndex& c : cells) {
        top = std::min(top, c.row());
        bottom = std::max(bottom, c.row());
        left = std::min(left, c.column());
        right = std::max(right, c.column());
    }
    QList<QStringList> block;
    for (int r = top; r <= bottom; ++r) {
        if (m_grid->isRowHidden(r))
            continue;
        QStringList row;
        for (int c = left; c <= right; ++c) {
            if (m_grid->isColumnHidden(c))
                continue;
            const QModelIndex cell = m_grid->model()->index(r, c);
            row << (cells.contains(cell) ? cell.data(Qt::DisplayRole).toString() : QString());
        }
        block << row;
    }
    QGuiApplication::clipboard()->setText(ToTabSeparated(block));
}

void GridKeys::paste()
{
    const QList<QStringList> block = FromTabSeparated(QGuiApplication::clipboard()->text());
    const QList<QModelIndex> selected = targetCells(*m_grid);
    if (block.isEmpty() || selected.isEmpty())
        return;
    QList<QModelIndex> cells;
    QStringList values;
    if (block.size() == 1 && block.first().size() == 1 && selected.size() > 1) {
        // One value fills every selected cell.
        for (const QModelIndex& c : selected) {
            cells << c;
            values << block.first().first();
        }
    } else {
        const QAbstractItemModel* model = m_grid->model();
        const QModelIndex anchor = selected.first();
        const auto rowHidden = [this](int r) { return m_grid->isRowHidden(r); };
        const auto columnHidden = [this](int c) { return m_grid->isColumnHidden(c); };
        int r = anchor.row() - 1;
        for (const QStringList& line : block) {
            r = nextShown(r + 1, model->rowCount(), rowHidden);
            int c = anchor.column() - 1;
            for (const QString& value : line) {
                c = r < 0 ? -1 : nextShown(c + 1, model->columnCount(), columnHidden);
                if (c < 0) {
                    m_messages.showError(
                        QStringLiteral("Nothing was pasted: the %1 x %2 block (rows x columns) does not fit "
                                       "in the grid from %3.")
                            .arg(QString::number(block.size()), QString::number(line.size()),
                                 describeCell(*m_grid, anchor)));
                    return;
                }
                cells << model->index(r, c);
                values << value;
            }
        }
    }
    if (write(cells, values)) {
        QItemSelection pasted;
        for (const QModelIndex& c : cells)
            pasted.select(c, c);
        m_grid->selectionModel()->select(pasted, QItemSelectionModel::ClearAndSelect);
    }
}

void GridKeys::clearSelected()
{
    QList<QModelIndex> cells;
    for (const QModelIndex& c : targetCells(*m_grid)) {
        if (editable(c))
            cells << c;
    }
    write(cells, QStringList(cells.size(), QString()));
}

bool GridKeys::write(const QList<QModelIndex>& cells, const QStringList& values)
{
    // Every cell is checked before any is written, so a refusal leaves the grid as it was.
    QStringList accepted;
    for (int i = 0; i < cells.size(); ++i) {
        if (!editable(cells[i])) {
            m_messages.showError(QStringLiteral("Nothing was changed: the cell at %1 cannot be edited.")
                                     .arg(describeCell(*m_grid, cells[i])));
            return false;
        }
        const Result<QString> value = m_rule ? m_rule(cells[i], values[i]) : Result<QString>(values[i]);
        if (!value.ok()) {
            m_messages.showError(QStringLiteral("Nothing was changed: %1: %2")
                                     .arg(describeCell(*m_grid, cells[i]), value.error()));
            return false;
        }
        accepted << value.value();
    }
    for (int i = 0; i < cells.size(); ++i)
        m_grid->model()->setData(cells[i], accepted[i], Qt::EditRole);
    return true;
}

void MoveFocusOutOf(QWidget* from, bool forward)
{
    QWidget* const window = from->window();
    for (QWidget* w = forward ? from->nextInFocusChain() : from->previousInFocusChain(); w && w != from;
         w = forward ? w->nextInFocusChain() : w->previousInFocusChain()) {
        if (from->isAncestorOf(w) || w->window() != window || !w->isVisibleTo(window) || !w->isEnabled()
            || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return;
    }
}

} // namespace velmaro
