// The channel list's table model: row numbers, cell texts and column headers.
#include "shell/ChannelListModel.h"

#include "database/ChannelCells.h"

ChannelListModel::ChannelListModel(QObject *parent) : QAbstractTableModel(parent) {}

int ChannelListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ChannelListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ChannelListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= int(m_columns.size()))
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    if (index.column() == 0)
        return QString::fromStdString(IndexCellText(index.row() + 1));
    const std::vector<std::string> &cells = m_rows[size_t(index.row())].cells;
    const size_t cell = size_t(index.column() - 1);
    if (cell >= cells.size())
        return QString();
    return QString::fromUtf8(cells[cell].data(), qsizetype(cells[cell].size()));
}

QVariant ChannelListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < int(m_rows.size()))
            return section + 1;
        return {};
    }
    if (section < 0 || section >= int(m_columns.size()))
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[size_t(section)].header;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

void ChannelListModel::SetColumns(std::vector<ListColumn> columns)
{
    beginResetModel();
    m_rows.clear();
    m_columns = std::move(columns);
    endResetModel();
}

void ChannelListModel::Clear()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void ChannelListModel::SetRows(std::vector<ChannelRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void ChannelListModel::SetCells(int row, std::vector<std::string> cells)
{
    if (row < 0 || row >= int(m_rows.size()))
        return;
    m_rows[size_t(row)].cells = std::move(cells);
    if (!m_columns.empty())
        Q_EMIT dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1), {Qt::DisplayRole});
}

const RowRecord *ChannelListModel::Record(int row) const
{
    if (row < 0 || row >= int(m_rows.size()) || !m_rows[size_t(row)].record)
        return nullptr;
    return &*m_rows[size_t(row)].record;
}

const std::vector<std::string> *ChannelListModel::Cells(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return nullptr;
    return &m_rows[size_t(row)].cells;
}
