// Declaration and position orders of one node kind.
#include "layout/NodeLayout.h"

#include <algorithm>
#include <cstdint>

void NodeLayout::Assign(std::vector<FieldDesc> fields, bool withPositionOrder)
{
    m_declarations = std::move(fields);
    m_present = true;
    m_positions.clear();
    m_hasPositionOrder = false;
    if (!withPositionOrder)
        return;
    int highest = 0;
    for (const FieldDesc &f : m_declarations)
        highest = std::max(highest, f.pos);
    if (highest < 1)
        return;  // no field has a position: the position order is absent
    // A position beyond the field count always has a gap before it, where iteration stops;
    // without this bound one number in a template or cache could ask for gigabytes.
    highest = std::min(highest, int(m_declarations.size()));
    m_positions.assign(size_t(highest) + 1, std::nullopt);
    for (const FieldDesc &f : m_declarations) {
        if (f.pos >= 1 && f.pos <= highest)
            m_positions[size_t(f.pos - 1)] = f;  // a later field with the same pos wins
    }
    m_hasPositionOrder = true;
}

void NodeLayout::Clear()
{
    *this = NodeLayout();
}

const FieldDesc *NodeLayout::Field(int index, FieldOrder order) const
{
    if (!m_present || index < 0)
        return nullptr;
    if (order == DeclarationOrder)
        return size_t(index) < m_declarations.size() ? &m_declarations[size_t(index)] : nullptr;
    if (!m_hasPositionOrder || size_t(index) >= m_positions.size() || !m_positions[size_t(index)])
        return nullptr;
    return &*m_positions[size_t(index)];
}

int NodeLayout::PositionCount() const
{
    int count = 0;
    while (size_t(count) < m_positions.size() && m_positions[size_t(count)])
        ++count;
    return count;
}

int NodeLayout::FindField(const std::string &name, FieldOrder order) const
{
    if (!m_present)
        return -1;
    if (order == DeclarationOrder) {
        for (size_t i = 0; i < m_declarations.size(); ++i) {
            if (m_declarations[i].name == name)
                return int(i);
        }
        return -1;
    }
    const int count = PositionCount();
    for (int i = 0; i < count; ++i) {
        if (m_positions[size_t(i)]->name == name)
            return i;
    }
    return -1;
}

int NodeLayout::NodeSize() const
{
    if (!m_present)
        return 0;
    int64_t bits = 0;
    for (const FieldDesc &f : m_declarations)
        bits += f.sizeBits;
    if (bits <= 0 || bits % 8 != 0 || bits / 8 > INT32_MAX)
        return 0;
    return int(bits / 8);
}
