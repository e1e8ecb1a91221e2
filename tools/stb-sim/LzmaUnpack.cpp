// liblzma's "alone" decoder with a bounded output: the size the PC announced.
#include "LzmaUnpack.h"

#include "core/ByteOrder.h"

#include <lzma.h>

bool LzmaUnpack::Decode(const uint8_t *data, size_t n, size_t expectedSize, std::vector<uint8_t> &out)
{
    out.clear();
    if (n < 13)
        return false;
    // The header names the real size; one that disagrees with the command is refused up front.
    const uint64_t declared = uint64_t(ByteOrder::ReadLe32(data + 5)) | (uint64_t(ByteOrder::ReadLe32(data + 9)) << 32);
    if (declared != UINT64_MAX && declared != expectedSize)
        return false;
    lzma_stream strm = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&strm, 256u << 20) != LZMA_OK)
        return false;
    out.resize(expectedSize + 1);   // one spare byte reveals output beyond the announced size
    strm.next_in = data;
    strm.avail_in = n;
    strm.next_out = out.data();
    strm.avail_out = out.size();
    lzma_ret ret = LZMA_OK;
    while (ret == LZMA_OK)
        ret = lzma_code(&strm, LZMA_FINISH);
    const size_t produced = out.size() - strm.avail_out;
    lzma_end(&strm);
    if (ret != LZMA_STREAM_END || produced != expectedSize) {
        out.clear();
        return false;
    }
    out.resize(expectedSize);
    return true;
}
