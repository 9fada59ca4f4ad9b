#include "mapping/MappingGrid.h"

#include <QComboBox>
#include <QPalette>
#include <QTimer>

namespace velmaro {

MappingGridModel::MappingGridModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers))
{
    setRows({});
}

int MappingGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : MappingRowCount;
}

int MappingGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant MappingGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (index.column() == 0) {
        if (role == Qt::DisplayRole)
            return QString::number(index.row() + 1);
        if (role == Qt::BackgroundRole)
            return QPalette().button();
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_cells.at(index.row()).at(index.column() - 1);
    return {};
}

bool MappingGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() == 0 || role != Qt::EditRole)
        return false;
    QString& cell = m_cells[index.row()][index.column() - 1];
    const QString text = value.toString();
    if (cell != text) {
        cell = text;
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    }
    return true;
}

Qt::ItemFlags MappingGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant MappingGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < m_headers.size())
        return m_headers.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void MappingGridModel::setRows(const QList<MappingRow>& rows)
{
    // One reset instead of a signal per cell keeps a reload of the whole grid instant.
    beginResetModel();
    const int width = int(m_headers.size()) - 1;
    const MappingRow empty(width);
    m_cells = QList<MappingRow>(MappingRowCount, empty);
    for (int r = 0; r < rows.size() && r < MappingRowCount; ++r) {
        for (int c = 0; c < width && c < rows[r].size(); ++c)
            m_cells[r][c] = rows[r][c];
    }
    endResetModel();
}

QList<MappingRow> MappingGridModel::rows() const
{
    return m_cells;
}

namespace {

const QStringList& registerTypes()
{
    static const QStringList types = {QStringLiteral("Holding Register"), QStringLiteral("Input Register")};
    return types;
}

} // namespace

Result<QString> RegisterTypeText(const QString& text)
{
    if (text.isEmpty())
        return text;
    for (const QString& type : registerTypes()) {
        if (text.compare(type, Qt::CaseInsensitive) == 0)
            return type;
    }
    return Result<QString>::failure(QStringLiteral("the Type is \"%1\" or \"%2\", not \"%3\"")
                                        .arg(registerTypes().at(0), registerTypes().at(1), text));
}

QWidget* RegisterTypeDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                            const QModelIndex&) const
{
    auto* combo = new QComboBox(parent);
    combo->addItems(registerTypes());
    // A choice is taken at once, like a drop-down list in a grid cell.
    connect(combo, &QComboBox::activated, this, [this, combo](int) {
        auto* self = const_cast<RegisterTypeDelegate*>(this);
        Q_EMIT self->commitData(combo);
        Q_EMIT self->closeEditor(combo);
    });
    // The list opens with the editor, so one click on the cell reaches the choice.
    QTimer::singleShot(0, combo, [combo] { combo->showPopup(); });
    return combo;
}

void RegisterTypeDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* combo = static_cast<QComboBox*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    int position = combo->findText(text, Qt::MatchExactly);
    if (position < 0 && !text.isEmpty()) {
        // A text read from the document that is neither kind stays until another is chosen.
        combo->addItem(text);
        position = combo->count() - 1;
    }
    combo->setCurrentIndex(position);
}

void RegisterTypeDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                        const QModelIndex& index) const
{
    auto* combo = static_cast<QComboBox*>(editor);
    if (combo->currentIndex() >= 0)
        model->setData(index, combo->currentText(), Qt::EditRole);
}

} // namespace velmaro
