// Node tables: allocation, deletion, compaction, free ids, favourites and field access by node.
#include "DbTestSupport.h"

#include "layout/LayoutCache.h"

#include <gtest/gtest.h>

namespace {

struct ChannelDbTest : ::testing::Test, DbFixture
{
    void SetUp() override { db->CreateEmpty(); }

    int AddProgram(int sat, int tp, int prog)
    {
        const int slot = db->AllocateNode(KindProgram);
        Set(KindProgram, slot, "sat_id", std::to_string(sat));
        Set(KindProgram, slot, "tp_id", std::to_string(tp));
        Set(KindProgram, slot, "prog_id", std::to_string(prog));
        return slot;
    }
};

} // namespace

TEST_F(ChannelDbTest, NewSlotsFollowTheLastUsedOneAndGrowBy64)
{
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(db->AllocateNode(KindProgram), i);
    EXPECT_EQ(db->Count(KindProgram), 64);
    db->DeleteNode(KindProgram, 1);
    db->DeleteNode(KindProgram, 3);
    db->DeleteNode(KindProgram, 4);
    // Slots [record, -1, record, -1, -1]: the next one is 3, not 1.
    EXPECT_EQ(db->AllocateNode(KindProgram), 3);
    db->DeleteNode(KindProgram, 3);
    EXPECT_EQ(db->AllocateNode(KindProgram), 3);  // the last used slot is taken again

    for (int i = 4; i < 64; ++i)
        db->AllocateNode(KindProgram);
    EXPECT_EQ(db->Count(KindProgram), 64);
    EXPECT_EQ(db->AllocateNode(KindProgram), 64);
    EXPECT_EQ(db->Count(KindProgram), 128);
    EXPECT_FALSE(db->IsUsed(KindProgram, 65));
}

TEST_F(ChannelDbTest, NewRecordsAreZeroedAndNodesReadBack)
{
    const int slot = AddProgram(3, 7, 9);
    EXPECT_EQ(Get(KindProgram, slot, "service_id"), "0");
    EXPECT_EQ(Get(KindProgram, slot, "sat_id"), "3");
    EXPECT_TRUE(Set(KindProgram, slot, "Service Name", "ABC"));
    EXPECT_EQ(Get(KindProgram, slot, "Service Name"), "ABC");
    EXPECT_TRUE(Set(KindProgram, slot, "Service Name", "ABCD"));  // 4 characters do not fit 6 bytes
    EXPECT_EQ(Get(KindProgram, slot, "Service Name"), "");
    EXPECT_TRUE(Set(KindProgram, slot, "apid", "300"));
    EXPECT_EQ(Get(KindProgram, slot, "apid", 0), "300");
    EXPECT_EQ(Get(KindProgram, slot, "apid", 2), "<fail>");  // beyond the array

    // Node index equal to the count, negative or deleted: a quiet failure.
    EXPECT_EQ(Get(KindProgram, db->Count(KindProgram), "sat_id"), "<fail>");
    EXPECT_EQ(Get(KindProgram, -1, "sat_id"), "<fail>");
    db->DeleteNode(KindProgram, slot);
    EXPECT_EQ(Get(KindProgram, slot, "sat_id"), "<fail>");
    EXPECT_FALSE(Set(KindProgram, slot, "sat_id", "1"));
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ChannelDbTest, RearrangeLeavesNoGaps)
{
    const int a = AddProgram(1, 1, 1);
    const int b = AddProgram(1, 1, 2);
    const int c = AddProgram(1, 1, 3);
    const int sat = db->AllocateNode(KindSatellite);
    Set(KindSatellite, sat, "sat_id", "1");
    db->DeleteNode(KindProgram, b);
    ASSERT_TRUE(db->Rearrange());
    const int progSize = layouts.NodeSize(KindProgram);
    const int satSize = layouts.NodeSize(KindSatellite);
    // Satellites first, then programs, each NodeSize bytes without the 2 spare bytes.
    EXPECT_EQ(db->Table(KindSatellite)->slots[size_t(sat)], 0);
    EXPECT_EQ(db->Table(KindProgram)->slots[size_t(a)], satSize);
    EXPECT_EQ(db->Table(KindProgram)->slots[size_t(c)], satSize + progSize);
    EXPECT_EQ(db->Used(), satSize + 2 * progSize);
    EXPECT_EQ(Get(KindProgram, c, "prog_id"), "3");
    EXPECT_EQ(Get(KindSatellite, sat, "sat_id"), "1");
}

TEST_F(ChannelDbTest, FreeIdsAreTheLowestUnusedUnderTheirParent)
{
    for (int id : {1, 2, 4}) {
        const int slot = db->AllocateNode(KindSatellite);
        Set(KindSatellite, slot, "sat_id", std::to_string(id));
    }
    EXPECT_EQ(db->FindFreeId(KindSatellite), 3);

    const int tp = db->AllocateNode(KindTransponder);
    Set(KindTransponder, tp, "sat_id", "2");
    Set(KindTransponder, tp, "tp_id", "1");
    EXPECT_EQ(db->FindFreeId(KindTransponder, 2), 2);
    EXPECT_EQ(db->FindFreeId(KindTransponder, 3), 1);  // another satellite's ids do not count

    AddProgram(2, 5, 1);
    AddProgram(2, 5, 2);
    AddProgram(2, 6, 3);
    EXPECT_EQ(db->FindFreeId(KindProgram, 2, 5), 3);
    EXPECT_EQ(db->FindFreeId(KindProgram, 2, 6), 1);
}

TEST_F(ChannelDbTest, AllSatelliteIdsTakenGivesZero)
{
    for (int id = 1; id <= 254; ++id) {
        const int slot = db->AllocateNode(KindSatellite);
        Set(KindSatellite, slot, "sat_id", std::to_string(id));
    }
    EXPECT_EQ(db->FindFreeId(KindSatellite), 0);
    LayoutSet none;
    CChannelDb withoutLayouts(none, prompt);
    EXPECT_EQ(withoutLayouts.FindFreeId(KindSatellite), -1);
}

TEST_F(ChannelDbTest, AllocationStopsAtTheSlotLimit)
{
    for (int i = 0; i < NodeTable::kMaxSlots; ++i)
        ASSERT_EQ(db->AllocateNode(KindTransponder), i);
    EXPECT_EQ(db->Count(KindTransponder), NodeTable::kMaxSlots);
    EXPECT_EQ(db->AllocateNode(KindTransponder), -1);
    EXPECT_EQ(db->AllocateNode(static_cast<NodeKind>(7)), -1);
    CChannelDb empty(layouts, prompt);
    EXPECT_EQ(empty.AllocateNode(KindProgram), -1);  // no pool
}

TEST_F(ChannelDbTest, DefaultFavouritesComeFromTheProfile)
{
    profile->WriteString("Project Favor Group", "FavGroup0", "News");
    profile->WriteString("Project Favor Group", "FavGroup1", "A name far longer than eighteen bytes");
    profile->WriteString("Project Favor Group", "FavGroup2", QString::fromUtf8("\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"));
    db->LoadDefaultFavourites(*profile);
    const FavouriteRecord *fav = db->Favourites();
    ASSERT_NE(fav, nullptr);
    EXPECT_EQ(fav->count, 32);
    EXPECT_EQ(fav->nameLength, 18);
    EXPECT_EQ(fav->dataLength, 579u);
    EXPECT_EQ(fav->typeName, "Favorite Group");
    EXPECT_EQ(fav->names[0], "News");
    EXPECT_EQ(fav->names[1], "A name far longer ");
    EXPECT_EQ(fav->names[2].size(), 18u);  // nine two-byte characters, none cut in half
    EXPECT_EQ(fav->names[7], "");          // absent entry
}

TEST_F(ChannelDbTest, ClearReturnsToTheEmptyStateAndResetsCachedIndexes)
{
    EXPECT_EQ(db->SatIdOfProgram(), 0);
    EXPECT_EQ(db->TpIdOfProgram(), 1);
    EXPECT_EQ(db->SatNameOfSatellite(), 1);
    AddProgram(1, 1, 1);
    db->LoadDefaultFavourites(*profile);
    db->Clear();
    EXPECT_FALSE(db->HasPool());
    EXPECT_EQ(db->Count(KindProgram), 0);
    EXPECT_EQ(db->Favourites(), nullptr);
    EXPECT_EQ(db->Capacity(), CChannelDb::kPoolCapacity);
    EXPECT_EQ(db->AllocateNode(KindProgram), -1);
}

TEST(ChannelDbRange, FieldsBeyondThePoolAreReportedNotRead)
{
    DbFixture f;
    // A cached layout whose field lies far beyond any record.
    FieldDesc far;
    far.name = "far";
    far.bitWidth = 32;
    far.sizeBits = 32;
    far.wordIndex = CChannelDb::kPoolCapacity / 4;
    std::vector<FieldDesc> fields = *f.layouts.Declarations(KindSatellite);
    fields.push_back(far);
    f.layouts.ReplaceKind(KindSatellite, fields);
    f.db->CreateEmpty();
    const int slot = f.db->AllocateNode(KindSatellite);
    ASSERT_GE(slot, 0);
    std::string out;
    const int index = int(fields.size()) - 1;
    EXPECT_FALSE(f.db->GetNodeData(KindSatellite, slot, index, out, 0, DeclarationOrder));
    EXPECT_FALSE(f.db->SetNodeData(KindSatellite, slot, index, "1", DeclarationOrder));
    ASSERT_EQ(f.prompt.messages.size(), 2);
    EXPECT_EQ(f.prompt.messages[0], "GetNodeData: Out of Range");
    EXPECT_EQ(f.prompt.messages[1], "SetNodeData: Out of Range");
}

namespace {

// The small template with `extraBytes` one-byte fields appended to every node kind, so that the
// record sizes cover every remainder modulo 4; the last field's word runs past the record's end.
QByteArray TemplateWithTail(int extraBytes)
{
    QByteArray text = SmallTemplate();
    QByteArray fields;
    for (int i = 0; i < extraBytes; ++i)
        fields += " UINT8 tail" + QByteArray::number(i) + ";";
    text.replace("UINT32 bandwidth:8; }", "UINT32 bandwidth:8;" + fields + " }");
    text.replace("satname[8] /*#type:string|pos:2@*/; }", "satname[8] /*#type:string|pos:2@*/;" + fields + " }");
    text.replace("UINT16 tail_field; }", "UINT16 tail_field;" + fields + " }");
    return text;
}

} // namespace

TEST(ChannelDbRange, LastFieldsOfRecordsOfEverySizeModuloFour)
{
    for (int extra = 0; extra < 4; ++extra) {
        DbFixture f(TemplateWithTail(extra + 1));
        for (NodeKind kind : kTableKinds) {
            const int size = f.layouts.NodeSize(kind);
            ASSERT_GT(size, 0);
            const std::string last = "tail" + std::to_string(extra);
            const int field = f.layouts.FindField(kind, last, DeclarationOrder);
            ASSERT_GE(field, 0);
            f.db->CreateEmpty();
            // First, middle and last record, then one allocated after the others were written.
            std::vector<int> slots;
            for (int i = 0; i < 3; ++i)
                slots.push_back(f.db->AllocateNode(kind));
            for (int i = 0; i < 3; ++i)
                ASSERT_TRUE(f.db->SetNodeData(kind, slots[size_t(i)], field, std::to_string(200 + i), DeclarationOrder));
            slots.push_back(f.db->AllocateNode(kind));
            for (int i = 0; i < 4; ++i) {
                const std::string expected = i < 3 ? std::to_string(200 + i) : "0";
                EXPECT_EQ(f.Get(kind, slots[size_t(i)], last.c_str()), expected) << "size " << size << " slot " << i;
            }
            // Writing the last byte of a record leaves the next record's bytes alone.
            ASSERT_TRUE(f.Set(kind, slots[1], "sat_id", "7"));
            ASSERT_TRUE(f.db->SetNodeData(kind, slots[0], field, "255", DeclarationOrder));
            EXPECT_EQ(f.Get(kind, slots[1], "sat_id"), "7");
            int32_t value = 0;
            ASSERT_TRUE(f.db->GetNodeInt(kind, slots[0], field, value, 0, DeclarationOrder));
            EXPECT_EQ(value, 255);
        }
        EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.messages.join('|').toStdString();
    }
}

TEST(ChannelDbRange, ALoadedLastRecordReadsItsLastField)
{
    DbFixture f(TemplateWithTail(1));  // program record of 57 bytes
    f.db->CreateEmpty();
    const int field = f.layouts.FindField(KindProgram, "tail0", DeclarationOrder);
    for (int i = 0; i < 2; ++i) {
        const int slot = f.db->AllocateNode(KindProgram);
        f.Set(KindProgram, slot, "sat_id", "1");
        f.Set(KindProgram, slot, "tp_id", "1");
        f.Set(KindProgram, slot, "prog_id", std::to_string(i + 1));
    }
    ASSERT_TRUE(f.db->Rearrange());  // the last program record now ends exactly at the used bytes
    EXPECT_EQ(f.db->Used(), 2 * f.layouts.NodeSize(KindProgram));
    EXPECT_TRUE(f.db->SetNodeData(KindProgram, 1, field, "9", DeclarationOrder));
    EXPECT_EQ(f.Get(KindProgram, 1, "tail0"), "9");
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST_F(ChannelDbTest, SlotOrderSwapsAndRotatesEntriesNotRecords)
{
    for (int i = 1; i <= 6; ++i)
        AddProgram(1, 1, i);
    auto ids = [&] {
        std::string order;
        for (int slot = 0; slot < 6; ++slot)
            order += Get(KindProgram, slot, "prog_id");
        return order;
    };
    ASSERT_EQ(ids(), "123456");
    EXPECT_TRUE(db->SwapSlots(KindProgram, 0, 5));
    EXPECT_EQ(ids(), "623451");
    EXPECT_TRUE(db->SwapSlots(KindProgram, 0, 5));
    // Move slot 1 to slot 4: the entries between move one place towards the front.
    EXPECT_TRUE(db->RotateSlots(KindProgram, 1, 4));
    EXPECT_EQ(ids(), "134526");
    EXPECT_TRUE(db->RotateSlots(KindProgram, 4, 1));  // and back
    EXPECT_EQ(ids(), "123456");
    EXPECT_TRUE(db->RotateSlots(KindProgram, 5, 0));
    EXPECT_EQ(ids(), "612345");
    EXPECT_TRUE(db->RotateSlots(KindProgram, 3, 3));
    EXPECT_EQ(ids(), "612345");
    // A free slot moves like any other entry.
    db->DeleteNode(KindProgram, 0);
    EXPECT_TRUE(db->SwapSlots(KindProgram, 0, 2));
    EXPECT_FALSE(db->IsUsed(KindProgram, 2));
    EXPECT_EQ(Get(KindProgram, 0, "prog_id"), "2");

    // Bad kinds and slots change nothing.
    const std::vector<int32_t> before = db->Table(KindProgram)->slots;
    EXPECT_FALSE(db->SwapSlots(KindDefaultProgram, 0, 1));
    EXPECT_FALSE(db->SwapSlots(static_cast<NodeKind>(-1), 0, 1));
    EXPECT_FALSE(db->SwapSlots(KindProgram, 0, db->Count(KindProgram)));
    EXPECT_FALSE(db->RotateSlots(KindProgram, -1, 2));
    EXPECT_FALSE(db->RotateSlots(KindDefaultProgram, 0, 2));
    EXPECT_EQ(db->Table(KindProgram)->slots, before);
}

TEST_F(ChannelDbTest, BadKindsNeverReachARealTable)
{
    AddProgram(1, 1, 1);
    EXPECT_EQ(db->Table(KindDefaultProgram), nullptr);
    EXPECT_EQ(db->Table(static_cast<NodeKind>(-1)), nullptr);
    ASSERT_NE(db->Table(KindProgram), nullptr);
    EXPECT_EQ(db->Count(KindDefaultProgram), 0);
    EXPECT_EQ(db->AllocateNode(KindDefaultProgram), -1);
    EXPECT_EQ(db->Record(KindDefaultProgram, 0), nullptr);
    std::string out;
    EXPECT_FALSE(db->GetNodeData(KindDefaultProgram, 0, 0, out, 0, DeclarationOrder));
    EXPECT_FALSE(db->SetNodeData(KindDefaultProgram, 0, 0, "1", DeclarationOrder));
    int32_t value = 0;
    EXPECT_FALSE(db->GetNodeInt(KindDefaultProgram, 0, 0, value, 0, DeclarationOrder));
    EXPECT_FALSE(db->SetNodeInt(KindDefaultProgram, 0, 0, 1, DeclarationOrder));
    db->DeleteNode(KindDefaultProgram, 0);
    EXPECT_TRUE(db->IsUsed(KindProgram, 0));
}

TEST_F(ChannelDbTest, NumbersReadAndWriteLikeTheirTexts)
{
    const int slot = AddProgram(1, 1, 1);
    const int field = layouts.FindField(KindProgram, "service_id", DeclarationOrder);
    ASSERT_TRUE(db->SetNodeInt(KindProgram, slot, field, 0xFFFFFFFFu, DeclarationOrder));
    EXPECT_EQ(Get(KindProgram, slot, "service_id"), "-1");
    int32_t value = 0;
    ASSERT_TRUE(db->GetNodeInt(KindProgram, slot, field, value, 0, DeclarationOrder));
    EXPECT_EQ(value, -1);
    const int apid = layouts.FindField(KindProgram, "apid", DeclarationOrder);
    ASSERT_TRUE(Set(KindProgram, slot, "apid", "0x1FFF"));
    ASSERT_TRUE(db->GetNodeInt(KindProgram, slot, apid, value, 0, DeclarationOrder));
    EXPECT_EQ(value, 0x1FFF);
    EXPECT_FALSE(db->GetNodeInt(KindProgram, slot, apid, value, 2, DeclarationOrder));  // past the array
    db->DeleteNode(KindProgram, slot);
    EXPECT_FALSE(db->GetNodeInt(KindProgram, slot, field, value, 0, DeclarationOrder));
}

TEST_F(ChannelDbTest, ADeletedNodeRevivesAtItsSlotWithItsBytes)
{
    for (int i = 1; i <= 3; ++i)
        AddProgram(1, 1, i);
    const std::vector<uint8_t> bytes = db->RecordBytes(KindProgram, 1);
    ASSERT_EQ(bytes.size(), size_t(layouts.NodeSize(KindProgram)));
    db->DeleteNode(KindProgram, 1);
    EXPECT_TRUE(db->RecordBytes(KindProgram, 1).empty());
    EXPECT_FALSE(db->ReviveNode(KindProgram, 0, bytes));  // a used slot is not overwritten
    EXPECT_FALSE(db->ReviveNode(KindProgram, 1, std::vector<uint8_t>(3)));  // not a whole record
    ASSERT_TRUE(db->Rearrange());  // compaction drops the deleted record's bytes
    ASSERT_TRUE(db->ReviveNode(KindProgram, 1, bytes));
    EXPECT_EQ(Get(KindProgram, 1, "prog_id"), "2");
    // A record's bytes are replaced whole, and only by a whole record of a used slot.
    std::vector<uint8_t> edited = db->RecordBytes(KindProgram, 0);
    ASSERT_TRUE(Set(KindProgram, 0, "service_id", "77"));
    EXPECT_TRUE(db->SetRecordBytes(KindProgram, 0, edited));
    EXPECT_EQ(Get(KindProgram, 0, "service_id"), "0");
    EXPECT_FALSE(db->SetRecordBytes(KindProgram, 0, std::vector<uint8_t>(2)));
    db->DeleteNode(KindProgram, 2);
    EXPECT_FALSE(db->SetRecordBytes(KindProgram, 2, edited));
    ASSERT_TRUE(db->ReviveNode(KindProgram, 2, db->RecordBytes(KindProgram, 0)));
    EXPECT_EQ(db->RecordBytes(KindProgram, 1), bytes);
}
