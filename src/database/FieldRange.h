// The numbers an integer field of the layout holds, by its width: the one rule for dialogs and imports.
#pragma once

#include "layout/FieldDesc.h"

#include <cstdint>
#include <optional>

class CChannelDb;

// 0 to 2^w - 1, and for a 32-bit field also the negative numbers a signed entry gives.
struct FieldRange
{
    int64_t low = 0;
    int64_t high = 0;
    bool Holds(int64_t value) const { return value >= low && value <= high; }
};

// nullopt when the layout has no integer field of that name.
std::optional<FieldRange> IntegerFieldRange(const CChannelDb &db, NodeKind kind, const char *name);
// The same by declaration-order index.
std::optional<FieldRange> IntegerFieldRangeAt(const CChannelDb &db, NodeKind kind, int declarationIndex);
