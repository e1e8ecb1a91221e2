// One edit of the database as data: the records and slot-map entries it changes.
#pragma once

#include "layout/FieldDesc.h"

#include <cstdint>
#include <vector>

// A node's record before and after the edit: an empty `before` means the edit creates the node in
// its (free) slot, an empty `after` that it deletes it.
struct NodeChange
{
    NodeKind kind = KindProgram;
    int slot = -1;
    std::vector<uint8_t> before;
    std::vector<uint8_t> after;
};

// A slot-map move of a table: an exchange of two entries (a move in the tree or the list), or a
// rotation that takes the entry of `from` to `to` and shifts the ones between towards `from`.
struct SlotMove
{
    enum class Type { Exchange, Rotation };
    Type type = Type::Exchange;
    NodeKind kind = KindProgram;
    int from = -1;
    int to = -1;
};

// Forwards: the records in order, then the moves in order. Backwards: the moves in reverse order,
// each reversed, then the records in reverse order. The edit records only what changes, never a
// copy of the pool.
struct DatabaseEdit
{
    std::vector<NodeChange> changes;
    std::vector<SlotMove> moves;

    bool Empty() const { return changes.empty() && moves.empty(); }
};
