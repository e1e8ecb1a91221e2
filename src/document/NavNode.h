// The record behind every navigator item: what the item stands for and its program slot list.
#pragma once

#include "database/SlotLists.h"

#include <QString>

#include <cstdint>
#include <utility>

struct NavNode
{
    NavNodeKind kind = NavAllServices;
    int32_t satId = 0;       // satellite: its sat_id; transponder: its satellite's
    int32_t tpId = 0;        // transponder: its tp_id
    int32_t index = 0;       // satellite, transponder: node index in its table; group: number 1..32
    SlotList slots;          // program slots in display order; -1 marks an entry that no longer counts
    bool hasSlots = false;   // false until the list was first computed
    QString label;
    NavNode *parent = nullptr;  // transponder: its satellite's node; group: the favourite root's

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
