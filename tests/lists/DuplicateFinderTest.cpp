// Duplicate groups by service and by name, the keep rules, and the removal as data and applied.
#include "ListsSupport.h"

#include "database/DuplicateFinder.h"
#include "database/FavouriteGroups.h"

namespace {

struct DuplicateFinderTest : ::testing::Test, ListsDb
{
    std::vector<int32_t> Slots(const DuplicateGroup &group)
    {
        std::vector<int32_t> slots;
        for (const DuplicateMember &m : group.members)
            slots.push_back(m.program.slot);
        return slots;
    }
};

TEST_F(DuplicateFinderTest, SameServiceOnTheSameTransponderIsACertainGroup)
{
    const int a = AddProgram({.tpId = 1, .progId = 1, .serviceId = 100, .name = "Alpha"});
    AddProgram({.tpId = 2, .progId = 1, .serviceId = 100, .name = "Other"});  // another transponder
    const int b = AddProgram({.tpId = 1, .progId = 2, .serviceId = 100, .name = "Alpha (old)"});
    AddProgram({.tpId = 1, .progId = 3, .serviceId = 0, .name = "Manual"});   // service id 0 ties nothing
    AddProgram({.tpId = 1, .progId = 4, .serviceId = 0, .name = "Manual 2"});

    const std::vector<DuplicateGroup> groups = FindDuplicates(*db, KeepRule::FirstInOrder);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].rule, DuplicateRule::SameService);
    EXPECT_EQ(Slots(groups[0]), (std::vector<int32_t> {a, b}));
    EXPECT_TRUE(groups[0].members[0].sameService);
    EXPECT_FALSE(groups[0].members[0].sameName);
}

TEST_F(DuplicateFinderTest, SameNameAndTypeOnTheSameSatelliteIsALikelyGroup)
{
    const int a = AddProgram({.satId = 1, .tpId = 1, .serviceId = 1, .name = " BBC One "});
    AddProgram({.satId = 2, .tpId = 1, .serviceId = 2, .name = "BBC One"});            // another satellite
    AddProgram({.satId = 1, .tpId = 3, .serviceId = 3, .name = "BBC One", .tv = false});  // radio
    const int b = AddProgram({.satId = 1, .tpId = 2, .serviceId = 4, .name = "bbc ONE"});
    AddProgram({.satId = 1, .tpId = 2, .serviceId = 5, .name = ""});
    AddProgram({.satId = 1, .tpId = 4, .serviceId = 6, .name = ""});                    // empty names tie nothing

    const std::vector<DuplicateGroup> groups = FindDuplicates(*db, KeepRule::FirstInOrder);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].rule, DuplicateRule::SameName);
    EXPECT_EQ(Slots(groups[0]), (std::vector<int32_t> {a, b}));
    EXPECT_TRUE(groups[0].members[1].sameName);
}

TEST_F(DuplicateFinderTest, AProgramTiedByBothRulesJoinsTheGroupsIntoOne)
{
    // a and b share the service; b and c share the name: one group, only likely as a whole.
    const int a = AddProgram({.tpId = 1, .progId = 1, .serviceId = 7, .name = "Old name"});
    const int b = AddProgram({.tpId = 1, .progId = 2, .serviceId = 7, .name = "News"});
    const int c = AddProgram({.tpId = 2, .progId = 1, .serviceId = 8, .name = "NEWS"});
    const std::vector<DuplicateGroup> groups = FindDuplicates(*db, KeepRule::FirstInOrder);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].rule, DuplicateRule::SameName);
    EXPECT_EQ(Slots(groups[0]), (std::vector<int32_t> {a, b, c}));
    EXPECT_FALSE(groups[0].members[2].sameService);
    EXPECT_TRUE(groups[0].members[1].sameService && groups[0].members[1].sameName);
}

TEST_F(DuplicateFinderTest, EachKeepRuleChoosesItsMember)
{
    const uint32_t one = FavouriteGroups::Bit(1), two = FavouriteGroups::Bit(2), three = FavouriteGroups::Bit(3);
    AddProgram({.progId = 1, .serviceId = 9, .name = "X", .scrambled = true});
    AddProgram({.progId = 2, .serviceId = 9, .name = "X", .scrambled = false, .groups = one});
    AddProgram({.progId = 3, .serviceId = 9, .name = "X", .scrambled = true, .groups = one | two | three});
    AddProgram({.progId = 4, .serviceId = 9, .name = "X", .scrambled = false, .groups = two | three | one});

    EXPECT_EQ(FindDuplicates(*db, KeepRule::FirstInOrder).at(0).keep, 0);
    EXPECT_EQ(FindDuplicates(*db, KeepRule::FreeToAir).at(0).keep, 1);
    EXPECT_EQ(FindDuplicates(*db, KeepRule::MostGroups).at(0).keep, 2) << "the first of equally many";

    // Nothing free to air: the first stays.
    DuplicateGroup allScrambled;
    allScrambled.members.resize(2);
    allScrambled.members[0].program.scrambled = allScrambled.members[1].program.scrambled = true;
    EXPECT_EQ(ChooseKeeper(allScrambled, KeepRule::FreeToAir), 0);
    EXPECT_EQ(KeepRuleFromName(QStringLiteral("groups")), KeepRule::MostGroups);
    EXPECT_FALSE(KeepRuleFromName(QStringLiteral("last")));
}

TEST_F(DuplicateFinderTest, RemovalDeletesTheOthersAndTheKeptTakesEveryMembership)
{
    const uint32_t one = FavouriteGroups::Bit(1), five = FavouriteGroups::Bit(5), nine = FavouriteGroups::Bit(9);
    const int a = AddProgram({.progId = 1, .serviceId = 9, .name = "X", .groups = one});
    const int b = AddProgram({.progId = 2, .serviceId = 9, .name = "Y", .groups = five});
    const int lone = AddProgram({.progId = 3, .serviceId = 10, .name = "Z", .groups = nine});
    const int c = AddProgram({.tpId = 2, .serviceId = 11, .name = "Q"});
    const int d = AddProgram({.tpId = 3, .serviceId = 12, .name = "q", .groups = nine});

    std::vector<DuplicateGroup> groups = FindDuplicates(*db, KeepRule::FirstInOrder);
    ASSERT_EQ(groups.size(), 2u);
    groups[0].keep = 1;    // the user keeps b instead
    groups[1].keep = 7;    // out of range: the first stays
    const DuplicateRemoval removal = PlanDuplicateRemoval(groups);
    EXPECT_EQ(removal.deleteSlots, (std::vector<int32_t> {a, d}));
    ASSERT_EQ(removal.groupChanges.size(), 2u);
    EXPECT_EQ(removal.groupChanges[0], (GroupBitsChange {b, five, one | five}));
    EXPECT_EQ(removal.groupChanges[1], (GroupBitsChange {c, 0, nine}));

    ASSERT_TRUE(ApplyDuplicateRemoval(*db, removal));
    EXPECT_FALSE(db->IsUsed(KindProgram, a));
    EXPECT_FALSE(db->IsUsed(KindProgram, d));
    EXPECT_EQ(Get(KindProgram, b, "Favorite Group"), std::to_string(one | five));
    EXPECT_EQ(Get(KindProgram, c, "Favorite Group"), std::to_string(nine));
    EXPECT_EQ(Get(KindProgram, lone, "Favorite Group"), std::to_string(nine));
    EXPECT_TRUE(FindDuplicates(*db, KeepRule::FirstInOrder).empty());
}

TEST_F(DuplicateFinderTest, ARemovalNamingAFreeSlotChangesNothing)
{
    const int a = AddProgram({.progId = 1, .serviceId = 9, .name = "X"});
    const int b = AddProgram({.progId = 2, .serviceId = 9, .name = "X", .groups = 4});
    const DuplicateRemoval removal = PlanDuplicateRemoval(FindDuplicates(*db, KeepRule::FirstInOrder));
    db->DeleteNode(KindProgram, b);
    EXPECT_FALSE(ApplyDuplicateRemoval(*db, removal));
    EXPECT_TRUE(db->IsUsed(KindProgram, a));
    EXPECT_EQ(Get(KindProgram, a, "Favorite Group"), "0");
}

} // namespace
