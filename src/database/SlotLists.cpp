// Slot lists computed from the program table by integer field reads.
#include "database/SlotLists.h"

#include "database/CChannelDb.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kGroupCount = 32;

// The live programs whose field (read as a number) satisfies the test, in node-index order.
template <typename Test>
SlotList SelectPrograms(const CChannelDb &db, int field, FieldOrder order, Test test)
{
    SlotList slots;
    if (field < 0)
        return slots;
    const int count = db.Count(KindProgram);
    for (int slot = 0; slot < count; ++slot) {
        int32_t value = 0;
        if (db.IsUsed(KindProgram, slot) && db.GetNodeInt(KindProgram, slot, field, value, 0, order)
            && test(value))
            slots.push_back(slot);
    }
    return slots;
}

} // namespace

SlotList AllProgramSlots(const CChannelDb &db)
{
    SlotList slots;
    const int count = db.Count(KindProgram);
    for (int slot = 0; slot < count; ++slot) {
        if (db.IsUsed(KindProgram, slot))
            slots.push_back(slot);
    }
    return slots;
}

SlotList SatelliteSlots(const CChannelDb &db, int32_t satId)
{
    return SelectPrograms(db, db.SatIdOfProgram(), PositionOrder, [satId](int32_t v) { return v == satId; });
}

SlotList TransponderSlots(const CChannelDb &db, const SlotList &satelliteSlots, int32_t tpId)
{
    SlotList slots;
    const int field = db.TpIdOfProgram();
    if (field < 0)
        return slots;
    for (const int32_t slot : satelliteSlots) {
        int32_t value = 0;
        if (slot >= 0 && db.GetNodeInt(KindProgram, slot, field, value, 0, PositionOrder) && value == tpId)
            slots.push_back(slot);
    }
    return slots;
}

std::optional<SlotList> CollectGroupMembers(const CChannelDb &db, int g)
{
    if (g < 0 || g > kGroupCount)
        return std::nullopt;
    const int field = db.Layouts().FindField(KindProgram, "Favorite Group", DeclarationOrder);
    if (g == 0)
        return SelectPrograms(db, field, DeclarationOrder, [](int32_t v) { return v != 0; });
    const uint32_t bit = uint32_t(1) << (g - 1);
    return SelectPrograms(db, field, DeclarationOrder, [bit](int32_t v) { return (uint32_t(v) & bit) != 0; });
}

SlotListUpdate RebuildSlotList(const CChannelDb &db, NavNodeKind kind, int32_t satId, int32_t tpId, int index)
{
    SlotListUpdate update;
    switch (kind) {
    case NavAllServices:
        update.slots = AllProgramSlots(db);
        break;
    case NavSatellite:
        update.slots = SatelliteSlots(db, satId);
        break;
    case NavTransponder:
        update.parentSlots = SatelliteSlots(db, satId);
        update.slots = TransponderSlots(db, *update.parentSlots, tpId);
        break;
    case NavFavouriteRoot:
        update.slots = CollectGroupMembers(db, 0).value_or(SlotList());
        break;
    case NavFavouriteGroup:
        update.slots = CollectGroupMembers(db, index).value_or(SlotList());
        break;
    default:
        return update;
    }
    update.changed = true;
    return update;
}

std::optional<SlotPlacement> PlacementOfInserted(const SlotList &list, int32_t slot)
{
    const auto at = std::find(list.begin(), list.end(), slot);
    if (slot < 0 || at == list.end())
        return std::nullopt;
    const auto next = std::find_if(at + 1, list.end(), [](int32_t s) { return s >= 0; });
    if (next != list.end()) {
        // Rotating towards a higher slot shifts the ones between down: the target is one before.
        const int32_t to = slot > *next ? *next : *next - 1;
        return to == slot ? std::nullopt : std::optional<SlotPlacement>({slot, to});
    }
    const auto previous = std::find_if(std::make_reverse_iterator(at), list.rend(), [](int32_t s) { return s >= 0; });
    if (previous == list.rend() || slot > *previous)
        return std::nullopt;
    return SlotPlacement {slot, *previous};
}
