// Moves of several rows of a channel list at once: by one place, or dropped at another row.
#pragma once

#include <utility>
#include <vector>

// Rows are positions in the list as shown (0-based); the caller maps them to program slots.
struct RowMovePlan
{
    std::vector<std::pair<int, int>> exchanges;  // rows to exchange, in the order to apply them
    std::vector<int> selectedAfter;              // where the moved rows are afterwards, ascending
};

// The selected rows moved by one place (step -1 up, +1 down). A block at the top (or bottom)
// stays where it is and the rows behind it close up to it; rows outside 0..rowCount-1 and repeats
// are ignored. No exchanges when nothing can move.
RowMovePlan PlanStepMove(std::vector<int> selected, int rowCount, int step);

// The new order of a list of rowCount rows after the rows `moved` (any order; repeats and rows
// outside the list ignored) are taken out and put, in their list order, before row `dropRow`
// (rowCount: at the end). Element i of the result is the row that ends up at place i; the
// identity when nothing moves.
std::vector<int> DropOrder(int rowCount, std::vector<int> moved, int dropRow);

// The same for Move Channel with several rows: the moved rows, in their list order, start at
// place `target` (clamped to the list) of the new order.
std::vector<int> MoveToOrder(int rowCount, std::vector<int> moved, int target);
