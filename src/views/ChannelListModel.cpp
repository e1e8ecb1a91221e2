// The channel list's table model: row numbers, cells read on demand and column headers.
#include "views/ChannelListModel.h"

#include "database/ChannelCells.h"
#include "database/ChannelOrder.h"
#include "views/ProgramSlotsMime.h"

#include <QHash>
#include <QMimeData>

#include <algorithm>

ChannelListModel::ChannelListModel(const CChannelDb &db, QObject *parent) : QAbstractTableModel(parent), m_db(db) {}

int ChannelListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

namespace {

constexpr int kPlaceColumnCount = 2;

}

int ChannelListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_columns.empty() ? 0 : int(m_columns.size()) + kPlaceColumnCount;
}

int ChannelListModel::ColumnOf(PlaceColumn place) const
{
    return m_columns.empty() ? -1 : int(m_columns.size()) + int(place);
}

std::optional<PlaceColumn> ChannelListModel::PlaceOfColumn(int column) const
{
    const int place = column - int(m_columns.size());
    if (m_columns.empty() || place < 0 || place >= kPlaceColumnCount)
        return std::nullopt;
    return PlaceColumn(place);
}

std::string ChannelListModel::PlaceText(PlaceColumn place, int listRow) const
{
    if (listRow < 0 || listRow >= int(m_rows.size()) || !m_rows[size_t(listRow)].record)
        return {};
    if (!m_places)
        m_places = std::make_unique<ProgramPlaces>(m_db);
    const int slot = m_rows[size_t(listRow)].slot;
    return place == PlaceColumn::Satellite ? m_places->SatelliteOf(slot) : m_places->TransponderOf(slot);
}

void ChannelListModel::PlacesChanged()
{
    m_places.reset();
    if (PlaceOfColumn(m_sortColumn)) {
        std::vector<int> shown = ShownRows();
        if (shown != m_shown) {
            SetShown(std::move(shown));
            return;
        }
    }
    if (!m_shown.empty() && !m_columns.empty())
        Q_EMIT dataChanged(index(0, ColumnOf(PlaceColumn::Satellite)),
                           index(int(m_shown.size()) - 1, ColumnOf(PlaceColumn::Transponder)), {Qt::DisplayRole});
}

const std::vector<std::string> *ChannelListModel::RowCells(int row) const
{
    const ChannelRow *shown = Row(row);
    if (!shown)
        return nullptr;
    const ChannelRow &entry = *shown;
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
    // Only the list itself takes drops, so the table shows a line between rows, never a row
    // highlighted as a target.
    if (!index.isValid() && DropAllowed())
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

Qt::DropActions ChannelListModel::supportedDragActions() const
{
    // Copy for the tree's favourite groups, Move within the list.
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions ChannelListModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

std::optional<std::vector<int>> ChannelListModel::DroppedRows(const QMimeData *data) const
{
    const std::optional<std::vector<int32_t>> slots = ProgramSlotsMime::Decode(data);
    if (!slots)
        return std::nullopt;
    std::vector<int> listRows;
    listRows.reserve(slots->size());
    // Rows are in the program table's order; a slot's row is found by its value.
    std::vector<std::pair<int32_t, int>> rowOfSlot;
    rowOfSlot.reserve(m_rows.size());
    for (int row = 0; row < int(m_rows.size()); ++row) {
        if (m_rows[size_t(row)].record && m_rows[size_t(row)].slot >= 0)
            rowOfSlot.emplace_back(m_rows[size_t(row)].slot, row);
    }
    std::sort(rowOfSlot.begin(), rowOfSlot.end());
    for (int32_t slot : *slots) {
        const auto found = std::lower_bound(rowOfSlot.begin(), rowOfSlot.end(), std::make_pair(slot, -1));
        if (found == rowOfSlot.end() || found->first != slot)
            return std::nullopt;
        listRows.push_back(found->second);
    }
    std::sort(listRows.begin(), listRows.end());
    listRows.erase(std::unique(listRows.begin(), listRows.end()), listRows.end());
    return listRows;
}

std::optional<std::vector<int>> ChannelListModel::TakenDrop(const QMimeData *data, Qt::DropAction action) const
{
    if (action != Qt::MoveAction || !DropAllowed() || !m_dropHandler)
        return std::nullopt;
    return DroppedRows(data);
}

bool ChannelListModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int, int,
                                       const QModelIndex &) const
{
    return TakenDrop(data, action).has_value();
}

bool ChannelListModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int,
                                    const QModelIndex &parent)
{
    const std::optional<std::vector<int>> listRows = TakenDrop(data, action);
    if (!listRows)
        return false;
    // Dropped on a row: before it; between rows: at `row`; below the last row: at the end.
    int before = parent.isValid() ? parent.row() : row;
    if (before < 0 || before > int(m_rows.size()))
        before = int(m_rows.size());
    return m_dropHandler(*listRows, before);
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
        slots.push_back(Row(row)->slot);
    return ProgramSlotsMime::Encode(slots).release();
}

QVariant ChannelListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_shown.size()) || index.column() >= columnCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    if (index.column() == 0)
        return QString::fromStdString(IndexCellText(ListRow(index.row()) + 1));
    if (const std::optional<PlaceColumn> place = PlaceOfColumn(index.column()))
        return QString::fromStdString(PlaceText(*place, ListRow(index.row())));
    const std::vector<std::string> *cells = RowCells(index.row());
    const size_t cell = size_t(index.column() - 1);
    if (!cells || cell >= cells->size())
        return QString();
    return QString::fromUtf8((*cells)[cell].data(), qsizetype((*cells)[cell].size()));
}

QVariant ChannelListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < int(m_shown.size()))
            return ListRow(section) + 1;
        return {};
    }
    if (section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole) {
        if (const std::optional<PlaceColumn> place = PlaceOfColumn(section))
            return *place == PlaceColumn::Satellite ? QStringLiteral("Satellite") : QStringLiteral("Transponder");
        return m_columns[size_t(section)].header;
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

void ChannelListModel::SetColumns(std::vector<ListColumn> columns, std::vector<ListFieldColumn> fields)
{
    beginResetModel();
    m_rows.clear();
    m_shown.clear();
    m_viewOf.clear();
    m_keys.clear();
    m_columns = std::move(columns);
    m_fields = std::move(fields);
    m_cachedRow = -1;
    m_places.reset();
    endResetModel();
}

void ChannelListModel::Clear()
{
    m_cachedRow = -1;
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    m_shown.clear();
    m_viewOf.clear();
    m_keys.clear();
    endResetModel();
}

void ChannelListModel::SetRows(std::vector<ChannelRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_cachedRow = -1;
    m_keys.assign(m_rows.size(), FindKey());
    std::vector<int> shown = ShownRows();
    m_viewOf.assign(m_rows.size(), -1);
    for (size_t i = 0; i < shown.size(); ++i)
        m_viewOf[size_t(shown[i])] = int(i);
    m_shown = std::move(shown);
    endResetModel();
}

void ChannelListModel::CellsChanged()
{
    m_cachedRow = -1;
    m_keys.assign(m_rows.size(), FindKey());
    // An edited name can make a found row stop matching, or another one start, or move it in a
    // sorted view.
    if (Finding() || Sorted()) {
        std::vector<int> shown = ShownRows();
        if (shown != m_shown) {
            SetShown(std::move(shown));
            return;
        }
    }
    if (!m_shown.empty() && !m_columns.empty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_shown.size()) - 1, columnCount() - 1), {Qt::DisplayRole});
}

const ChannelRow *ChannelListModel::Row(int row) const
{
    const int listRow = ListRow(row);
    return listRow < 0 ? nullptr : &m_rows[size_t(listRow)];
}

int ChannelListModel::ListRow(int viewRow) const
{
    if (viewRow < 0 || viewRow >= int(m_shown.size()))
        return -1;
    return m_shown[size_t(viewRow)];
}

int ChannelListModel::ViewRow(int listRow) const
{
    if (listRow < 0 || listRow >= int(m_viewOf.size()))
        return -1;
    return m_viewOf[size_t(listRow)];
}

const FindKey &ChannelListModel::Key(int listRow, const FindQuery &query) const
{
    FindKey &key = m_keys[size_t(listRow)];
    FindKeyReader(m_db).Complete(key, m_rows[size_t(listRow)].slot, query);
    return key;
}

std::vector<int> ChannelListModel::MatchingRows() const
{
    std::vector<int> shown;
    shown.reserve(m_rows.size());
    if (!Finding()) {
        for (int i = 0; i < int(m_rows.size()); ++i)
            shown.push_back(i);
        return shown;
    }
    // One reader for all rows: the fields are looked up once.
    const FindKeyReader reader(m_db);
    for (int i = 0; i < int(m_rows.size()); ++i) {
        const ChannelRow &row = m_rows[size_t(i)];
        // A row without a record (a fill that stopped on a field error) is no channel to find.
        if (!row.record)
            continue;
        FindKey &key = m_keys[size_t(i)];
        reader.Complete(key, row.slot, m_query);
        if (FindMatches(m_query, key))
            shown.push_back(i);
    }
    return shown;
}

std::vector<int> ChannelListModel::ShownRows() const
{
    std::vector<int> shown = MatchingRows();
    if (Sorted())
        SortRows(shown);
    return shown;
}

void ChannelListModel::SortRows(std::vector<int> &listRows) const
{
    if (m_sortColumn <= 0) {
        // The Index column: the real order, or its reverse.
        if (m_sortOrder == Qt::DescendingOrder)
            std::reverse(listRows.begin(), listRows.end());
        return;
    }
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    // Lists repeat their texts ("Rai 1" on many transponders, "TV", "No"): each distinct text is
    // prepared and ranked once, and the rows are then put in the order of their texts' ranks,
    // keeping their list order among equal ones.
    QHash<QString, int> distinct;
    std::vector<int> textOfRow;
    textOfRow.reserve(listRows.size());
    std::vector<CellSortKey> keys;
    auto add = [&](QString text) {
        auto found = distinct.constFind(text);
        if (found == distinct.constEnd()) {
            found = distinct.insert(text, int(keys.size()));
            keys.push_back(MakeCellSortKey(std::move(text)));
        }
        textOfRow.push_back(found.value());
    };
    auto sortKeyed = [&listRows, &keys, &textOfRow, descending] {
        std::vector<int> byText(keys.size());
        for (size_t i = 0; i < byText.size(); ++i)
            byText[i] = int(i);
        std::sort(byText.begin(), byText.end(), [&keys, descending](int a, int b) {
            const int c = CompareCellKeys(keys[size_t(a)], keys[size_t(b)]);
            return descending ? c > 0 : c < 0;
        });
        std::vector<int> rank(keys.size());
        for (size_t i = 0; i < byText.size(); ++i)
            rank[size_t(byText[i])] = int(i);
        // A counting sort by rank: stable, and linear in the rows.
        std::vector<int> start(keys.size() + 1, 0);
        for (int text : textOfRow)
            ++start[size_t(rank[size_t(text)]) + 1];
        for (size_t i = 1; i < start.size(); ++i)
            start[i] += start[i - 1];
        std::vector<int> sorted(listRows.size());
        for (size_t i = 0; i < listRows.size(); ++i)
            sorted[size_t(start[size_t(rank[size_t(textOfRow[i])])]++)] = listRows[i];
        listRows = std::move(sorted);
    };
    if (const std::optional<PlaceColumn> place = PlaceOfColumn(m_sortColumn)) {
        for (int listRow : listRows)
            add(QString::fromStdString(PlaceText(*place, listRow)));
        sortKeyed();
        return;
    }
    const size_t field = size_t(m_sortColumn - 1);
    if (field >= m_fields.size())
        return;
    // One column read per row; rows without a program keep their cells, sorted like any other.
    const std::vector<ListFieldColumn> column = {m_fields[field]};
    for (int listRow : listRows) {
        const ChannelRow &row = m_rows[size_t(listRow)];
        std::string text;
        if (row.fixedCells)
            text = field < row.fixedCells->size() ? (*row.fixedCells)[field] : std::string();
        else if (const std::vector<std::string> cells = ReadChannelCells(m_db, column, row.slot).cells; !cells.empty())
            text = cells.front();
        add(QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
    sortKeyed();
}

void ChannelListModel::sort(int column, Qt::SortOrder order)
{
    const int wanted = column >= 0 && column < columnCount() ? column : -1;
    // Index ascending is the list's own order: no sort at all.
    m_sortColumn = wanted == 0 && order == Qt::AscendingOrder ? -1 : wanted;
    m_sortOrder = order;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The selection and the current row stay on their channels.
    const QModelIndexList before = persistentIndexList();
    std::vector<int> listRows;
    for (const QModelIndex &index : before)
        listRows.push_back(ListRow(index.row()));
    std::vector<int> shown = ShownRows();
    m_cachedRow = -1;
    m_viewOf.assign(m_rows.size(), -1);
    for (size_t i = 0; i < shown.size(); ++i)
        m_viewOf[size_t(shown[i])] = int(i);
    m_shown = std::move(shown);
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int viewRow = ViewRow(listRows[size_t(i)]);
        after << (viewRow < 0 ? QModelIndex() : index(viewRow, before[i].column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ChannelListModel::SetShown(std::vector<int> shown)
{
    beginResetModel();
    m_cachedRow = -1;
    m_viewOf.assign(m_rows.size(), -1);
    for (size_t i = 0; i < shown.size(); ++i)
        m_viewOf[size_t(shown[i])] = int(i);
    m_shown = std::move(shown);
    endResetModel();
}

void ChannelListModel::SetFindText(const QString &text)
{
    m_findText = text;
    m_query = MakeFindQuery(text);
    std::vector<int> shown = ShownRows();
    if (shown != m_shown)
        SetShown(std::move(shown));
}

int ChannelListModel::NextNameStart(const QString &text, int after) const
{
    const FindQuery prefix = MakeFindQuery(text);
    const int count = int(m_shown.size());
    if (prefix.IsEmpty() || count == 0)
        return -1;
    const int start = after < 0 || after >= count ? 0 : after + 1;
    for (int step = 0; step < count; ++step) {
        const int row = (start + step) % count;
        const int listRow = m_shown[size_t(row)];
        if (m_rows[size_t(listRow)].record && NameStartsWith(Key(listRow, prefix), prefix))
            return row;
    }
    return -1;
}

const RowRecord *ChannelListModel::Record(int row) const
{
    const ChannelRow *entry = Row(row);
    if (!entry || !entry->record)
        return nullptr;
    return &*entry->record;
}

std::optional<std::vector<std::string>> ChannelListModel::Cells(int row) const
{
    const std::vector<std::string> *cells = RowCells(row);
    if (!cells)
        return std::nullopt;
    return *cells;
}
