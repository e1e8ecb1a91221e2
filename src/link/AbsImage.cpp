// The ".abs" chunk walk with its complement rule and CRC checks.
#include "link/AbsImage.h"

#include "core/ByteOrder.h"
#include "link/LinkCrc.h"

#include <QFile>
#include <algorithm>
#include <cstring>

QString AbsWalkFailureText(const AbsWalk &walk)
{
    if (walk.failedChunk < 0)
        return walk.failure;
    return QString::asprintf("chunk %d (0x%08X): ", walk.failedChunk, walk.failedId) + walk.failure;
}

namespace {

uint32_t WalkFailed(AbsWalk &walk, int chunk, uint32_t id, const QString &why)
{
    walk.chunkCount = 0;
    walk.failedChunk = chunk;
    walk.failedId = id;
    walk.failure = why;
    return 0;
}

} // namespace

uint32_t WalkAbsChunks(uint64_t fileSize, const AbsReader &read, AbsWalk &walk)
{
    walk = AbsWalk {};
    walk.fileSize = fileSize;
    uint64_t p = 0;
    uint32_t count = 0;
    std::vector<uint8_t> piece(1024);
    if (fileSize < kChunkHeaderSize)
        return WalkFailed(walk, -1, 0, QStringLiteral("the file is shorter than one chunk header (128 bytes)"));
    while (p + kChunkHeaderSize <= fileSize) {
        uint8_t head[16];
        const int index = int(std::min<uint32_t>(count, INT32_MAX));
        if (!read(p, head, sizeof head))
            return WalkFailed(walk, index, 0, QStringLiteral("header cannot be read"));
        ChunkInfo info;
        info.id = ByteOrder::ReadBe32(head);
        info.length = ByteOrder::ReadBe32(head + 4);
        info.size = ByteOrder::ReadBe32(head + 8);
        info.crc = ByteOrder::ReadBe32(head + 12);
        if (count > 0 && head[0] + head[1] != 255)
            return WalkFailed(walk, index, info.id, QStringLiteral("the second id byte is not the complement of the first"));
        // A size below 16 cannot hold even the numbered part of a header.
        if (info.size != 0 && (info.size < 16 || info.length > info.size - 16))
            return WalkFailed(walk, index, info.id,
                              QString::asprintf("length 0x%08X does not fit its size 0x%08X", info.length, info.size));
        if (info.crc != kNoCrcMark) {
            if (p + 16 + info.length > fileSize)
                return WalkFailed(walk, index, info.id, QStringLiteral("runs past the end of the file"));
            uint32_t crc = kCrcStart;
            uint64_t done = 0;
            while (done < info.length) {
                size_t n = size_t(std::min<uint64_t>(piece.size(), info.length - done));
                if (!read(p + 16 + done, piece.data(), n))
                    return WalkFailed(walk, index, info.id, QStringLiteral("contents cannot be read"));
                crc = LinkCrc(crc, piece.data(), n);
                done += n;
            }
            if (crc != info.crc)
                return WalkFailed(walk, index, info.id, QStringLiteral("CRC mismatch"));
        }
        ++count;
        const int type = ChunkTypeOf(info.id);
        if (type == 3) {
            walk.hasDefaultDb = true;
            walk.defaultDbOffset = p;
            walk.defaultDbSize = info.size;
            walk.defaultDbLength = info.length;
        } else if (type == 4) {
            walk.hasUserDb = true;
            walk.userDbOffset = p;
            walk.userDbSize = uint64_t(info.length) + 16;
        }
        if (walk.chunks.size() < AbsWalk::kMaxListedChunks)
            walk.chunks.push_back(AbsChunk {p, info});
        walk.chunkCount = count;
        if (info.size == 0)
            return count;
        p += info.size;
    }
    return WalkFailed(walk, -1, 0,
                      QString::asprintf("the chain runs past the end of the file after %u chunks without a last chunk",
                                        count));
}

uint32_t WalkAbsChunks(const uint8_t *bytes, size_t size, AbsWalk &walk)
{
    return WalkAbsChunks(size, [bytes, size](uint64_t offset, uint8_t *out, size_t count) {
        if (offset > size || count > size - offset)
            return false;
        std::memcpy(out, bytes + offset, count);
        return true;
    }, walk);
}

uint32_t WalkAbsChunks(const QString &path, AbsWalk &walk)
{
    walk = AbsWalk {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return WalkFailed(walk, -1, 0, file.errorString());
    return WalkAbsChunks(uint64_t(file.size()), [&file](uint64_t offset, uint8_t *out, size_t count) {
        if (!file.seek(qint64(offset)))
            return false;
        return file.read(reinterpret_cast<char *>(out), qint64(count)) == qint64(count);
    }, walk);
}
