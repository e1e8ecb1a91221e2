// Writing: payload layout, DB3 -> DB4, the ".ddf" frame and fill, the kept ".usd" tail, the
// terrestrial question and atomic, honest saves.
#include "DbTestSupport.h"

#include "database/DatabaseReader.h"
#include "database/DatabaseWriter.h"
#include "database/RecordConverter.h"
#include "layout/FieldCodec.h"

#include <gtest/gtest.h>

namespace {

struct WriterTest : ::testing::Test, DbFixture
{
    void SetUp() override { db->CreateEmpty(); }

    int Add(NodeKind kind, int sat, int tp = 0, int prog = 0)
    {
        const int slot = db->AllocateNode(kind);
        Set(kind, slot, "sat_id", std::to_string(sat));
        if (kind != KindSatellite)
            Set(kind, slot, "tp_id", std::to_string(tp));
        if (kind == KindProgram)
            Set(kind, slot, "prog_id", std::to_string(prog));
        return slot;
    }

    void Populate()
    {
        const int sat = Add(KindSatellite, 1);
        Set(KindSatellite, sat, "satname", "Ast");
        Set(KindSatellite, sat, "name_len", "6");
        Set(KindSatellite, sat, "sat_orbit", "192");
        const int tp = Add(KindTransponder, 1, 1);
        Set(KindTransponder, tp, "frq", "11778");
        Set(KindTransponder, tp, "sym", "27500");
        for (int i = 1; i <= 3; ++i) {
            const int p = Add(KindProgram, 1, 1, i);
            Set(KindProgram, p, "Service Name", "Ch" + std::to_string(i));
            Set(KindProgram, p, "name_len", "6");
            Set(KindProgram, p, "service_id", std::to_string(100 + i));
            Set(KindProgram, p, "audio_count", "1");
            Set(KindProgram, p, "apid", "4097");
            Set(KindProgram, p, "cas_count", "0");
            Set(KindProgram, p, "provider_name_len", "0");
        }
    }

    QByteArray Payload()
    {
        ::Payload payload;
        EXPECT_TRUE(BuildPayload(*db, payload));
        return payload.bytes;
    }
};

uint32_t Be24At(const QByteArray &a, int at)
{
    return ByteOrder::ReadBe24(reinterpret_cast<const uint8_t *>(a.constData()) + at);
}

} // namespace

TEST_F(WriterTest, EmptyDatabaseGivesTenBytePayload)
{
    const QByteArray payload = Payload();
    EXPECT_EQ(payload, Bytes().Le32(0xF00FF00F).Le16(0).Le32(0x12345678).Data());
}

TEST_F(WriterTest, PayloadIndexPointsAtRecordsInStorageOrder)
{
    Populate();
    const QByteArray payload = Payload();
    const uint8_t *p = reinterpret_cast<const uint8_t *>(payload.constData());
    ASSERT_EQ(ByteOrder::ReadLe16(p + 4), 5);
    const uint32_t expectedIds[] = {0x00100000, 0x00100400, 0x00100401, 0x00100402, 0x00100403};
    uint32_t previous = 0;
    for (int i = 0; i < 5; ++i) {
        const uint32_t id = ByteOrder::ReadLe32(p + 6 + 7 * i);
        const uint32_t offset = ByteOrder::ReadLe24(p + 10 + 7 * i);
        EXPECT_EQ(id, expectedIds[i]);
        EXPECT_EQ(ByteOrder::ReadLe32(p + offset), id);  // the record starts with its id
        EXPECT_GT(offset, previous);
        previous = offset;
    }
    EXPECT_EQ(ByteOrder::ReadLe32(p + 6 + 35), 0x12345678u);
    // A non-terrestrial program: 5 + 4 fixed bytes + name (1 + 6) + audio (1 + 2 + 2) + cas 1 + provider 1.
    const uint32_t firstProgram = ByteOrder::ReadLe24(p + 10 + 14);
    const uint32_t secondProgram = ByteOrder::ReadLe24(p + 10 + 21);
    EXPECT_EQ(secondProgram - firstProgram, 5u + 4 + 7 + 5 + 1 + 1);
    EXPECT_EQ(p[firstProgram + 4], uint8_t(secondProgram - firstProgram - 4));
}

TEST_F(WriterTest, LongCountsAreCutToWhatTheRecordCarries)
{
    const int p = Add(KindProgram, 1, 1, 1);
    Set(KindProgram, p, "Service Name", "ABC");
    Set(KindProgram, p, "name_len", "200");  // more than the 6-byte field holds
    Set(KindProgram, p, "cas_count", "9");   // more than the two ids the field holds
    const RecordConverter converter(layouts);
    std::vector<uint8_t> out;
    const int length = converter.Db3ToDb4(KindProgram, out, db->Record(KindProgram, p), size_t(layouts.NodeSize(KindProgram)));
    ASSERT_GT(length, 0);
    EXPECT_EQ(out[5 + 4], 6);  // name count byte = bytes that follow
    EXPECT_EQ(out[5 + 4 + 1], 0);
    EXPECT_EQ(out[5 + 4 + 2], 'A');
    // The record converts back to the same name and a clamped CAS count.
    std::vector<uint8_t> db3(size_t(layouts.NodeSize(KindProgram)), 0xFF);
    ASSERT_TRUE(converter.Db4ToDb3(KindProgram, db3.data(), db3.size(), out.data(), out.size()));
    std::string name;
    FieldCodec::Read(*layouts.Field(KindProgram, layouts.FindField(KindProgram, "Service Name", DeclarationOrder), DeclarationOrder), db3.data(),
                     db3.size(), 0, name);
    EXPECT_EQ(name, "ABC");
}

TEST_F(WriterTest, NamesLongerThan32BytesAreStoredCut)
{
    DbFixture wide("/*#tp_node@*/{ UINT32 sat_id; UINT32 tp_id; }\n/*#sat_node@*/{ UINT32 sat_id; }\n"
                   "/*#prog_node@*/{ UINT32 sat_id; UINT32 tp_id; UINT32 prog_id; UINT16 name_len;\n"
                   "  UINT8 name[40] /*#type:string|name:Service Name@*/; }\n");
    wide.db->CreateEmpty();
    const int p = wide.db->AllocateNode(KindProgram);
    ASSERT_TRUE(wide.Set(KindProgram, p, "sat_id", "1"));
    ASSERT_TRUE(wide.Set(KindProgram, p, "tp_id", "1"));
    ASSERT_TRUE(wide.Set(KindProgram, p, "prog_id", "1"));
    ASSERT_TRUE(wide.Set(KindProgram, p, "Service Name", "ABCDEFGHIJKLMNOPQR"));  // 36 bytes
    ASSERT_TRUE(wide.Set(KindProgram, p, "name_len", "36"));
    std::vector<uint8_t> out;
    const int length = RecordConverter(wide.layouts)
                           .Db3ToDb4(KindProgram, out, wide.db->Record(KindProgram, p),
                                     size_t(wide.layouts.NodeSize(KindProgram)));
    ASSERT_EQ(length, 5 + 1 + 32);
    EXPECT_EQ(out[5], 32);
    EXPECT_EQ(out[5 + 1 + 31], 'P');  // the 16th character ends the stored name

    const QString path = wide.dir.Path("wide.usd");
    ASSERT_EQ(SaveNewUserDatabase(*wide.db, path, *wide.profile), SaveResult::Written);
    CChannelDb loaded(wide.layouts, wide.prompt);
    ASSERT_TRUE(LoadDatabase(loaded, path, false, *wide.profile));
    std::string name;
    loaded.GetNodeData(KindProgram, 0, wide.layouts.FindField(KindProgram, "Service Name", DeclarationOrder), name, 0, DeclarationOrder);
    EXPECT_EQ(name, "ABCDEFGHIJKLMNOP");
}

TEST_F(WriterTest, LengthByteOfALongRecordIsModulo256)
{
    // A program template with a 300-byte record: 12 id bytes, then 288 bytes fixed data.
    DbFixture big("/*#tp_node@*/{ UINT32 sat_id; UINT32 tp_id; }\n/*#sat_node@*/{ UINT32 sat_id; }\n"
                  "/*#prog_node@*/{ UINT32 sat_id; UINT32 tp_id; UINT32 prog_id; UINT8 blob[296]; }\n");
    ASSERT_EQ(big.layouts.NodeSize(KindProgram), 308);
    std::vector<uint8_t> record(308, 0);
    record[0] = 1;
    record[4] = 1;
    record[8] = 1;
    std::vector<uint8_t> out;
    // Non-terrestrial: 296 - 8 fixed bytes are stored, the record is 5 + 288 = 293... plus none.
    const int length = RecordConverter(big.layouts).Db3ToDb4(KindProgram, out, record.data(), record.size());
    ASSERT_EQ(length, 293);
    EXPECT_EQ(out[4], uint8_t((293 - 4) % 256));
    record[0] = 255;  // terrestrial: 8 more bytes, 301 in all
    out.clear();
    ASSERT_EQ(RecordConverter(big.layouts).Db3ToDb4(KindProgram, out, record.data(), record.size()), 301);
    EXPECT_EQ(out[4], 41);
}

TEST_F(WriterTest, DefaultDatabaseFrameFillAndDeterminism)
{
    Populate();
    profile->WriteString("Project Favor Group", "FavGroup0", "News");
    const QString path = dir.Path("out.ddf");
    ASSERT_EQ(SaveDefaultDatabase(*db, path, *profile), SaveResult::Written);
    const QByteArray file = ReadFileBytes(path);
    ASSERT_EQ(file.size(), 65280);
    EXPECT_EQ(uint8_t(file[0]), 1);
    const int e = int(Be24At(file, 1));
    const int next = int(Be24At(file, 4));
    EXPECT_EQ(next, 16 + e + (15 - (e + 15) % 16));
    EXPECT_EQ(next % 16, 0);
    // The favourite sub-chunk with the default groups: 24 + 32 * 18 = 600 bytes, padded to 608.
    EXPECT_EQ(uint8_t(file[next]), 2);
    EXPECT_EQ(Be24At(file, next + 1), 600u - 16);
    EXPECT_EQ(Be24At(file, next + 4), 0u);
    EXPECT_EQ(uint8_t(file[next + 16]), 1);
    EXPECT_EQ(ByteOrder::ReadLe32(reinterpret_cast<const uint8_t *>(file.constData()) + next + 17), 579u);
    EXPECT_EQ(file.mid(next + 24, 4), QByteArray("News"));
    // The fill counts from its own first byte.
    const int fillStart = next + 608;
    for (int j = 0; j < 12; ++j)
        EXPECT_EQ(file[fillStart + j], "SMTDB4"[j % 6]) << j;
    EXPECT_EQ(file[65279], "SMTDB4"[(65279 - fillStart) % 6]);

    ASSERT_EQ(SaveDefaultDatabase(*db, path, *profile), SaveResult::Written);
    EXPECT_EQ(ReadFileBytes(path), file);

    // It loads back with every node.
    CChannelDb again(layouts, prompt);
    ASSERT_TRUE(LoadDatabase(again, path, false, *profile));
    EXPECT_EQ(again.LiveCount(KindProgram), 3);
    ASSERT_NE(again.Favourites(), nullptr);
    EXPECT_EQ(again.Favourites()->names[0], "News");
}

TEST_F(WriterTest, DefaultDatabaseTooLongIsRefusedAndNothingWritten)
{
    // Programs of random-looking names and ids until the compressed data exceeds a .ddf.
    uint32_t seed = 12345;
    for (int i = 0; i < 8000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int p = Add(KindProgram, 1 + int(seed >> 28), 1 + int((seed >> 16) % 1023), 1 + (i % 1023));
        Set(KindProgram, p, "service_id", std::to_string(seed & 0xFFFF));
        Set(KindProgram, p, "apid", std::to_string(seed >> 8));
    }
    const QString path = dir.Path("big.ddf");
    WriteFileBytes(path, "old contents");
    EXPECT_EQ(SaveDefaultDatabase(*db, path, *profile), SaveResult::Failed);
    EXPECT_EQ(prompt.messages.last(), "Default data is too long!");
    EXPECT_EQ(ReadFileBytes(path), "old contents");
}

TEST_F(WriterTest, UserDatabaseKeepsItsTailAndEndsThere)
{
    Populate();
    Bytes extra;
    extra.Append(SubChunkHeader(7, 4, 0)).Append("xyz!");
    const QByteArray tail = FavouriteChunk({"Alpha", "Beta"}, 10, 48) + extra.Data();
    // The old file carries a long payload so that the new one is shorter.
    std::vector<QByteArray> many;
    for (uint32_t i = 1; i < 200; ++i)
        many.push_back(Db4(0x00100400 | i, Bytes().Le32(i * 7919).Data()));
    const QString path = dir.Path("user.usd");
    WriteFileBytes(path, MakeFile(MakePayload(many), tail));
    profile->WriteString("Project Favor Group", "FavGroup0", "Different");

    ASSERT_EQ(SaveUserDatabase(*db, path), SaveResult::Written);
    const QByteArray file = ReadFileBytes(path);
    const int next = int(Be24At(file, 4));
    EXPECT_EQ(file.mid(next), tail);  // byte for byte, and nothing after it
    const QByteArray first = file;
    ASSERT_EQ(SaveUserDatabase(*db, path), SaveResult::Written);
    EXPECT_EQ(ReadFileBytes(path), first);

    CChannelDb again(layouts, prompt);
    ASSERT_TRUE(LoadDatabase(again, path, false, *profile));
    EXPECT_EQ(again.Favourites()->names[1], "Beta");
    ASSERT_TRUE(again.HasExtraBlock());
    EXPECT_EQ(again.ExtraBlock(), extra.Data());
    EXPECT_EQ(again.LiveCount(KindProgram), 3);
}

TEST_F(WriterTest, RoundTripKeepsEveryField)
{
    Populate();
    const int terrestrialTp = Add(KindTransponder, 1, 2);
    Set(KindTransponder, terrestrialTp, "dvbt_frq", "5");  // not stored for satellite transponders
    const QString path = dir.Path("a.usd");
    ASSERT_EQ(SaveNewUserDatabase(*db, path, *profile), SaveResult::Written);
    CChannelDb loaded(layouts, prompt);
    ASSERT_TRUE(LoadDatabase(loaded, path, false, *profile));
    for (NodeKind kind : kTableKinds) {
        ASSERT_EQ(loaded.LiveCount(kind), db->LiveCount(kind));
        const int fields = layouts.DeclarationCount(kind);
        for (int slot = 0; slot < loaded.Count(kind); ++slot) {
            for (int f = 0; f < fields; ++f) {
                const FieldDesc *desc = layouts.Field(kind, f, DeclarationOrder);
                std::string a, b;
                loaded.GetNodeData(kind, slot, f, a, 0, DeclarationOrder);
                db->GetNodeData(kind, slot, f, b, 0, DeclarationOrder);
                if (desc->name == "dvbt_frq" || desc->name == "bandwidth" || desc->name == "t1"
                    || desc->name == "t2" || desc->name == "tail_field")
                    continue;  // kept only for terrestrial nodes, or not stored at all
                EXPECT_EQ(a, b) << KindNumber(kind) << " " << slot << " " << desc->name;
            }
        }
    }
    EXPECT_EQ(Get(KindTransponder, terrestrialTp, "dvbt_frq"), "5");
}

TEST_F(WriterTest, TerrestrialNodesAskFirstAndNoKeepsTheFile)
{
    Populate();
    Add(KindSatellite, 255);
    Add(KindTransponder, 255, 1);
    const QString path = dir.Path("t.usd");
    // The scripted prompt answers No: the save is declined, which is neither success nor failure.
    EXPECT_EQ(SaveNewUserDatabase(*db, path, *profile), SaveResult::Declined);
    EXPECT_EQ(prompt.questions.size(), 1);
    EXPECT_EQ(prompt.questions[0], "It will remove Terrestrial, Do you continue saving?");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(prompt.messages.isEmpty());

    // A declined save into an existing file leaves every byte of it, for both writers.
    const QByteArray old = MakeFile(MakePayload({}), FavouriteChunk({"A"}, 4));
    const QString userPath = dir.Path("old.usd");
    const QString defaultPath = dir.Path("old.ddf");
    WriteFileBytes(userPath, old);
    WriteFileBytes(defaultPath, old);
    EXPECT_EQ(SaveUserDatabase(*db, userPath), SaveResult::Declined);
    EXPECT_EQ(SaveDefaultDatabase(*db, defaultPath, *profile), SaveResult::Declined);
    EXPECT_EQ(ReadFileBytes(userPath), old);
    EXPECT_EQ(ReadFileBytes(defaultPath), old);

    prompt.answers.push_back(UserPrompt::Yes);
    ASSERT_EQ(SaveNewUserDatabase(*db, path, *profile), SaveResult::Written);
    CChannelDb loaded(layouts, prompt);
    ASSERT_TRUE(LoadDatabase(loaded, path, false, *profile));
    EXPECT_EQ(loaded.LiveCount(KindSatellite), 1);
    EXPECT_EQ(loaded.LiveCount(KindTransponder), 1);
}

TEST_F(WriterTest, FailedSavesLeaveTheOldFileAlone)
{
    Populate();
    EXPECT_EQ(SaveUserDatabase(*db, dir.Path("missing.usd")), SaveResult::Failed);
    EXPECT_FALSE(QFile::exists(dir.Path("missing.usd")));

    const QString path = dir.Path("keep.usd");
    const QByteArray old = MakeFile(MakePayload({}), FavouriteChunk({"A"}, 4));
    WriteFileBytes(path, old);
    LayoutSet broken;  // no layouts: the payload cannot be built
    CChannelDb withoutLayouts(broken, prompt);
    withoutLayouts.CreateEmpty();
    EXPECT_EQ(SaveUserDatabase(withoutLayouts, path), SaveResult::Failed);
    EXPECT_EQ(ReadFileBytes(path), old);

    // An unwritable target directory: the save reports failure.
    EXPECT_EQ(SaveDefaultDatabase(*db, dir.Path("no/such/dir/x.ddf"), *profile), SaveResult::Failed);
}

TEST_F(WriterTest, NodesWithIdsTheReaderRefusesAreNotSaved)
{
    const QString path = dir.Path("keep.usd");
    const QByteArray old = MakeFile(MakePayload({}), FavouriteChunk({"A"}, 4));
    struct Case
    {
        NodeKind kind;
        int sat, tp, prog;
    };
    // A satellite without its id, a transponder and a program without theirs.
    for (const Case &bad : {Case {KindSatellite, 0, 0, 0}, Case {KindTransponder, 1, 0, 0}, Case {KindProgram, 1, 1, 0},
                            Case {KindProgram, 1, 0, 5}}) {
        db->CreateEmpty();
        Populate();
        Add(bad.kind, bad.sat, bad.tp, bad.prog);
        WriteFileBytes(path, old);
        prompt.messages.clear();
        EXPECT_EQ(SaveUserDatabase(*db, path), SaveResult::Failed) << KindNumber(bad.kind);
        EXPECT_EQ(SaveNewUserDatabase(*db, dir.Path("new.usd"), *profile), SaveResult::Failed);
        EXPECT_EQ(SaveDefaultDatabase(*db, dir.Path("new.ddf"), *profile), SaveResult::Failed);
        EXPECT_EQ(ReadFileBytes(path), old);
        EXPECT_FALSE(QFile::exists(dir.Path("new.usd")));
        EXPECT_FALSE(QFile::exists(dir.Path("new.ddf")));
        ASSERT_FALSE(prompt.messages.isEmpty());
        EXPECT_TRUE(prompt.messages[0].startsWith("Cannot save: the ")) << prompt.messages[0].toStdString();
    }
    // A transponder without a satellite id is a valid node for the reader, and so is saved.
    db->CreateEmpty();
    Populate();
    Add(KindTransponder, 0, 7);
    ASSERT_EQ(SaveNewUserDatabase(*db, dir.Path("ok.usd"), *profile), SaveResult::Written);
    CChannelDb loaded(layouts, prompt);
    ASSERT_TRUE(LoadDatabase(loaded, dir.Path("ok.usd"), false, *profile));
    EXPECT_EQ(loaded.LiveCount(KindTransponder), 2);
}

TEST_F(WriterTest, NothingIsSavedThroughLayoutsThatChangedUnderTheDatabase)
{
    Populate();
    const QString path = dir.Path("keep.usd");
    const QByteArray old = MakeFile(MakePayload({}), FavouriteChunk({"A"}, 4));
    WriteFileBytes(path, old);
    layouts.ReplaceKind(KindProgram, *layouts.Declarations(KindProgram));  // the same fields, but a new set
    EXPECT_FALSE(db->LayoutsInStep());
    EXPECT_EQ(SaveUserDatabase(*db, path), SaveResult::Failed);
    EXPECT_EQ(ReadFileBytes(path), old);
    std::string text;
    EXPECT_FALSE(db->GetNodeData(KindProgram, 0, 0, text, 0, DeclarationOrder));
    EXPECT_EQ(db->AllocateNode(KindProgram), -1);
    db->CreateEmpty();  // a database set up again in the new layouts works
    EXPECT_TRUE(db->LayoutsInStep());
    EXPECT_GE(db->AllocateNode(KindProgram), 0);
}
