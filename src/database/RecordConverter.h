// Conversion between the compact DB4 records of a file and the template-layout DB3 records.
#pragma once

#include "layout/FieldDesc.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class LayoutSet;

class RecordConverter
{
public:
    explicit RecordConverter(const LayoutSet &layouts);

    // Converts the DB4 record at `record` (with `available` bytes up to the end of the payload)
    // into `destination`, a DB3 record of NodeSize bytes that the caller filled with 0xFF.
    // Fails without a layout or when the record runs past `available`.
    bool Db4ToDb3(NodeKind kind, uint8_t *destination, size_t destinationSize, const uint8_t *record,
                  size_t available) const;

    // Appends the DB4 form of a DB3 record to `out` and returns its length, or -1.
    int Db3ToDb4(NodeKind kind, std::vector<uint8_t> &out, const uint8_t *record, size_t recordSize) const;

    // The node id a DB3 record carries in its id fields.
    uint32_t NodeIdOf(NodeKind kind, const uint8_t *record, size_t recordSize) const;

    // Satellite id 255 marks terrestrial nodes.
    static constexpr uint32_t kTerrestrialSatId = 255;
    static uint32_t SatIdOf(uint32_t nodeId) { return (nodeId >> 20) & 0xFF; }
    static uint32_t TpIdOf(uint32_t nodeId) { return (nodeId >> 10) & 0x3FF; }
    static uint32_t ProgIdOf(uint32_t nodeId) { return nodeId & 0x3FF; }

    bool IsValid(NodeKind kind) const { return IsTableKind(kind) && m_plans[KindSlot(kind)].valid; }

private:
    // An Integer field's place, worked out once per layout: writing it is then a few byte moves.
    struct IntSlot
    {
        bool present = false;
        uint32_t start = 0;      // byte of the field's word
        uint32_t bytes = 0;      // bytes of the word the field occupies (1..4)
        uint32_t first = 0;      // first of them that holds field bits
        uint32_t shift = 0;
        uint32_t mask = 0;       // in place, after the shift
        void Write(uint8_t *record, uint32_t value) const
        {
            if (!present)
                return;
            uint8_t *word = record + start;
            uint32_t old = 0;
            for (uint32_t i = 0; i < bytes; ++i)
                old |= uint32_t(word[i]) << (8 * i);
            const uint32_t merged = (old & ~mask) | ((value << shift) & mask);
            for (uint32_t i = first; i < bytes; ++i)
                word[i] = uint8_t(merged >> (8 * i));
        }
    };
    static IntSlot MakeIntSlot(const FieldDesc *field, size_t nodeSize);

    enum class Group { Cas, Audio, Name, Provider };
    struct VariableGroup
    {
        Group group;
        const FieldDesc *count = nullptr;
        IntSlot countSlot;
        std::array<const FieldDesc *, 2> data{};   // one or two companion fields (audio has two)
    };
    struct Plan
    {
        bool valid = false;
        int nodeSize = 0;
        size_t fixedStart = 0;    // S
        size_t fixedLength = 0;   // L
        size_t shortenBy = 0;     // bytes of the fixed region kept only for terrestrial nodes
        const FieldDesc *satId = nullptr;
        const FieldDesc *tpId = nullptr;
        const FieldDesc *progId = nullptr;
        IntSlot satIdSlot, tpIdSlot, progIdSlot;
        std::vector<VariableGroup> groups;
    };

    Plan MakePlan(NodeKind kind) const;

    const LayoutSet &m_layouts;
    std::array<Plan, 3> m_plans;
};
