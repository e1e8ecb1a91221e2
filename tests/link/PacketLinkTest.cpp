// SendPacket and ReceivePacket on a real pseudo-terminal, and the exchange numbering.
#include "PtyStb.h"
#include "link/CUpgradeLink.h"

#include <gtest/gtest.h>

namespace {

using LinkPacketLayer = PtyLinkTest;

std::vector<uint8_t> BlankPacketWire(uint32_t sequence, uint32_t number, uint32_t length)
{
    LinkPacket p;
    p.type = kPacketData;
    p.flag = 1;
    p.sequence = sequence;
    p.length = length;
    auto header = PacketCodec::EncodeHeader(p);
    std::vector<uint8_t> wire(header.begin(), header.end());
    uint8_t n[4];
    ByteOrder::WriteBe32(n, number);
    wire.insert(wire.end(), n, n + 4);
    uint8_t crc[4];
    ByteOrder::WriteBe32(crc, LinkCrc(kCrcStart, n, 4));
    wire.insert(wire.end(), crc, crc + 4);
    return wire;
}

} // namespace

TEST(LinkPacketOpen, ClosedOrMissingPortGivesStatus2)
{
    CUpgradeLink link;
    EXPECT_EQ(link.LinkOpenPort("/nonexistent/tty", 115200, 2, 1), kLinkCannotConnect);
    EXPECT_EQ(link.LinkClosePort(), 0);
    EXPECT_EQ(link.SendRequestPacket(1), kLinkSendHeadError);
    EXPECT_EQ(std::string(CUpgradeLink::GetLibraryVersion()), "3.0.0e");
    EXPECT_EQ(link.ProtocolVersion(), 0x20);
}

TEST_F(LinkPacketLayer, SentPacketsHaveTheWireLayout)
{
    LinkPacket got;
    stb.Run([&](PtyStb &s) { EXPECT_TRUE(s.ReadPacket(got)); });
    const uint8_t payload[3] = {9, 8, 7};
    ASSERT_EQ(link.SendDataPacket(5, payload, 3), 0);
    stb.Join();
    EXPECT_EQ(got.type, kPacketData);
    EXPECT_EQ(got.flag, 0);
    EXPECT_EQ(got.length, 7u);
    EXPECT_EQ(got.PacketNumber(), 5u);
    EXPECT_EQ(got.data[4], 9);
    EXPECT_EQ(got.data[6], 7);

    stb.Run([&](PtyStb &s) { EXPECT_TRUE(s.ReadPacket(got)); });
    ASSERT_EQ(link.SendStatusPacket(4, 0), 0);
    stb.Join();
    EXPECT_EQ(got.type, kPacketStatus);
    EXPECT_EQ(got.length, 5u);
    EXPECT_EQ(got.StatusByte(), 4);
    EXPECT_EQ(got.StatusCode(), 0u);
}

TEST_F(LinkPacketLayer, CommandsNumberNewAndResentExchanges)
{
    std::vector<LinkPacket> seen(5);
    stb.Run([&](PtyStb &s) {
        for (auto &p : seen)
            EXPECT_TRUE(s.ReadPacket(p));
    });
    EXPECT_EQ(link.SendCommandPacket("burn\r", false), 0);
    EXPECT_EQ(link.SendCommandPacket("burn\r", true), 0);
    EXPECT_EQ(link.SendCommandPacket("burn\r", true), 0);
    EXPECT_EQ(link.SendRequestPacket(3), 0);
    EXPECT_EQ(link.SendCommandPacket("chunk\r", false), 0);
    stb.Join();
    EXPECT_EQ(seen[0].sequence, 1u);
    EXPECT_EQ(seen[0].retry, 0);
    EXPECT_EQ(seen[1].sequence, 1u);
    EXPECT_EQ(seen[1].retry, 1);
    EXPECT_EQ(seen[2].sequence, 1u);
    EXPECT_EQ(seen[2].retry, 2);
    EXPECT_EQ(seen[3].type, kPacketRequest); // carries the current numbers unchanged
    EXPECT_EQ(seen[3].sequence, 1u);
    EXPECT_EQ(seen[3].retry, 2);
    EXPECT_EQ(seen[4].sequence, 2u);
    EXPECT_EQ(seen[4].retry, 0);
    EXPECT_EQ(std::string(seen[4].data.begin(), seen[4].data.begin() + seen[4].length), "chunk\r");
}

TEST_F(LinkPacketLayer, ReceivesThroughGarbageAndStallsInFrontOfTheMagic)
{
    stb.Run([](PtyStb &s) {
        s.Write(std::string("noise H"));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        s.Write(std::string("HE"));
        std::this_thread::sleep_for(std::chrono::milliseconds(60)); // a lone "HE", then silence
        s.SendStatus(77, 0, 12);
    });
    LinkPacket p;
    ASSERT_EQ(link.ReceivePacket(p, 2000), 0);
    stb.Join();
    EXPECT_EQ(p.type, kPacketStatus);
    EXPECT_EQ(p.sequence, 77u);
    EXPECT_EQ(p.StatusCode(), 12u);
}

TEST_F(LinkPacketLayer, ReceiveFailuresHaveTheirStatus)
{
    LinkPacket p;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.ReceivePacket(p, 0), kLinkNoPacket);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(link.ReceivePacket(p, 100), kLinkNoPacket);

    std::vector<std::string> sink;
    link.SetMessageSink([&](int level, const std::string &text) {
        EXPECT_EQ(level, 0);
        sink.push_back(text);
    });

    // Header cut short.
    stb.Write(std::string("HEAD\x01\x00", 6));
    EXPECT_EQ(link.ReceivePacket(p, 500), kLinkReceiveHeadError);
    link.LinkPurge();

    // Wrong header CRC, even with intact data behind it.
    LinkPacket good;
    good.type = kPacketStatus;
    good.sequence = 1;
    good.length = 5;
    auto wire = PacketCodec::Encode(good);
    auto bad = wire;
    bad[9] ^= 1;
    stb.Write(bad);
    EXPECT_EQ(link.ReceivePacket(p, 500), kLinkHeadCrcError);
    link.LinkPurge();

    // Wrong data CRC.
    bad = wire;
    bad[19] ^= 1;
    stb.Write(bad);
    EXPECT_EQ(link.ReceivePacket(p, 500), kLinkDataCrcError);

    // Data that never comes.
    stb.Write(std::vector<uint8_t>(wire.begin(), wire.begin() + 21));
    EXPECT_EQ(link.ReceivePacket(p, 500), kLinkReceiveDataError);
    link.LinkPurge();

    // Oversize: refused after the header; the bytes after it are not consumed.
    LinkPacket big;
    big.type = kPacketData;
    big.sequence = 1;
    big.length = 4000;
    auto header = PacketCodec::EncodeHeader(big);
    stb.Write(std::vector<uint8_t>(header.begin(), header.end()));
    stb.Write(std::string("tail"));
    EXPECT_EQ(link.ReceivePacket(p, 500), kLinkReceiveDataError);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    uint8_t tail[4];
    EXPECT_EQ(link.LinkReadExact(tail, 4, 200), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(tail), 4), "tail");

    const std::vector<std::string> expected = {
        "\r\n->Error:Receive packet head error!", "\r\n->Error:Check packet head CRC error!",
        "\r\n->Error:Check packet data CRC error!", "\r\n->Error:Receive packet data error!",
        "\r\n->Error:Receive packet data error!"};
    EXPECT_EQ(sink, expected);
}

TEST_F(LinkPacketLayer, BlankPacketOnTheLine)
{
    stb.Write(BlankPacketWire(4, 2, 1028));
    LinkPacket p;
    ASSERT_EQ(link.ReceivePacket(p, 500), 0);
    EXPECT_TRUE(p.IsBlank());
    EXPECT_EQ(p.length, 1028u);
    EXPECT_EQ(p.PacketNumber(), 2u);
    for (size_t i = 4; i < 1028; ++i)
        ASSERT_EQ(p.data[i], 0xFF);
}
