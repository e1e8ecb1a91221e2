// ReadFlashRanges: the dumps of backup and verify, with the whole-dump fallback of old receivers.
#include "link/FlashRangeReader.h"

#include "link/StepMeter.h"

namespace {

// The whole dump takes the flash into a buffer of the upload's size.
constexpr size_t kWholeFlashBuffer = 0x800000;

} // namespace

std::vector<uint64_t> ChunkAddresses(const std::vector<ChunkInfo> &chunks)
{
    std::vector<uint64_t> addresses;
    addresses.reserve(chunks.size());
    uint64_t address = 0;
    for (const ChunkInfo &chunk : chunks) {
        addresses.push_back(address);
        address += chunk.size;
    }
    return addresses;
}

uint64_t FlashRangeBytes(const std::vector<FlashRange> &ranges)
{
    uint64_t total = 0;
    for (const FlashRange &range : ranges)
        total += range.length;
    return total;
}

int ReadFlashRanges(CUpgradeLink &link, const std::vector<FlashRange> &ranges, std::vector<std::vector<uint8_t>> &out,
                    StepMeter &meter, const LinkCancel &cancel)
{
    out.assign(ranges.size(), {});
    if (link.ProtocolVersion() < 0x20) {
        std::vector<uint8_t> flash(kWholeFlashBuffer);
        uint32_t length = uint32_t(flash.size());
        const int status = link.DumpFlash(flash.data(), flash.size(), length,
                                          meter.Part(FlashRangeBytes(ranges)), cancel, 0, 0);
        if (status != kLinkOk)
            return status;
        for (size_t i = 0; i < ranges.size(); ++i) {
            const FlashRange &r = ranges[i];
            if (uint64_t(r.start) + r.length > std::min<uint64_t>(length, flash.size()))
                return kLinkDumpLength;
            out[i].assign(flash.begin() + r.start, flash.begin() + r.start + r.length);
        }
        return kLinkOk;
    }
    for (size_t i = 0; i < ranges.size(); ++i) {
        const FlashRange &r = ranges[i];
        if (r.length == 0)
            continue; // a length of 0 would ask for the whole flash
        out[i].assign(r.length, 0);
        uint32_t length = r.length;
        const int status = link.DumpFlash(out[i].data(), out[i].size(), length, meter.Part(r.length), cancel,
                                          r.start, r.length);
        if (status != kLinkOk)
            return status;
        if (length != r.length)
            return kLinkDumpLength;
    }
    return kLinkOk;
}
