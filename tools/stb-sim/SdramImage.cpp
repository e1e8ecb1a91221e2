// Chunk-by-chunk rebuild of the flash contents in SDRAM, then the burn into flash.
#include "SdramImage.h"

#include <algorithm>
#include <cstring>

SdramImage::SdramImage(FlashImage &flash) : m_flash(flash)
{
}

void SdramImage::Reset()
{
    m_image.clear();
    m_loaded.clear();
    m_placed.clear();
    m_addressSet = false;
    m_next = 0;
}

uint32_t SdramImage::SetAddress(uint32_t address)
{
    Reset();
    if (address >= m_flash.Size())
        return StbRefusal::kAddressOverflow;
    const auto &chunks = m_flash.Chunks();
    size_t index = 0;
    while (index < chunks.size() && chunks[index].address < address)
        ++index;
    if (index == chunks.size() || chunks[index].address != address)
        return StbRefusal::kBadParameter;   // the rebuild starts at a chunk header only
    m_image.assign(m_flash.Size(), 0xFF);
    m_loaded.assign(chunks.size(), false);
    m_placed.assign(chunks.size(), false);
    m_addressSet = true;
    m_next = index;
    return 0;
}

uint32_t SdramImage::Keep(uint32_t id, uint32_t size)
{
    if (!m_addressSet)
        return StbRefusal::kAddressNotSet;
    const auto &chunks = m_flash.Chunks();
    // The next chunk in table order is the usual case; any other chunk is kept where it lies.
    size_t index = chunks.size();
    if (m_next < chunks.size() && chunks[m_next].id == id)
        index = m_next;
    for (size_t i = 0; i < chunks.size() && index == chunks.size(); ++i)
        if (chunks[i].id == id)
            index = i;
    if (index == chunks.size())
        return StbRefusal::kChunkNotFound;
    const FlashChunk &c = chunks[index];
    if (size > c.extent)
        return StbRefusal::kBadParameter;
    std::memcpy(m_image.data() + c.address, m_flash.Bytes().data() + c.address, c.extent);
    m_loaded[index] = true;
    m_next = index + 1;
    return 0;
}

uint32_t SdramImage::CheckTransfer(uint64_t n) const
{
    if (!m_addressSet)
        return StbRefusal::kAddressNotSet;
    const auto &chunks = m_flash.Chunks();
    if (m_next >= chunks.size())
        return StbRefusal::kChunkNotFound;
    if (n > chunks[m_next].extent)
        return StbRefusal::kNotEnoughBuffer;
    return 0;
}

uint32_t SdramImage::Place(const std::vector<uint8_t> &data)
{
    if (const uint32_t refusal = CheckTransfer(data.size()))
        return refusal;
    const FlashChunk &c = m_flash.Chunks()[m_next];
    uint8_t *dst = m_image.data() + c.address;
    std::memcpy(dst, data.data(), data.size());
    std::memset(dst + data.size(), 0xFF, c.extent - data.size());
    m_loaded[m_next] = true;
    m_placed[m_next] = true;
    ++m_next;
    return 0;
}

uint32_t SdramImage::BurnBytes() const
{
    uint32_t total = 0;
    const auto &chunks = m_flash.Chunks();
    for (size_t i = 0; i < m_loaded.size() && i < chunks.size(); ++i)
        if (m_loaded[i])
            total += chunks[i].extent;
    return total;
}

uint32_t SdramImage::Burn(const std::function<void(uint32_t kilobytes)> &progress)
{
    if (!m_addressSet || BurnBytes() == 0)
        return StbRefusal::kNothingToBurn;
    constexpr uint32_t kStep = 0x10000;
    uint32_t written = 0;
    uint32_t reported = 0;
    const auto chunks = m_flash.Chunks();   // a copy: the table is rebuilt after the burn
    for (size_t i = 0; i < chunks.size(); ++i) {
        if (!m_loaded[i])
            continue;
        const FlashChunk &c = chunks[i];
        for (uint32_t off = 0; off < c.extent; off += kStep) {
            const uint32_t n = std::min(kStep, c.extent - off);
            std::memcpy(m_flash.Bytes().data() + c.address + off, m_image.data() + c.address + off, n);
            written += n;
            if (written - reported >= kStep) {
                reported = written;
                if (progress)
                    progress(written / 1024);
            }
        }
    }
    if (progress && reported != written)
        progress(written / 1024);
    if (m_corruptBurn) {
        for (size_t i = 0; i < chunks.size(); ++i) {
            if (!m_placed[i] || chunks[i].extent == 0)
                continue;
            const uint32_t offset = std::min(m_corruptOffset, chunks[i].extent - 1);
            uint8_t &byte = m_flash.Bytes()[chunks[i].address + offset];
            byte = uint8_t(~byte);
            break;
        }
    }
    m_flash.SetDirty(true);
    std::string ignored;
    m_flash.Rescan(ignored);
    Reset();
    return 0;
}
