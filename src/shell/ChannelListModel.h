// The rows of the channel list: one RowRecord and the cell texts per program shown.
#pragma once

#include "layout/ListColumns.h"

#include <QAbstractTableModel>

#include <optional>
#include <string>
#include <vector>

struct NavNode;

// What a row stands for: the position of its program in the node's slot list, and the node.
struct RowRecord
{
    int32_t index = -1;
    NavNode *node = nullptr;
};

// One row: column 0 is the row number, columns 1.. are the cells in order. A row whose fill stopped
// on a field error has no record.
struct ChannelRow
{
    std::optional<RowRecord> record;
    std::vector<std::string> cells;
};

// Only the texts the fill made are kept; the view writes them, the table reads them.
class ChannelListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ChannelListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Replaces the columns; the rows go with them.
    void SetColumns(std::vector<ListColumn> columns);
    const std::vector<ListColumn> &Columns() const { return m_columns; }

    // Deletes every row and its record.
    void Clear();
    // All rows at once, as one reset: cheaper for the table than row-by-row insertion.
    void SetRows(std::vector<ChannelRow> rows);
    // New cells for one row (the row number and the record stay).
    void SetCells(int row, std::vector<std::string> cells);

    int RowCount() const { return int(m_rows.size()); }
    // The row's record, null for a row without one or outside the list.
    const RowRecord *Record(int row) const;
    const std::vector<std::string> *Cells(int row) const;
    const std::vector<ChannelRow> &Rows() const { return m_rows; }

private:
    std::vector<ListColumn> m_columns;
    std::vector<ChannelRow> m_rows;
};
