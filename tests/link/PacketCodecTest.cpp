// CRC check value and the pure packet encoding and decoding.
#include "link/LinkCrc.h"
#include "link/LinkStatus.h"
#include "link/PacketCodec.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

LinkPacket MakePacket(uint8_t type, uint32_t sequence, uint8_t retry, const std::string &data)
{
    LinkPacket p;
    p.type = type;
    p.sequence = sequence;
    p.retry = retry;
    p.length = uint32_t(data.size());
    std::memcpy(p.data.data(), data.data(), data.size());
    return p;
}

} // namespace

TEST(LinkCrc, MatchesMpeg2CheckValueAndChains)
{
    const char *check = "123456789";
    EXPECT_EQ(LinkCrc(kCrcStart, reinterpret_cast<const uint8_t *>(check), 9), 0x0376E6E7u);
    EXPECT_EQ(LinkCrc(kCrcStart, nullptr, 0), 0xFFFFFFFFu);
    uint32_t part = LinkCrc(kCrcStart, reinterpret_cast<const uint8_t *>(check), 4);
    EXPECT_EQ(LinkCrc(part, reinterpret_cast<const uint8_t *>(check) + 4, 5), 0x0376E6E7u);
}

TEST(LinkPacketCodec, HeaderLayoutIsBigEndianWithCrcOverOffsets4To14)
{
    LinkPacket p = MakePacket(kPacketCommand, 0x01020304, 7, "burn\r");
    auto wire = PacketCodec::Encode(p);
    ASSERT_EQ(wire.size(), 19u + 5 + 4);
    EXPECT_EQ(std::string(wire.begin(), wire.begin() + 4), "HEAD");
    const uint8_t expected[] = {0, 0, 1, 2, 3, 4, 7, 0, 0, 0, 5};
    EXPECT_EQ(std::memcmp(wire.data() + 4, expected, 11), 0);
    EXPECT_EQ(ByteOrder::ReadBe32(wire.data() + 15), LinkCrc(kCrcStart, wire.data() + 4, 11));
    EXPECT_EQ(std::string(wire.begin() + 19, wire.begin() + 24), "burn\r");
    EXPECT_EQ(ByteOrder::ReadBe32(wire.data() + 24), LinkCrc(kCrcStart, wire.data() + 19, 5));
}

TEST(LinkPacketCodec, DecodesThroughGarbageAndDoubledH)
{
    LinkPacket sent = MakePacket(kPacketData, 9, 2, std::string("\0\0\0\1payload", 11));
    auto wire = PacketCodec::Encode(sent);
    std::vector<uint8_t> line = {'x', 'H', 'E', 'H', 'H'};
    line.insert(line.end(), wire.begin(), wire.end());
    LinkPacket got;
    size_t consumed = 0;
    ASSERT_EQ(PacketCodec::DecodeBuffer(line.data(), line.size(), got, consumed), 0);
    EXPECT_EQ(consumed, line.size());
    EXPECT_EQ(got.type, kPacketData);
    EXPECT_EQ(got.sequence, 9u);
    EXPECT_EQ(got.retry, 2);
    EXPECT_EQ(got.length, 11u);
    EXPECT_EQ(got.PacketNumber(), 1u);
    EXPECT_EQ(std::memcmp(got.data.data() + 4, "payload", 7), 0);
}

TEST(LinkPacketCodec, RejectsDamagedHeaderDataAndOversizeLengths)
{
    LinkPacket p = MakePacket(kPacketStatus, 1, 0, std::string("\0\0\0\0\5", 5));
    LinkPacket got;
    size_t consumed = 0;

    auto badHeader = PacketCodec::Encode(p);
    badHeader[8] ^= 0x40; // sequence byte: header CRC no longer matches
    EXPECT_EQ(PacketCodec::DecodeBuffer(badHeader.data(), badHeader.size(), got, consumed), kLinkHeadCrcError);

    auto badData = PacketCodec::Encode(p);
    badData[20] ^= 1;
    EXPECT_EQ(PacketCodec::DecodeBuffer(badData.data(), badData.size(), got, consumed), kLinkDataCrcError);

    auto cut = PacketCodec::Encode(p);
    cut.resize(cut.size() - 1);
    EXPECT_EQ(PacketCodec::DecodeBuffer(cut.data(), cut.size(), got, consumed), kLinkReceiveDataError);
    EXPECT_EQ(PacketCodec::DecodeBuffer(cut.data(), 10, got, consumed), kLinkReceiveHeadError);
    EXPECT_EQ(PacketCodec::DecodeBuffer(cut.data() + 1, cut.size() - 1, got, consumed), kLinkNoPacket);

    // A header announcing more than the data area holds is refused right after the header.
    for (uint32_t length : {2045u, 0xFFFFFFFFu}) {
        LinkPacket big = MakePacket(kPacketData, 1, 0, "");
        big.length = length;
        auto header = PacketCodec::EncodeHeader(big);
        size_t wireBytes = 99;
        EXPECT_EQ(PacketCodec::DecodeHeader(header.data() + 4, got, wireBytes), kLinkReceiveDataError) << length;
        EXPECT_EQ(wireBytes, 0u);
    }
    LinkPacket largest = MakePacket(kPacketData, 1, 0, std::string(2044, 'z'));
    auto wire = PacketCodec::Encode(largest);
    EXPECT_EQ(PacketCodec::DecodeBuffer(wire.data(), wire.size(), got, consumed), 0);
    EXPECT_EQ(got.length, 2044u);
}

TEST(LinkPacketCodec, BlankDataPacketCarriesFourBytesAndIsFilledWithFF)
{
    LinkPacket blank;
    blank.type = kPacketData;
    blank.flag = 1;
    blank.sequence = 3;
    blank.length = 1028;
    auto header = PacketCodec::EncodeHeader(blank);
    std::vector<uint8_t> line(header.begin(), header.end());
    const uint8_t number[4] = {0, 0, 0, 7};
    line.insert(line.end(), number, number + 4);
    uint8_t crc[4];
    ByteOrder::WriteBe32(crc, LinkCrc(kCrcStart, number, 4));
    line.insert(line.end(), crc, crc + 4);
    ASSERT_EQ(line.size(), 19u + 8);

    LinkPacket got;
    size_t consumed = 0;
    ASSERT_EQ(PacketCodec::DecodeBuffer(line.data(), line.size(), got, consumed), 0);
    EXPECT_EQ(consumed, line.size());
    EXPECT_EQ(got.PacketNumber(), 7u);
    for (size_t i = 4; i < 1028; ++i)
        ASSERT_EQ(got.data[i], 0xFF) << i;
    EXPECT_EQ(got.data[1028], 0);
}
