// Constants and small helpers of the ".usd" / ".ddf" container shared by reader and writer.
#pragma once

#include "layout/NodeKind.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace DatabaseFormat {

constexpr int kSubChunkHeaderSize = 16;
constexpr uint8_t kNodeDataType = 1;
constexpr uint8_t kFavouriteType = 2;
constexpr int kMaxPayload = 852096;
constexpr int kDefaultFileSize = 65280;
constexpr int kDefaultCompressBuffer = 130816;
constexpr uint32_t kIndexMagic = 0xF00FF00F;
constexpr uint32_t kDataMagic = 0x12345678;
constexpr int kIndexEntrySize = 7;
constexpr const char *kFillPattern = "SMTDB4";

// The one favourite type a database knows.
constexpr uint8_t kFavouriteGroupType = 1;
constexpr const char *kFavouriteGroupTypeName = "Favorite Group";

// Zero bytes that bring a stream of length e to a multiple of 16 after its 16-byte header.
inline int StreamPadding(int e)
{
    return 15 - ((e + 15) % 16);
}

// Kind of a node by its id; none for an id no kind can have.
inline std::optional<NodeKind> KindOfNodeId(uint32_t id)
{
    const bool satBits = (id & 0x0FF00000u) != 0;
    const bool tpBits = (id & 0x000FFC00u) != 0;
    const bool progBits = (id & 0x000003FFu) != 0;
    if (satBits && !tpBits && !progBits)
        return KindSatellite;
    if (tpBits && !progBits)
        return KindTransponder;
    if (tpBits && progBits)
        return KindProgram;
    return std::nullopt;
}

} // namespace DatabaseFormat
