// Node kinds and field orders as types; their numbers are the ones files and the layout cache use.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

enum class NodeKind : int {
    KindTransponder = 0,
    KindSatellite = 1,
    KindProgram = 2,
    KindDefaultProgram = 3,  // a layout only: default-database programs are stored as programs
};
using enum NodeKind;

constexpr int kNodeKindCount = 4;
// The kinds with a table in the database, in table order.
inline constexpr std::array<NodeKind, 3> kTableKinds{KindTransponder, KindSatellite, KindProgram};
// Every kind with a layout, in template order.
inline constexpr std::array<NodeKind, kNodeKindCount> kLayoutKinds{KindTransponder, KindSatellite, KindProgram,
                                                                    KindDefaultProgram};

// The kind's number in files, the cache and per-kind arrays.
constexpr int KindNumber(NodeKind kind) { return static_cast<int>(kind); }
constexpr size_t KindSlot(NodeKind kind) { return static_cast<size_t>(kind); }
constexpr bool IsTableKind(NodeKind kind) { return kind == KindTransponder || kind == KindSatellite || kind == KindProgram; }
constexpr bool IsLayoutKind(NodeKind kind) { return IsTableKind(kind) || kind == KindDefaultProgram; }
// The kind a stored number names, if any (the index of a file holds 0..2).
constexpr std::optional<NodeKind> TableKindOfNumber(int number)
{
    if (number < 0 || number > 2)
        return std::nullopt;
    return static_cast<NodeKind>(number);
}

// The two orders a field index can refer to.
enum class FieldOrder : int {
    PositionOrder = 0,     // the template's "pos" numbers
    DeclarationOrder = 1,  // the order of the structure's declaration
};
using enum FieldOrder;
