// Packet-form exchanges with the simulator: queries, resends, refusals, download, burn and dump.
#include "SimClient.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <lzma.h>

using namespace simtest;

namespace {

constexpr uint32_t kDefaultDbAddress = 0x70000;

Bytes ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

// The PC's transfer format: 13-byte header, then a raw LZMA1 stream without end marker.
Bytes LzmaAlone(const Bytes &plain)
{
    lzma_options_lzma opt{};
    lzma_lzma_preset(&opt, 6);
    opt.lc = 0;
    opt.lp = 2;
    opt.pb = 2;
    opt.dict_size = 8u << 20;
    opt.ext_flags = 0;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    Bytes out(13 + plain.size() + plain.size() / 2 + 4096);
    out[0] = 0x6C;
    for (int i = 0; i < 4; ++i)
        out[1 + i] = uint8_t(opt.dict_size >> (8 * i));
    for (int i = 0; i < 8; ++i)
        out[5 + i] = uint8_t(uint64_t(plain.size()) >> (8 * i));
    lzma_stream strm = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&strm, filters) != LZMA_OK)
        return {};
    strm.next_in = plain.data();
    strm.avail_in = plain.size();
    strm.next_out = out.data() + 13;
    strm.avail_out = out.size() - 13;
    lzma_ret ret = LZMA_OK;
    while (ret == LZMA_OK)
        ret = lzma_code(&strm, LZMA_FINISH);
    out.resize(out.size() - strm.avail_out);
    lzma_end(&strm);
    return ret == LZMA_STREAM_END ? out : Bytes{};
}

// New contents for the default-database chunk: its header, then recognisable bytes.
Bytes NewDefaultDatabase()
{
    Bytes chunk(0x10000, 0xFF);
    const uint32_t length = 0x2000 + 112;
    const uint32_t fields[] = {0x03FC0100, length, 0x10000, 0x4E435243};
    for (int i = 0; i < 4; ++i)
        for (int b = 0; b < 4; ++b)
            chunk[size_t(i * 4 + b)] = uint8_t(fields[i] >> (24 - 8 * b));
    for (size_t i = 16; i < 64; ++i)
        chunk[i] = 0;
    for (size_t i = 128; i < 128 + 0x2000; ++i)
        chunk[i] = uint8_t((i * 7) ^ (i >> 5));
    return chunk;
}

class StbSimPacket : public ::testing::Test {
protected:
    void StartWithFile(std::vector<std::string> extra = {})
    {
        ASSERT_TRUE(m_dir.isValid());
        m_abs = m_dir.filePath("flash.abs");
        std::vector<std::string> args{"--proto", "0x30", "--flash", m_abs.toStdString(), "--create"};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_TRUE(m_sim.Start(args));
        m_before = ReadFile(m_abs);
        ASSERT_EQ(m_before.size(), 0x200000u);
    }
    std::pair<uint8_t, uint32_t> Execute(const std::string &text)
    {
        m_sim.SendCommand(++m_seq, text);
        return m_sim.ReceiveStatus(m_seq);
    }

    QTemporaryDir m_dir;
    QString m_abs;
    Bytes m_before;
    SimProcess m_sim;
    uint32_t m_seq = 100;
};

using Status = std::pair<uint8_t, uint32_t>;

} // namespace

TEST_F(StbSimPacket, VersionAndChunkQueriesAnswerWithDataPackets)
{
    StartWithFile();
    m_sim.SendCommand(7, "version\r");
    Packet p;
    ASSERT_TRUE(m_sim.ReceivePacket(p));
    EXPECT_EQ(p.type, 1);
    EXPECT_EQ(p.sequence, 7u);
    ASSERT_EQ(p.data.size(), 8u);
    EXPECT_EQ(Be32(p.data.data()), 0u);
    EXPECT_EQ(Be32(p.data.data() + 4), 0x30u);

    m_sim.SendCommand(8, "chunk\r");
    ASSERT_TRUE(m_sim.ReceivePacket(p));
    EXPECT_EQ(p.sequence, 8u);
    ASSERT_EQ(p.data.size(), 4u + 2 + 4 * 128);
    EXPECT_EQ(p.data[4], 5);
    // The table is the flash's own headers.
    EXPECT_TRUE(std::equal(p.data.begin() + 6 + 2 * 128, p.data.begin() + 6 + 3 * 128,
                           m_before.begin() + kDefaultDbAddress));
}

TEST_F(StbSimPacket, ResentCommandIsAnsweredAgainWithItsRetryNumber)
{
    StartWithFile();
    m_sim.SendCommand(5, "address 0\r");
    EXPECT_EQ(m_sim.ReceiveStatus(5), Status(0, 0));
    m_sim.SendCommand(5, "address 0\r", 1);
    Packet p;
    ASSERT_TRUE(m_sim.ReceivePacket(p));
    EXPECT_EQ(p.sequence, 5u);
    EXPECT_EQ(p.retry, 1);
    EXPECT_EQ(p.data[0], 0);
    // Another command under the same sequence is carried out, not answered with the old reply.
    m_sim.SendCommand(5, "chunk\r");
    ASSERT_TRUE(m_sim.ReceivePacket(p));
    EXPECT_EQ(p.type, 1);
    EXPECT_EQ(p.retry, 0);
}

TEST_F(StbSimPacket, RefusalsCarryTheBoxCodes)
{
    StartWithFile({"--final-refusal", "65539", "--refuse-command", "reboot"});
    EXPECT_EQ(Execute("move 50135296 65536\r"), Status(1, 65538));   // no address yet
    EXPECT_EQ(Execute("transfer 16\r"), Status(1, 65538));
    EXPECT_EQ(Execute("burn\r"), Status(1, 65540));
    EXPECT_EQ(Execute("address 4194304\r"), Status(1, 65537));
    EXPECT_EQ(Execute("address 0\r"), Status(0, 0));
    EXPECT_EQ(Execute("move 305419896 0\r"), Status(1, 65539));      // unknown chunk id
    EXPECT_EQ(Execute("dump 2097152 16\r"), Status(1, 65536));
    EXPECT_EQ(Execute("frobnicate\r"), Status(1, 65536));
    EXPECT_EQ(Execute("reboot\r"), Status(1, 65539));                // the configured refusal
}

TEST_F(StbSimPacket, CompressedDownloadAndBurnRewriteTheImageFile)
{
    StartWithFile({"--exit-after-reboot"});
    const Bytes chunk = NewDefaultDatabase();
    const Bytes packed = LzmaAlone(chunk);
    ASSERT_FALSE(packed.empty());
    ASSERT_LT(packed.size(), chunk.size());

    EXPECT_EQ(Execute("address 0\r"), Status(0, 0));
    EXPECT_EQ(Execute("move 3808428288 65536\r"), Status(0, 0));
    EXPECT_EQ(Execute("move 50135296 393216\r"), Status(0, 0));
    const std::string command = "transfer -z " + std::to_string(chunk.size()) + " " + std::to_string(packed.size()) + "\r";
    EXPECT_EQ(Execute(command), Status(0, 0));
    const uint32_t transferSeq = m_seq;
    uint32_t number = 1;
    for (size_t off = 0; off < packed.size(); off += 1024, ++number) {
        const Bytes block(packed.begin() + std::ptrdiff_t(off),
                          packed.begin() + std::ptrdiff_t(std::min(packed.size(), off + 1024)));
        m_sim.SendNumbered(1, transferSeq, number, block);
        ASSERT_EQ(m_sim.ReceiveStatus(transferSeq), Status(0, number));
        if (number == 1) {
            // A block sent twice (its acknowledgement lost) is acknowledged, not stored twice;
            // asking for the next one names the last block held.
            m_sim.SendNumbered(1, transferSeq, 1, block);
            EXPECT_EQ(m_sim.ReceiveStatus(transferSeq), Status(0, 1));
            m_sim.SendNumbered(2, transferSeq, 2);
            EXPECT_EQ(m_sim.ReceiveStatus(transferSeq), Status(0, 1));
            // The command sent again (its answer lost) is answered without restarting the
            // transfer: block 2 is still the one the box waits for.
            m_sim.SendCommand(transferSeq, command, 1);
            EXPECT_EQ(m_sim.ReceiveStatus(transferSeq), Status(0, 0));
        }
    }
    EXPECT_EQ(Execute("move 83558656 0\r"), Status(0, 0));

    m_sim.SendCommand(++m_seq, "burn\r");
    EXPECT_EQ(m_sim.ReceiveStatus(m_seq), Status(0, 0));
    Packet p;
    uint32_t lastKb = 0;
    int reports = 0;
    while (m_sim.ReceivePacket(p) && p.type == 1) {
        ASSERT_GE(p.data.size(), 9u);
        EXPECT_EQ(p.data[4], 'B');
        lastKb = uint32_t(std::stoul(std::string(p.data.begin() + 5, p.data.begin() + 9)));
        ++reports;
    }
    EXPECT_EQ(p.type, 3);
    EXPECT_EQ(p.data[0], 3);
    EXPECT_GT(reports, 1);
    EXPECT_EQ(lastKb, 2048u);   // the whole flash was rebuilt

    const Bytes after = ReadFile(m_abs);
    ASSERT_EQ(after.size(), m_before.size());
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), after.begin() + kDefaultDbAddress));
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + kDefaultDbAddress, m_before.begin()));
    EXPECT_TRUE(std::equal(after.begin() + kDefaultDbAddress + 0x10000, after.end(),
                           m_before.begin() + kDefaultDbAddress + 0x10000));

    // While the PC stays silent the end of the burn is repeated (its loss costs a second).
    EXPECT_EQ(m_sim.ReceiveStatus(m_seq, 1500), Status(3, 0));

    // A resend of the finished burn is answered again and burns nothing new.
    m_sim.SendCommand(m_seq, "burn\r", 1);
    EXPECT_EQ(m_sim.ReceiveStatus(m_seq), Status(0, 0));
    EXPECT_EQ(m_sim.ReceiveStatus(m_seq), Status(3, 0));

    EXPECT_EQ(Execute("reboot\r"), Status(0, 0));
    EXPECT_EQ(m_sim.Wait(3000), 0);
}

TEST_F(StbSimPacket, UndecodableCompressedDataIsRefused)
{
    StartWithFile();
    EXPECT_EQ(Execute("address 458752\r"), Status(0, 0));
    Bytes junk(200, 0x5A);
    junk[0] = 0x6C;
    EXPECT_EQ(Execute("transfer -z 4096 200\r"), Status(0, 0));
    m_sim.SendNumbered(1, m_seq, 1, junk);
    EXPECT_EQ(m_sim.ReceiveStatus(m_seq), Status(1, 65536));
    EXPECT_EQ(Execute("burn\r"), Status(1, 65540));
}

TEST_F(StbSimPacket, AbandonedTransferIgnoresLaterData)
{
    StartWithFile();
    EXPECT_EQ(Execute("address 458752\r"), Status(0, 0));
    EXPECT_EQ(Execute("transfer 2048\r"), Status(0, 0));
    m_sim.SendNumbered(1, m_seq, 1, Bytes(1024, 1));
    EXPECT_EQ(m_sim.ReceiveStatus(m_seq), Status(0, 1));
    Bytes abandon{4, 0, 0, 0, 0};
    m_sim.SendPacket(3, m_seq, 0, abandon);
    m_sim.SendNumbered(1, m_seq, 2, Bytes(1024, 2));
    EXPECT_TRUE(m_sim.Read(1, 300).empty());
    EXPECT_EQ(Execute("burn\r"), Status(1, 65540));
}

TEST_F(StbSimPacket, DumpSendsTotalThenBlankPacketsForErasedFlash)
{
    StartWithFile();
    EXPECT_EQ(Execute("dump 1048576 2048\r"), Status(0, 0));
    m_sim.SendNumbered(2, m_seq, 0);
    Packet p;
    ASSERT_TRUE(m_sim.ReceivePacket(p));
    ASSERT_EQ(p.data.size(), 8u);
    EXPECT_EQ(Be32(p.data.data()), 0u);
    EXPECT_EQ(Be32(p.data.data() + 4), 2048u);
    m_sim.SendNumbered(2, m_seq, 2);
    ASSERT_TRUE(m_sim.ReceivePacket(p));
    EXPECT_EQ(p.type, 1);
    EXPECT_NE(p.flag, 0);
    EXPECT_EQ(p.length, 1028u);
    EXPECT_EQ(p.wireData, 4u);   // only the packet number travels
    EXPECT_EQ(Be32(p.data.data()), 2u);
    // Written flash comes as a normal packet with the bytes of the image.
    EXPECT_EQ(Execute("dump 65536 1000\r"), Status(0, 0));
    m_sim.SendNumbered(2, m_seq, 1);
    ASSERT_TRUE(m_sim.ReceivePacket(p));
    EXPECT_EQ(p.flag, 0);
    ASSERT_EQ(p.data.size(), 1004u);
    EXPECT_TRUE(std::equal(p.data.begin() + 4, p.data.end(), m_before.begin() + 65536));
    // Beyond the total the box says it has finished.
    m_sim.SendNumbered(2, m_seq, 2);
    EXPECT_EQ(m_sim.ReceiveStatus(m_seq), Status(3, 0));
}
