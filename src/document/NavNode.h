// The record behind every navigator item: what the item stands for and its program slot list.
#pragma once

#include "database/SlotLists.h"

#include <QString>

#include <cstdint>
#include <utility>

struct NavNode
{
    int kind = 0;            // NavNodeKind: 0 all services, 2 satellite folder, 3 satellite, 4 transponder,
                             // 5 favourite root, 6 favourite group
    int32_t satId = 0;       // kind 3: the satellite's sat_id; kind 4: its satellite's
    int32_t tpId = 0;        // kind 4: the transponder's tp_id
    int32_t index = 0;       // kinds 3, 4: node index in its table; kind 6: group number 1..32
    SlotList slots;          // program slots in display order; -1 marks an entry that no longer counts
    bool hasSlots = false;   // false until the list was first computed
    QString label;
    NavNode *parent = nullptr;  // kind 4: its satellite's node; kind 6: the favourite root's

    int SlotCount() const { return int(slots.size()); }
};

// Computes the node's slot list from the database again (a transponder's parent satellite's too);
// kinds without a list of their own keep theirs.
inline void RecomputeSlots(const CChannelDb &db, NavNode &node)
{
    SlotListUpdate update = RebuildSlotList(db, node.kind, node.satId, node.tpId, node.index);
    if (!update.changed)
        return;
    node.slots = std::move(update.slots);
    node.hasSlots = true;
    if (update.parentSlots && node.parent) {
        node.parent->slots = std::move(*update.parentSlots);
        node.parent->hasSlots = true;
    }
}
