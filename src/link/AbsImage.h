// Walking the chunk chain of an ".abs" flash image.
#pragma once

#include "link/ChunkHeader.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct AbsChunk {
    uint64_t offset = 0;
    ChunkInfo info; // id, length, size and crc of its header (texts are not read)
};

// What a walk found: the chain, and the file's database chunks.
struct AbsWalk {
    uint32_t chunkCount = 0;
    std::vector<AbsChunk> chunks; // the first kMaxListedChunks of the chain
    bool hasDefaultDb = false;
    uint64_t defaultDbOffset = 0;
    uint32_t defaultDbSize = 0; // its size field (the space it takes in flash)
    uint32_t defaultDbLength = 0;
    bool hasUserDb = false;
    uint64_t userDbOffset = 0;
    uint64_t userDbSize = 0; // its length + 16
    uint64_t fileSize = 0;
    // Why a walk failed: the chunk (index in the chain, from 0) and its id, or -1 when the
    // failure is not one chunk's (a file too short, a chain without a last chunk).
    int failedChunk = -1;
    uint32_t failedId = 0;
    QString failure;

    static constexpr size_t kMaxListedChunks = 1024;
};

// "chunk 2 (0x04FB0100): CRC mismatch", or the failure alone when no chunk is to blame;
// empty after a good walk.
QString AbsWalkFailureText(const AbsWalk &walk);

// Reads count bytes at offset into out; false when they are not all there.
using AbsReader = std::function<bool(uint64_t offset, uint8_t *out, size_t count)>;

// Walks the chain: every chunk id after the first must have its second byte the complement
// of the first, a chunk's length must fit its size, and a chunk with a CRC must lie inside
// the file and match it. Returns the number of chunks, 0 when the file is not a valid chain
// (including a chain that runs off the end without a last chunk of size 0).
uint32_t WalkAbsChunks(const QString &path, AbsWalk &walk);
uint32_t WalkAbsChunks(const uint8_t *bytes, size_t size, AbsWalk &walk);
uint32_t WalkAbsChunks(uint64_t fileSize, const AbsReader &read, AbsWalk &walk);
