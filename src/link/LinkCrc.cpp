// Table-driven CRC-32/MPEG-2.
#include "link/LinkCrc.h"

#include <array>

namespace {

std::array<uint32_t, 256> MakeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : (c << 1);
        table[i] = c;
    }
    return table;
}

const std::array<uint32_t, 256> &Table()
{
    // Built once, thread-safely, before the first byte is checked.
    static const std::array<uint32_t, 256> table = MakeTable();
    return table;
}

} // namespace

void BuildCrcTable()
{
    (void)Table();
}

uint32_t LinkCrc(uint32_t start, const uint8_t *bytes, size_t count)
{
    const auto &table = Table();
    uint32_t c = start;
    for (size_t i = 0; i < count; ++i)
        c = (c << 8) ^ table[((c >> 24) ^ bytes[i]) & 0xFFu];
    return c;
}
