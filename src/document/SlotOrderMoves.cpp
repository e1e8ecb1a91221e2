// The slot-map exchanges that give a set of program slots a new order.
#include "document/SlotOrderMoves.h"

#include <algorithm>
#include <unordered_map>

std::vector<SlotMove> ExchangesForOrder(NodeKind kind, const std::vector<int32_t> &places,
                                        const std::vector<int32_t> &ordered)
{
    std::vector<int32_t> a = places;
    std::vector<int32_t> b = ordered;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b || std::adjacent_find(a.begin(), a.end()) != a.end())
        return {};
    // Which node is in a slot, and where a node is, as the exchanges go on (nodes are named by the
    // slot they start in).
    std::unordered_map<int32_t, int32_t> programAt;
    std::unordered_map<int32_t, int32_t> placeOf;
    for (int32_t slot : places) {
        programAt[slot] = slot;
        placeOf[slot] = slot;
    }
    std::vector<SlotMove> moves;
    for (size_t i = 0; i < places.size(); ++i) {
        const int32_t target = places[i];
        const int32_t wanted = ordered[i];
        const int32_t from = placeOf[wanted];
        if (from == target)
            continue;
        const int32_t displaced = programAt[target];
        moves.push_back({SlotMove::Type::Exchange, kind, target, from});
        programAt[target] = wanted;
        placeOf[wanted] = target;
        programAt[from] = displaced;
        placeOf[displaced] = from;
    }
    return moves;
}
