// The layout of one node kind: its fields in declaration order and in position order.
#pragma once

#include "layout/FieldDesc.h"

#include <optional>
#include <vector>

class NodeLayout
{
public:
    // Replaces the layout by the given declaration order and rebuilds the position order.
    // withPositionOrder is false for the default-program kind, which has none.
    void Assign(std::vector<FieldDesc> fields, bool withPositionOrder);
    void Clear();

    bool IsPresent() const { return m_present; }
    bool HasPositionOrder() const { return m_hasPositionOrder; }

    const std::vector<FieldDesc> &Declarations() const { return m_declarations; }
    // Slot i holds the field with pos i + 1, or nothing; iteration stops at the first empty slot.
    const std::vector<std::optional<FieldDesc>> &Positions() const { return m_positions; }

    // The field at an index of the chosen order, or null when the list or the entry is absent.
    const FieldDesc *Field(int index, FieldOrder order) const;

    int DeclarationCount() const { return int(m_declarations.size()); }
    // Number of slots before the first empty one.
    int PositionCount() const;

    // Index of the first field with exactly this name, -1 when absent.
    int FindField(const std::string &name, FieldOrder order) const;

    // Sum of the field sizes in bytes; 0 when it is not a whole number of bytes or absent.
    int NodeSize() const;

private:
    bool m_present = false;
    bool m_hasPositionOrder = false;
    std::vector<FieldDesc> m_declarations;
    std::vector<std::optional<FieldDesc>> m_positions;
};
