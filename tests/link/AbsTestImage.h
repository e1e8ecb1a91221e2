// Test helper: builds ".abs" images chunk by chunk.
#pragma once

#include "core/ByteOrder.h"
#include "link/ChunkHeader.h"
#include "link/LinkCrc.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <vector>

struct AbsTestImage {
    std::vector<uint8_t> bytes;

    // Appends a chunk: header (id, length = 112 + contents, size, crc) and the contents, padded
    // with 0xFF up to size when size is not 0.
    size_t Add(uint32_t id, const std::vector<uint8_t> &contents, uint32_t size, bool withCrc = true)
    {
        size_t offset = bytes.size();
        std::vector<uint8_t> chunk(kChunkHeaderSize, 0);
        chunk.insert(chunk.end(), contents.begin(), contents.end());
        const uint32_t length = uint32_t(chunk.size() - 16);
        ByteOrder::WriteBe32(chunk.data(), id);
        ByteOrder::WriteBe32(chunk.data() + 4, length);
        ByteOrder::WriteBe32(chunk.data() + 8, size);
        for (size_t i = 16; i < kChunkHeaderSize; ++i)
            chunk[i] = uint8_t(i);
        const uint32_t crc = withCrc ? LinkCrc(kCrcStart, chunk.data() + 16, length) : kNoCrcMark;
        ByteOrder::WriteBe32(chunk.data() + 12, crc);
        if (size > chunk.size())
            chunk.resize(size, 0xFF);
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
        return offset;
    }

    bool Save(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && f.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size());
    }
};

inline std::vector<uint8_t> Pattern(size_t n, uint8_t seed)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = uint8_t(seed + i * 13);
    return v;
}
