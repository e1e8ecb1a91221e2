// One node kind's slot map: node index to the byte offset of its record in the pool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct NodeTable
{
    static constexpr int kMaxSlots = 32767;  // the slot count is a signed 16-bit number

    char tag[4] = {'D', 'B', '@', 'T'};
    std::string name;                // "TT01", "ST01" or "PT01"
    std::vector<int32_t> slots;      // record offset per slot, -1 for a free slot
    uint32_t guard = 0x12345678;

    int Count() const { return int(slots.size()); }
};

// The favourite groups of a database: names and the bytes of the favourite sub-chunk around them.
struct FavouriteRecord
{
    uint8_t type = 1;
    uint32_t dataLength = 0;          // 3 + count * name length
    std::string typeName;             // "Favorite Group"
    uint8_t count = 0;
    uint8_t nameLength = 0;
    uint8_t extra = 0;
    std::vector<std::string> names;   // count names of at most nameLength bytes
};

// An index entry while a file is being read.
struct LoadEntry
{
    uint32_t id = 0;
    uint32_t offset = 0;              // pool offset of the node's DB4 record
};
