// Character-level exchanges with the simulator: block dump, raw transfer with refusals, whole dump.
#include "SimClient.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace simtest;

namespace {

Bytes Le32Crc(uint32_t v)
{
    const uint8_t le[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    Bytes out;
    PutBe32(out, Crc(le, 4));
    return out;
}

Bytes Answer(char letter, uint32_t block)
{
    Bytes a{uint8_t(letter)};
    PutBe32(a, block);
    PutBe32(a, Crc(a));
    return a;
}

Bytes ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

// Reads the 16-byte block header of a 2.1 box and checks both little-endian CRC checks.
bool ReadCheckedHeader(SimProcess &sim, uint32_t &number, uint32_t &length)
{
    const Bytes h = sim.Read(16, 1000);
    if (h.size() != 16)
        return false;
    number = Be32(h.data());
    length = Be32(h.data() + 4);
    return Bytes(h.begin() + 8, h.begin() + 12) == Le32Crc(number) && Bytes(h.begin() + 12, h.end()) == Le32Crc(length);
}

} // namespace

TEST(StbSimChar, BlockDumpOfErasedFlashSendsBlankBlocks)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x21"}));
    ASSERT_TRUE(sim.Echoed("dump 1048576 2048\r"));   // a length was given: no total on the line
    for (uint32_t block = 0; block < 2; ++block) {
        sim.Write(Bytes{'H'});
        uint32_t number = 0, length = 0;
        ASSERT_TRUE(ReadCheckedHeader(sim, number, length));
        EXPECT_EQ(number, block);
        EXPECT_EQ(length, 1024u);
        sim.Write(Bytes{'G'});
        const Bytes blank = sim.Read(12, 1000);
        ASSERT_EQ(blank.size(), 12u);
        EXPECT_EQ(Bytes(blank.begin(), blank.begin() + 8), Text("BLANKPCK"));
        EXPECT_EQ(Be32(blank.data() + 8), Crc(Text("BLANKPCK")));
        sim.Write(Answer('O', block));
    }
    // The dump is over; the next text is a command again.
    ASSERT_TRUE(sim.Echoed("version -r\r"));
}

TEST(StbSimChar, BlockDumpRepeatsARefusedBlockAndAbsorbsTheDoubledRequest)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x22"}));
    ASSERT_TRUE(sim.Echoed("dump 0 0\r"));   // everything: the total comes first
    const Bytes total = sim.Read(4, 1000);
    ASSERT_EQ(total.size(), 4u);
    EXPECT_EQ(Be32(total.data()), 0x200000u);
    sim.Write(Bytes{'H'});
    uint32_t number = 0, length = 0;
    ASSERT_TRUE(ReadCheckedHeader(sim, number, length));
    // The PC rejects the header: 'H' at once and 'H' again at its next round, one header back.
    sim.Write(Bytes{'H'});
    sim.Write(Bytes{'H'});
    ASSERT_TRUE(ReadCheckedHeader(sim, number, length));
    EXPECT_TRUE(sim.Read(1, 300).empty());
    sim.Write(Bytes{'G'});
    Bytes block = sim.Read(1024 + 4, 1000);
    ASSERT_EQ(block.size(), 1028u);
    EXPECT_EQ(Be32(block.data()), 0xE3000100u);   // the boot chunk header
    EXPECT_EQ(Be32(block.data() + 1024), Crc(block.data(), 1024));
    sim.Write(Answer('E', 0));
    sim.Write(Bytes{'H'});
    ASSERT_TRUE(ReadCheckedHeader(sim, number, length));
    EXPECT_EQ(number, 0u);   // the refused block again
    sim.Write(Bytes{'G'});
    EXPECT_EQ(sim.Read(1028, 1000), block);
}

TEST(StbSimChar, RawTransferRefusesTheFirstAttemptsAndBurnRewritesTheFile)
{
    QTemporaryDir dir;
    const QString abs = dir.filePath("box.abs");
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x20", "--flash", abs.toStdString(), "--create", "--refuse-blocks", "2"}));
    const Bytes before = ReadFile(abs);
    ASSERT_EQ(before.size(), 0x200000u);

    ASSERT_TRUE(sim.Echoed("address 458752\r"));   // start the rebuild at the default database
    EXPECT_EQ(sim.Read(1, 1000), Bytes{'O'});
    Bytes data(1500);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 13);
    ASSERT_TRUE(sim.Echoed("transferraw 1500\r"));
    EXPECT_EQ(sim.Read(1, 1000), Bytes{'O'});
    for (size_t off = 0; off < data.size(); off += 1024) {
        Bytes block(data.begin() + std::ptrdiff_t(off), data.begin() + std::ptrdiff_t(std::min(data.size(), off + 1024)));
        PutBe32(block, Crc(block.data(), block.size()));
        for (const char expected : {'E', 'E', 'O'}) {
            sim.Write(block);
            EXPECT_EQ(sim.Read(1, 2000), Bytes{uint8_t(expected)});
        }
    }
    ASSERT_TRUE(sim.Echoed("burn\r"));
    EXPECT_EQ(sim.Read(1, 1000), Bytes{'O'});
    const Bytes reports = sim.Read(8, 2000);   // one 64 KiB step: 'B', 6 bytes, then 'F'
    ASSERT_EQ(reports.size(), 8u);
    EXPECT_EQ(std::string(reports.begin(), reports.begin() + 5), "B0064");
    EXPECT_EQ(reports[7], 'F');

    const Bytes after = ReadFile(abs);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), after.begin() + 0x70000));
    EXPECT_TRUE(std::all_of(after.begin() + 0x70000 + 1500, after.begin() + 0x80000, [](uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::equal(after.begin() + 0x80000, after.end(), before.begin() + 0x80000));
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 0x70000, before.begin()));
}

TEST(StbSimChar, DamagedRawBlockIsRefused)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x20"}));
    ASSERT_TRUE(sim.Echoed("address 458752\r"));
    EXPECT_EQ(sim.Read(1, 1000), Bytes{'O'});
    ASSERT_TRUE(sim.Echoed("transferraw 8\r"));
    EXPECT_EQ(sim.Read(1, 1000), Bytes{'O'});
    Bytes block{1, 2, 3, 4, 5, 6, 7, 8};
    PutBe32(block, Crc(block.data(), 8) ^ 1);
    sim.Write(block);
    EXPECT_EQ(sim.Read(1, 2000), Bytes{'E'});
    block.resize(8);
    PutBe32(block, Crc(block.data(), 8));
    sim.Write(block);
    EXPECT_EQ(sim.Read(1, 2000), Bytes{'O'});
    // Too large for the chunk that comes next: refused before any data.
    ASSERT_TRUE(sim.Echoed("address 458752\r"));
    EXPECT_EQ(sim.Read(1, 1000), Bytes{'O'});
    ASSERT_TRUE(sim.Echoed("transferraw 65537\r"));
    EXPECT_EQ(sim.Read(1, 1000), Bytes{'E'});
}

TEST(StbSimChar, WholeDumpOfGeneration10SendsTotalBytesAndCrc)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--proto", "0x10"}));
    ASSERT_TRUE(sim.Echoed("dump\r"));
    const Bytes total = sim.Read(4, 1000);
    ASSERT_EQ(total.size(), 4u);
    ASSERT_EQ(Be32(total.data()), 0x200000u);
    sim.Write(Bytes{'O'});
    const Bytes flash = sim.Read(0x200000, 10000);
    ASSERT_EQ(flash.size(), 0x200000u);
    const Bytes crc = sim.Read(4, 1000);
    ASSERT_EQ(crc.size(), 4u);
    EXPECT_EQ(Be32(crc.data()), Crc(flash));
    EXPECT_EQ(Be32(flash.data() + 0x80000), 0x04FB0100u);
}
