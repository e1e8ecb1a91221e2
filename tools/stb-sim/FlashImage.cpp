// Loading, creating, saving and walking the flash image of the simulated box.
#include "FlashImage.h"

#include "core/ByteOrder.h"
#include "link/LinkCrc.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kFlash512K = 0x80000;
constexpr uint32_t kFlash1M = 0x100000;
constexpr uint32_t kFlash2M = 0x200000;

// Deterministic filler so that images compare byte for byte between runs.
void FillPattern(uint8_t *p, size_t n, uint32_t seed)
{
    uint32_t x = seed ? seed : 1;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        p[i] = uint8_t(x);
    }
}

void CopyText(uint8_t *field, const char *text)
{
    std::memset(field, 0, 16);
    std::memcpy(field, text, std::min<size_t>(std::strlen(text), 15));
}

} // namespace

void FlashImage::WriteHeader(uint8_t *p, uint32_t id, uint32_t length, uint32_t size, uint32_t crc,
                             const char *text1, const char *text2, const char *text3)
{
    ByteOrder::WriteBe32(p, id);
    ByteOrder::WriteBe32(p + 4, length);
    ByteOrder::WriteBe32(p + 8, size);
    ByteOrder::WriteBe32(p + 12, crc);
    CopyText(p + 16, text1);
    CopyText(p + 32, text2);
    CopyText(p + 48, text3);
    std::memset(p + 64, 0xFF, 64);
}

bool FlashImage::Load(const std::string &path, std::string &error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot open " + path;
        return false;
    }
    const qint64 fileSize = file.size();
    if (fileSize < qint64(kHeaderSize) || fileSize > qint64(kFlash2M)) {
        error = path + ": an image must hold 128 bytes to 2 MiB";
        return false;
    }
    const uint32_t flashSize = fileSize <= kFlash512K ? kFlash512K : fileSize <= kFlash1M ? kFlash1M : kFlash2M;
    m_bytes.assign(flashSize, 0xFF);
    if (file.read(reinterpret_cast<char *>(m_bytes.data()), fileSize) != fileSize) {
        error = "cannot read " + path;
        return false;
    }
    m_path = path;
    m_dirty = false;
    return Rescan(error);
}

void FlashImage::CreateDefault()
{
    m_bytes.assign(kFlash2M, 0xFF);
    uint8_t *f = m_bytes.data();

    // Boot chunk at 0: 64 KiB, no CRC, 16 KiB of code.
    const uint32_t bootLength = 0x4000 - 16;
    FillPattern(f + 0x000000 + kHeaderSize, bootLength + 16 - kHeaderSize, 0xB007);
    WriteHeader(f + 0x000000, 0xE3000100, bootLength, 0x10000, kNoCrc, "BOOT", "STB-SIM", "1.0");

    // Code chunk at 0x10000: 384 KiB with CRC, 256 KiB used, the rest erased.
    const uint32_t codeLength = 0x40000 - 16;
    FillPattern(f + 0x010000 + kHeaderSize, codeLength + 16 - kHeaderSize, 0xC0DE);
    WriteHeader(f + 0x010000, 0x02FD0100, codeLength, 0x60000, 0, "MAIN CODE", "STB-SIM", "1.0");
    ByteOrder::WriteBe32(f + 0x010000 + 12, LinkCrc(kCrcStart, f + 0x010000 + 16, codeLength));

    // Default database at 0x70000: 64 KiB with CRC, 12 KiB used.
    const uint32_t defaultLength = 0x3000 - 16;
    FillPattern(f + 0x070000 + kHeaderSize, defaultLength + 16 - kHeaderSize, 0xDB03);
    WriteHeader(f + 0x070000, 0x03FC0100, defaultLength, 0x10000, 0, "DEFAULT DB", "STB-SIM", "1.0");
    ByteOrder::WriteBe32(f + 0x070000 + 12, LinkCrc(kCrcStart, f + 0x070000 + 16, defaultLength));

    // User database at 0x80000, the last chunk: 512 KiB, 8 KiB used, no CRC; erased flash follows.
    const uint32_t userLength = 0x80000 - 16;
    FillPattern(f + 0x080000 + kHeaderSize, 0x2000 - kHeaderSize, 0xDB04);
    WriteHeader(f + 0x080000, 0x04FB0100, userLength, 0, kNoCrc, "USER DB", "STB-SIM", "1.0");

    std::string ignored;
    Rescan(ignored);
    m_dirty = false;
}

bool FlashImage::Save(std::string &error)
{
    if (m_path.empty()) {
        m_dirty = false;
        return true;
    }
    QSaveFile file(QString::fromStdString(m_path));
    if (!file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char *>(m_bytes.data()), qint64(m_bytes.size())) != qint64(m_bytes.size())
        || !file.commit()) {
        error = "cannot write " + m_path;
        return false;
    }
    m_dirty = false;
    return true;
}

bool FlashImage::Rescan(std::string &error)
{
    m_chunks.clear();
    uint64_t p = 0;
    const uint64_t total = m_bytes.size();
    while (p + kHeaderSize <= total) {
        const uint8_t *h = m_bytes.data() + p;
        FlashChunk c;
        c.id = ByteOrder::ReadBe32(h);
        c.length = ByteOrder::ReadBe32(h + 4);
        c.size = ByteOrder::ReadBe32(h + 8);
        c.crc = ByteOrder::ReadBe32(h + 12);
        c.address = uint32_t(p);
        if (c.id == 0xFFFFFFFFu)
            break;   // erased flash: the chain ends without a last chunk
        if (c.size != 0 && (c.size < kHeaderSize || p + c.size > total))
            break;   // a broken link: keep what was found so far
        c.extent = c.size != 0 ? c.size : uint32_t(total - p);
        if (m_chunks.size() == kMaxChunks) {
            error = "more than 15 chunks; the rest is not reported";
            return true;
        }
        m_chunks.push_back(c);
        if (c.size == 0)
            break;
        p += c.size;
    }
    if (m_chunks.empty()) {
        error = "the image holds no chunk header at address 0";
        return false;
    }
    return true;
}

uint8_t FlashImage::FlashTypeCode() const
{
    switch (m_bytes.size()) {
    case kFlash512K: return 1;
    case kFlash1M: return 3;
    case kFlash2M: return 5;
    default: return 0;
    }
}

std::vector<uint8_t> FlashImage::InfoPayload() const
{
    std::vector<uint8_t> payload(2 + m_chunks.size() * kHeaderSize);
    payload[0] = FlashTypeCode();
    payload[1] = 0;
    for (size_t i = 0; i < m_chunks.size(); ++i)
        std::memcpy(payload.data() + 2 + i * kHeaderSize, m_bytes.data() + m_chunks[i].address, kHeaderSize);
    return payload;
}
