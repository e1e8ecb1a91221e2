// What the STB tells about itself: flash size and its table of flash chunks.
#pragma once

#include "link/ChunkHeader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr size_t kMaxStbChunks = 16;

struct StbInfo {
    uint32_t flashSize = 0;
    uint32_t spare = 0;       // second payload byte, carried unread
    uint32_t chunkCount = 0;
    std::vector<ChunkInfo> chunks; // at most kMaxStbChunks
    // Chunks the STB announced; larger than chunkCount only when the answer was refused.
    uint32_t reportedChunks = 0;

    // Index of the chunk with exactly this id, or -1.
    int FindChunk(uint32_t id) const;
};

// Flash size recorded for a flash type code (0 for unknown codes).
uint32_t FlashSizeForType(uint8_t code);

// Fills info from the payload of the version answer. An answer announcing more than 16 chunks
// is refused with 11 (the table would not hold it); info then names the count in
// reportedChunks. Returns 0 on success.
int ParseStbInfo(const uint8_t *payload, size_t length, StbInfo &info);
