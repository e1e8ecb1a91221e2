// The box's SDRAM: the flash contents rebuilt chunk by chunk before a burn.
#pragma once

#include "FlashImage.h"

#include <cstdint>
#include <functional>
#include <vector>

// Final refusals the box answers with (status 1 and one of these codes).
namespace StbRefusal {
constexpr uint32_t kBadParameter = 65536;
constexpr uint32_t kAddressOverflow = 65537;
constexpr uint32_t kAddressNotSet = 65538;
constexpr uint32_t kChunkNotFound = 65539;
constexpr uint32_t kNothingToBurn = 65540;
constexpr uint32_t kNotEnoughBuffer = 65541;
} // namespace StbRefusal

class SdramImage {
public:
    explicit SdramImage(FlashImage &flash);

    // Forgets everything loaded (reboot, new address).
    void Reset();
    // "address": starts the rebuild at the chunk that begins at this address. 0 or a refusal.
    uint32_t SetAddress(uint32_t address);
    // "move": keeps a chunk of the current flash. 0 or a refusal.
    uint32_t Keep(uint32_t id, uint32_t size);
    // Checks that the next chunk can take n bytes of transfer data. 0 or a refusal.
    uint32_t CheckTransfer(uint64_t n) const;
    // Puts transfer data into the next chunk; the rest of the chunk is erased. 0 or a refusal.
    uint32_t Place(const std::vector<uint8_t> &data);
    // Bytes a burn would write now (0: nothing can be burnt).
    uint32_t BurnBytes() const;
    // Writes every loaded chunk into flash; reports kilobytes written after each 64 KiB step.
    uint32_t Burn(const std::function<void(uint32_t kilobytes)> &progress);

    // A failing flash: every burn then complements the byte at offset from the header of the
    // first chunk that got transfer data (the last byte of the chunk when offset lies beyond it).
    void SetCorruptBurn(uint32_t offset) { m_corruptBurn = true; m_corruptOffset = offset; }

    // Index of the chunk the next transfer fills (for logs and tests).
    size_t NextChunk() const { return m_next; }

private:
    FlashImage &m_flash;
    std::vector<uint8_t> m_image;
    std::vector<bool> m_loaded;   // per chunk of the flash table
    std::vector<bool> m_placed;   // loaded with transfer data (not kept by "move")
    bool m_addressSet = false;
    size_t m_next = 0;
    bool m_corruptBurn = false;
    uint32_t m_corruptOffset = 0;
};
