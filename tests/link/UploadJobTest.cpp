// UploadJob: file filter, name completion, flash range choice and a whole run to a file.
#include "PtyStb.h"
#include "RecordingObserver.h"
#include "link/CUpgradeLink.h"
#include "link/UploadJob.h"
#include "support/ScriptedPrompt.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

ChunkInfo Chunk(uint32_t id, uint32_t length, uint32_t size)
{
    ChunkInfo c;
    c.id = id;
    c.length = length;
    c.size = size;
    return c;
}

StbInfo Table()
{
    StbInfo info;
    info.chunks = {Chunk(0xE3001C00, 0x100, 0x10000), Chunk(kDefaultDbChunkId, 0x300, 0x10000),
                   Chunk(kUserDbChunkId, 0x30000 - 16, 0)};
    info.chunkCount = 3;
    return info;
}

} // namespace

TEST(LinkUploadRange, FilterAndNameCompletion)
{
    EXPECT_EQ(UploadJob::FilterFor(0x20), "All Code(*.abs)|");
    EXPECT_EQ(UploadJob::FilterFor(0x10), "All Code(*.abs)|");
    EXPECT_EQ(UploadJob::FilterFor(0x21), "User Database(*.udf)|Default Database(*.ddf)|All Code(*.abs)|");
    EXPECT_EQ(UploadJob::FilterFor(0x30), "User Database(*.udf)|Default Database(*.ddf)|All Code(*.abs)|");
    EXPECT_EQ(UploadJob::CompleteSavedPath("a"), "a.abs");
    EXPECT_EQ(UploadJob::CompleteSavedPath("abcd"), "abcd.abs");
    EXPECT_EQ(UploadJob::CompleteSavedPath("abcde"), "abcde");
}

TEST(LinkUploadRange, ChosenByTheLastFourCharacters)
{
    UploadRange range;
    EXPECT_EQ(UploadJob::ChooseRange("/tmp/x.abs", Table(), range), QString());
    EXPECT_EQ(range.start, 0u);
    EXPECT_EQ(range.length, 0u);

    EXPECT_EQ(UploadJob::ChooseRange("/tmp/x.udf", Table(), range), QString());
    EXPECT_EQ(range.start, 0x20000u + 0x20080);
    EXPECT_EQ(range.length, 0x30000u - 0x20080);

    EXPECT_EQ(UploadJob::ChooseRange("/tmp/x.ddf", Table(), range), QString());
    EXPECT_EQ(range.start, 0x10000u + 128);
    EXPECT_EQ(range.length, 0x10000u - 128);

    EXPECT_EQ(UploadJob::ChooseRange("/tmp/x.UDF", Table(), range), "Incorrect File Name.");
    EXPECT_EQ(UploadJob::ChooseRange("/tmp/x.usd", Table(), range), "Incorrect File Name.");

    // A missing or too small chunk is refused instead of dumping the wrong range.
    StbInfo noUser = Table();
    noUser.chunks.pop_back();
    EXPECT_TRUE(UploadJob::ChooseRange("/tmp/x.udf", noUser, range).contains("no user database chunk"));
    StbInfo smallUser = Table();
    smallUser.chunks[2].length = 0x100;
    EXPECT_TRUE(UploadJob::ChooseRange("/tmp/x.udf", smallUser, range).contains("too small"));
    StbInfo lastDefault = Table();
    lastDefault.chunks[1].size = 0;
    EXPECT_TRUE(UploadJob::ChooseRange("/tmp/x.ddf", lastDefault, range).contains("too small"));
}

namespace {

void AnswerComtest(PtyStb &s)
{
    EXPECT_EQ(s.EchoLine(), "comtest 18\r");
    uint8_t banner[18];
    ASSERT_TRUE(s.Read(banner, 18));
    s.Write(banner, 18);
}

void AnswerVersion(PtyStb &s)
{
    EXPECT_EQ(s.EchoLine(), "version -r\r");
    std::vector<uint8_t> payload = {5, 0};
    uint8_t header[128] = {};
    ByteOrder::WriteBe32(header, kDefaultDbChunkId);
    ByteOrder::WriteBe32(header + 8, 0x1000);
    payload.insert(payload.end(), header, header + 128);
    s.Write(std::vector<uint8_t> {0, uint8_t(payload.size())});
    s.WriteWithCrc(payload);
}

} // namespace

TEST(LinkUploadRun, WholeDumpIsWrittenToTheChosenFile)
{
    PtyStb stb;
    ASSERT_TRUE(stb.Ok());
    std::vector<uint8_t> flash(5000);
    for (size_t i = 0; i < flash.size(); ++i)
        flash[i] = uint8_t(i * 31);
    stb.Run([&](PtyStb &s) {
        AnswerComtest(s);
        AnswerVersion(s);
        EXPECT_EQ(s.EchoLine(), "dump\r");
        s.WriteBe32(uint32_t(flash.size()));
        EXPECT_EQ(s.ReadByte(), 'O');
        s.WriteWithCrc(flash);
        EXPECT_EQ(s.EchoLine(), "reboot\r");
    });
    QTemporaryDir dir;
    CUpgradeLink link;
    ScriptedPrompt prompt;
    RecordingObserver observer;
    UploadJob job(link, prompt, observer);
    job.SetStartDelayMs(0);
    UploadOptions options;
    options.port.devicePath = QString::fromStdString(stb.Path());
    options.transferFormat = 1; // version 0 from the STB: whole dump
    QString offered;
    const QString target = dir.filePath("flash.abs");
    ASSERT_TRUE(job.Run(options, [&](const QString &filter) {
        offered = filter;
        return std::optional<QString>(target);
    }));
    stb.Join();
    EXPECT_EQ(offered, "All Code(*.abs)|");
    EXPECT_EQ(job.SavedPath(), target);
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(observer.caption, "Upload (STB --> PC) (Transfer protocol version: 1.0)");
    EXPECT_TRUE(observer.buttons[1]);
    EXPECT_FALSE(observer.buttons[2]);
    EXPECT_TRUE(observer.WasShown(1006));
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray written = file.readAll();
    EXPECT_EQ(written, QByteArray(reinterpret_cast<const char *>(flash.data()), int(flash.size())));
    EXPECT_FALSE(link.Port().IsOpen());
}

TEST(LinkUploadRun, CancelledSaveDialogEndsSilently)
{
    PtyStb stb;
    ASSERT_TRUE(stb.Ok());
    stb.Run([&](PtyStb &s) {
        AnswerComtest(s);
        AnswerVersion(s);
    });
    CUpgradeLink link;
    ScriptedPrompt prompt;
    RecordingObserver observer;
    UploadJob job(link, prompt, observer);
    job.SetStartDelayMs(0);
    UploadOptions options;
    options.port.devicePath = QString::fromStdString(stb.Path());
    options.transferFormat = 2;
    QString offered;
    EXPECT_FALSE(job.Run(options, [&](const QString &filter) {
        offered = filter;
        return std::optional<QString>();
    }));
    stb.Join();
    EXPECT_EQ(offered, "All Code(*.abs)|");
    EXPECT_EQ(observer.caption, "Upload (STB --> PC) (Transfer protocol version: 2.0)");
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(observer.closeRequests, 1);
}
