// The channel list's table model: row numbers, cells read on demand and column headers.
#include "views/ChannelListModel.h"

#include "database/ChannelCells.h"
#include "views/ProgramSlotsMime.h"

#include <QMimeData>

#include <algorithm>

ChannelListModel::ChannelListModel(const CChannelDb &db, QObject *parent) : QAbstractTableModel(parent), m_db(db) {}

int ChannelListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ChannelListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

const std::vector<std::string> *ChannelListModel::RowCells(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return nullptr;
    const ChannelRow &entry = m_rows[size_t(row)];
    if (entry.fixedCells)
        return &*entry.fixedCells;
    if (m_cachedRow != row) {
        m_cachedCells = ReadChannelCells(m_db, m_fields, entry.slot).cells;
        m_cachedRow = row;
    }
    return &m_cachedCells;
}

Qt::ItemFlags ChannelListModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && Record(index.row()))
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList ChannelListModel::mimeTypes() const
{
    return {ProgramSlotsMime::Format()};
}

QMimeData *ChannelListModel::mimeData(const QModelIndexList &indexes) const
{
    std::vector<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && Record(index.row()))
            rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty())
        return nullptr;
    std::vector<int32_t> slots;
    for (int row : rows)
        slots.push_back(m_rows[size_t(row)].slot);
    return ProgramSlotsMime::Encode(slots).release();
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
    const std::vector<std::string> *cells = RowCells(index.row());
    const size_t cell = size_t(index.column() - 1);
    if (!cells || cell >= cells->size())
        return QString();
    return QString::fromUtf8((*cells)[cell].data(), qsizetype((*cells)[cell].size()));
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

void ChannelListModel::SetColumns(std::vector<ListColumn> columns, std::vector<ListFieldColumn> fields)
{
    beginResetModel();
    m_rows.clear();
    m_columns = std::move(columns);
    m_fields = std::move(fields);
    m_cachedRow = -1;
    endResetModel();
}

void ChannelListModel::Clear()
{
    m_cachedRow = -1;
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
    m_cachedRow = -1;
    endResetModel();
}

void ChannelListModel::CellsChanged()
{
    m_cachedRow = -1;
    if (!m_rows.empty() && !m_columns.empty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, int(m_columns.size()) - 1), {Qt::DisplayRole});
}

const RowRecord *ChannelListModel::Record(int row) const
{
    if (row < 0 || row >= int(m_rows.size()) || !m_rows[size_t(row)].record)
        return nullptr;
    return &*m_rows[size_t(row)].record;
}

std::optional<std::vector<std::string>> ChannelListModel::Cells(int row) const
{
    const std::vector<std::string> *cells = RowCells(row);
    if (!cells)
        return std::nullopt;
    return *cells;
}
