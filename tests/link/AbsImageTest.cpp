// The ".abs" chunk walk: complement rule, CRC pieces, no-CRC letters, truncation, end of chain.
#include "AbsTestImage.h"
#include "link/AbsImage.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(LinkAbsWalk, WalksAValidChainAndNotesTheDatabaseChunks)
{
    AbsTestImage image;
    image.Add(0xE3001C00, Pattern(300, 1), 0x400, false);
    size_t def = image.Add(kDefaultDbChunkId, Pattern(3000, 2), 0x1000); // CRC over 3 pieces of 1024
    size_t user = image.Add(kUserDbChunkId, Pattern(500, 3), 0, false);
    AbsWalk walk;
    ASSERT_EQ(WalkAbsChunks(image.bytes.data(), image.bytes.size(), walk), 3u);
    EXPECT_TRUE(walk.hasDefaultDb);
    EXPECT_EQ(walk.defaultDbOffset, def);
    EXPECT_EQ(walk.defaultDbSize, 0x1000u);
    EXPECT_TRUE(walk.hasUserDb);
    EXPECT_EQ(walk.userDbOffset, user);
    EXPECT_EQ(walk.userDbSize, 128u + 500);
    ASSERT_EQ(walk.chunks.size(), 3u);
    EXPECT_EQ(walk.chunks[1].info.id, kDefaultDbChunkId);

    // The same through a file.
    QTemporaryDir dir;
    const QString path = dir.filePath("image.abs");
    ASSERT_TRUE(image.Save(path));
    AbsWalk fromFile;
    EXPECT_EQ(WalkAbsChunks(path, fromFile), 3u);
    EXPECT_EQ(fromFile.userDbOffset, user);
    EXPECT_EQ(WalkAbsChunks(dir.filePath("missing.abs"), fromFile), 0u);
}

TEST(LinkAbsWalk, RefusesBrokenChains)
{
    auto walkOf = [](const std::vector<uint8_t> &bytes) {
        AbsWalk walk;
        return WalkAbsChunks(bytes.data(), bytes.size(), walk);
    };
    {
        // Second id 0x03 0xFD: the bytes add up to 256, not 255. The first chunk is exempt.
        AbsTestImage image;
        image.Add(0x1234AAAA, Pattern(10, 1), 0x200);
        image.Add(0x03FD0100, Pattern(10, 2), 0);
        EXPECT_EQ(walkOf(image.bytes), 0u);
        AbsTestImage ok;
        ok.Add(0x1234AAAA, Pattern(10, 1), 0x200);
        ok.Add(0x03FC0100, Pattern(10, 2), 0);
        EXPECT_EQ(walkOf(ok.bytes), 2u);
    }
    {
        AbsTestImage image;
        image.Add(kDefaultDbChunkId, Pattern(2000, 1), 0);
        image.bytes[128 + 1500] ^= 1; // damaged in the second 1024-byte piece
        EXPECT_EQ(walkOf(image.bytes), 0u);
        // Without a CRC the same damage passes.
        AbsTestImage plain;
        plain.Add(kDefaultDbChunkId, Pattern(2000, 1), 0, false);
        plain.bytes[128 + 1500] ^= 1;
        EXPECT_EQ(walkOf(plain.bytes), 1u);
    }
    {
        // Length larger than size - 16.
        AbsTestImage image;
        image.Add(kDefaultDbChunkId, Pattern(200, 1), 0x100);
        ByteOrder::WriteBe32(image.bytes.data() + 4, 0x100 - 15);
        EXPECT_EQ(walkOf(image.bytes), 0u);
    }
    {
        // A chain that runs off the end without a chunk of size 0.
        AbsTestImage image;
        image.Add(kDefaultDbChunkId, Pattern(20, 1), 0x200);
        image.Add(kUserDbChunkId, Pattern(20, 1), 0x200);
        EXPECT_EQ(walkOf(image.bytes), 0u);
    }
    {
        // Truncated: the CRC'd contents end past the file.
        AbsTestImage image;
        image.Add(kDefaultDbChunkId, Pattern(400, 1), 0);
        image.bytes.resize(300);
        EXPECT_EQ(walkOf(image.bytes), 0u);
        image.bytes.resize(100); // not even a header
        EXPECT_EQ(walkOf(image.bytes), 0u);
    }
    {
        // A size too small to hold a header cannot chain on.
        AbsTestImage image;
        image.Add(kDefaultDbChunkId, {}, 8, false);
        image.bytes.resize(4096, 0);
        EXPECT_EQ(walkOf(image.bytes), 0u);
    }
}
