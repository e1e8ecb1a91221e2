// Parsing and building of the 128-byte chunk header.
#include "link/ChunkHeader.h"

#include "core/ByteOrder.h"

#include <algorithm>

int ChunkTypeOf(uint32_t id)
{
    switch (id >> 16) {
    case 0xE300: return 1;
    case 0x02FD: return 2;
    case 0x03FC: return 3;
    case 0x04FB: return 4;
    default: return 0;
    }
}

ChunkInfo ChunkHeader::Parse(const uint8_t *p)
{
    ChunkInfo info;
    info.id = ByteOrder::ReadBe32(p);
    info.length = ByteOrder::ReadBe32(p + 4);
    info.size = ByteOrder::ReadBe32(p + 8);
    info.crc = ByteOrder::ReadBe32(p + 12);
    std::copy_n(p + 16, kChunkTextSize, info.text1.begin());
    std::copy_n(p + 32, kChunkTextSize, info.text2.begin());
    std::copy_n(p + 48, kChunkTextSize, info.text3.begin());
    return info;
}

void ChunkHeader::Build(const ChunkInfo &info, uint8_t *out)
{
    ByteOrder::WriteBe32(out, info.id);
    ByteOrder::WriteBe32(out + 4, info.length);
    ByteOrder::WriteBe32(out + 8, info.size);
    ByteOrder::WriteBe32(out + 12, info.crc);
    std::copy(info.text1.begin(), info.text1.end(), out + 16);
    std::copy(info.text2.begin(), info.text2.end(), out + 32);
    std::copy(info.text3.begin(), info.text3.end(), out + 48);
    std::fill(out + 64, out + kChunkHeaderSize, uint8_t(0xFF));
}

std::array<uint8_t, kChunkHeaderSize> ChunkHeader::Build(const ChunkInfo &info)
{
    std::array<uint8_t, kChunkHeaderSize> out {};
    Build(info, out.data());
    return out;
}
