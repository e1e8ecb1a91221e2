// The rows of the channel list: which program each row shows; the cells are read when asked for.
#pragma once

#include "database/ChannelFind.h"
#include "database/ProgramPlaces.h"
#include "layout/ListColumns.h"

#include <QAbstractTableModel>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CChannelDb;
struct NavNode;

// What a row stands for: the position of its program in the node's slot list, and the node (the
// list's own copy, which lives as long as the rows).
struct RowRecord
{
    int32_t index = -1;
    NavNode *node = nullptr;
};

// One row: the program slot it shows. A row whose fill stopped on a field error has no record and
// keeps the cells the fill read; every other row reads its cells from the database when shown.
struct ChannelRow
{
    std::optional<RowRecord> record;
    int slot = -1;
    std::optional<std::vector<std::string>> fixedCells;
};

// The model keeps no text of its own: 30000 rows cost one small entry each, and an edit only asks
// the table to draw again. Column 0 is the row number, columns 1.. the program's shown fields.
// A find shows some of the rows: "view rows" are the rows the table shows, "list rows" all rows
// of the node (after the TV/Radio switch), whose numbers the Index column shows and the commands
// that take a position use. Without a find both are the same.
// After the layout's columns come two of the list's own (hidden unless the user shows them): the
// satellite and the transponder each program is under.
enum class PlaceColumn { Satellite, Transponder };

class ChannelListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ChannelListModel(const CChannelDb &db, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Rows with a program may be dragged; the drag carries their slots in row order.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    // Rows dropped between rows of this list move there: the drop handler does the move. A drop is
    // taken only while the rows are shown in the list's own order (no sort, no find) and only
    // when every dragged slot is a row of this list.
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    // The dragged list rows (ascending) and the list row they go before (the row count: the end).
    using DropHandler = std::function<bool(const std::vector<int> &listRows, int beforeRow)>;
    void SetDropHandler(DropHandler handler) { m_dropHandler = std::move(handler); }
    // Whether rows may be dropped into the list now.
    bool DropAllowed() const { return !Sorted() && !Finding(); }

    // Replaces the columns and the fields they show; the rows go with them.
    void SetColumns(std::vector<ListColumn> columns, std::vector<ListFieldColumn> fields);
    const std::vector<ListColumn> &Columns() const { return m_columns; }
    const std::vector<ListFieldColumn> &Fields() const { return m_fields; }
    // The model column of a place column (none before the columns are set).
    int ColumnOf(PlaceColumn place) const;
    // The satellites or transponders changed: their names are read again.
    void PlacesChanged();

    // Deletes every row and its record.
    void Clear();
    // All rows at once, as one reset: cheaper for the table than row-by-row insertion.
    void SetRows(std::vector<ChannelRow> rows);
    // The database changed under the rows: every shown cell is read again.
    void CellsChanged();

    // The rows shown (view rows).
    int RowCount() const { return int(m_shown.size()); }
    // The view row's record, null for a row without one or outside the list.
    const RowRecord *Record(int row) const;
    // The view row's cells as the list shows them (read now), null outside the list.
    std::optional<std::vector<std::string>> Cells(int row) const;
    // The view row's entry, null outside the list.
    const ChannelRow *Row(int row) const;

    // Every row of the node, shown or not (list rows).
    const std::vector<ChannelRow> &AllRows() const { return m_rows; }
    int AllRowCount() const { return int(m_rows.size()); }
    // The list row a view row shows (-1 outside), and the view row showing a list row (-1 hidden).
    int ListRow(int viewRow) const;
    int ViewRow(int listRow) const;

    // Sorts the rows shown by a column (the view only: the Index column keeps the real positions);
    // column -1 shows them in the list's order again.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    bool Sorted() const { return m_sortColumn >= 0; }
    int SortColumn() const { return m_sortColumn; }

    // Shows only the rows that match the text (an empty text shows every row).
    void SetFindText(const QString &text);
    QString FindText() const { return m_findText; }
    bool Finding() const { return !m_query.IsEmpty(); }
    // The first view row after `after` (wrapping round, `after` itself last) whose name starts
    // with the text; -1 when none does.
    int NextNameStart(const QString &text, int after) const;

private:
    // The list rows of the dragged slots, ascending; nothing when one is no row of this list.
    std::optional<std::vector<int>> DroppedRows(const QMimeData *data) const;
    // The dragged rows when this list takes the drop now, else nothing.
    std::optional<std::vector<int>> TakenDrop(const QMimeData *data, Qt::DropAction action) const;
    const std::vector<std::string> *RowCells(int row) const;
    // A place column's text for a list row; the names are read at the first use.
    std::string PlaceText(PlaceColumn place, int listRow) const;
    std::optional<PlaceColumn> PlaceOfColumn(int column) const;
    // The row's find key with what the query needs read.
    const FindKey &Key(int listRow, const FindQuery &query) const;
    // The list rows the find shows; every one without a find.
    std::vector<int> MatchingRows() const;
    // The matching rows in the order of the sort column, if any.
    std::vector<int> ShownRows() const;
    void SortRows(std::vector<int> &listRows) const;
    void SetShown(std::vector<int> shown);

    const CChannelDb &m_db;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::vector<ListColumn> m_columns;
    std::vector<ListFieldColumn> m_fields;
    std::vector<ChannelRow> m_rows;
    std::vector<int> m_shown;   // view row -> list row
    std::vector<int> m_viewOf;  // list row -> view row, -1 when hidden
    QString m_findText;
    FindQuery m_query;
    // The rows' find keys, read at the first find after the rows or their cells changed.
    mutable std::vector<FindKey> m_keys;
    // The cells of the row read last: a row's columns are asked for one after another.
    mutable int m_cachedRow = -1;
    mutable std::vector<std::string> m_cachedCells;
    DropHandler m_dropHandler;
    mutable std::unique_ptr<ProgramPlaces> m_places;
};
