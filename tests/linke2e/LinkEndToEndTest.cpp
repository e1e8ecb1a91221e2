// Downloads and uploads against the simulated set-top box of every protocol generation.
#include "SimProcess.h"
#include "link/DatabaseTestFile.h"
#include "link/RecordingObserver.h"
#include "link/ChunkHeader.h"
#include "link/CUpgradeLink.h"
#include "link/DownloadJob.h"
#include "link/LinkCrc.h"
#include "link/UploadJob.h"
#include "support/ScriptedPrompt.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The simulator's fresh image: default database chunk at 0x70000 (size 0x10000), user
// database chunk at 0x80000 (length + 16 = 0x80000), 2 MiB of flash.
constexpr int kDefaultAt = 0x70000;
constexpr int kDefaultSize = 0x10000;
constexpr int kUserAt = 0x80000;
constexpr int kUserSize = 0x80000;

struct Generation {
    const char *proto;
    int transferFormat; // what the settings say when the STB names no version
};

void PrintTo(const Generation &generation, std::ostream *os)
{
    *os << generation.proto << " format " << generation.transferFormat;
}

class LinkEndToEnd : public ::testing::TestWithParam<Generation>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(SimProcess::Program())) << "stb-sim is not built";
        flashPath = dir.filePath("flash.abs");
        StartSim({});
        initial = ReadFile(flashPath);
        ASSERT_EQ(initial.size(), 0x200000);
    }

    void StartSim(const QStringList &extra)
    {
        QStringList args = {"--proto", GetParam().proto, "--flash", flashPath, "--create"};
        ASSERT_TRUE(sim.Start(args + extra));
    }

    // Stops the simulator so that it writes its flash back, and returns that flash.
    QByteArray FlashAfter()
    {
        EXPECT_TRUE(sim.Stop());
        return ReadFile(flashPath);
    }

    bool Download(const QString &path, bool defaultDb = true, bool userDb = false)
    {
        DownloadJob job(link, prompt, observer);
        DownloadOptions options;
        options.port.devicePath = sim.Device();
        options.transferFormat = GetParam().transferFormat;
        options.loadDefaultDb = defaultDb;
        options.loadUserDb = userDb;
        return job.Run(path, options);
    }

    bool Upload(const QString &path)
    {
        UploadJob job(link, prompt, observer);
        job.SetStartDelayMs(0);
        UploadOptions options;
        options.port.devicePath = sim.Device();
        options.transferFormat = GetParam().transferFormat;
        return job.Run(options, [&](const QString &) { return std::optional<QString>(path); });
    }

    // The chunk image the download builds: the STB's header (bytes 64.. erased), the file, 0xFF.
    QByteArray ExpectedChunk(int at, int size, const QByteArray &file, bool user)
    {
        ChunkInfo info = ChunkHeader::Parse(reinterpret_cast<const uint8_t *>(initial.constData()) + at);
        if (!user)
            info.length = uint32_t(file.size() + 112);
        info.crc = kNoCrcMark;
        auto header = ChunkHeader::Build(info);
        QByteArray chunk(reinterpret_cast<const char *>(header.data()), int(header.size()));
        chunk += file;
        chunk += QByteArray(size - chunk.size(), char(0xFF));
        return chunk;
    }

    QTemporaryDir dir;
    QString flashPath;
    QByteArray initial;
    SimProcess sim;
    CUpgradeLink link;
    ScriptedPrompt prompt;
    RecordingObserver observer;
};

QByteArray Pattern(int n, int seed)
{
    QByteArray b(n, 0);
    uint32_t x = uint32_t(seed) * 2654435761u + 1;
    for (int i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = char(i % 97 < 60 ? (x >> 16) : i % 7);
    }
    return b;
}

// A copy of the flash whose two database chunks carry new contents (CRC of the default one fixed).
QByteArray ModifiedImage(const QByteArray &flash)
{
    QByteArray image = flash;
    const QByteArray def = Pattern(0x2000, 11);
    image.replace(kDefaultAt + 128, def.size(), def);
    auto *p = reinterpret_cast<uint8_t *>(image.data());
    const uint32_t length = ByteOrder::ReadBe32(p + kDefaultAt + 4);
    ByteOrder::WriteBe32(p + kDefaultAt + 12, LinkCrc(kCrcStart, p + kDefaultAt + 16, length));
    const QByteArray user = Pattern(0x3000, 12);
    image.replace(kUserAt + 128, user.size(), user);
    return image;
}

} // namespace

TEST_P(LinkEndToEnd, DownloadDdfRebuildsTheDefaultDatabaseChunk)
{
    const QByteArray file = DatabaseFileOfSize(0x5000, Pattern(0x5000, 1));
    const QString path = dir.filePath("db.ddf");
    ASSERT_TRUE(WriteFile(path, file));
    ASSERT_TRUE(Download(path)) << prompt.messages.join("|").toStdString();
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_TRUE(observer.buttons[TransferControl::kOk]);
    EXPECT_FALSE(observer.buttons[TransferControl::kCancel]);
    EXPECT_EQ(observer.progress[TransferControl::kDownloadBurnBar].back(), 100);

    QByteArray expected = initial;
    expected.replace(kDefaultAt, kDefaultSize, ExpectedChunk(kDefaultAt, kDefaultSize, file, false));
    const QByteArray flash = FlashAfter();
    EXPECT_TRUE(flash == expected);
}

TEST_P(LinkEndToEnd, DownloadUdfRebuildsTheUserDatabaseChunk)
{
    // No larger than the user area an upload gives: behind the receiver's first 0x20000 bytes of
    // user data, which stay as they were.
    const QByteArray file = DatabaseFileOfSize(0x9000, Pattern(0x9000, 2));
    const QString path = dir.filePath("db.udf");
    ASSERT_TRUE(WriteFile(path, file));
    ASSERT_TRUE(Download(path)) << prompt.messages.join("|").toStdString();
    QByteArray expected = initial;
    const QByteArray head = initial.mid(kUserAt + 128, 0x20000);
    expected.replace(kUserAt, kUserSize, ExpectedChunk(kUserAt, kUserSize, head + file, true));
    EXPECT_TRUE(FlashAfter() == expected);
}

TEST_P(LinkEndToEnd, DownloadOfALargerUdfIsARawImageOfTheChunk)
{
    const int size = kUserSize - 0x20080 + 16; // one line more than the user area
    const QByteArray file = DatabaseFileOfSize(size, Pattern(size, 4));
    const QString path = dir.filePath("raw.udf");
    ASSERT_TRUE(WriteFile(path, file));
    ASSERT_TRUE(Download(path)) << prompt.messages.join("|").toStdString();
    QByteArray expected = initial;
    expected.replace(kUserAt, kUserSize, ExpectedChunk(kUserAt, kUserSize, file, true));
    EXPECT_TRUE(FlashAfter() == expected);
}

TEST_P(LinkEndToEnd, DownloadAbsTakesOnlyTheChosenDatabase)
{
    const QByteArray image = ModifiedImage(initial);
    const QString path = dir.filePath("image.abs");
    ASSERT_TRUE(WriteFile(path, image));

    ASSERT_TRUE(Download(path, false, true)) << prompt.messages.join("|").toStdString();
    QByteArray expected = initial;
    expected.replace(kUserAt, kUserSize, image.mid(kUserAt, kUserSize));
    QByteArray flash = FlashAfter();
    EXPECT_TRUE(flash == expected);

    // Then the default database alone, on the flash as it is now.
    initial = flash;
    StartSim({});
    ASSERT_TRUE(Download(path, true, false)) << prompt.messages.join("|").toStdString();
    expected.replace(kDefaultAt, kDefaultSize, image.mid(kDefaultAt, kDefaultSize));
    EXPECT_TRUE(FlashAfter() == expected);
}

TEST_P(LinkEndToEnd, UploadsGiveTheFlashRanges)
{
    const QString abs = dir.filePath("all.abs");
    ASSERT_TRUE(Upload(abs)) << prompt.messages.join("|").toStdString();
    EXPECT_TRUE(ReadFile(abs) == initial);

    // The whole dump of the oldest boxes has no range: a database name still gets only its
    // database, cut out of the whole flash.
    const QString udf = dir.filePath("user.udf");
    ASSERT_TRUE(Upload(udf)) << prompt.messages.join("|").toStdString();
    EXPECT_TRUE(ReadFile(udf) == initial.mid(kUserAt + 0x20080, kUserSize - 0x20080));

    const QString ddf = dir.filePath("default.ddf");
    ASSERT_TRUE(Upload(ddf)) << prompt.messages.join("|").toStdString();
    EXPECT_TRUE(ReadFile(ddf) == initial.mid(kDefaultAt + 128, kDefaultSize - 128));
    EXPECT_TRUE(prompt.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Generations, LinkEndToEnd,
                         ::testing::Values(Generation {"0x10", 1}, Generation {"0x20", 2}, Generation {"0x21", 1},
                                           Generation {"0x30", 1}),
                         [](const auto &info) { return std::string("proto") + (info.param.proto + 2); });
