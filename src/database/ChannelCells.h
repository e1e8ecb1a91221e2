// The texts of the channel list's cells: display rules by column position and one program's row.
#pragma once

#include "database/ServiceFilter.h"
#include "layout/ListColumns.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CChannelDb;

// The display text of a field value by the field's pos: 2 "TV"/"Radio", 9 the number of 1 bits of
// the value as 32 bits, 10-12 "No"/"Yes", other texts at 2 and 10-12 empty, anything else unchanged.
// A text at 9 that is not a decimal integer is shown unchanged.
std::string CellText(std::string_view value, int pos);

// The "Index" cell of the row with this 1-based number: "%3d".
std::string IndexCellText(int rowNumber);

enum class RowStatus {
    Shown,         // the cells are complete
    Skipped,       // the program gets no row (deleted slot, or its first field cannot be read)
    PosZeroError,  // a shown field has pos 0: "pos 0 error!" was shown, the fill stops here
};

struct ChannelRowCells
{
    RowStatus status = RowStatus::Shown;
    std::vector<std::string> cells;  // columns 1, 2, ... in order
};

// The cells of a program's row for the shown fields (DeriveColumnFields of the program kind), as a
// row refresh writes them: a field that cannot be read is left out and the next one takes its
// column; a field with pos 0 shows "pos 0 error!" through the database's prompt and ends the row
// with the cells made so far.
ChannelRowCells ReadChannelCells(const CChannelDb &db, const std::vector<ListFieldColumn> &columns, int slot);

// The fill's row of a program slot: Skipped when the slot or its map entry is -1 or field 0 of
// the program's position order cannot be read; otherwise ReadChannelCells.
ChannelRowCells ReadChannelRow(const CChannelDb &db, const std::vector<ListFieldColumn> &columns, int slot);

// The TV/Radio filter of the fill for a program: true when it is shown.
// nullopt, after showing "Error to get service type", when a TV or radio filter is active and the
// program layout has no "Service Type" in position order; the fill stops then.
std::optional<bool> MatchesServiceFilter(const CChannelDb &db, int slot, ServiceFilter filter);

// The same for a whole fill: the field is looked up once.
class ServiceFilterCheck
{
public:
    ServiceFilterCheck(const CChannelDb &db, ServiceFilter filter);
    std::optional<bool> Shown(int slot) const;

private:
    const CChannelDb &m_db;
    ServiceFilter m_filter;
    int m_field = -1;
};
