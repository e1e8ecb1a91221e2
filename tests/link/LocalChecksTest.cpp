// The checks a transfer makes before the receiver is touched: database containers, the
// reason of a failed chunk walk, readable sources and writable targets, recovery names.
#include "AbsTestImage.h"
#include "DatabaseTestFile.h"
#include "link/AbsImage.h"
#include "link/DatabaseContainerCheck.h"
#include "link/LocalFileCheck.h"
#include "link/UploadJob.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QString Check(const QByteArray &bytes)
{
    return CheckDatabaseContainer(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

TEST(LinkLocalChecks, DatabaseContainersAreCheckedUpToTheirIndex)
{
    EXPECT_EQ(Check(DatabaseContainer()), QString());
    EXPECT_EQ(Check(DatabaseContainer(QByteArray(5000, char(0xA5)))), QString()); // bytes behind it are kept

    EXPECT_EQ(Check(QByteArray()), "the file is empty");
    EXPECT_TRUE(Check(QByteArray(8, 1)).contains("shorter than a sub-chunk header"));
    QByteArray random(4096, 0);
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) >> 3);
    random[0] = 2;
    EXPECT_TRUE(Check(random).contains("not compressed node data (type 2)"));

    QByteArray good = DatabaseContainer();
    QByteArray cut = good.left(18); // header says more stream than there is
    EXPECT_TRUE(Check(cut).contains("does not lie inside the file")) << Check(cut).toStdString();

    QByteArray damaged = good;
    damaged[16] = char(0x00); // no zlib header any more
    EXPECT_TRUE(Check(damaged).contains("zlib stream")) << Check(damaged).toStdString();

    QByteArray zeroStream = good;
    zeroStream[1] = zeroStream[2] = zeroStream[3] = 0;
    EXPECT_FALSE(Check(zeroStream).isEmpty());

    QByteArray badNext = good;
    badNext[6] = char(0x80); // sub-chunk 2 far beyond the file
    EXPECT_TRUE(Check(badNext).contains("sub-chunk 2")) << Check(badNext).toStdString();
}

TEST(LinkLocalChecks, AFailedWalkNamesTheChunkAndTheReason)
{
    AbsTestImage builder;
    builder.Add(0xE3001C00, Pattern(0x100, 1), 0x400, false);
    builder.Add(kDefaultDbChunkId, Pattern(0x200, 2), 0x400);
    builder.Add(kUserDbChunkId, Pattern(0x80, 3), 0, false);
    const std::vector<uint8_t> image = builder.bytes;
    AbsWalk walk;
    ASSERT_GT(WalkAbsChunks(image.data(), image.size(), walk), 0u);
    EXPECT_EQ(AbsWalkFailureText(walk), QString());
    ASSERT_GE(walk.chunks.size(), 2u);

    // Damage the contents of the first chunk that carries a CRC.
    size_t target = 0;
    for (; target < walk.chunks.size(); ++target)
        if (walk.chunks[target].info.crc != kNoCrcMark && walk.chunks[target].info.length > 0)
            break;
    ASSERT_LT(target, walk.chunks.size());
    std::vector<uint8_t> broken = image;
    broken[size_t(walk.chunks[target].offset) + 16] ^= 0x55;
    EXPECT_EQ(WalkAbsChunks(broken.data(), broken.size(), walk), 0u);
    EXPECT_EQ(walk.failedChunk, int(target));
    EXPECT_EQ(AbsWalkFailureText(walk),
              QString::asprintf("chunk %zu (0x%08X): CRC mismatch", target, walk.failedId));

    EXPECT_EQ(WalkAbsChunks(image.data(), 100, walk), 0u);
    EXPECT_TRUE(AbsWalkFailureText(walk).contains("shorter than one chunk header"));
}

TEST(LinkLocalChecks, SourcesMustBeReadableRegularFiles)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("a.ddf");
    ASSERT_TRUE(Write(file, "x"));
    EXPECT_EQ(ReadableFileProblem(file), QString());
    EXPECT_EQ(ReadableFileProblem(dir.filePath("missing.ddf")), "No such file or directory");
    EXPECT_EQ(ReadableFileProblem(dir.path()), "is a folder");
    EXPECT_EQ(ReadableFileProblem("/dev/zero"), "not a regular file");
    const QString fifo = dir.filePath("pipe.ddf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(ReadableFileProblem(fifo), "not a regular file"); // refused, not opened (no hang)
}

TEST(LinkLocalChecks, TargetsNeedAWritableFolderAndNoReadOnlyFile)
{
    QTemporaryDir dir;
    EXPECT_EQ(WritableTargetProblem(dir.filePath("new.ddf")), QString());
    const QString missing = dir.filePath("nodir/x.ddf");
    EXPECT_EQ(WritableTargetProblem(missing), dir.filePath("nodir") + ": No such file or directory");
    EXPECT_EQ(WritableTargetProblem(dir.path()), "is a folder");
    const QString readOnly = dir.filePath("ro.ddf");
    ASSERT_TRUE(Write(readOnly, "x"));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    EXPECT_EQ(WritableTargetProblem(readOnly), "the file is read-only");

    QString detail;
    EXPECT_EQ(UploadJob::CheckTarget(dir.filePath("x.txt"), detail), "Incorrect File Name.");
    EXPECT_EQ(UploadJob::CheckTarget(dir.filePath("x.UDF"), detail), "Incorrect File Name.");
    EXPECT_EQ(UploadJob::CheckTarget(missing, detail), "Can not open file!");
    EXPECT_EQ(detail, dir.filePath("nodir") + ": No such file or directory");
    detail.clear();
    EXPECT_EQ(UploadJob::CheckTarget(readOnly, detail), "Can not open file!");
    EXPECT_EQ(detail, readOnly + ": the file is read-only");
    EXPECT_EQ(UploadJob::CheckTarget(dir.filePath("ok.abs"), detail), QString());
}

TEST(LinkLocalChecks, RecoveryNamesKeepTheEndingAndNeverReplaceAFile)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("x.ddf");
    EXPECT_EQ(UploadJob::RecoveryPathFor(target), dir.filePath("x.recovered.ddf"));
    ASSERT_TRUE(Write(dir.filePath("x.recovered.ddf"), "old"));
    EXPECT_EQ(UploadJob::RecoveryPathFor(target), dir.filePath("x.recovered-2.ddf"));
}
