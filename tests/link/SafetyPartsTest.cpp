// The parts of safe flashing without a receiver: rate line, step meter, backup file and catalog.
#include "core/ByteOrder.h"
#include "core/SafetySettings.h"
#include "core/TransferRate.h"
#include "link/AbsImage.h"
#include "link/BackupCatalog.h"
#include "link/DownloadJob.h"
#include "link/FlashBackup.h"
#include "link/FlashRangeReader.h"
#include "link/LinkCrc.h"
#include "link/RecordingObserver.h"
#include "link/StepMeter.h"

#include <QDir>
#include <QSettings>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

uint32_t LinkCrcOf(const std::vector<uint8_t> &bytes, uint32_t length)
{
    return LinkCrc(kCrcStart, bytes.data() + 16, length);
}

// A chunk as the receiver would hold it: header with the given fields, then contents.
BackupChunk MakeChunk(uint32_t id, uint32_t length, uint32_t size, size_t bytes, uint8_t seed, bool crc)
{
    BackupChunk chunk;
    chunk.info.id = id;
    chunk.info.length = length;
    chunk.info.size = size;
    chunk.bytes.assign(bytes, 0xFF);
    for (size_t i = kChunkHeaderSize; i < bytes && i < 0x400; ++i)
        chunk.bytes[i] = uint8_t(seed + i * 7);
    chunk.info.crc = kNoCrcMark;
    ChunkHeader::Build(chunk.info, chunk.bytes.data());
    // The CRC covers the header from byte 16 on as well.
    if (crc) {
        chunk.info.crc = LinkCrcOf(chunk.bytes, length);
        ByteOrder::WriteBe32(chunk.bytes.data() + 12, chunk.info.crc);
    }
    return chunk;
}

} // namespace

TEST(TransferRate, FormatsPercentRateAndTimeLeft)
{
    // 45 % of 100 KB after 4.6 s: about 9.8 KB/s and 5.7 s to go.
    EXPECT_EQ(FormatTransferRate(46080, 102400, 4.6), QString::fromUtf8("45 % \u00B7 9.8 KB/s \u00B7 0:06 left"));
    EXPECT_EQ(FormatTransferRate(0, 1000, 3.0), "0 %");
    EXPECT_EQ(FormatTransferRate(10, 1000, 0.0), "1 %");
    EXPECT_EQ(FormatTransferRate(1000, 1000, 2.0), QString::fromUtf8("100 % \u00B7 500 B/s"));
    EXPECT_EQ(FormatTransferRate(5000, 1000, 2.0), QString::fromUtf8("100 % \u00B7 500 B/s")); // done beyond total
    EXPECT_EQ(FormatTransferRate(0, 0, 1.0), "0 %");
    EXPECT_EQ(FormatByteRate(512), "512 B/s");
    EXPECT_EQ(FormatByteRate(150 * 1024), "150 KB/s");
    EXPECT_EQ(FormatByteRate(2.5 * 1024 * 1024), "2.5 MB/s");
    EXPECT_EQ(FormatTimeLeft(61), "1:01 left");
    EXPECT_EQ(FormatTimeLeft(3725), "1:02:05 left");
    EXPECT_EQ(FormatTimeLeft(-4), "0:00 left");
    EXPECT_EQ(FormatTimeLeft(1e12), "99:59:59 left");
}

TEST(StepMeter, PartsAddUpToOneBarAndEveryReportCarriesARate)
{
    struct RateObserver : RecordingObserver {
        QStringList rates;
        void SetRateText(int, const QString &text) override { rates << text; }
    } rated;
    StepMeter meter(rated, 10, 11, 1000);
    LinkProgress first = meter.Part(200);
    first(50);
    first(100);
    LinkProgress second = meter.Part(800);
    second(50);
    second(100);
    EXPECT_EQ(rated.progress[10], (std::vector<int> {10, 20, 60, 100}));
    ASSERT_EQ(rated.rates.size(), 4);
    EXPECT_TRUE(rated.rates.back().startsWith("100 %")) << rated.rates.back().toStdString();
    // A part's progress never goes backwards or past the step's total.
    second(30);
    meter.Done(5000);
    EXPECT_EQ(meter.BytesDone(), 1000u);
}

TEST(FlashRanges, AddressesAreTheSumOfTheSizesBefore)
{
    std::vector<ChunkInfo> chunks(3);
    chunks[0].size = 0x10000;
    chunks[1].size = 0x60000;
    chunks[2].size = 0;
    EXPECT_EQ(ChunkAddresses(chunks), (std::vector<uint64_t> {0, 0x10000, 0x70000}));
    EXPECT_EQ(FlashRangeBytes({{0, 10}, {100, 20}}), 30u);
}

TEST(VerifyRule, OnlyTheCrcFieldAndTheUninterpretedHeaderMayDiffer)
{
    for (size_t i = 0; i < kChunkHeaderSize; ++i) {
        const bool mayDiffer = (i >= 12 && i < 16) || i >= 64;
        EXPECT_EQ(VerifyIgnoresHeaderByte(i), mayDiffer) << i;
    }
}

TEST(FlashBackupFile, IsAValidAbsThatPutsBackTheDumpedBytes)
{
    const QDateTime time(QDate(2026, 12, 9), QTime(4, 30, 12));
    // The default database is followed by the user database, the last chunk of the flash.
    const BackupChunk def = MakeChunk(kDefaultDbChunkId, 0x3000 - 16, 0x10000, 0x10000, 3, true);
    const BackupChunk user = MakeChunk(kUserDbChunkId, 0x8000 - 16, 0, 0x8000, 9, false);
    QString error;
    const QByteArray file = FlashBackup::Build({def, user}, "0123ABCD", time, error);
    ASSERT_EQ(file.size(), 0x10000 + 0x8000) << error.toStdString(); // no end chunk needed
    AbsWalk walk;
    ASSERT_EQ(WalkAbsChunks(reinterpret_cast<const uint8_t *>(file.constData()), size_t(file.size()), walk), 2u);
    EXPECT_TRUE(walk.hasDefaultDb);
    EXPECT_TRUE(walk.hasUserDb);
    EXPECT_EQ(walk.userDbOffset, 0x10000u);
    EXPECT_EQ(walk.userDbSize, 0x8000u);
    EXPECT_EQ(file.left(0x10000), QByteArray(reinterpret_cast<const char *>(def.bytes.data()), 0x10000));
    EXPECT_EQ(file.mid(0x10000), QByteArray(reinterpret_cast<const char *>(user.bytes.data()), 0x8000));

    // The default database alone is not the last chunk: an end chunk closes the chain.
    const QByteArray alone = FlashBackup::Build({def}, "0123ABCD", time, error);
    ASSERT_EQ(alone.size(), 0x10000 + 128);
    EXPECT_EQ(ByteOrder::ReadBe32(reinterpret_cast<const uint8_t *>(alone.constData()) + 0x10000),
              FlashBackup::kBackupEndChunkId);
    EXPECT_EQ(alone.mid(0x10000 + 32, 8), "0123ABCD");
    ASSERT_EQ(WalkAbsChunks(reinterpret_cast<const uint8_t *>(alone.constData()), size_t(alone.size()), walk), 2u);
    EXPECT_FALSE(walk.hasUserDb);

    // A dump that is longer than its place, or not headed by its chunk, cannot be a backup.
    BackupChunk tooLong = MakeChunk(kDefaultDbChunkId, 0x100, 0x1000, 0x2000, 1, false);
    EXPECT_TRUE(FlashBackup::Build({tooLong}, "0123ABCD", time, error).isEmpty());
    EXPECT_TRUE(error.contains("more than its size field")) << error.toStdString();
    BackupChunk headless = def;
    headless.bytes[0] ^= 0xFF;
    EXPECT_TRUE(FlashBackup::Build({headless}, "0123ABCD", time, error).isEmpty());
    EXPECT_TRUE(FlashBackup::Build({user, def}, "0123ABCD", time, error).isEmpty()); // size 0 not last
}

TEST(FlashBackupFile, NamesKeysAndTheDefaultFolder)
{
    std::vector<ChunkInfo> a(2), b(2);
    a[0].id = b[0].id = kDefaultDbChunkId;
    a[1].id = b[1].id = kUserDbChunkId;
    a[0].size = b[0].size = 0x10000;
    a[1].length = 0x100; // a download changes lengths, never the layout
    b[1].length = 0x200;
    EXPECT_EQ(FlashBackup::TableKey(a), FlashBackup::TableKey(b));
    b[0].size = 0x20000;
    EXPECT_NE(FlashBackup::TableKey(a), FlashBackup::TableKey(b));
    EXPECT_EQ(FlashBackup::TableKey(a).size(), 8);
    EXPECT_EQ(FlashBackup::FileName("0123ABCD", QDateTime(QDate(2026, 12, 9), QTime(4, 5, 6))),
              "stb-0123ABCD-20261209-040506.abs");
    EXPECT_TRUE(FlashBackup::DefaultFolder().endsWith("/dravel/backups")) << FlashBackup::DefaultFolder().toStdString();
}

TEST(FlashBackupFile, WriteReadsBackAndRefusesWhatCannotBeKept)
{
    QTemporaryDir dir;
    const QDateTime time(QDate(2026, 12, 9), QTime(4, 30, 12));
    const BackupChunk def = MakeChunk(kDefaultDbChunkId, 0x3000 - 16, 0x10000, 0x10000, 3, true);
    QString error;
    const QByteArray bytes = FlashBackup::Build({def}, "0123ABCD", time, error);
    const QString folder = dir.filePath("deep/backups");
    QString path, second;
    ASSERT_TRUE(FlashBackup::Write(folder, FlashBackup::FileName("0123ABCD", time), bytes, path, error))
        << error.toStdString();
    EXPECT_TRUE(path.endsWith("stb-0123ABCD-20261209-043012.abs"));
    // The same second again gets a name of its own.
    ASSERT_TRUE(FlashBackup::Write(folder, FlashBackup::FileName("0123ABCD", time), bytes, second, error));
    EXPECT_TRUE(second.endsWith("stb-0123ABCD-20261209-043012-2.abs")) << second.toStdString();

    // A folder that cannot be made (a file stands in the way).
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(FlashBackup::Write(dir.filePath("file/backups"), "x.abs", bytes, path, error));
    EXPECT_TRUE(error.contains("cannot create the backups folder")) << error.toStdString();
    EXPECT_TRUE(path.isEmpty());

    // A dump whose CRC does not match is written but refused, and says which chunk.
    BackupChunk bad = def;
    bad.bytes[0x200] ^= 0x10;
    const QByteArray badBytes = FlashBackup::Build({bad}, "0123ABCD", time, error);
    EXPECT_FALSE(FlashBackup::Write(folder, "stb-0123ABCD-20261209-050000.abs", badBytes, path, error));
    EXPECT_TRUE(error.contains("CRC")) << error.toStdString();

    // Reading back compares every byte.
    EXPECT_TRUE(FlashBackup::Check(second, badBytes).contains("reads back different"));
    EXPECT_EQ(FlashBackup::Check(second, bytes), QString());
    EXPECT_TRUE(FlashBackup::Check(dir.filePath("gone.abs"), bytes).contains("cannot be read back"));
}

TEST(BackupCatalogList, NewestFirstWithKeySizeAndChunks)
{
    QTemporaryDir dir;
    QString error, path;
    const BackupChunk def = MakeChunk(kDefaultDbChunkId, 0x3000 - 16, 0x10000, 0x10000, 3, true);
    const BackupChunk user = MakeChunk(kUserDbChunkId, 0x8000 - 16, 0, 0x8000, 9, false);
    const QDateTime older(QDate(2026, 1, 2), QTime(3, 4, 5));
    const QDateTime newer(QDate(2026, 6, 2), QTime(3, 4, 5));
    ASSERT_TRUE(FlashBackup::Write(dir.path(), FlashBackup::FileName("AAAAAAAA", older),
                                   FlashBackup::Build({def}, "AAAAAAAA", older, error), path, error));
    ASSERT_TRUE(FlashBackup::Write(dir.path(), FlashBackup::FileName("BBBBBBBB", newer),
                                   FlashBackup::Build({def, user}, "BBBBBBBB", newer, error), path, error));
    // Not backups: another name, and a backup name holding no valid chain.
    QFile other(dir.filePath("notes.abs"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    QFile broken(dir.filePath("stb-CCCCCCCC-20260101-000000.abs"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(300, 'x'));
    broken.close();

    const std::vector<BackupEntry> list = BackupCatalog::List(dir.path());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].tableKey, "BBBBBBBB");
    EXPECT_EQ(list[0].time, newer);
    EXPECT_EQ(list[0].size, 0x18000);
    EXPECT_EQ(list[0].chunkIds, (std::vector<uint32_t> {kDefaultDbChunkId, kUserDbChunkId}));
    EXPECT_TRUE(list[0].valid);
    EXPECT_EQ(list[1].tableKey, "AAAAAAAA");
    EXPECT_EQ(list[1].chunkIds, (std::vector<uint32_t> {kDefaultDbChunkId}));
    EXPECT_FALSE(list[2].valid);
    EXPECT_FALSE(list[2].problem.isEmpty());
    EXPECT_TRUE(BackupCatalog::List(dir.filePath("missing")).empty());

    QString key;
    QDateTime time;
    EXPECT_FALSE(BackupCatalog::ParseName("stb-0123abcd-20260101-000000.abs", key, time)); // lower case key
    EXPECT_FALSE(BackupCatalog::ParseName("stb-0123ABCD-20261399-000000.abs", key, time)); // no such date
    EXPECT_TRUE(BackupCatalog::ParseName("stb-0123ABCD-20260101-000000-7.abs", key, time));
}


TEST(SafetySettingsStore, DefaultsAreOnAndChoicesSurviveARun)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("settings.ini");
    {
        QSettings empty(ini, QSettings::IniFormat);
        const SafetySettings start = SafetySettings::Load(empty);
        EXPECT_TRUE(start.backup);
        EXPECT_TRUE(start.verify);
        EXPECT_TRUE(start.keepBak);
        EXPECT_TRUE(start.backupFolder.isEmpty());
        SafetySettings mine;
        mine.backup = false;
        mine.verify = false;
        mine.keepBak = false;
        mine.backupFolder = "/srv/backups";
        mine.Save(empty);
    }
    QSettings again(ini, QSettings::IniFormat);
    const SafetySettings read = SafetySettings::Load(again);
    EXPECT_FALSE(read.backup);
    EXPECT_FALSE(read.verify);
    EXPECT_FALSE(read.keepBak);
    EXPECT_EQ(read.backupFolder, "/srv/backups");
    DownloadOptions options;
    options.ApplySafety(read);
    EXPECT_FALSE(options.backup);
    EXPECT_EQ(options.backupFolder, "/srv/backups");
}
