// The simulator's connection test, version answers, silence and shutdown, seen from the PC side.
#include "SimClient.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace simtest;

namespace {

const std::string kBanner = "@ZAN PROTOCOL 3.0+";

Bytes Complement(const std::string &s)
{
    Bytes out;
    for (char c : s)
        out.push_back(uint8_t(~uint8_t(c)));
    return out;
}

// Reads a "version -r" answer after its echo and returns the payload (CRC checked).
Bytes ReadVersionPayload(SimProcess &sim, uint32_t &firstWord)
{
    Bytes word = sim.Read(2, 1000);
    if (word.size() != 2)
        return {};
    firstWord = (uint32_t(word[0]) << 8) | word[1];
    uint32_t length = firstWord;
    if (firstWord >= 0xB721) {
        Bytes len = sim.Read(2, 1000);
        if (len.size() != 2)
            return {};
        length = (uint32_t(len[0]) << 8) | len[1];
    }
    Bytes payload = sim.Read(length, 2000);
    Bytes crc = sim.Read(4, 1000);
    if (payload.size() != length || crc.size() != 4 || Crc(payload) != Be32(crc.data()))
        return {};
    return payload;
}

} // namespace

TEST(StbSimConnection, OlderBoxesEchoTheCommandAndReturnTheBanner)
{
    for (const char *proto : {"0x10", "0x20", "0x2A"}) {
        SimProcess sim;
        ASSERT_TRUE(sim.Start({"--proto", proto}));
        ASSERT_TRUE(sim.Echoed("comtest 18\r")) << proto;
        sim.Write(kBanner);
        EXPECT_EQ(sim.Read(18, 1000), Text(kBanner)) << proto;
        EXPECT_EQ(sim.Stop(), 0);
    }
}

TEST(StbSimConnection, PacketBoxReturnsTheComplementAndEchoesNoOtherText)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x30"}));
    ASSERT_TRUE(sim.Echoed("comtest 18\r"));
    sim.Write(kBanner);
    EXPECT_EQ(sim.Read(18, 1000), Complement(kBanner));
    // After the connection test a packet box takes no text commands: nothing comes back.
    sim.Write("version -r\r");
    EXPECT_TRUE(sim.Read(1, 300).empty());
    // A second connection test (the next transfer) still works.
    ASSERT_TRUE(sim.Echoed("comtest 18\r"));
    sim.Write(kBanner);
    EXPECT_EQ(sim.Read(18, 1000), Complement(kBanner));
}

TEST(StbSimConnection, VersionAnswerOfGeneration21CarriesVersionLengthChunksAndCrc)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x21"}));
    ASSERT_TRUE(sim.Echoed("version -r\r"));
    uint32_t word = 0;
    const Bytes payload = ReadVersionPayload(sim, word);
    EXPECT_EQ(word, 0xB721u);
    ASSERT_EQ(payload.size(), 2u + 4 * 128);
    EXPECT_EQ(payload[0], 5);   // 2 MiB flash
    const uint32_t ids[] = {0xE3000100, 0x02FD0100, 0x03FC0100, 0x04FB0100};
    const uint32_t sizes[] = {0x10000, 0x60000, 0x10000, 0};
    for (int i = 0; i < 4; ++i) {
        const uint8_t *h = payload.data() + 2 + 128 * i;
        EXPECT_EQ(Be32(h), ids[i]) << i;
        EXPECT_EQ(Be32(h + 8), sizes[i]) << i;
        EXPECT_EQ(h[127], 0xFF) << i;
    }
    EXPECT_EQ(Be32(payload.data() + 2 + 12), 0x4E435243u);             // boot chunk: no CRC
    EXPECT_GT(Be32(payload.data() + 2 + 3 * 128 + 4) + 16, 0x20080u);   // user database room
}

TEST(StbSimConnection, VersionAnswerBefore21IsAPlainLength)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x20"}));
    ASSERT_TRUE(sim.Echoed("version -r\r"));
    uint32_t word = 0;
    const Bytes payload = ReadVersionPayload(sim, word);
    EXPECT_EQ(word, 2u + 4 * 128);
    EXPECT_EQ(payload.size(), word);
}

TEST(StbSimConnection, SilentBoxNeverAnswersAndStopsCleanly)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x20", "--silent"}));
    sim.Write("comtest 18\r");
    EXPECT_TRUE(sim.Read(1, 300).empty());
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(StbSimConnection, EndsWhenNobodyReadsItsOutputAnyMore)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x30"}));
    sim.CloseOutput();
    EXPECT_EQ(sim.Wait(3000), 0);
}

TEST(StbSimConnection, BadUsageEndsWithStatus2)
{
    SimProcess sim;
    EXPECT_FALSE(sim.Start({"--proto", "0x40"}));
    EXPECT_EQ(sim.Wait(2000), 2);
}

TEST(StbSimConnection, LinkLeadsToTheDeviceAndNeverReplacesAFile)
{
    QTemporaryDir dir;
    const std::string link = dir.filePath("stb").toStdString();
    {
        SimProcess sim;
        ASSERT_TRUE(sim.Start({"--link", link}));
        char target[256] = {};
        ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
        EXPECT_EQ(std::string(target), sim.device);
        EXPECT_EQ(sim.Stop(), 0);
        struct stat st {};
        EXPECT_NE(::lstat(link.c_str(), &st), 0);   // removed at exit
    }
    const std::string file = dir.filePath("plain").toStdString();
    FILE *f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    SimProcess sim;
    EXPECT_FALSE(sim.Start({"--link", file}));
    EXPECT_EQ(sim.Wait(2000), 1);
    struct stat st {};
    ASSERT_EQ(::lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}
