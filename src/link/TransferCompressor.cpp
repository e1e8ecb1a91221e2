// LZMA encoding of transfer blocks with liblzma.
#include "link/TransferCompressor.h"

#include "core/ByteOrder.h"
#include "link/LinkStatus.h"

#include <algorithm>
#include <lzma.h>

namespace {

constexpr uint32_t kDictionarySize = 8u << 20;
constexpr size_t kHeaderSize = 13;

} // namespace

bool EncodeLzmaAlone(const uint8_t *data, size_t count, std::vector<uint8_t> &encoded)
{
    lzma_options_lzma options {};
    if (lzma_lzma_preset(&options, 6))
        return false;
    options.dict_size = kDictionarySize;
    options.lc = 0;
    options.lp = 2;
    options.pb = 2;
    options.mode = LZMA_MODE_NORMAL;
    options.mf = LZMA_MF_BT4;
    options.nice_len = 128;
    options.ext_flags = 0; // no end marker: the header carries the size
    lzma_set_ext_size(options, uint64_t(count));

    lzma_filter filters[2] = {
        {LZMA_FILTER_LZMA1EXT, &options},
        {LZMA_VLI_UNKNOWN, nullptr},
    };
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK)
        return false;

    encoded.assign(kHeaderSize, 0);
    encoded[0] = uint8_t(options.lc + options.lp * 9 + options.pb * 45);
    ByteOrder::WriteLe32(encoded.data() + 1, kDictionarySize);
    ByteOrder::WriteLe32(encoded.data() + 5, uint32_t(uint64_t(count)));
    ByteOrder::WriteLe32(encoded.data() + 9, uint32_t(uint64_t(count) >> 32));

    stream.next_in = data;
    stream.avail_in = count;
    std::vector<uint8_t> chunk(64 * 1024);
    lzma_ret ret = LZMA_OK;
    do {
        stream.next_out = chunk.data();
        stream.avail_out = chunk.size();
        ret = lzma_code(&stream, LZMA_FINISH);
        encoded.insert(encoded.end(), chunk.data(), chunk.data() + (chunk.size() - stream.avail_out));
    } while (ret == LZMA_OK);
    lzma_end(&stream);
    return ret == LZMA_STREAM_END;
}

int CompressForTransfer(uint8_t *data, size_t count, size_t &encodedCount)
{
    encodedCount = count;
    std::vector<uint8_t> encoded;
    if (!EncodeLzmaAlone(data, count, encoded))
        return kLinkCompressorNotStarted;
    if (encoded.size() > count)
        return 1;
    std::copy(encoded.begin(), encoded.end(), data);
    encodedCount = encoded.size();
    return 0;
}
