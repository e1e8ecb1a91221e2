// The slot-map exchanges that give a set of program slots a new order.
#pragma once

#include "document/DatabaseEdit.h"

#include <cstdint>
#include <vector>

// `places` are slots of a table, `ordered` the same slots in the order wanted: afterwards
// places[i] holds the node that is now in ordered[i]. Applied one after the other, at most
// places.size() - 1 exchanges (none when the order is already so); empty also when `ordered` is
// not a permutation of `places`.
std::vector<SlotMove> ExchangesForOrder(NodeKind kind, const std::vector<int32_t> &places,
                                        const std::vector<int32_t> &ordered);
