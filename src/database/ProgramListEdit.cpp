// Applies favourite bits and slot orders planned by the list tools.
#include "database/ProgramListEdit.h"

#include "database/CChannelDb.h"
#include "database/FavouriteGroups.h"
#include "layout/LayoutSet.h"

bool ApplyGroupBits(CChannelDb &db, const std::vector<GroupBitsChange> &changes)
{
    const int field = db.Layouts().FindField(KindProgram, FavouriteGroups::kFieldName, DeclarationOrder);
    if (field < 0)
        return changes.empty();
    for (const GroupBitsChange &change : changes) {
        if (!db.IsUsed(KindProgram, change.slot))
            return false;
    }
    for (const GroupBitsChange &change : changes)
        db.SetNodeInt(KindProgram, change.slot, field, change.after, DeclarationOrder);
    return true;
}

bool IsSlotOrder(const CChannelDb &db, NodeKind kind, const SlotOrder &order)
{
    if (int(order.size()) != db.Count(kind))
        return false;
    std::vector<bool> seen(order.size(), false);
    for (const int32_t slot : order) {
        if (slot < 0 || size_t(slot) >= order.size() || seen[size_t(slot)])
            return false;
        seen[size_t(slot)] = true;
    }
    return true;
}

SlotOrder SlotOrderOfLiveSequence(const CChannelDb &db, NodeKind kind, const std::vector<int32_t> &live)
{
    const int count = db.Count(kind);
    if (int(live.size()) != db.LiveCount(kind))
        return {};
    std::vector<bool> seen(size_t(count), false);
    for (const int32_t slot : live) {
        if (slot < 0 || slot >= count || !db.IsUsed(kind, slot) || seen[size_t(slot)])
            return {};
        seen[size_t(slot)] = true;
    }
    SlotOrder order(static_cast<size_t>(count));
    size_t next = 0;
    for (int slot = 0; slot < count; ++slot)
        order[size_t(slot)] = db.IsUsed(kind, slot) ? live[next++] : slot;
    return order;
}

SlotOrder InverseSlotOrder(const SlotOrder &order)
{
    SlotOrder inverse(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        inverse[size_t(order[i])] = int32_t(i);
    return inverse;
}

bool ApplySlotOrder(CChannelDb &db, NodeKind kind, const SlotOrder &order)
{
    if (!IsSlotOrder(db, kind, order))
        return false;
    // where[e]: the slot that now holds the node first in slot e; at[s]: which node slot s holds.
    std::vector<int32_t> where(order.size());
    std::vector<int32_t> at(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        where[i] = at[i] = int32_t(i);
    for (size_t i = 0; i < order.size(); ++i) {
        const int32_t from = where[size_t(order[i])];
        if (from == int32_t(i))
            continue;
        db.SwapSlots(kind, int(i), from);
        const int32_t displaced = at[i];
        at[size_t(from)] = displaced;
        where[size_t(displaced)] = from;
        at[i] = order[i];
        where[size_t(order[i])] = int32_t(i);
    }
    return true;
}
