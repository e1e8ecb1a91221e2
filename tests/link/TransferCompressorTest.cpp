// The LZMA transfer format: header bytes, decodable by liblzma, fall-back when larger.
#include "link/TransferCompressor.h"

#include "core/ByteOrder.h"

#include <gtest/gtest.h>
#include <lzma.h>
#include <random>

namespace {

bool DecodeAlone(const std::vector<uint8_t> &encoded, std::vector<uint8_t> &out, size_t expected)
{
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&stream, UINT64_MAX) != LZMA_OK)
        return false;
    out.assign(expected + 64, 0);
    stream.next_in = encoded.data();
    stream.avail_in = encoded.size();
    stream.next_out = out.data();
    stream.avail_out = out.size();
    lzma_ret ret = lzma_code(&stream, LZMA_FINISH);
    out.resize(out.size() - stream.avail_out);
    lzma_end(&stream);
    return ret == LZMA_STREAM_END;
}

std::vector<uint8_t> Compressible(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = uint8_t((i / 7) % 23 == 0 ? 0xFF : "channel database "[i % 17]);
    return v;
}

} // namespace

TEST(LinkCompressor, WritesTheLzmaAloneHeaderAndADecodableStream)
{
    const auto data = Compressible(100000);
    std::vector<uint8_t> encoded;
    ASSERT_TRUE(EncodeLzmaAlone(data.data(), data.size(), encoded));
    ASSERT_GT(encoded.size(), 13u);
    EXPECT_EQ(encoded[0], 0x6C); // lc=0, lp=2, pb=2
    EXPECT_EQ(ByteOrder::ReadLe32(encoded.data() + 1), 8u << 20);
    EXPECT_EQ(ByteOrder::ReadLe32(encoded.data() + 5), 100000u);
    EXPECT_EQ(ByteOrder::ReadLe32(encoded.data() + 9), 0u);

    std::vector<uint8_t> decoded;
    ASSERT_TRUE(DecodeAlone(encoded, decoded, data.size()));
    EXPECT_EQ(decoded, data);
}

TEST(LinkCompressor, ReplacesTheDataOnlyWhenNotLarger)
{
    auto data = Compressible(50000);
    const auto original = data;
    size_t m = 0;
    ASSERT_EQ(CompressForTransfer(data.data(), data.size(), m), 0);
    EXPECT_LT(m, data.size());
    std::vector<uint8_t> encoded(data.begin(), data.begin() + std::ptrdiff_t(m));
    std::vector<uint8_t> decoded;
    ASSERT_TRUE(DecodeAlone(encoded, decoded, original.size()));
    EXPECT_EQ(decoded, original);

    std::mt19937 rng(7);
    std::vector<uint8_t> noise(4096);
    for (auto &b : noise)
        b = uint8_t(rng());
    auto copy = noise;
    EXPECT_EQ(CompressForTransfer(copy.data(), copy.size(), m), 1);
    EXPECT_EQ(m, noise.size());
    EXPECT_EQ(copy, noise);

    // Nothing to send: the header alone is larger.
    uint8_t none = 0x42;
    EXPECT_EQ(CompressForTransfer(&none, 0, m), 1);
    EXPECT_EQ(m, 0u);
}
