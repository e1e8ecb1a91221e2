// Writing a program back, creating one in insert mode, and refusing what would spoil the file.
#include "ProgramFormSupport.h"

#include "core/ByteOrder.h"

namespace {

ProgramValues Entered()
{
    ProgramValues v;
    v.name = QStringLiteral("Alpha");
    v.serviceTypeRow = 1;
    v.videoPid = 8191;
    v.audioPid1 = 101;
    v.audioPid2 = 0;
    v.audioPid3 = 0;
    v.pcrPid = 102;
    v.scrambleRow = 1;
    v.factoryRow = 1;
    v.serviceId = 0;
    v.groupTicked[0] = v.groupTicked[2] = true;
    return v;
}

} // namespace

TEST(ProgramFormWrite, EditWritesEveryFieldInPlace)
{
    ProgramFormDb t;
    const int other = t.AddNodeProgram({{"Service Name", "Other"}});
    const int slot = t.AddNodeProgram({{"Service Name", "Before"}, {"prog_id", "7"}});
    t.node.slots = {other, slot};
    const std::vector<uint8_t> otherBytes = t.db->RecordBytes(KindProgram, other);
    const std::vector<uint8_t> before = t.db->RecordBytes(KindProgram, slot);
    const int count = t.db->Count(KindProgram);
    ProgramInfoForm form = t.Form(ProgramEditMode, 1);
    form.Initialise();
    const ProgramWriteResult result = form.Write(Entered(), t.prompt);
    EXPECT_EQ(result.status, ProgramWriteResult::Edited);
    EXPECT_EQ(result.slot, slot);
    EXPECT_EQ(result.before, before);
    EXPECT_EQ(t.Field(slot, "Service Name"), "Alpha");
    EXPECT_EQ(t.Field(slot, "name_len"), "10");
    EXPECT_EQ(t.Field(slot, "Service Type"), "0");
    EXPECT_EQ(t.Field(slot, "Video Pid"), "8191");
    EXPECT_EQ(t.Field(slot, "Audio Pid1"), "101");
    EXPECT_EQ(t.Field(slot, "Audio Pid2"), "0");
    EXPECT_EQ(t.Field(slot, "Audio Pid3"), "0");
    EXPECT_EQ(t.Field(slot, "audio_count"), "3");  // the layout has three audio fields
    EXPECT_EQ(t.Field(slot, "PCR Pid"), "102");
    EXPECT_EQ(t.Field(slot, "Favorite Group"), "5");
    EXPECT_EQ(t.Field(slot, "Scramble"), "1");
    EXPECT_EQ(t.Field(slot, "Factory"), "1");
    EXPECT_EQ(t.Field(slot, "Service ID"), "0");
    EXPECT_EQ(t.Field(slot, "prog_id"), "7");  // edit keeps the ids
    EXPECT_EQ(t.db->RecordBytes(KindProgram, other), otherBytes);
    EXPECT_EQ(t.db->Count(KindProgram), count);
    EXPECT_EQ((SlotList {other, slot}), t.node.slots);
    EXPECT_TRUE(t.prompt.messages.isEmpty());
}

TEST(ProgramFormWrite, GroupThirtyTwoAndUnselectedListsKeepStoredValues)
{
    ProgramFormDb t;
    const int slot = t.AddNodeProgram({{"Service Type", "5"}, {"Scramble", "1"}, {"Factory", "1"}});
    t.node.slots = {slot};
    ProgramInfoForm form = t.Form(ProgramEditMode, 0);
    form.Initialise();
    ProgramValues v = Entered();
    v.serviceTypeRow = -1;
    v.scrambleRow = -1;
    v.factoryRow = -1;
    v.groupTicked.fill(false);
    v.groupTicked[31] = true;
    form.Write(v, t.prompt);
    EXPECT_EQ(t.Field(slot, "Service Type"), "5");
    EXPECT_EQ(t.Field(slot, "Scramble"), "1");
    EXPECT_EQ(t.Field(slot, "Factory"), "1");
    // The 32-bit field reads back signed; the stored bits are those of 2147483648.
    int32_t groups = 0;
    const int field = t.layouts.FindField(KindProgram, "Favorite Group", DeclarationOrder);
    ASSERT_TRUE(t.db->GetNodeInt(KindProgram, slot, field, groups, 0, DeclarationOrder));
    EXPECT_EQ(uint32_t(groups), 2147483648u);
}

TEST(ProgramFormWrite, ServiceIdPathChecksAudioWhileWriting)
{
    ProgramFormDb t;
    const int slot = t.AddNodeProgram();
    t.node.slots = {slot};
    ProgramInfoForm form = t.Form(ProgramEditMode, 0);
    form.Initialise();
    ProgramValues v = Entered();
    v.serviceId = 1;
    v.videoPid = v.audioPid1 = v.pcrPid = 0;
    v.audioPid2 = 5;
    v.audioPid3 = 65536;
    ASSERT_FALSE(form.Validate(v));
    form.Write(v, t.prompt);
    EXPECT_EQ(t.Field(slot, "Video Pid"), "8191");
    EXPECT_EQ(t.Field(slot, "Audio Pid1"), "8191");
    EXPECT_EQ(t.Field(slot, "PCR Pid"), "8191");
    EXPECT_EQ(t.Field(slot, "Audio Pid2"), "0");
    EXPECT_EQ(t.Field(slot, "Audio Pid3"), "0");
    EXPECT_EQ(t.Field(slot, "Service ID"), "1");
    EXPECT_EQ(t.prompt.messages, (QStringList {"Audio Pid2 invalid", "Audio Pid3 invalid"}));
}

TEST(ProgramFormWrite, AudioCountFollowsTheLayoutsAudioFields)
{
    // "Audio Pid1" and "Audio Pid2" but no "Audio Pid3".
    ProgramFormDb t("/*#tp_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; }\n"
                    "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; }\n"
                    "/*#prog_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; UINT32 prog_id; "
                    "UINT32 a1:16 /*#name:Audio Pid1|pos:3@*/; UINT32 a2:16 /*#name:Audio Pid2|pos:4@*/; "
                    "UINT16 audio_count; UINT16 spare; }\n");
    const int slot = t.AddNodeProgram();
    t.node.slots = {slot};
    ProgramInfoForm form = t.Form(ProgramEditMode, 0);
    form.Initialise();
    ProgramValues v = Entered();
    v.audioPid2 = 0;
    EXPECT_EQ(form.Write(v, t.prompt).status, ProgramWriteResult::Edited);
    EXPECT_EQ(t.Field(slot, "audio_count"), "2");
    EXPECT_EQ(t.Field(slot, "Audio Pid1"), "101");
}

TEST(ProgramFormWrite, EditOfAMissingProgramWritesNothing)
{
    ProgramFormDb t;
    const int slot = t.AddNodeProgram();
    t.db->DeleteNode(KindProgram, slot);
    t.node.slots = {slot, -1};
    for (int index : {0, 1, 2}) {
        ProgramInfoForm form = t.Form(ProgramEditMode, index);
        form.Initialise();
        EXPECT_EQ(form.Write(Entered(), t.prompt).status, ProgramWriteResult::Nothing) << index;
    }
    EXPECT_FALSE(t.db->IsUsed(KindProgram, slot));
}

TEST(ProgramFormInsert, NewRecordFromTheImageWithFreeIds)
{
    ProgramFormDb t;
    const int a = t.AddNodeProgram();  // prog_id 1 under satellite 1, transponder 2
    const int b = t.Add(KindProgram, {{"sat_id", "1"}, {"tp_id", "3"}, {"prog_id", "2"}});
    t.node.slots = {a};
    ProgramInfoForm form = t.Form(ProgramInsertMode, 0);
    form.Initialise();
    const ProgramWriteResult result = form.Write(form.Values(), t.prompt);
    ASSERT_EQ(result.status, ProgramWriteResult::Created);
    EXPECT_GT(result.slot, b);  // after the last used node index
    EXPECT_EQ(t.Field(result.slot, "sat_id"), "1");
    EXPECT_EQ(t.Field(result.slot, "tp_id"), "2");
    EXPECT_EQ(t.Field(result.slot, "prog_id"), "2");  // 1 is taken under this transponder
    EXPECT_EQ(t.Field(result.slot, "Service Name"), "New Channel");
    EXPECT_EQ(t.Field(result.slot, "name_len"), "22");
    EXPECT_EQ(t.Field(result.slot, "Service Type"), "1");
    EXPECT_EQ(t.Field(result.slot, "Favorite Group"), "0");
    EXPECT_EQ(form.Position(), 0);
    EXPECT_EQ(t.node.slots[0], result.slot);
    EXPECT_EQ(t.node.slots[1], a);
}

TEST(ProgramFormInsert, ImageBytesSurviveWhereNoFieldIsWritten)
{
    // The small layout names none of bytes 12..23, and its record is 56 bytes long.
    ProgramFormDb t(SmallTemplate());
    ProgramInfoForm form = t.Form(ProgramInsertMode, 0);
    form.Initialise();
    const ProgramWriteResult result = form.Write(form.Values(), t.prompt);
    ASSERT_EQ(result.status, ProgramWriteResult::Created);
    const std::vector<uint8_t> record = t.db->RecordBytes(KindProgram, result.slot);
    ASSERT_EQ(record.size(), 56u);
    for (size_t i = 12; i < 24; ++i)
        EXPECT_EQ(record[i], NewProgramImage[i]) << i;
    EXPECT_EQ(ByteOrder::ReadLe32(record.data()), 1u);      // sat_id
    EXPECT_EQ(ByteOrder::ReadLe32(record.data() + 4), 2u);  // tp_id
    EXPECT_EQ(ByteOrder::ReadLe32(record.data() + 8), 1u);  // prog_id
    EXPECT_EQ(t.Get(KindProgram, result.slot, "audio_count"), "1");
}

TEST(ProgramFormInsert, SlotListTakesTheFirstFreeEntryOrGrows)
{
    struct Case {
        SlotList before;
        int position;
        SlotList after;  // 99 stands for the new slot
        int finalPosition;
    };
    const std::vector<Case> cases = {
        {{5, 6, -1, 7}, 0, {99, 5, 6, 7}, 0},       // moves 5, 6 on into the first -1
        {{5, 6, -1, 7}, 2, {5, 6, 99, 7}, 2},
        {{5, 6, -1, 7}, 3, {5, 6, 99, 7}, 2},       // beyond the first -1: goes there
        {{5, 6}, 1, {5, 99, 6}, 1},                 // no -1: grows by 64
        {{5, 6}, 2, {5, 6, 99}, 2},
        {{}, 0, {99}, 0},
    };
    for (const Case &c : cases) {
        ProgramFormDb t;
        t.node.slots = c.before;
        for (int32_t &entry : t.node.slots) {
            while (entry >= 0 && entry >= t.db->Count(KindProgram))
                t.AddNodeProgram();
        }
        ProgramInfoForm form = t.Form(ProgramInsertMode, c.position);
        form.Initialise();
        const ProgramWriteResult result = form.Write(form.Values(), t.prompt);
        ASSERT_EQ(result.status, ProgramWriteResult::Created);
        SlotList expected = c.after;
        for (int32_t &entry : expected)
            entry = entry == 99 ? result.slot : entry;
        const bool grew = std::find(c.before.begin(), c.before.end(), -1) == c.before.end();
        if (grew)
            expected.resize(c.before.size() + 64, -1);
        else
            expected.resize(c.before.size(), -1);
        EXPECT_EQ(t.node.slots, expected) << c.position;
        EXPECT_EQ(form.Position(), c.finalPosition);
        EXPECT_EQ(form.ProgramSlot(), result.slot);
    }
}

TEST(ProgramFormInsert, RefusedWithoutAFreeIdOrWhenTheFileWouldBeFull)
{
    ProgramFormDb t;
    for (int id = 1; id <= 1023; ++id)
        t.Add(KindProgram, {{"sat_id", "1"}, {"tp_id", "2"}, {"prog_id", std::to_string(id)}});
    t.node.slots = {0};
    const int count = t.db->Count(KindProgram);
    ProgramInfoForm form = t.Form(ProgramInsertMode, 0);
    form.Initialise();
    ASSERT_TRUE(form.InsertRefusal());
    EXPECT_EQ(form.Write(form.Values(), t.prompt).status, ProgramWriteResult::Refused);
    EXPECT_EQ(t.prompt.messages, QStringList {*form.InsertRefusal()});
    EXPECT_TRUE(t.prompt.messages[0].contains("1023"));
    EXPECT_EQ(t.db->Count(KindProgram), count);
    EXPECT_EQ(t.db->LiveCount(KindProgram), 1023);
    EXPECT_EQ(t.node.slots, SlotList {0});

    // Another transponder still has ids; a freed id is found again.
    t.node.tpId = 3;
    EXPECT_FALSE(t.Form(ProgramInsertMode, 0).InsertRefusal());
    t.node.tpId = 2;
    t.db->DeleteNode(KindProgram, 500);
    EXPECT_FALSE(t.Form(ProgramInsertMode, 0).InsertRefusal());
}

TEST(ProgramFormInsert, RefusedAtTheProgramLimitOfAFile)
{
    ProgramFormDb t;
    for (int i = 0; i < CChannelDb::kMaxPrograms; ++i)
        ASSERT_GE(t.db->AllocateNode(KindProgram), 0);
    ProgramInfoForm form = t.Form(ProgramInsertMode, 0);
    form.Initialise();
    const auto refusal = form.InsertRefusal();
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(refusal->contains("30000"));
    EXPECT_EQ(form.Write(form.Values(), t.prompt).status, ProgramWriteResult::Refused);
    EXPECT_EQ(t.db->LiveCount(KindProgram), CChannelDb::kMaxPrograms);
    EXPECT_TRUE(t.node.slots.empty());
}
