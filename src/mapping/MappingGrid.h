#pragma once

#include "base/Result.h"
#include "mapping/MappingDocument.h"
#include "widgets/GridKeys.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

namespace velmaro {

// The cells of one mapping grid: the fixed row number in column 0, then one text column per
// attribute. Always MappingRowCount rows.
class MappingGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    MappingGridModel(QStringList headers, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Empties every cell, then fills rows from the top; rows beyond the grid are ignored.
    void setRows(const QList<MappingRow>& rows);
    // All rows of the grid, cells in attribute order.
    QList<MappingRow> rows() const;

private:
    QStringList m_headers;
    QList<MappingRow> m_cells; // MappingRowCount rows of (columns - 1) texts
};

// What the Type column takes from a paste or a Delete, as its list offers when typing: one of the two
// register kinds (in any letter case, stored as the list writes it) or nothing.
Result<QString> RegisterTypeText(const QString& text);

// Edits the Type column with a choice of the two register kinds.
class RegisterTypeDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};

// The view of one mapping table.
class MappingGridView : public CommittingGrid<QTableView>
{
    Q_OBJECT
public:
    using CommittingGrid::CommittingGrid;
};

} // namespace velmaro
