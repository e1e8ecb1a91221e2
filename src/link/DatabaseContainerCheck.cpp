// Validating a database container without layouts, with a bounded inflate.
#include "link/DatabaseContainerCheck.h"

#include "core/ByteOrder.h"
#include "database/DatabaseFormat.h"

#include <zlib.h>

#include <vector>

using namespace DatabaseFormat;

QString CheckDatabaseContainer(const uint8_t *bytes, size_t size)
{
    if (size == 0)
        return QStringLiteral("the file is empty");
    if (size < size_t(kSubChunkHeaderSize))
        return QStringLiteral("the file is shorter than a sub-chunk header (16 bytes)");
    if (bytes[0] != kNodeDataType)
        return QString::asprintf("sub-chunk 1 is not compressed node data (type %u)", unsigned(bytes[0]));
    const size_t streamLength = ByteOrder::ReadBe24(bytes + 1);
    const size_t next = ByteOrder::ReadBe24(bytes + 4);
    if (streamLength == 0 || kSubChunkHeaderSize + streamLength > size)
        return QString::asprintf("the zlib stream (%zu bytes) does not lie inside the file", streamLength);
    if (next != 0 && (next < kSubChunkHeaderSize + streamLength || next + kSubChunkHeaderSize > size))
        return QString::asprintf("sub-chunk 2 (at %zu) does not lie inside the file", next);

    // One byte more than the largest payload tells a too large stream from a full one.
    std::vector<uint8_t> payload(size_t(kMaxPayload) + 1);
    z_stream z {};
    if (inflateInit(&z) != Z_OK)
        return QStringLiteral("zlib could not be started");
    z.next_in = const_cast<Bytef *>(bytes + kSubChunkHeaderSize);
    z.avail_in = uInt(streamLength);
    z.next_out = payload.data();
    z.avail_out = uInt(payload.size());
    const int result = inflate(&z, Z_FINISH);
    const size_t length = payload.size() - z.avail_out;
    const QString zlibMessage = z.msg ? QString::fromLatin1(z.msg) : QString();
    inflateEnd(&z);
    if (length > size_t(kMaxPayload))
        return QString::asprintf("the zlib stream inflates to more than %d bytes", kMaxPayload);
    if (result != Z_STREAM_END)
        return zlibMessage.isEmpty() ? QStringLiteral("the zlib stream is incomplete")
                                     : QStringLiteral("the zlib stream is damaged (%1)").arg(zlibMessage);

    if (length < 10 || ByteOrder::ReadLe32(payload.data()) != kIndexMagic)
        return QStringLiteral("the node data does not start with the index");
    const size_t entries = ByteOrder::ReadLe16(payload.data() + 4);
    const size_t indexEnd = 6 + entries * size_t(kIndexEntrySize);
    if (indexEnd > length)
        return QString::asprintf("the index of %zu entries runs past the node data", entries);
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t *entry = payload.data() + 6 + i * size_t(kIndexEntrySize);
        const uint32_t id = ByteOrder::ReadLe32(entry);
        const uint32_t offset = ByteOrder::ReadLe24(entry + 4);
        if (!KindOfNodeId(id))
            return QString::asprintf("index entry %zu names the invalid node id 0x%08X", i, id);
        if (offset < indexEnd || offset >= length)
            return QString::asprintf("index entry %zu points outside the node data", i);
    }
    return QString();
}
