// Reading hand-built files: ids of every kind, terrestrial records, clamped counts, favourites,
// kept sub-chunks, and refusal of damaged files.
#include "DbTestSupport.h"

#include "database/DatabaseReader.h"

#include <gtest/gtest.h>

namespace {

// Program body for the small template: service_id, (t1, t2 for terrestrial), then the groups.
QByteArray ProgramBody(bool terrestrial, int casCount = 1, int nameBytes = 4)
{
    Bytes b;
    b.Le32(0x1234);  // service_id
    if (terrestrial)
        b.Le32(0xAAAA0001).Le32(0xBBBB0002);
    b.U8(uint8_t(nameBytes));
    for (int i = 0; i < nameBytes / 2; ++i)
        b.Be16(uint16_t('A' + i));
    b.U8(2).Le16(101).Le16(102).Le16(0x6564).Le16(0x6E65);  // audio pids, then languages
    b.U8(uint8_t(casCount));
    for (int i = 0; i < casCount; ++i)
        b.Le16(uint16_t(0x0500 + i));
    b.U8(2).Be16('P');
    return b.Data();
}

QByteArray SatelliteBody(uint32_t orbit, const char *name)
{
    Bytes b;
    b.Le32(orbit).U8(uint8_t(2 * strlen(name))).Text16(name);
    return b.Data();
}

struct ReaderTest : ::testing::Test, DbFixture
{
    bool Load(const QByteArray &file, bool defaultFavourites = false)
    {
        WriteFileBytes(dir.Path("db.usd"), file);
        return LoadDatabase(*db, dir.Path("db.usd"), defaultFavourites, *profile);
    }
};

} // namespace

TEST_F(ReaderTest, EveryKindTerrestrialRecordsAndUnfilledBytes)
{
    const std::vector<QByteArray> records = {
        Db4(0x00100000, SatelliteBody(192, "Ab")),
        Db4(0x0FF00000, SatelliteBody(0, "T")),
        Db4(0x00100400, Bytes().Le32((27500u << 16) | 11778).Data()),
        Db4(0x0FF00800, Bytes().Le32(0).Le32((8u << 24) | 474000).Data()),
        Db4(0x00100401, ProgramBody(false)),
        Db4(0x0FF00802, ProgramBody(true)),
        Db4(0x00000401, ProgramBody(false)),  // satellite id 0 is accepted
    };
    ASSERT_TRUE(Load(MakeFile(MakePayload(records), {}))) << prompt.messages.join("|").toStdString();
    ASSERT_EQ(db->Count(KindSatellite), 2);
    ASSERT_EQ(db->Count(KindTransponder), 2);
    ASSERT_EQ(db->Count(KindProgram), 3);
    EXPECT_EQ(Get(KindSatellite, 0, "sat_id"), "1");
    EXPECT_EQ(Get(KindSatellite, 0, "satname"), "Ab");
    EXPECT_EQ(Get(KindSatellite, 0, "name_len"), "4");
    EXPECT_EQ(Get(KindSatellite, 0, "sat_orbit"), "192");
    EXPECT_EQ(Get(KindSatellite, 1, "sat_id"), "255");

    EXPECT_EQ(Get(KindTransponder, 0, "tp_id"), "1");
    EXPECT_EQ(Get(KindTransponder, 0, "frq"), "11778");
    EXPECT_EQ(Get(KindTransponder, 0, "sym"), "27500");
    EXPECT_EQ(Get(KindTransponder, 0, "dvbt_frq"), "16777215");  // not stored: 0xFF bytes
    EXPECT_EQ(Get(KindTransponder, 1, "sat_id"), "255");
    EXPECT_EQ(Get(KindTransponder, 1, "tp_id"), "2");
    EXPECT_EQ(Get(KindTransponder, 1, "dvbt_frq"), "474000");
    EXPECT_EQ(Get(KindTransponder, 1, "bandwidth"), "8");

    EXPECT_EQ(Get(KindProgram, 0, "prog_id"), "1");
    EXPECT_EQ(Get(KindProgram, 0, "service_id"), "4660");
    EXPECT_EQ(Get(KindProgram, 0, "t1"), "-1");  // the terrestrial stretch reads 0xFF
    EXPECT_EQ(Get(KindProgram, 0, "Service Name"), "AB");
    EXPECT_EQ(Get(KindProgram, 0, "audio_count"), "2");
    EXPECT_EQ(Get(KindProgram, 0, "apid", 1), "102");
    EXPECT_EQ(Get(KindProgram, 0, "audio_lang", 0), "25956");
    EXPECT_EQ(Get(KindProgram, 0, "cas_count"), "1");
    EXPECT_EQ(Get(KindProgram, 0, "cas_sysid", 0), "1280");
    EXPECT_EQ(Get(KindProgram, 0, "cas_sysid", 1), "0");  // zero-filled over the whole field
    EXPECT_EQ(Get(KindProgram, 0, "service_provider_name"), "P");
    EXPECT_EQ(Get(KindProgram, 0, "provider_name_len"), "2");
    EXPECT_EQ(Get(KindProgram, 0, "tail_field"), "65535");  // after the variable parts: 0xFF
    EXPECT_EQ(Get(KindProgram, 1, "t1"), std::to_string(int32_t(0xAAAA0001)));
    EXPECT_EQ(Get(KindProgram, 1, "t2"), std::to_string(int32_t(0xBBBB0002)));
    EXPECT_EQ(Get(KindProgram, 1, "prog_id"), "2");
    EXPECT_EQ(Get(KindProgram, 2, "sat_id"), "0");
    EXPECT_EQ(db->Favourites(), nullptr);  // no sub-chunk 2: no favourites
}

TEST_F(ReaderTest, CountsBeyondTheirFieldAreClamped)
{
    // Five CAS ids for a two-entry field, a 6-byte name for a 6-byte field.
    ASSERT_TRUE(Load(MakeFile(MakePayload({Db4(0x00100401, ProgramBody(false, 5, 6))}), {})));
    EXPECT_EQ(Get(KindProgram, 0, "cas_count"), "2");
    EXPECT_EQ(Get(KindProgram, 0, "cas_sysid", 1), "1281");
    EXPECT_EQ(Get(KindProgram, 0, "Service Name"), "ABC");
    // The record stayed in step: the provider after the long CAS list was read.
    EXPECT_EQ(Get(KindProgram, 0, "service_provider_name"), "P");

    ASSERT_TRUE(Load(MakeFile(MakePayload({Db4(0x00100401, ProgramBody(false, 1, 10))}), {})));
    EXPECT_EQ(Get(KindProgram, 0, "name_len"), "6");
    EXPECT_EQ(Get(KindProgram, 0, "Service Name"), "ABC");
}

TEST_F(ReaderTest, EmptyPayloadAndFavourites)
{
    const QByteArray tail = FavouriteChunk({"News", "Sport", "Music"}, 6, 0, 7);
    ASSERT_TRUE(Load(MakeFile(MakePayload({}), tail)));
    EXPECT_EQ(db->LiveCount(KindProgram), 0);
    ASSERT_NE(db->Favourites(), nullptr);
    EXPECT_EQ(db->Favourites()->count, 3);
    EXPECT_EQ(db->Favourites()->nameLength, 6);
    EXPECT_EQ(db->Favourites()->extra, 7);
    EXPECT_EQ(db->Favourites()->dataLength, 21u);
    EXPECT_EQ(db->Favourites()->names[1], "Sport");
    EXPECT_FALSE(db->HasExtraBlock());

    // Default favourites replace the file's when asked for.
    profile->WriteString("Project Favor Group", "FavGroup0", "Mine");
    ASSERT_TRUE(Load(MakeFile(MakePayload({}), tail), true));
    EXPECT_EQ(db->Favourites()->count, 32);
    EXPECT_EQ(db->Favourites()->names[0], "Mine");
}

TEST_F(ReaderTest, UnknownFavouriteTypesAndOddCountsLeaveNoFavourites)
{
    QByteArray tail = FavouriteChunk({"News"}, 6);
    tail[16] = char(9);  // favourite type not in the table
    ASSERT_TRUE(Load(MakeFile(MakePayload({}), tail)));
    EXPECT_EQ(db->Favourites(), nullptr);
    tail = FavouriteChunk({"News"}, 6);
    tail[21] = char(0x80);  // count -128 as a signed byte
    ASSERT_TRUE(Load(MakeFile(MakePayload({}), tail)));
    EXPECT_EQ(db->Favourites(), nullptr);
}

TEST_F(ReaderTest, FurtherSubChunksAreKeptWhole)
{
    Bytes extra1;
    extra1.Append(SubChunkHeader(5, 16, 32)).Append(QByteArray(16, 'x'));
    Bytes extra2;
    extra2.Append(SubChunkHeader(6, 3, 0)).Append("abc");
    const QByteArray favourites = FavouriteChunk({"News"}, 8, 32);
    ASSERT_EQ(favourites.size(), 32);
    ASSERT_TRUE(Load(MakeFile(MakePayload({}), favourites + extra1.Data() + extra2.Data() + "trailing")));
    ASSERT_TRUE(db->HasExtraBlock());
    EXPECT_EQ(db->ExtraBlock(), extra1.Data() + extra2.Data());
}

TEST_F(ReaderTest, HeaderAndIdErrorsAreRefusedWithTheirMessages)
{
    QByteArray file = MakeFile(MakePayload({}), {});
    file[0] = char(2);
    EXPECT_FALSE(Load(file));
    EXPECT_EQ(prompt.messages.last(), "Error to parser header of sub chunk 1");

    QByteArray badFavourites = FavouriteChunk({"News"}, 6);
    badFavourites[0] = char(3);
    EXPECT_FALSE(Load(MakeFile(MakePayload({}), badFavourites)));
    EXPECT_EQ(prompt.messages.last(), "Error to parser header of sub chunk 2");

    prompt.messages.clear();
    EXPECT_FALSE(Load(MakeFile(MakePayload({Db4(0x00000001, ProgramBody(false))}), {})));
    EXPECT_EQ(prompt.messages.size(), 1);
    EXPECT_FALSE(db->HasPool());  // a failed load leaves the database empty

    // Not a zlib stream at all.
    QByteArray garbage = SubChunkHeader(1, 32, 0) + QByteArray(32, 'z');
    EXPECT_FALSE(Load(garbage));
    EXPECT_EQ(prompt.messages.last(), "invalid or incomplete default data\n");
}

TEST_F(ReaderTest, DamagedFilesNeverCrashAndAreRefusedWithAMessage)
{
    const std::vector<QByteArray> records = {
        Db4(0x00100000, SatelliteBody(192, "Ab")),
        Db4(0x00100400, Bytes().Le32(11778).Data()),
        Db4(0x00100401, ProgramBody(false)),
    };
    const QByteArray good = MakeFile(MakePayload(records), FavouriteChunk({"News", "Sport"}, 8));
    ASSERT_TRUE(Load(good));

    // Every truncation: refused with a message, or (when only padding was cut) loaded.
    for (int cut = 0; cut < good.size(); ++cut) {
        prompt.messages.clear();
        if (!Load(good.left(cut))) {
            EXPECT_FALSE(prompt.messages.isEmpty()) << "cut at " << cut;
        }
    }
    // Single flipped bytes anywhere.
    for (int at = 0; at < good.size(); ++at) {
        QByteArray flipped = good;
        flipped[at] = char(flipped[at] ^ 0x5A);
        prompt.messages.clear();
        if (!Load(flipped)) {
            EXPECT_FALSE(prompt.messages.isEmpty()) << "flip at " << at;
        }
    }
}

TEST_F(ReaderTest, ImpossibleIndexOffsetsCountsAndRecordsAreRefused)
{
    // An index entry pointing beyond the payload.
    QByteArray payload = MakePayload({Db4(0x00100401, ProgramBody(false))});
    QByteArray beyond = payload;
    beyond[6 + 4] = char(0xFF);
    beyond[6 + 5] = char(0xFF);
    EXPECT_FALSE(Load(MakeFile(beyond, {})));
    EXPECT_FALSE(prompt.messages.isEmpty());

    // An entry count larger than the index that follows.
    QByteArray count = payload;
    count[4] = char(0xFF);
    count[5] = char(0x7F);
    prompt.messages.clear();
    EXPECT_FALSE(Load(MakeFile(count, {})));
    EXPECT_FALSE(prompt.messages.isEmpty());

    // A record whose variable parts run past the end of the data.
    QByteArray cutRecord = MakePayload({Db4(0x00100401, ProgramBody(false).left(10))});
    prompt.messages.clear();
    EXPECT_FALSE(Load(MakeFile(cutRecord, {})));
    EXPECT_EQ(prompt.messages.size(), 1);

    // Sub-chunk 2 offset beyond the file, and a chain of further sub-chunks that leaves it.
    QByteArray file = MakeFile(payload, FavouriteChunk({"N"}, 8, 0x100000));
    prompt.messages.clear();
    EXPECT_FALSE(Load(file));
    EXPECT_FALSE(prompt.messages.isEmpty());
    file = MakeFile(payload, {});
    file[4] = char(0x7F);
    prompt.messages.clear();
    EXPECT_FALSE(Load(file));
    EXPECT_FALSE(prompt.messages.isEmpty());
}

TEST_F(ReaderTest, TooManyNodesOfAKindAreRefused)
{
    std::vector<QByteArray> satellites;
    for (uint32_t i = 0; i < 1001; ++i)
        satellites.push_back(Db4(((i % 255) + 1) << 20, SatelliteBody(0, "S")));
    EXPECT_FALSE(Load(MakeFile(MakePayload(satellites), {})));
    EXPECT_EQ(prompt.messages.last(), "The database holds more nodes than the editor can take.");
    satellites.pop_back();
    EXPECT_TRUE(Load(MakeFile(MakePayload(satellites), {})));
}

TEST(ReaderWithoutLayouts, IsRefusedWithAMessage)
{
    DbFixture f("not a template");
    WriteFileBytes(f.dir.Path("db.usd"), MakeFile(MakePayload({}), {}));
    EXPECT_FALSE(LoadDatabase(*f.db, f.dir.Path("db.usd"), false, *f.profile));
    EXPECT_FALSE(f.prompt.messages.isEmpty());
    EXPECT_FALSE(LoadDatabase(*f.db, f.dir.Path("absent.usd"), false, *f.profile));
}
