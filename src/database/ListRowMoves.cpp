// Moves of several rows of a channel list at once.
#include "database/ListRowMoves.h"

#include <algorithm>

namespace {

std::vector<int> Cleaned(std::vector<int> rows, int rowCount)
{
    rows.erase(std::remove_if(rows.begin(), rows.end(), [rowCount](int r) { return r < 0 || r >= rowCount; }),
               rows.end());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}

RowMovePlan PlanStepMove(std::vector<int> selected, int rowCount, int step)
{
    RowMovePlan plan;
    selected = Cleaned(std::move(selected), rowCount);
    if (step != -1 && step != 1) {
        plan.selectedAfter = selected;
        return plan;
    }
    if (step > 0)
        std::reverse(selected.begin(), selected.end());
    // `edge` is the first place a moving row may not enter: the list's end, or a row that stayed.
    int edge = step < 0 ? -1 : rowCount;
    for (int row : selected) {
        const int to = row + step;
        if (to == edge) {
            plan.selectedAfter.push_back(row);
            edge = row;
            continue;
        }
        // The row changes places with its unselected neighbour; the next selected row may
        // follow into the place it left, never past it.
        plan.exchanges.emplace_back(row, to);
        plan.selectedAfter.push_back(to);
        edge = to;
    }
    std::sort(plan.selectedAfter.begin(), plan.selectedAfter.end());
    return plan;
}

std::vector<int> DropOrder(int rowCount, std::vector<int> moved, int dropRow)
{
    moved = Cleaned(std::move(moved), rowCount);
    dropRow = std::clamp(dropRow, 0, std::max(rowCount, 0));
    std::vector<bool> isMoved(size_t(std::max(rowCount, 0)), false);
    for (int row : moved)
        isMoved[size_t(row)] = true;
    std::vector<int> order;
    order.reserve(size_t(std::max(rowCount, 0)));
    for (int row = 0; row < rowCount; ++row) {
        if (row == dropRow)
            order.insert(order.end(), moved.begin(), moved.end());
        if (!isMoved[size_t(row)])
            order.push_back(row);
    }
    if (dropRow == rowCount)
        order.insert(order.end(), moved.begin(), moved.end());
    return order;
}

std::vector<int> MoveToOrder(int rowCount, std::vector<int> moved, int target)
{
    moved = Cleaned(std::move(moved), rowCount);
    std::vector<int> rest;
    for (int row = 0, next = 0; row < rowCount; ++row) {
        if (next < int(moved.size()) && moved[size_t(next)] == row)
            ++next;
        else
            rest.push_back(row);
    }
    target = std::clamp(target, 0, int(rest.size()));
    std::vector<int> order(rest.begin(), rest.begin() + target);
    order.insert(order.end(), moved.begin(), moved.end());
    order.insert(order.end(), rest.begin() + target, rest.end());
    return order;
}
