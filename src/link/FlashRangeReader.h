// Reading ranges of the receiver's flash in any protocol generation, for backup and verify.
#pragma once

#include "link/CUpgradeLink.h"
#include "link/ChunkHeader.h"

#include <cstdint>
#include <vector>

class StepMeter;

struct FlashRange {
    uint32_t start = 0;
    uint32_t length = 0;
};

// Flash address of every chunk of a table: the sum of the size fields before it.
std::vector<uint64_t> ChunkAddresses(const std::vector<ChunkInfo> &chunks);

// Reads every range into out (one buffer per range, exactly its length). The packet form and the
// block dump read each range as it is; the whole dump of the oldest receivers (below 0x20) has no
// range, so the flash is read once and the ranges are cut out of it. A receiver that sends fewer
// or more bytes than asked gives 14 ("Error dump len"). Progress goes to meter, one part per dump.
int ReadFlashRanges(CUpgradeLink &link, const std::vector<FlashRange> &ranges, std::vector<std::vector<uint8_t>> &out,
                    StepMeter &meter, const LinkCancel &cancel);

// Total bytes ReadFlashRanges moves over the line for these ranges (the whole flash for the
// whole dump, which the caller cannot know before; the sum of the ranges otherwise).
uint64_t FlashRangeBytes(const std::vector<FlashRange> &ranges);
