// Matching a reference list by position, by satellite and service id, and by name; the new order.
#include "ListsSupport.h"

#include "database/DatabaseWriter.h"
#include "database/ReferenceMatcher.h"

namespace {

ProgramFacts Facts(int32_t slot, int32_t orbit, int32_t frequency, int32_t pol, int32_t sid, const char *name,
                   bool tv = true)
{
    ProgramFacts p;
    p.slot = slot;
    p.key = {1, 1, slot + 1};
    p.orbit = orbit;
    p.frequency = frequency;
    p.polarisation = pol;
    p.serviceId = sid;
    p.name = name;
    p.tv = tv;
    return p;
}

std::vector<MatchKind> Kinds(const ReferenceMatching &m)
{
    std::vector<MatchKind> kinds;
    for (const ReferenceMatch &row : m.rows)
        kinds.push_back(row.how);
    return kinds;
}

std::vector<int32_t> Matched(const ReferenceMatching &m)
{
    std::vector<int32_t> slots;
    for (const ReferenceMatch &row : m.rows)
        slots.push_back(row.ourSlot);
    return slots;
}

TEST(ReferenceMatcherTest, FrequencyWithinTheToleranceMatchesByPositionOutsideOnlyById)
{
    // Ours: two programs with service id 100 on one satellite, on transponders 4 MHz apart.
    const std::vector<ProgramFacts> ours = {Facts(10, 192, 11494, 0, 100, "A"), Facts(11, 192, 11498, 0, 100, "B")};
    // Ids differ from ours in every reference program; only the keys count.
    std::vector<ProgramFacts> reference = {Facts(0, 192, 11496, 0, 100, "x"), Facts(1, 192, 11501, 0, 100, "y")};
    reference[0].key = reference[1].key = {7, 7, 7};

    ReferenceMatching m = MatchReference(ours, reference);
    // 11496 is 2 MHz from both; the first of equally near ones is taken. 11501 is 3 MHz from 11498.
    EXPECT_EQ(Kinds(m), (std::vector<MatchKind> {MatchKind::Position, MatchKind::ServiceId}));
    EXPECT_EQ(Matched(m), (std::vector<int32_t> {10, 11}));

    // Another polarisation is no position match, but the satellite and service id still are.
    reference[0].polarisation = 1;
    m = MatchReference(ours, reference);
    EXPECT_EQ(Kinds(m), (std::vector<MatchKind> {MatchKind::ServiceId, MatchKind::ServiceId}));
}

TEST(ReferenceMatcherTest, NearestFrequencyWinsAndTerrestrialIsExact)
{
    const std::vector<ProgramFacts> ours = {Facts(0, 192, 11492, 0, 5, "A"), Facts(1, 192, 11495, 0, 5, "B")};
    EXPECT_EQ(Matched(MatchReference(ours, {Facts(0, 192, 11494, 0, 5, "r")})), (std::vector<int32_t> {1}));

    ProgramFacts dvbt = Facts(3, -1, 474000, 0, 9, "T");
    dvbt.terrestrial = true;
    dvbt.key.satId = 255;
    ProgramFacts exact = dvbt;
    ProgramFacts off = dvbt;
    off.frequency = 474001;
    EXPECT_EQ(MatchReference({dvbt}, {exact}).rows[0].how, MatchKind::Position);
    EXPECT_EQ(MatchReference({dvbt}, {off}).rows[0].how, MatchKind::ServiceId);
}

TEST(ReferenceMatcherTest, NamesMatchCaseInsensitiveTrimmedWithTheSameType)
{
    const std::vector<ProgramFacts> ours = {Facts(0, 130, 10719, 1, 1, "BBC One"), Facts(1, 130, 10719, 1, 2, "Jazz", false)};
    const std::vector<ProgramFacts> reference = {Facts(0, 192, 11000, 0, 55, "  bbc one "),
                                                 Facts(1, 192, 11000, 0, 56, "Jazz", true)};
    const ReferenceMatching m = MatchReference(ours, reference);
    EXPECT_EQ(Kinds(m), (std::vector<MatchKind> {MatchKind::Name, MatchKind::None}));
    EXPECT_EQ(m.matchedCount, 1);
}

TEST(ReferenceMatcherTest, UnmatchedOnBothSidesAndTheNewOrder)
{
    const std::vector<ProgramFacts> ours = {Facts(0, 192, 11494, 0, 1, "One"), Facts(1, 192, 11494, 0, 2, "Two"),
                                            Facts(3, 192, 11494, 0, 3, "Three"), Facts(4, 192, 11494, 0, 4, "Four"),
                                            Facts(6, 192, 11494, 0, 0, "Manual")};
    // Service id 0 never matches by id; each of ours is taken once.
    const std::vector<ProgramFacts> reference = {Facts(0, 192, 11494, 0, 3, "x"), Facts(1, 192, 11494, 0, 99, "y"),
                                                 Facts(2, 192, 11494, 0, 1, "z"), Facts(3, 192, 11494, 0, 3, "w"),
                                                 Facts(4, 192, 11494, 0, 0, "v")};
    const ReferenceMatching m = MatchReference(ours, reference);
    EXPECT_EQ(Matched(m), (std::vector<int32_t> {3, -1, 0, -1, -1}));
    EXPECT_EQ(m.unmatchedOurs, (std::vector<int32_t> {1, 4, 6}));
    EXPECT_EQ(m.newSequence, (std::vector<int32_t> {3, 0, 1, 4, 6}));
}

TEST(ReferenceMatcherTest, AReferenceWithoutPositionsComparesSatelliteIds)
{
    ProgramFacts our = Facts(0, 192, 11494, 0, 42, "A");
    our.key.satId = 3;
    ProgramFacts fromCsv;   // a CSV has no transponders: no orbit, frequency or polarisation
    fromCsv.key = {3, 9, 9};
    fromCsv.serviceId = 42;
    EXPECT_EQ(MatchReference({our}, {fromCsv}).rows[0].how, MatchKind::ServiceId);
    fromCsv.key.satId = 4;
    EXPECT_EQ(MatchReference({our}, {fromCsv}).rows[0].how, MatchKind::None);
}

TEST(ReferenceMatcherTest, CopiedMembershipsListOnlyChangedPrograms)
{
    std::vector<ProgramFacts> ours = {Facts(0, 192, 1, 0, 1, "A"), Facts(1, 192, 1, 0, 2, "B"), Facts(2, 192, 1, 0, 3, "C")};
    ours[0].groups = 1;
    ours[1].groups = 2;
    ours[2].groups = 8;
    std::vector<ProgramFacts> reference = {Facts(0, 192, 1, 0, 2, "B"), Facts(1, 192, 1, 0, 1, "A")};
    reference[0].groups = 6;
    reference[1].groups = 1;
    const ReferenceMatching m = MatchReference(ours, reference);
    EXPECT_EQ(ReferenceGroupChanges(ours, reference, m), (std::vector<GroupBitsChange> {{1, 2, 6}}));
}

// The order on a database: the slot order moves live programs only, and its inverse undoes it.
struct SlotOrderTest : ::testing::Test, ListsDb
{
    // The first five slots (the table has room for more).
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (int slot = 0; slot < 5; ++slot)
            names.push_back(db->IsUsed(KindProgram, slot) ? Name(slot) : "-");
        return names;
    }
};

TEST_F(SlotOrderTest, LiveSequenceKeepsFreeSlotsInPlaceAndTheInverseRestores)
{
    for (const char *name : {"A", "B", "C", "D", "E"})
        AddProgram({.progId = name[0], .serviceId = 1, .name = name});
    db->DeleteNode(KindProgram, 1);
    const std::vector<std::string> before = Names();

    const SlotOrder order = SlotOrderOfLiveSequence(*db, KindProgram, {4, 2, 0, 3});
    ASSERT_TRUE(IsSlotOrder(*db, KindProgram, order));
    ASSERT_TRUE(ApplySlotOrder(*db, KindProgram, order));
    EXPECT_EQ(Names(), (std::vector<std::string> {"E", "-", "C", "A", "D"}));
    ASSERT_TRUE(ApplySlotOrder(*db, KindProgram, InverseSlotOrder(order)));
    EXPECT_EQ(Names(), before);

    EXPECT_TRUE(SlotOrderOfLiveSequence(*db, KindProgram, {4, 2, 0}).empty()) << "a live program missing";
    EXPECT_TRUE(SlotOrderOfLiveSequence(*db, KindProgram, {4, 2, 0, 1}).empty()) << "a free slot";
    EXPECT_TRUE(SlotOrderOfLiveSequence(*db, KindProgram, {4, 2, 0, 0}).empty()) << "a program twice";
    SlotOrder twice = order;
    twice[3] = twice[2];
    EXPECT_FALSE(ApplySlotOrder(*db, KindProgram, twice));
    EXPECT_FALSE(ApplySlotOrder(*db, KindProgram, SlotOrder(order.begin(), order.end() - 1)));
    EXPECT_EQ(Names(), before);
}

TEST_F(SlotOrderTest, TheInverseOrderSavesTheSameBytesAgain)
{
    AddSatellite(1, 192);
    AddTransponder(1, 1, 11494, 27500, 0);
    for (int i = 0; i < 40; ++i)
        AddProgram({.progId = 1 + i, .serviceId = 500 + i, .name = "P" + std::to_string(i), .groups = uint32_t(i)});
    for (const int slot : {3, 17, 30})
        db->DeleteNode(KindProgram, slot);
    Payload before;
    ASSERT_TRUE(BuildPayload(*db, before));

    std::vector<int32_t> live;
    for (int slot = db->Count(KindProgram) - 1; slot >= 0; --slot) {
        if (db->IsUsed(KindProgram, slot))
            live.push_back(slot);
    }
    const SlotOrder order = SlotOrderOfLiveSequence(*db, KindProgram, live);
    ASSERT_TRUE(ApplySlotOrder(*db, KindProgram, order));
    Payload reordered;
    ASSERT_TRUE(BuildPayload(*db, reordered));
    EXPECT_NE(reordered.bytes, before.bytes);
    ASSERT_TRUE(ApplySlotOrder(*db, KindProgram, InverseSlotOrder(order)));
    Payload after;
    ASSERT_TRUE(BuildPayload(*db, after));
    EXPECT_EQ(after.bytes, before.bytes);
}

TEST_F(SlotOrderTest, AGeneratedListMatchedAgainstItselfReversedEndsReversed)
{
    for (int i = 0; i < 200; ++i)
        AddProgram({.tpId = 1 + i / 100, .progId = 1 + i % 100, .serviceId = 1000 + i, .name = "P" + std::to_string(i)});
    AddSatellite(1, 192);
    AddTransponder(1, 1, 11494, 27500, 0);
    AddTransponder(1, 2, 11523, 27500, 1);
    std::vector<ProgramFacts> ours = CollectProgramFacts(*db);
    ASSERT_EQ(ours.size(), 200u);
    EXPECT_EQ(ours[150].frequency, 11523);
    EXPECT_EQ(ours[150].orbit, 192);
    std::vector<ProgramFacts> reference(ours.rbegin(), ours.rend());
    const ReferenceMatching m = MatchReference(ours, reference);
    EXPECT_EQ(m.matchedCount, 200);
    ASSERT_TRUE(ApplySlotOrder(*db, KindProgram, SlotOrderOfLiveSequence(*db, KindProgram, m.newSequence)));
    EXPECT_EQ(Name(0), "P199");
    EXPECT_EQ(Name(199), "P0");
}

} // namespace
