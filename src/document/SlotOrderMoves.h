// The slot-map exchanges that give a set of program slots a new order.
#pragma once

#include "document/DatabaseEdit.h"

#include <cstdint>
#include <vector>

// `places` are program slots, `ordered` the same slots in the order wanted: afterwards places[i]
// holds the program that is now in ordered[i]. At most places.size() - 1 exchanges, none when the
// order is already so; empty also when `ordered` is not a permutation of `places`.
std::vector<SlotMove> ExchangesForOrder(const std::vector<int32_t> &places, const std::vector<int32_t> &ordered);
