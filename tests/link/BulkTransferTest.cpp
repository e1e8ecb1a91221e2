// TransferData, BurnFlash and DumpFlash in their packet and character-level forms.
#include "PtyStb.h"
#include "link/CUpgradeLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>

namespace {

using LinkBulk = PtyLinkTest;

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto &b : v)
        b = uint8_t(rng());
    return v;
}

std::string Text(const LinkPacket &p)
{
    return std::string(p.data.begin(), p.data.begin() + p.length);
}

} // namespace

TEST_F(LinkBulk, PacketTransferResendsOnOldAcksAndAsksAfterMisses)
{
    link.SetProtocolVersion(0x30);
    const auto data = RandomBytes(2500, 1); // incompressible: sent as it is
    std::vector<uint8_t> received;
    std::vector<std::string> log;
    stb.Run([&](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_EQ(Text(p), "transfer 2500\r");
        const uint32_t seq = p.sequence;
        s.SendStatus(seq, 0, 0);
        ASSERT_TRUE(s.ReadPacket(p)); // block 1
        EXPECT_EQ(p.PacketNumber(), 1u);
        received.insert(received.end(), p.data.begin() + 4, p.data.begin() + p.length);
        s.SendStatus(seq, 0, 0); // older number: block 1 again
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_EQ(p.type, kPacketData);
        EXPECT_EQ(p.PacketNumber(), 1u);
        s.SendStatus(seq, 0, 1);
        ASSERT_TRUE(s.ReadPacket(p)); // block 2, its ack is lost
        EXPECT_EQ(p.PacketNumber(), 2u);
        received.insert(received.end(), p.data.begin() + 4, p.data.begin() + p.length);
        ASSERT_TRUE(s.ReadPacket(p, 3000)); // after 1500 ms: a request for 2
        log.push_back(p.type == kPacketRequest ? "request" : "other");
        EXPECT_EQ(p.PacketNumber(), 2u);
        s.SendStatus(seq, 0, 2);
        ASSERT_TRUE(s.ReadPacket(p)); // block 3, the last 452 bytes
        EXPECT_EQ(p.length, 4u + 452);
        received.insert(received.end(), p.data.begin() + 4, p.data.begin() + p.length);
        s.SendStatus(seq, 0, 3);
    });
    auto copy = data;
    std::vector<int> progress;
    EXPECT_EQ(link.TransferData(copy.data(), uint32_t(copy.size()), [&](int v) { progress.push_back(v); }, nullptr), 0);
    stb.Join();
    EXPECT_EQ(received, data);
    EXPECT_EQ(log, std::vector<std::string> {"request"});
    EXPECT_EQ(progress, (std::vector<int> {40, 81, 100}));
}

TEST_F(LinkBulk, PacketTransferCompressesAndZeroBytesSendOnlyTheCommand)
{
    link.SetProtocolVersion(0x30);
    std::vector<uint8_t> data(8192, 0xFF);
    std::string command;
    stb.Run([&](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        command = Text(p);
        s.SendStatus(p.sequence, 0, 0);
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendStatus(p.sequence, 3, 0); // the STB has it all
    });
    EXPECT_EQ(link.TransferData(data.data(), uint32_t(data.size()), nullptr, nullptr), 0);
    stb.Join();
    EXPECT_EQ(command.rfind("transfer -z 8192 ", 0), 0u) << command;

    stb.Run([&](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        command = Text(p);
        s.SendStatus(p.sequence, 0, 0);
        EXPECT_TRUE(s.Drain(200).empty());
    });
    EXPECT_EQ(link.TransferData(data.data(), 0, nullptr, nullptr), 0);
    stb.Join();
    EXPECT_EQ(command.rfind("transfer", 0), 0u);
}

TEST_F(LinkBulk, PacketTransferCancelTellsTheStbToAbandon)
{
    link.SetProtocolVersion(0x30);
    auto data = RandomBytes(4096, 2);
    std::atomic<bool> cancel {false};
    LinkPacket abandon;
    stb.Run([&](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendStatus(p.sequence, 0, 0);
        ASSERT_TRUE(s.ReadPacket(p));
        cancel = true;
        s.SendStatus(p.sequence, 0, 1);
        EXPECT_TRUE(s.ReadPacket(abandon));
    });
    EXPECT_EQ(link.TransferData(data.data(), uint32_t(data.size()), nullptr, [&] { return cancel.load(); }),
              kLinkUserCanceled);
    stb.Join();
    EXPECT_EQ(abandon.type, kPacketStatus);
    EXPECT_EQ(abandon.StatusByte(), 4);
    EXPECT_EQ(abandon.StatusCode(), 0u);
}

TEST_F(LinkBulk, CharacterTransferGivesUpAfterFiveRefusals)
{
    link.SetProtocolVersion(0x20);
    auto data = RandomBytes(1500, 3);
    int blocks = 0;
    stb.Run([&](PtyStb &s) {
        EXPECT_EQ(s.EchoLine(), "transferraw 1500\r");
        s.WriteByte('O');
        std::vector<uint8_t> block(1024 + 4);
        ASSERT_TRUE(s.Read(block.data(), block.size()));
        EXPECT_EQ(ByteOrder::ReadBe32(block.data() + 1024), LinkCrc(kCrcStart, block.data(), 1024));
        s.WriteByte('O');
        std::vector<uint8_t> last(476 + 4);
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(s.Read(last.data(), last.size()));
            ++blocks;
            s.WriteByte('E');
        }
        EXPECT_TRUE(s.Drain(150).empty());
    });
    EXPECT_EQ(link.TransferData(data.data(), uint32_t(data.size()), nullptr, nullptr), kLinkOverrunRetry);
    stb.Join();
    EXPECT_EQ(blocks, 5);

    stb.Run([&](PtyStb &s) {
        s.EchoLine();
        s.WriteByte('O');
        std::vector<uint8_t> block(1024 + 4);
        ASSERT_TRUE(s.Read(block.data(), block.size()));
        s.WriteByte('?');
    });
    EXPECT_EQ(link.TransferData(data.data(), uint32_t(data.size()), nullptr, nullptr), kLinkNotRecognized);
    stb.Join();
}

TEST(LinkBurnPercent, StaysWithinZeroToHundred)
{
    EXPECT_EQ(BurnPercent(2048, 0x200000), 100);
    EXPECT_EQ(BurnPercent(1024, 0x200000), 50);
    EXPECT_EQ(BurnPercent(9999, 0x200000), 100);
    EXPECT_EQ(BurnPercent(0, 0x200000), 0);
    EXPECT_EQ(BurnPercent(5, 0), 100);
}

TEST_F(LinkBulk, PacketBurnReportsProgressAndRefusals)
{
    link.SetProtocolVersion(0x30);
    stb.Run([](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_EQ(Text(p), "burn\r");
        s.SendStatus(p.sequence, 0, 0);
        std::vector<uint8_t> report = {'B', '1', '0', '2', '4'};
        s.SendData(p.sequence, 0, report);
        s.SendStatus(p.sequence, 2, 0);
        s.SendData(p.sequence, 0, {'B', '9', '9', '9', '9'});
        s.SendData(p.sequence, 0, {'F'});
    });
    std::vector<int> progress;
    EXPECT_EQ(link.BurnFlash(0x200000, [&](int v) { progress.push_back(v); }), 0);
    stb.Join();
    EXPECT_EQ(progress, (std::vector<int> {50, 100, 100}));

    stb.Run([](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendStatus(p.sequence, 0, 0);
        s.SendData(p.sequence, 0, {'E'});
    });
    EXPECT_EQ(link.BurnFlash(0x200000, nullptr), kLinkBurnError);
    stb.Join();
}

TEST_F(LinkBulk, CharacterBurn)
{
    link.SetProtocolVersion(0x21);
    stb.Run([](PtyStb &s) {
        EXPECT_EQ(s.EchoLine(), "burn\r");
        s.WriteByte('O');
        s.Write(std::string("xB0512..B2048..F"));
    });
    std::vector<int> progress;
    EXPECT_EQ(link.BurnFlash(0x200000, [&](int v) { progress.push_back(v); }), 0);
    stb.Join();
    EXPECT_EQ(progress, (std::vector<int> {25, 100, 100}));

    stb.Run([](PtyStb &s) {
        s.EchoLine();
        s.WriteByte('O');
        s.Write(std::string("E12345678"));
    });
    EXPECT_EQ(link.BurnFlash(0x200000, nullptr), kLinkBurnError);
    stb.Join();
}

TEST_F(LinkBulk, PacketDumpIgnoresWrongFirstPacketAndBoundsTheDestination)
{
    link.SetProtocolVersion(0x30);
    const auto flash = RandomBytes(1500, 4);
    stb.Run([&](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_EQ(Text(p), "dump 16 1500\r");
        const uint32_t seq = p.sequence;
        s.SendStatus(seq, 0, 0);
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_EQ(p.type, kPacketRequest);
        EXPECT_EQ(p.PacketNumber(), 0u);
        s.SendData(seq, 5, {0, 0, 0x05, 0xDC}); // wrong number: ignored, 0 asked again
        ASSERT_TRUE(s.ReadPacket(p, 4000));
        EXPECT_EQ(p.PacketNumber(), 0u);
        s.SendData(seq, 0, {0, 0, 0x05, 0xDC});
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_EQ(p.PacketNumber(), 1u);
        s.SendData(seq, 1, std::vector<uint8_t>(flash.begin(), flash.begin() + 1024));
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_EQ(p.PacketNumber(), 2u);
        s.SendData(seq, 2, std::vector<uint8_t>(flash.begin() + 1024, flash.end()));
    });
    std::vector<uint8_t> dest(4096);
    uint32_t length = uint32_t(dest.size());
    ASSERT_EQ(link.DumpFlash(dest.data(), dest.size(), length, nullptr, nullptr, 16, 1500), 0);
    stb.Join();
    EXPECT_EQ(length, 1500u);
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), dest.begin()));

    // A total larger than the destination is refused before any data.
    stb.Run([](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendStatus(p.sequence, 0, 0);
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendData(p.sequence, 0, {0, 0, 0x20, 0x00});
    });
    std::vector<uint8_t> small(4096);
    EXPECT_EQ(link.DumpFlash(small.data(), small.size(), length, nullptr, nullptr, 0, 0), kLinkDumpLength);
    stb.Join();

    // A total of 0 ends with 1; an early end with 65542.
    stb.Run([](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendStatus(p.sequence, 0, 0);
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendData(p.sequence, 0, {0, 0, 0, 0});
    });
    EXPECT_EQ(link.DumpFlash(small.data(), small.size(), length, nullptr, nullptr, 0, 0), kLinkGenericError);
    stb.Join();
    stb.Run([](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendStatus(p.sequence, 0, 0);
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendStatus(p.sequence, 3, 0);
    });
    EXPECT_EQ(link.DumpFlash(small.data(), small.size(), length, nullptr, nullptr, 0, 0), kLinkStbNotDumpAll);
    stb.Join();
}

TEST_F(LinkBulk, WholeDumpChecksLengthAndCrc)
{
    link.SetProtocolVersion(0x10);
    const auto flash = RandomBytes(3000, 5);
    stb.Run([&](PtyStb &s) {
        EXPECT_EQ(s.EchoLine(), "dump\r");
        s.WriteBe32(uint32_t(flash.size()));
        EXPECT_EQ(s.ReadByte(), 'O');
        s.WriteWithCrc(flash);
    });
    std::vector<uint8_t> dest(4096);
    uint32_t length = 0;
    std::vector<int> progress;
    ASSERT_EQ(link.DumpFlash(dest.data(), dest.size(), length, [&](int v) { progress.push_back(v); }, nullptr, 0, 0), 0);
    stb.Join();
    EXPECT_EQ(length, 3000u);
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), dest.begin()));
    EXPECT_EQ(progress.back(), 100);

    stb.Run([&](PtyStb &s) {
        s.EchoLine();
        s.WriteBe32(0x80000000u); // negative
        EXPECT_EQ(s.ReadByte(200), -1); // refused before any data: no 'O'
    });
    EXPECT_EQ(link.DumpFlash(dest.data(), dest.size(), length, nullptr, nullptr, 0, 0), kLinkDumpLength);
    stb.Join();

    stb.Run([&](PtyStb &s) {
        s.EchoLine();
        s.WriteBe32(100);
        s.ReadByte();
        s.Write(std::vector<uint8_t>(flash.begin(), flash.begin() + 100)); // the CRC never comes
    });
    EXPECT_EQ(link.DumpFlash(dest.data(), dest.size(), length, nullptr, nullptr, 0, 0), kLinkTimeout);
    stb.Join();

    stb.Run([&](PtyStb &s) {
        s.EchoLine();
        s.WriteBe32(100);
        s.ReadByte();
        s.Write(std::vector<uint8_t>(flash.begin(), flash.begin() + 100));
        s.WriteBe32(0);
    });
    EXPECT_EQ(link.DumpFlash(dest.data(), dest.size(), length, nullptr, nullptr, 0, 0), kLinkReadDataError);
    stb.Join();
}

namespace {

// The STB side of one block-dump round, with header checks from 0x21 on.
void SendBlockHeader(PtyStb &s, uint32_t number, uint32_t n, bool checks, bool damageCheck = false)
{
    EXPECT_EQ(s.ReadByte(), 'H');
    s.WriteBe32(number);
    s.WriteBe32(n);
    if (checks) {
        uint8_t le[4];
        ByteOrder::WriteLe32(le, number);
        s.WriteBe32(LinkCrc(kCrcStart, le, 4) ^ (damageCheck ? 1u : 0u));
        ByteOrder::WriteLe32(le, n);
        s.WriteBe32(LinkCrc(kCrcStart, le, 4));
        if (!damageCheck) {
            EXPECT_EQ(s.ReadByte(), 'G');
        }
    }
}

char ReadAnswer(PtyStb &s, uint32_t number)
{
    uint8_t a[9];
    if (!s.Read(a, 9))
        return 0;
    EXPECT_EQ(ByteOrder::ReadBe32(a + 1), number);
    EXPECT_EQ(ByteOrder::ReadBe32(a + 5), LinkCrc(kCrcStart, a, 5));
    return char(a[0]);
}

void SendBlank(PtyStb &s, bool goodCrc)
{
    std::vector<uint8_t> mark = {'B', 'L', 'A', 'N', 'K', 'P', 'C', 'K'};
    s.Write(mark);
    s.WriteBe32(LinkCrc(kCrcStart, mark.data(), 8) ^ (goodCrc ? 0u : 1u));
}

} // namespace

TEST_F(LinkBulk, BlockDumpWithHeaderChecksBlankBlocksAndRefusals)
{
    link.SetProtocolVersion(0x21);
    const auto flash = RandomBytes(2048 + 10, 6);
    std::vector<char> answers;
    stb.Run([&](PtyStb &s) {
        EXPECT_EQ(s.EchoLine(), "dump 0 2058\r");
        // Block 1 is blank; its first offer has a wrong CRC and is asked again.
        SendBlockHeader(s, 1, 1024, true);
        SendBlank(s, false);
        answers.push_back(ReadAnswer(s, 1));
        SendBlockHeader(s, 1, 1024, true);
        SendBlank(s, true);
        answers.push_back(ReadAnswer(s, 1));
        // A damaged header check: no 'G', the next 'H' asks again.
        SendBlockHeader(s, 0, 1024, true, true);
        SendBlockHeader(s, 0, 1024, true);
        s.WriteWithCrc(std::vector<uint8_t>(flash.begin(), flash.begin() + 1024));
        answers.push_back(ReadAnswer(s, 0));
        // Block 1 once more (its 'O' lost): must not be counted twice.
        SendBlockHeader(s, 1, 1024, true);
        SendBlank(s, true);
        answers.push_back(ReadAnswer(s, 1));
        // A block too large for the buffer is refused.
        SendBlockHeader(s, 2, 2000, true);
        s.Write(std::vector<uint8_t>(2004, 0x55));
        answers.push_back(ReadAnswer(s, 2));
        // The short last block.
        SendBlockHeader(s, 2, 10, true);
        s.WriteWithCrc(std::vector<uint8_t>(flash.begin() + 2048, flash.end()));
        answers.push_back(ReadAnswer(s, 2));
    });
    std::vector<uint8_t> dest(8192, 0);
    uint32_t length = 0;
    ASSERT_EQ(link.DumpFlash(dest.data(), dest.size(), length, nullptr, nullptr, 0, 2058), 0);
    stb.Join();
    EXPECT_EQ(answers, (std::vector<char> {'E', 'O', 'O', 'O', 'E', 'O'}));
    EXPECT_EQ(length, 2058u);
    EXPECT_TRUE(std::equal(flash.begin(), flash.begin() + 1024, dest.begin()));
    EXPECT_TRUE(std::all_of(dest.begin() + 1024, dest.begin() + 2048, [](uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::equal(flash.begin() + 2048, flash.end(), dest.begin() + 2048));
}

TEST_F(LinkBulk, BlockDumpVersion20ReadsTheTotalAndRefusesBlocksBeyondTheDestination)
{
    link.SetProtocolVersion(0x20);
    stb.Run([](PtyStb &s) {
        EXPECT_EQ(s.EchoLine(), "dump 100 1024\r");
        s.WriteBe32(1024);
        SendBlockHeader(s, 7, 1024, false); // lands at 7 KiB, past a 4 KiB destination
    });
    std::vector<uint8_t> dest(4096);
    uint32_t length = 0;
    EXPECT_EQ(link.DumpFlash(dest.data(), dest.size(), length, nullptr, nullptr, 100, 1024), kLinkDumpLength);
    stb.Join();

    stb.Run([](PtyStb &s) {
        s.EchoLine();
        s.WriteBe32(0);
    });
    EXPECT_EQ(link.DumpFlash(dest.data(), dest.size(), length, nullptr, nullptr, 0, 0), 0);
    stb.Join();
    EXPECT_EQ(length, 0u);
}
