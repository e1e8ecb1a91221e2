// Flash chunks of the STB: the chunk record, the 128-byte chunk header and the chunk types.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kDefaultDbChunkId = 0x03FC0100u;
constexpr uint32_t kUserDbChunkId = 0x04FB0100u;
// The letters N, C, R, C in the crc field: the chunk carries no CRC.
constexpr uint32_t kNoCrcMark = 0x4E435243u;
constexpr size_t kChunkHeaderSize = 128;
constexpr size_t kChunkTextSize = 16;

// 1 no CRC (0xE300), 2 plain (0x02FD), 3 default database (0x03FC), 4 user database (0x04FB), else 0.
int ChunkTypeOf(uint32_t id);

// One flash chunk as the STB reports it.
struct ChunkInfo {
    uint32_t id = 0;
    uint32_t length = 0; // bytes from offset 16 of the header to the end of the contents
    uint32_t size = 0;   // distance to the next header; 0 for the last chunk
    uint32_t crc = 0;    // or kNoCrcMark
    std::array<uint8_t, kChunkTextSize> text1 {};
    std::array<uint8_t, kChunkTextSize> text2 {};
    std::array<uint8_t, kChunkTextSize> text3 {};
    std::vector<uint8_t> data; // new contents to load (download only); empty when kept
};

// The 128-byte header, big-endian on the wire, in flash and in ".abs" files.
class ChunkHeader
{
public:
    // Reads the first 128 bytes of p; the caller guarantees they exist.
    static ChunkInfo Parse(const uint8_t *p);
    // Writes the header of info into out (128 bytes); bytes 64 to 127 become 0xFF.
    static void Build(const ChunkInfo &info, uint8_t *out);
    static std::array<uint8_t, kChunkHeaderSize> Build(const ChunkInfo &info);
};
