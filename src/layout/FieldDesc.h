// One field of a node record as the template describes it, and the node kinds.
#pragma once

#include "layout/NodeKind.h"

#include <cstdint>
#include <string>

enum class FieldKind : int32_t {
    Integer = 0,
    String = 1,
    IntArray = 2,
};

struct FieldDesc
{
    std::string name;                 // display name if given, else the identifier
    FieldKind kind = FieldKind::Integer;
    int32_t masked = 0;               // nonzero hides the field from the channel list
    int32_t pos = -1;                 // 1-based place in position order, -1 when absent
    int32_t bitWidth = 0;             // bit-field width, or element width 8/16/32
    int32_t sizeBits = 0;             // whole field: width, or element width times length
    int32_t bitOffset = 0;            // first bit inside its 32-bit word
    int32_t wordIndex = 0;            // 32-bit word of the record in which the field starts

    bool operator==(const FieldDesc &) const = default;
};
