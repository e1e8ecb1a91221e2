// The files behind the reader and the writers: bounded reads of files, devices and FIFOs, the
// system's reason under "Cannot open" / "Cannot write", the Save As tail, modes and the .ddf size.
#include "DbTestSupport.h"

#include "database/DatabaseReader.h"
#include "database/DatabaseWriter.h"

#include <QElapsedTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace {

struct FileTest : ::testing::Test, DbFixture
{
    QByteArray SmallFile() { return MakeFile(MakePayload({}), FavouriteChunk({"A", "B"}, 4)); }

    mode_t ModeOf(const QString &path)
    {
        struct stat info {};
        EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        return info.st_mode & 0777;
    }
};

TEST_F(FileTest, BoundedReadTakesAFileUpToItsLimitAndNotAByteMore)
{
    const QString path = dir.Path("f.bin");
    QByteArray bytes;
    QString reason;
    for (int size : {0, 1, 99, 100}) {
        WriteFileBytes(path, QByteArray(size, 'q'));
        ASSERT_EQ(ReadBoundedFile(path, 100, bytes, reason), FileReadStatus::Read) << size;
        EXPECT_EQ(bytes, QByteArray(size, 'q'));
        EXPECT_TRUE(reason.isEmpty());
    }
    WriteFileBytes(path, QByteArray(101, 'q'));
    EXPECT_EQ(ReadBoundedFile(path, 100, bytes, reason), FileReadStatus::TooLarge);
    EXPECT_TRUE(bytes.isEmpty());

    // A file larger than its first buffer (64 KiB for streams, the size for files) is read whole.
    const QByteArray big(300000, 'z');
    WriteFileBytes(path, big);
    ASSERT_EQ(ReadBoundedFile(path, 8520960, bytes, reason), FileReadStatus::Read);
    EXPECT_EQ(bytes, big);

    EXPECT_EQ(ReadBoundedFile(dir.Path("none"), 100, bytes, reason), FileReadStatus::CannotOpen);
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_EQ(ReadBoundedFile(dir.Dir(), 100, bytes, reason), FileReadStatus::CannotOpen);
    EXPECT_EQ(reason, "Is a directory");
}

TEST_F(FileTest, DevicesAndFifosNeitherExhaustMemoryNorHang)
{
    QByteArray bytes;
    QString reason;
    // /dev/zero never ends: one byte past the limit tells.
    EXPECT_EQ(ReadBoundedFile("/dev/zero", 1000, bytes, reason), FileReadStatus::TooLarge);
    EXPECT_EQ(ReadBoundedFile("/dev/null", 1000, bytes, reason), FileReadStatus::Read);
    EXPECT_TRUE(bytes.isEmpty());

    const QString fifo = dir.Path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(ReadBoundedFile(fifo, 1000, bytes, reason, 200), FileReadStatus::CannotOpen);
    EXPECT_LT(timer.elapsed(), 30000);
    EXPECT_TRUE(reason.contains("FIFO without a writer")) << reason.toStdString();

    // A writer that comes later, writes in pieces and closes: everything it wrote arrives.
    const QByteArray sent = QByteArray(70000, 'w') + "end";
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
        if (fd < 0)
            return;
        for (qsizetype at = 0; at < sent.size(); at += 5000) {
            const qsizetype n = std::min<qsizetype>(5000, sent.size() - at);
            if (::write(fd, sent.constData() + at, size_t(n)) != n)
                break;
        }
        ::close(fd);
    });
    const FileReadStatus fed = ReadBoundedFile(fifo, 100000, bytes, reason, 5000);
    writer.join();
    ASSERT_EQ(fed, FileReadStatus::Read) << reason.toStdString();
    EXPECT_EQ(bytes, sent);

    // More than the limit through a FIFO is too large, however slowly it comes. The reader gives
    // up while the writer still writes: the writer's write then fails with EPIPE instead of the
    // signal ending the test program.
    const auto previous = ::signal(SIGPIPE, SIG_IGN);
    std::thread flood([&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
        if (fd < 0)
            return;
        const QByteArray block(4096, 'f');
        for (int i = 0; i < 10; ++i) {
            if (::write(fd, block.constData(), size_t(block.size())) != block.size())
                break;  // the reader has given up
        }
        ::close(fd);
    });
    EXPECT_EQ(ReadBoundedFile(fifo, 10000, bytes, reason, 5000), FileReadStatus::TooLarge);
    flood.join();
    ::signal(SIGPIPE, previous);
}

TEST_F(FileTest, LoadingSaysWhyAFileCannotBeOpenedOrIsTooLarge)
{
    EXPECT_FALSE(LoadDatabase(*db, dir.Path("gone.usd"), false, *profile));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0], "Cannot open \"" + dir.Path("gone.usd") + "\".\nNo such file or directory");
    EXPECT_FALSE(db->HasPool());

    EXPECT_FALSE(LoadDatabase(*db, "/dev/zero", false, *profile));
    ASSERT_EQ(prompt.messages.size(), 2);
    EXPECT_EQ(prompt.messages[1],
              "The file is too large to be a channel database.\nA channel database has at most 8520960 bytes.");

    // The bytes read come back with the database, so a caller never reads a stream twice.
    const QByteArray file = SmallFile();
    WriteFileBytes(dir.Path("ok.usd"), file);
    QByteArray read;
    ASSERT_TRUE(LoadDatabase(*db, dir.Path("ok.usd"), false, *profile, &read));
    EXPECT_EQ(read, file);
    ASSERT_NE(db->Favourites(), nullptr);
    EXPECT_EQ(db->Favourites()->names[1], "B");
}

TEST_F(FileTest, SaveAsWritesTheSourcesTailIntoANewOrExistingFile)
{
    Bytes extra;
    extra.Append(SubChunkHeader(9, 4, 0)).Append("keep");
    const QByteArray tail = FavouriteChunk({"One", "Two"}, 6, 48) + extra.Data();
    const QByteArray source = MakeFile(MakePayload({}), tail);
    QByteArray kept;
    ASSERT_TRUE(UserDatabaseTail(source, kept));
    EXPECT_EQ(kept, tail);
    ASSERT_TRUE(UserDatabaseTail(MakeFile(MakePayload({}), QByteArray()), kept));
    EXPECT_TRUE(kept.isEmpty());  // no second sub-chunk: the node data are no tail
    QByteArray broken = source;
    broken[4] = char(0x7F);  // the tail would start far behind the end
    EXPECT_FALSE(UserDatabaseTail(broken, kept));

    db->CreateEmpty();
    const QString out = dir.Path("as.usd");
    WriteFileBytes(out, QByteArray(5000, 'o'));  // longer than the new file: nothing of it stays
    ASSERT_EQ(SaveUserDatabaseWithTail(*db, out, tail), SaveResult::Written);
    const QByteArray written = ReadFileBytes(out);
    const uint32_t next = ByteOrder::ReadBe24(reinterpret_cast<const uint8_t *>(written.constData()) + 4);
    EXPECT_EQ(written.mid(qsizetype(next)), tail);
    CChannelDb again(layouts, prompt);
    ASSERT_TRUE(LoadDatabase(again, out, false, *profile));
    EXPECT_EQ(again.Favourites()->names[0], "One");
    EXPECT_EQ(again.ExtraBlock(), extra.Data());
}

TEST_F(FileTest, WritersKeepTheModeAndGiveTheReasonOfAFailedWrite)
{
    db->CreateEmpty();
    const QString user = dir.Path("m.usd");
    const QString def = dir.Path("m.ddf");
    WriteFileBytes(user, SmallFile());
    WriteFileBytes(def, "old");
    for (const QString &path : {user, def})
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0604), 0);
    ASSERT_EQ(SaveUserDatabase(*db, user), SaveResult::Written);
    ASSERT_EQ(SaveDefaultDatabase(*db, def, *profile), SaveResult::Written);
    EXPECT_EQ(ModeOf(user), 0604u);
    EXPECT_EQ(ModeOf(def), 0604u);

    // Read-only: refused by both writers alike, unless this user may write it anyway (root);
    // either way it stays read-only.
    for (const QString &path : {user, def})
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    const bool writable = ::access(QFile::encodeName(user).constData(), W_OK) == 0;
    const QByteArray before = ReadFileBytes(def);
    const qsizetype shown = prompt.messages.size();
    const SaveResult userResult = SaveUserDatabase(*db, user);
    const SaveResult defResult = SaveDefaultDatabase(*db, def, *profile);
    EXPECT_EQ(userResult, defResult);
    EXPECT_EQ(userResult, writable ? SaveResult::Written : SaveResult::Failed);
    if (!writable) {
        ASSERT_EQ(prompt.messages.size(), shown + 2);
        EXPECT_TRUE(prompt.messages[shown].startsWith("Cannot write \"" + user + "\"; the file is unchanged.\n"));
        EXPECT_EQ(ReadFileBytes(def), before);
    }
    EXPECT_EQ(ModeOf(user), 0444u);
    EXPECT_EQ(ModeOf(def), 0444u);

    prompt.messages.clear();
    EXPECT_EQ(SaveNewUserDatabase(*db, dir.Path("no/dir/x.usd"), *profile), SaveResult::Failed);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0], "Cannot write \"" + dir.Path("no/dir/x.usd")
                                      + "\"; the file is unchanged.\nNo such file or directory");
}

TEST_F(FileTest, DefaultDatabaseLengthIsWhereTheFillStarts)
{
    db->CreateEmpty();
    for (int i = 1; i <= 40; ++i) {
        const int slot = db->AllocateNode(KindProgram);
        Set(KindProgram, slot, "sat_id", "1");
        Set(KindProgram, slot, "tp_id", "1");
        Set(KindProgram, slot, "prog_id", std::to_string(i));
        Set(KindProgram, slot, "service_id", std::to_string(i * 37));
    }
    const qint64 length = DefaultDatabaseLength(*db, *profile);
    ASSERT_GT(length, 16);
    ASSERT_EQ(SaveDefaultDatabase(*db, dir.Path("d.ddf"), *profile), SaveResult::Written);
    const QByteArray file = ReadFileBytes(dir.Path("d.ddf"));
    ASSERT_EQ(file.size(), 65280);
    // The favourite sub-chunk (padded to 16) ends there, and the fill starts with its first letter.
    const uint8_t *p = reinterpret_cast<const uint8_t *>(file.constData());
    const uint32_t favouritesAt = ByteOrder::ReadBe24(p + 4);
    const uint32_t favouritesSize = (ByteOrder::ReadBe24(p + favouritesAt + 1) + 16 + 15) / 16 * 16;
    EXPECT_EQ(length, qint64(favouritesAt + favouritesSize));
    EXPECT_EQ(file.mid(qsizetype(length), 6), "SMTDB4");
}

} // namespace
