// Edits of the program list as data: new favourite bits and a new slot order, and applying them.
#pragma once

#include "layout/FieldDesc.h"

#include <cstdint>
#include <vector>

class CChannelDb;

// A program's "Favorite Group" value before and after an edit.
struct GroupBitsChange
{
    int32_t slot = -1;
    uint32_t before = 0;
    uint32_t after = 0;
    bool operator==(const GroupBitsChange &) const = default;
};

// Writes every change's `after`. False, with nothing written, when a slot is free or the layout
// has no "Favorite Group" field.
bool ApplyGroupBits(CChannelDb &db, const std::vector<GroupBitsChange> &changes);

// A slot order of a kind: entry i names the slot whose node goes to slot i. It holds every slot
// of the table exactly once (free ones too), so the inverse order undoes it.
using SlotOrder = std::vector<int32_t>;

bool IsSlotOrder(const CChannelDb &db, NodeKind kind, const SlotOrder &order);
// The order in which the live slots of the table, in their places, take the nodes of `live` one
// after the other; free slots keep their places. Empty when `live` is not every live slot once.
SlotOrder SlotOrderOfLiveSequence(const CChannelDb &db, NodeKind kind, const std::vector<int32_t> &live);
SlotOrder InverseSlotOrder(const SlotOrder &order);
// Moves the nodes into the order. False, with nothing moved, when it is no slot order of the table.
bool ApplySlotOrder(CChannelDb &db, NodeKind kind, const SlotOrder &order);
