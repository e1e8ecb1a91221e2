// The program slot lists of the navigator's nodes: all programs, a satellite's, a transponder's,
// the favourites'. Every list is in the order of the program table's node indexes.
#pragma once

#include "layout/NodeKind.h"

#include <cstdint>
#include <optional>
#include <vector>

class CChannelDb;

using SlotList = std::vector<int32_t>;

// Navigator node kinds that own a slot list.
enum class NavNodeKind : int {
    NavAllServices = 0,
    NavSatelliteFolder = 2,
    NavSatellite = 3,
    NavTransponder = 4,
    NavFavouriteRoot = 5,
    NavFavouriteGroup = 6,
};
using enum NavNodeKind;

// The table of the node a navigator item stands for: satellites and transponders have one.
constexpr std::optional<NodeKind> TableKindOf(NavNodeKind kind)
{
    if (kind == NavSatellite)
        return KindSatellite;
    if (kind == NavTransponder)
        return KindTransponder;
    return std::nullopt;
}

// Every live program.
SlotList AllProgramSlots(const CChannelDb &db);
// The live programs whose "sat_id" (position order) equals satId.
SlotList SatelliteSlots(const CChannelDb &db, int32_t satId);
// From a satellite's list, in its order, the programs whose "tp_id" (position order) equals tpId.
SlotList TransponderSlots(const CChannelDb &db, const SlotList &satelliteSlots, int32_t tpId);
// The live programs of group g (bit g - 1 of "Favorite Group", declaration order), or of any group
// when g is 0; nullopt when g is outside 0..32.
std::optional<SlotList> CollectGroupMembers(const CChannelDb &db, int g);

struct SlotListUpdate
{
    bool changed = false;                 // false: the node keeps its list (kinds 1, 2, unknown)
    SlotList slots;                       // the node's new list when changed
    std::optional<SlotList> parentSlots;  // kind 4: the parent satellite's new list
};

// The new slot list of a navigator node by its kind: 0 all live programs, 3 the satellite's,
// 4 the parent satellite's list recomputed and then those with the transponder's tp_id, 5 the
// members of any group, 6 the members of group `index` (an empty list when it is outside 0..32).
SlotListUpdate RebuildSlotList(const CChannelDb &db, NavNodeKind kind, int32_t satId, int32_t tpId, int index);

// A new program in free slot `slot` stands in `list` where it was inserted. The rotation of the
// program slot map (from `slot` to the returned target) that gives it that place in the table's
// order, so that every list computed from the table shows it there: just before the next live
// program of the list, or else just after the previous one. nullopt when its slot already
// stands right (or the list does not hold it).
struct SlotPlacement
{
    int from = -1;
    int to = -1;
};
std::optional<SlotPlacement> PlacementOfInserted(const SlotList &list, int32_t slot);
