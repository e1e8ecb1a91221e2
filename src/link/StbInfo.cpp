// Parsing of the STB information payload.
#include "link/StbInfo.h"

#include "link/LinkStatus.h"

int StbInfo::FindChunk(uint32_t id) const
{
    for (size_t i = 0; i < chunks.size(); ++i) {
        if (chunks[i].id == id)
            return int(i);
    }
    return -1;
}

uint32_t FlashSizeForType(uint8_t code)
{
    switch (code) {
    case 1: case 2: case 7: case 10:
        return 0x80000;
    case 3: case 4: case 8: case 9: case 11: case 13:
        return 0x100000;
    case 5: case 6: case 12: case 14: case 15: case 16:
        return 0x200000;
    default:
        return 0;
    }
}

int ParseStbInfo(const uint8_t *payload, size_t length, StbInfo &info)
{
    info = StbInfo {};
    // A payload too short for the type code or the spare byte leaves them 0.
    info.flashSize = length >= 1 ? FlashSizeForType(payload[0]) : 0;
    info.spare = length >= 2 ? payload[1] : 0;
    size_t count = length >= 2 ? (length - 2) / kChunkHeaderSize : 0;
    info.reportedChunks = uint32_t(count);
    if (count > kMaxStbChunks)
        return kLinkNotRecognized;
    for (size_t i = 0; i < count; ++i) {
        ChunkInfo chunk = ChunkHeader::Parse(payload + 2 + kChunkHeaderSize * i);
        int type = ChunkTypeOf(chunk.id);
        if (type == 1 || type == 4)
            chunk.crc = kNoCrcMark;
        info.chunks.push_back(std::move(chunk));
    }
    info.chunkCount = uint32_t(count);
    return kLinkOk;
}
