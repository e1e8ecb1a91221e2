// DownloadJob: the STB table checks, building the chunk data from each file type, the SDRAM
// load order and the failure endings.
#include "AbsTestImage.h"
#include "DatabaseTestFile.h"
#include "PtyStb.h"
#include "RecordingObserver.h"
#include "link/CUpgradeLink.h"
#include "link/DownloadJob.h"
#include "support/ScriptedPrompt.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

ChunkInfo Chunk(uint32_t id, uint32_t length, uint32_t size)
{
    ChunkInfo c;
    c.id = id;
    c.length = length;
    c.size = size;
    c.crc = 0x01020304;
    c.text1[0] = 'A';
    return c;
}

// Boot chunk, default database (size 0x1000), another chunk, user database (length 0x7F0).
StbInfo StbTable()
{
    StbInfo info;
    info.chunks = {Chunk(0xE3001C00, 0x100, 0x800), Chunk(kDefaultDbChunkId, 0x300, 0x1000),
                   Chunk(0x02FD0000, 0x10, 0x800), Chunk(kUserDbChunkId, 0x7F0, 0)};
    info.chunkCount = 4;
    return info;
}

class LinkDownloadPrep : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(job.TakeStbTable(StbTable())); }

    QString Write(const QString &name, const std::vector<uint8_t> &bytes)
    {
        QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
        return path;
    }

    QTemporaryDir dir;
    CUpgradeLink link;
    ScriptedPrompt prompt;
    RecordingObserver observer;
    DownloadJob job {link, prompt, observer};
};

} // namespace

TEST(LinkDownloadTable, RefusesTablesWithoutADatabaseChunk)
{
    CUpgradeLink link;
    ScriptedPrompt prompt;
    RecordingObserver observer;
    DownloadJob job(link, prompt, observer);
    StbInfo noUser = StbTable();
    noUser.chunks.pop_back();
    EXPECT_FALSE(job.TakeStbTable(noUser));
    StbInfo noDefault = StbTable();
    noDefault.chunks.erase(noDefault.chunks.begin() + 1);
    EXPECT_FALSE(job.TakeStbTable(noDefault));
    ASSERT_EQ(prompt.messages.size(), 2);
    EXPECT_TRUE(prompt.messages[0].contains("no user database chunk"));
    EXPECT_TRUE(prompt.messages[1].contains("no default database chunk"));

    ASSERT_TRUE(job.TakeStbTable(StbTable()));
    EXPECT_EQ(job.DefaultDbIndex(), 1);
    EXPECT_EQ(job.UserDbIndex(), 3);
    EXPECT_EQ(job.StbDefaultSize(), 0x1000u);
    EXPECT_EQ(job.StbUserSize(), 0x800u);
}

TEST_F(LinkDownloadPrep, DdfFillsTheDefaultChunkBehindItsHeader)
{
    const auto contents = Pattern(0x1000 - 128, 9); // exactly the STB size with the header
    ASSERT_TRUE(job.PrepareDownloadData(Write("a.ddf", contents)));
    const auto &data = job.Chunks()[1].data;
    ASSERT_EQ(data.size(), 0x1000u);
    EXPECT_EQ(ByteOrder::ReadBe32(data.data()), kDefaultDbChunkId);
    EXPECT_EQ(ByteOrder::ReadBe32(data.data() + 4), uint32_t(contents.size() + 112));
    EXPECT_EQ(ByteOrder::ReadBe32(data.data() + 8), 0x1000u);
    EXPECT_EQ(ByteOrder::ReadBe32(data.data() + 12), kNoCrcMark);
    EXPECT_EQ(data[16], 'A');
    EXPECT_EQ(data[64], 0xFF);
    EXPECT_TRUE(std::equal(contents.begin(), contents.end(), data.begin() + 128));
    EXPECT_TRUE(job.Chunks()[3].data.empty());
    EXPECT_TRUE(prompt.messages.isEmpty());

    auto tooLarge = contents;
    tooLarge.push_back(0);
    EXPECT_FALSE(job.PrepareDownloadData(Write("b.ddf", tooLarge)));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0], "Select default database File size large than Slave default database size \n"
                                  " Slave size: 0x00001000");
}

TEST_F(LinkDownloadPrep, UdfKeepsTheStbLengthAndPadsWithFF)
{
    const auto contents = Pattern(100, 4);
    ASSERT_TRUE(job.PrepareDownloadData(Write("a.udf", contents)));
    const auto &data = job.Chunks()[3].data;
    ASSERT_EQ(data.size(), 0x800u);
    EXPECT_EQ(ByteOrder::ReadBe32(data.data() + 4), 0x7F0u);
    EXPECT_EQ(ByteOrder::ReadBe32(data.data() + 12), kNoCrcMark);
    EXPECT_TRUE(std::equal(contents.begin(), contents.end(), data.begin() + 128));
    EXPECT_EQ(data[128 + 100], 0xFF);
    EXPECT_EQ(data.back(), 0xFF);

    EXPECT_FALSE(job.PrepareDownloadData(Write("c.udf", Pattern(0x800 - 127, 1))));
    EXPECT_EQ(prompt.messages.value(0), "Select user database File size large than Slave user database size \n"
                                        " Slave size: 0x00000800");
}

TEST_F(LinkDownloadPrep, FileTypeIsTheExactLowerCaseEnding)
{
    EXPECT_FALSE(job.PrepareDownloadData(Write("a.DDF", Pattern(10, 1))));
    EXPECT_FALSE(job.PrepareDownloadData(Write("a.usd", Pattern(10, 1))));
    EXPECT_FALSE(job.PrepareDownloadData(dir.filePath("missing.ddf")));
    EXPECT_EQ(prompt.messages, (QStringList {"Unrecognize File Type", "Unrecognize File Type",
                                             "Can't Read Select File!"}));
}

TEST_F(LinkDownloadPrep, AbsContributesTheChosenDatabases)
{
    AbsTestImage image;
    image.Add(0xE3001C00, Pattern(50, 1), 0x400, false);
    size_t def = image.Add(kDefaultDbChunkId, Pattern(0x200, 2), 0xC00);
    size_t user = image.Add(kUserDbChunkId, Pattern(0x300, 3), 0, false);
    const QString path = dir.filePath("image.abs");
    ASSERT_TRUE(image.Save(path));

    DownloadOptions userOnly;
    userOnly.loadDefaultDb = false;
    userOnly.loadUserDb = true;
    job.SetOptions(userOnly);
    ASSERT_TRUE(job.PrepareDownloadData(path));
    EXPECT_TRUE(job.Chunks()[1].data.empty());
    const auto &u = job.Chunks()[3].data;
    ASSERT_EQ(u.size(), 0x800u);
    EXPECT_TRUE(std::equal(image.bytes.begin() + std::ptrdiff_t(user), image.bytes.end(), u.begin()));
    EXPECT_EQ(u[128 + 0x300], 0xFF);

    DownloadOptions both;
    both.loadUserDb = true;
    job.SetOptions(both);
    ASSERT_TRUE(job.PrepareDownloadData(path));
    const auto &d = job.Chunks()[1].data;
    ASSERT_EQ(d.size(), 0x1000u);
    EXPECT_TRUE(std::equal(d.begin(), d.begin() + 0xC00, image.bytes.begin() + std::ptrdiff_t(def)));
    EXPECT_EQ(d[0xC00], 0xFF);
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(LinkDownloadPrep, AbsRefusals)
{
    {
        AbsTestImage image; // default chunk larger than the STB's
        image.Add(kDefaultDbChunkId, Pattern(0x200, 2), 0x2000);
        image.Add(kUserDbChunkId, Pattern(0x10, 3), 0, false);
        ASSERT_TRUE(image.Save(dir.filePath("big.abs")));
        EXPECT_FALSE(job.PrepareDownloadData(dir.filePath("big.abs")));
    }
    {
        AbsTestImage image; // user chunk larger than the STB's
        image.Add(kDefaultDbChunkId, Pattern(0x200, 2), 0x1000);
        image.Add(kUserDbChunkId, Pattern(0x800, 3), 0, false);
        ASSERT_TRUE(image.Save(dir.filePath("bigu.abs")));
        EXPECT_FALSE(job.PrepareDownloadData(dir.filePath("bigu.abs")));
    }
    {
        AbsTestImage image; // second id breaks the complement rule
        image.Add(kDefaultDbChunkId, Pattern(0x20, 2), 0x200);
        image.Add(0x03FD0100, Pattern(0x20, 3), 0);
        ASSERT_TRUE(image.Save(dir.filePath("broken.abs")));
        EXPECT_FALSE(job.PrepareDownloadData(dir.filePath("broken.abs")));
    }
    {
        AbsTestImage image; // no default database chunk at all
        image.Add(0xE3001C00, Pattern(0x20, 2), 0x200);
        image.Add(kUserDbChunkId, Pattern(0x20, 3), 0, false);
        ASSERT_TRUE(image.Save(dir.filePath("nodef.abs")));
        EXPECT_FALSE(job.PrepareDownloadData(dir.filePath("nodef.abs")));
    }
    EXPECT_EQ(prompt.messages,
              (QStringList {"Select File default database size large than Slave default database size \n"
                            " Slave size: 0x00001000",
                            "Select File user database size large than Slave user database size \n"
                            " Slave size: 0x00000800",
                            "Get File blocks error", "The selected file has no default database chunk."}));
    for (const auto &chunk : job.Chunks())
        EXPECT_TRUE(chunk.data.empty());
}

TEST_F(LinkDownloadPrep, LoadToSdramTransfersNewDataAndMovesTheRest)
{
    PtyStb stb;
    ASSERT_TRUE(stb.Ok());
    ASSERT_EQ(link.LinkOpenPort(stb.Path(), 115200, 2, 1), 0);
    link.SetProtocolVersion(0x30);
    ASSERT_TRUE(job.PrepareDownloadData(Write("a.udf", Pattern(300, 4))));

    std::vector<std::string> commands;
    stb.Run([&](PtyStb &s) {
        for (;;) {
            LinkPacket p;
            if (!s.ReadPacket(p, 500))
                return;
            if (p.type != kPacketCommand) {
                s.SendStatus(p.sequence, 0, p.PacketNumber());
                continue;
            }
            commands.emplace_back(p.data.begin(), p.data.begin() + p.length);
            s.SendStatus(p.sequence, 0, 0);
        }
    });
    EXPECT_EQ(job.LoadToSdram(), 0);
    link.LinkClosePort();
    stb.Join();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0], "move 3808435200 2048\r");
    EXPECT_EQ(commands[1], "move 66846976 4096\r");
    EXPECT_EQ(commands[2], "move 50135040 2048\r");
    EXPECT_EQ(commands[3].rfind("transfer -z 2048 ", 0), 0u) << commands[3];
    EXPECT_EQ(observer.texts[1015], QStringList {"Download to sdram(User Database)"});
    EXPECT_TRUE(observer.WasShown(1006));
    EXPECT_EQ(observer.progress[1019].front(), 0);
    EXPECT_EQ(observer.progress[1019].back(), 100);

    // A kept user database goes as "move id 0".
    ASSERT_EQ(link.LinkOpenPort(stb.Path(), 115200, 2, 1), 0);
    ASSERT_TRUE(job.PrepareDownloadData(Write("b.ddf", Pattern(300, 4))));
    commands.clear();
    stb.Run([&](PtyStb &s) {
        for (;;) {
            LinkPacket p;
            if (!s.ReadPacket(p, 500))
                return;
            if (p.type == kPacketCommand)
                commands.emplace_back(p.data.begin(), p.data.begin() + p.length);
            s.SendStatus(p.sequence, 0, p.type == kPacketCommand ? 0 : p.PacketNumber());
        }
    });
    EXPECT_EQ(job.LoadToSdram(), 0);
    link.LinkClosePort();
    stb.Join();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[1].rfind("transfer -z 4096 ", 0), 0u);
    EXPECT_EQ(commands[3], "move 83558656 0\r");
    EXPECT_EQ(observer.texts[1015].back(), "Download to sdram(Default Database)");
}

TEST(LinkDownloadRun, PortAndCancelEndings)
{
    CUpgradeLink link;
    ScriptedPrompt prompt;
    RecordingObserver observer;
    DownloadJob job(link, prompt, observer);
    QTemporaryDir dir;
    const QString file = dir.filePath("x.ddf");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(DatabaseContainer());
    }
    DownloadOptions options;
    options.port.devicePath = "/nonexistent/tty";
    EXPECT_FALSE(job.Run(file, options));
    EXPECT_EQ(prompt.messages, QStringList {"can not open port"});
    EXPECT_EQ(observer.closeRequests, 1);
    EXPECT_TRUE(observer.shown.empty());

    // Cancelled during the connection test: no message, the dialog is asked to close.
    PtyStb stb;
    ASSERT_TRUE(stb.Ok());
    options.port.devicePath = QString::fromStdString(stb.Path());
    observer.cancel = true;
    prompt.messages.clear();
    EXPECT_FALSE(job.Run(file, options));
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(observer.closeRequests, 2);
    EXPECT_TRUE(observer.WasShown(1011));
    EXPECT_FALSE(observer.WasShown(1004));
    EXPECT_FALSE(link.Port().IsOpen());
}

TEST(LinkDownloadRun, MoreThanSixteenChunksAreRefusedBeforeAnythingIsSent)
{
    PtyStb stb;
    ASSERT_TRUE(stb.Ok());
    std::vector<uint8_t> payload = {5, 0};
    for (int i = 0; i < 17; ++i) {
        uint8_t header[128] = {};
        ByteOrder::WriteBe32(header, i == 1 ? kDefaultDbChunkId : i == 16 ? kUserDbChunkId : 0x02FD0000);
        ByteOrder::WriteBe32(header + 8, i == 16 ? 0 : 0x1000);
        payload.insert(payload.end(), header, header + 128);
    }
    std::vector<uint8_t> after;
    stb.Run([&](PtyStb &s) {
        EXPECT_EQ(s.EchoLine(), "comtest 18\r");
        uint8_t banner[18];
        ASSERT_TRUE(s.Read(banner, 18));
        s.Write(banner, 18);
        EXPECT_EQ(s.EchoLine(), "version -r\r");
        s.Write(std::vector<uint8_t> {0xB7, 0x21, uint8_t(payload.size() >> 8), uint8_t(payload.size())});
        s.WriteWithCrc(payload);
        after = s.Drain(300); // nothing more may come: no address, no transfer
    });
    CUpgradeLink link;
    ScriptedPrompt prompt;
    RecordingObserver observer;
    DownloadJob job(link, prompt, observer);
    DownloadOptions options;
    options.port.devicePath = QString::fromStdString(stb.Path());
    QTemporaryDir dir;
    QFile file(dir.filePath("x.ddf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(DatabaseContainer());
    file.close();
    EXPECT_FALSE(job.Run(dir.filePath("x.ddf"), options));
    stb.Join();
    EXPECT_EQ(prompt.messages, QStringList {"The STB reports 17 flash chunks; at most 16 are supported."});
    EXPECT_TRUE(after.empty());
    EXPECT_EQ(observer.closeRequests, 1);
}
