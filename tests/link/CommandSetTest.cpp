// The command set over a pseudo-terminal: echoed sends, connection test, packet exchanges,
// version and chunk table of every generation.
#include "PtyStb.h"
#include "link/CUpgradeLink.h"

#include <gtest/gtest.h>

namespace {

const std::string kBanner = "@ZAN PROTOCOL 3.0+";

using LinkCommandSet = PtyLinkTest;

// Answers one connection-test attempt: echo the command, read the banner, send answer.
void AnswerComtest(PtyStb &s, const std::string &answer)
{
    EXPECT_EQ(s.EchoLine(), "comtest 18\r");
    uint8_t banner[18];
    ASSERT_TRUE(s.Read(banner, 18));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(banner), 18), kBanner);
    s.Write(answer);
}

std::vector<uint8_t> ChunkPayload(uint8_t flashType, const std::vector<std::array<uint32_t, 4>> &chunks)
{
    std::vector<uint8_t> payload = {flashType, 0x5A};
    for (const auto &c : chunks) {
        uint8_t header[128];
        for (auto &b : header)
            b = 0x11;
        for (int i = 0; i < 4; ++i)
            ByteOrder::WriteBe32(header + 4 * i, c[size_t(i)]);
        payload.insert(payload.end(), header, header + 128);
    }
    return payload;
}

std::string Complement(const std::string &text)
{
    std::string out = text;
    for (auto &c : out)
        c = char(255 - uint8_t(c));
    return out;
}

} // namespace

TEST_F(LinkCommandSet, EchoedSendStopsAtTheFirstWrongEcho)
{
    std::string received;
    stb.Run([&](PtyStb &s) {
        received += char(s.ReadByte());
        s.WriteByte(received.back());
        received += char(s.ReadByte());
        s.WriteByte('?');
        auto rest = s.Drain(150);
        received.append(rest.begin(), rest.end());
    });
    EXPECT_EQ(link.LinkSendEchoed("abcdef", 6, 200), kLinkEchoMismatch);
    stb.Join();
    EXPECT_EQ(received, "ab"); // nothing after the bad echo was sent

    stb.Run([](PtyStb &s) { s.ReadByte(); }); // swallows the byte, never echoes
    EXPECT_EQ(link.LinkSendEchoed("x", 1, 50), kLinkReadDataError);
    stb.Join();
}

TEST_F(LinkCommandSet, ConnectionTestTellsTheGenerationByTheBanner)
{
    uint32_t version = 0;
    stb.Run([](PtyStb &s) { AnswerComtest(s, kBanner); });
    EXPECT_EQ(link.TestConnection(version, nullptr, nullptr), 0);
    EXPECT_EQ(version, 0x20u);
    stb.Join();

    // Garbage is retried; the complement then means 3.0. Progress gets attempt numbers.
    std::vector<int> attempts;
    stb.Run([](PtyStb &s) {
        AnswerComtest(s, std::string(18, 'x'));
        AnswerComtest(s, Complement(kBanner));
    });
    EXPECT_EQ(link.TestConnection(version, [&](int a) { attempts.push_back(a); }, nullptr), 0);
    EXPECT_EQ(version, 0x30u);
    EXPECT_EQ(attempts, std::vector<int> {0});
    stb.Join();
}

TEST_F(LinkCommandSet, ConnectionTestNoticesCancelBeforeEachAttempt)
{
    int asked = 0;
    uint32_t version = 0;
    // The STB never answers; the user cancels at the third check.
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.TestConnection(version, nullptr, [&] { return ++asked >= 3; }), kLinkUserCanceled);
    EXPECT_EQ(asked, 3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST_F(LinkCommandSet, ExecuteCommandRetriesSmallCodesAndStopsOnFinalOnes)
{
    link.SetProtocolVersion(0x30);
    std::vector<LinkPacket> seen;
    stb.Run([&](PtyStb &s) {
        for (int i = 0; i < 5; ++i) {
            LinkPacket p;
            ASSERT_TRUE(s.ReadPacket(p));
            seen.push_back(p);
            s.SendStatus(p.sequence, 1, 35); // retryable
        }
    });
    std::vector<std::string> sink;
    link.SetMessageSink([&](int, const std::string &text) { sink.push_back(text); });
    uint8_t statusByte = 0;
    EXPECT_EQ(link.ExecuteCommand("address 0\r", 300, statusByte), 35);
    stb.Join();
    ASSERT_EQ(seen.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(seen[size_t(i)].sequence, seen[0].sequence);
        EXPECT_EQ(seen[size_t(i)].retry, i);
    }
    ASSERT_EQ(sink.size(), 5u);
    EXPECT_EQ(sink[0], "\r\n->Error:STB not receive all data!\r\n in execute command:address 0\r Retry.");
    EXPECT_EQ(sink[1], ".");

    stb.Run([](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendStatus(p.sequence, 1, 65539);
        EXPECT_TRUE(s.Drain(400).empty()); // no second attempt
    });
    EXPECT_EQ(link.ExecuteCommand("move 1 2\r", 300, statusByte), 65539);
    stb.Join();

    // A stale answer of another exchange is not taken; the resend is answered.
    stb.Run([](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendStatus(p.sequence - 1, 0, 0);
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_EQ(p.retry, 1);
        s.SendStatus(p.sequence, 2, 0);
    });
    EXPECT_EQ(link.ExecuteCommand("burn\r", 300, statusByte), 0);
    EXPECT_EQ(statusByte, 2);
    stb.Join();

    // A failure with code 0 is still a failure.
    stb.Run([](PtyStb &s) {
        for (int i = 0; i < 5; ++i) {
            LinkPacket p;
            ASSERT_TRUE(s.ReadPacket(p));
            s.SendStatus(p.sequence, 1, 0);
        }
    });
    EXPECT_NE(link.ExecuteCommand("burn\r", 300, statusByte), 0);
    stb.Join();
}

TEST_F(LinkCommandSet, ConfirmCommandSendsOnlyResends)
{
    link.SetProtocolVersion(0x30);
    uint32_t before = link.Sequence();
    stb.Run([](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_GT(p.retry, 0);
        s.SendStatus(p.sequence, 3, 0);
    });
    uint8_t statusByte = 0;
    EXPECT_EQ(link.ConfirmCommand("burn\r", 300, statusByte), 0);
    EXPECT_EQ(link.Sequence(), before);
    stb.Join();
}

TEST_F(LinkCommandSet, QueryCommandStartsANewExchangeAfterStatus3)
{
    link.SetProtocolVersion(0x30);
    std::vector<uint32_t> sequences;
    stb.Run([&](PtyStb &s) {
        for (int i = 0; i < 5; ++i) {
            LinkPacket p;
            ASSERT_TRUE(s.ReadPacket(p));
            sequences.push_back(p.sequence);
            EXPECT_EQ(p.retry, 0);
            s.SendStatus(p.sequence, 3, 0);
        }
    });
    uint8_t statusByte = 0;
    uint32_t length = 0;
    std::vector<uint8_t> data;
    EXPECT_EQ(link.QueryCommand("version\r", 300, statusByte, length, data), kLinkCommandExecuted);
    stb.Join();
    ASSERT_EQ(sequences.size(), 5u);
    for (size_t i = 1; i < 5; ++i)
        EXPECT_EQ(sequences[i], sequences[i - 1] + 1);

    stb.Run([](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        s.SendData(p.sequence, 0, {0, 0, 0, 0x31});
    });
    EXPECT_EQ(link.QueryCommand("version\r", 300, statusByte, length, data), 0);
    EXPECT_EQ(length, 8u);
    ASSERT_EQ(data.size(), 8u);
    EXPECT_EQ(data[7], 0x31);
    stb.Join();
}

TEST(LinkParseStbInfo, ChunkCountFlashSizeAndNoCrcTypes)
{
    auto payload = ChunkPayload(5, {{0xE3001C00, 10, 0x1000, 0x12345678},
                                    {kDefaultDbChunkId, 100, 0x10000, 0xAABBCCDD},
                                    {kUserDbChunkId, 200, 0, 0x01020304}});
    ASSERT_EQ(payload.size(), 2u + 3 * 128);
    StbInfo info;
    ASSERT_EQ(ParseStbInfo(payload.data(), payload.size(), info), 0);
    EXPECT_EQ(info.flashSize, 0x200000u);
    EXPECT_EQ(info.spare, 0x5Au);
    ASSERT_EQ(info.chunkCount, 3u);
    EXPECT_EQ(info.chunks[0].crc, kNoCrcMark);
    EXPECT_EQ(info.chunks[1].crc, 0xAABBCCDDu);
    EXPECT_EQ(info.chunks[1].size, 0x10000u);
    EXPECT_EQ(info.chunks[2].crc, kNoCrcMark);
    EXPECT_EQ(info.chunks[2].length, 200u);
    EXPECT_EQ(info.chunks[2].text1[0], 0x11);
    EXPECT_EQ(info.FindChunk(kUserDbChunkId), 2);

    EXPECT_EQ(ParseStbInfo(payload.data(), 129, info), 0);
    EXPECT_EQ(info.chunkCount, 0u);
    EXPECT_EQ(ParseStbInfo(payload.data(), 1, info), 0);
    EXPECT_EQ(info.flashSize, 0x200000u);
    EXPECT_EQ(info.spare, 0u);
    EXPECT_EQ(ParseStbInfo(payload.data(), 0, info), 0);
    EXPECT_EQ(info.flashSize, 0u);

    const std::pair<uint8_t, uint32_t> sizes[] = {{0, 0}, {1, 0x80000}, {10, 0x80000}, {3, 0x100000},
                                                  {13, 0x100000}, {16, 0x200000}, {17, 0}};
    for (auto [code, size] : sizes)
        EXPECT_EQ(FlashSizeForType(code), size) << int(code);

    // Seventeen chunks do not fit the table: refused, with the count kept for the message.
    std::vector<std::array<uint32_t, 4>> many(17, {0x02FD0000, 0, 0x100, 0});
    auto big = ChunkPayload(1, many);
    EXPECT_EQ(ParseStbInfo(big.data(), big.size(), info), kLinkNotRecognized);
    EXPECT_EQ(info.reportedChunks, 17u);
    EXPECT_TRUE(info.chunks.empty());
}

TEST_F(LinkCommandSet, CharacterLevelVersionAnswers)
{
    link.SetProtocolVersion(0x20);
    auto payload = ChunkPayload(3, {{kDefaultDbChunkId, 1, 2, 3}});
    stb.Run([&](PtyStb &s) {
        EXPECT_EQ(s.EchoLine(), "version -r\r");
        s.Write(std::vector<uint8_t> {0xB7, 0x21, uint8_t(payload.size() >> 8), uint8_t(payload.size())});
        s.WriteWithCrc(payload);
    });
    uint32_t version = 99;
    StbInfo info;
    ASSERT_EQ(link.GetStbInfo(version, info), 0);
    stb.Join();
    EXPECT_EQ(version, 0x21u);
    EXPECT_EQ(info.chunkCount, 1u);
    EXPECT_EQ(info.flashSize, 0x100000u);

    // A plain length: version 0.
    stb.Run([&](PtyStb &s) {
        s.EchoLine();
        s.Write(std::vector<uint8_t> {uint8_t(payload.size() >> 8), uint8_t(payload.size())});
        s.WriteWithCrc(payload);
    });
    ASSERT_EQ(link.GetStbInfo(version, info), 0);
    stb.Join();
    EXPECT_EQ(version, 0u);

    // Wrong CRC over the payload.
    stb.Run([&](PtyStb &s) {
        s.EchoLine();
        s.Write(std::vector<uint8_t> {uint8_t(payload.size() >> 8), uint8_t(payload.size())});
        s.Write(payload);
        s.WriteBe32(0);
    });
    EXPECT_EQ(link.GetStbInfo(version, info), kLinkReadDataError);
    stb.Join();
}

TEST_F(LinkCommandSet, PacketVersionAndChunkQueries)
{
    link.SetProtocolVersion(0x30);
    auto payload = ChunkPayload(6, {{kDefaultDbChunkId, 1, 0x200, 3}, {kUserDbChunkId, 5, 0, 7}});
    stb.Run([&](PtyStb &s) {
        LinkPacket p;
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_EQ(std::string(p.data.begin(), p.data.begin() + p.length), "version\r");
        s.SendData(p.sequence, 0, {0, 0, 0, 0x30});
        ASSERT_TRUE(s.ReadPacket(p));
        EXPECT_EQ(std::string(p.data.begin(), p.data.begin() + p.length), "chunk\r");
        s.SendData(p.sequence, 0, payload);
    });
    uint32_t version = 0;
    StbInfo info;
    ASSERT_EQ(link.GetStbInfo(version, info), 0);
    stb.Join();
    EXPECT_EQ(version, 0x30u);
    ASSERT_EQ(info.chunkCount, 2u);
    EXPECT_EQ(info.chunks[1].crc, kNoCrcMark);
}

TEST_F(LinkCommandSet, ShortCharacterCommands)
{
    link.SetProtocolVersion(0x21);
    stb.Run([](PtyStb &s) {
        EXPECT_EQ(s.EchoLine(), "address 0\r");
        s.WriteByte('O');
        EXPECT_EQ(s.EchoLine(), "move 66846976 4096\r");
        s.WriteByte('E');
        EXPECT_EQ(s.EchoLine(), "reboot\r");
        EXPECT_TRUE(s.Drain(100).empty()); // no 'O' awaited, nothing more sent
    });
    EXPECT_EQ(link.SetAddress(0), 0);
    EXPECT_EQ(link.MoveChunk(kDefaultDbChunkId, 4096), kLinkTargetError);
    EXPECT_EQ(link.Reboot(), 0);
    stb.Join();

    stb.Run([](PtyStb &s) { s.EchoLine(); }); // no answer
    EXPECT_EQ(link.SetAddress(5), kLinkTimeout);
    stb.Join();
}
