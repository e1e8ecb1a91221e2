// The box's flash: an ".abs" image (chain of chunks with 128-byte headers) and its chunk table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FlashChunk {
    uint32_t id = 0;
    uint32_t length = 0;    // bytes from header offset 16 to the end of the contents
    uint32_t size = 0;      // distance to the next header, 0 for the last chunk
    uint32_t crc = 0;
    uint32_t address = 0;   // where the header sits in flash
    uint32_t extent = 0;    // bytes the chunk occupies: size, or up to the end of flash
};

class FlashImage {
public:
    static constexpr uint32_t kHeaderSize = 128;
    static constexpr uint32_t kNoCrc = 0x4E435243;   // the letters "NCRC"
    // The packet-form chunk answer must stay within 2044 data bytes: 4 + 2 + 15 * 128.
    static constexpr size_t kMaxChunks = 15;

    // Loads an image file; the flash is the file padded with 0xFF to 512 KiB, 1 MiB or 2 MiB.
    bool Load(const std::string &path, std::string &error);
    // A fresh 2 MiB image: boot, code, default-database and user-database chunks, erased space.
    void CreateDefault();
    // Writes the whole flash to the image file (atomically); no-op without a file.
    bool Save(std::string &error);
    void SetPath(const std::string &path) { m_path = path; }
    const std::string &Path() const { return m_path; }

    // Rebuilds the chunk table from the headers in flash.
    bool Rescan(std::string &error);

    uint32_t Size() const { return uint32_t(m_bytes.size()); }
    std::vector<uint8_t> &Bytes() { return m_bytes; }
    const std::vector<uint8_t> &Bytes() const { return m_bytes; }
    const std::vector<FlashChunk> &Chunks() const { return m_chunks; }
    uint8_t FlashTypeCode() const;

    // The version / chunk answer: flash type code, spare byte, then every chunk header.
    std::vector<uint8_t> InfoPayload() const;

    bool Dirty() const { return m_dirty; }
    void SetDirty(bool dirty) { m_dirty = dirty; }

    // Writes a 128-byte header at p.
    static void WriteHeader(uint8_t *p, uint32_t id, uint32_t length, uint32_t size, uint32_t crc,
                            const char *text1, const char *text2, const char *text3);

private:
    std::vector<uint8_t> m_bytes;
    std::vector<FlashChunk> m_chunks;
    std::string m_path;
    bool m_dirty = false;
};
