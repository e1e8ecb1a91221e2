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
    EXPECT_EQ(db->Table(KindSatellite).slots[size_t(sat)], 0);
    EXPECT_EQ(db->Table(KindProgram).slots[size_t(a)], satSize);
    EXPECT_EQ(db->Table(KindProgram).slots[size_t(c)], satSize + progSize);
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
    EXPECT_EQ(db->AllocateNode(7), -1);
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
