// The rows of the channel list: which program each row shows; the cells are read when asked for.
#pragma once

#include "layout/ListColumns.h"

#include <QAbstractTableModel>

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

    // Replaces the columns and the fields they show; the rows go with them.
    void SetColumns(std::vector<ListColumn> columns, std::vector<ListFieldColumn> fields);
    const std::vector<ListColumn> &Columns() const { return m_columns; }
    const std::vector<ListFieldColumn> &Fields() const { return m_fields; }

    // Deletes every row and its record.
    void Clear();
    // All rows at once, as one reset: cheaper for the table than row-by-row insertion.
    void SetRows(std::vector<ChannelRow> rows);
    // The database changed under the rows: every shown cell is read again.
    void CellsChanged();

    int RowCount() const { return int(m_rows.size()); }
    // The row's record, null for a row without one or outside the list.
    const RowRecord *Record(int row) const;
    // The row's cells as the list shows them (read now), null outside the list.
    std::optional<std::vector<std::string>> Cells(int row) const;
    const std::vector<ChannelRow> &Rows() const { return m_rows; }

private:
    const std::vector<std::string> *RowCells(int row) const;

    const CChannelDb &m_db;
    std::vector<ListColumn> m_columns;
    std::vector<ListFieldColumn> m_fields;
    std::vector<ChannelRow> m_rows;
    // The cells of the row read last: a row's columns are asked for one after another.
    mutable int m_cachedRow = -1;
    mutable std::vector<std::string> m_cachedCells;
};
