// Slot lists of the navigator's nodes, on hand-made and on generated databases.
#include "EditorCoreSupport.h"

#include "database/DatabaseGenerator.h"
#include "database/SlotLists.h"
#include "layout/TemplateNumber.h"

#include <functional>
#include <set>

namespace {

struct SlotListsTest : ::testing::Test, EditorDb
{
};

// The lists computed the plain way: every field read as text by declaration-order index.
struct TextLists
{
    explicit TextLists(DbFixture &f) : f(f) {}

    // The numeric value of a text field as the navigator's reads parse it.
    std::optional<int64_t> Number(int slot, const char *name, FieldOrder order)
    {
        std::string text;
        const int field = f.layouts.FindField(KindProgram, name, order);
        if (field < 0 || !f.db->GetNodeData(KindProgram, slot, field, text, 0, order))
            return std::nullopt;
        return order == DeclarationOrder ? std::stoll(text) : int64_t(ParseTemplateNumber(text));
    }
    SlotList Where(const std::function<bool(int)> &test)
    {
        SlotList slots;
        for (int slot = 0; slot < f.db->Count(KindProgram); ++slot) {
            if (test(slot))
                slots.push_back(slot);
        }
        return slots;
    }
    SlotList Satellite(int satId)
    {
        return Where([&](int s) { return Number(s, "sat_id", PositionOrder) == satId; });
    }
    SlotList Transponder(int satId, int tpId)
    {
        return Where([&](int s) {
            return Number(s, "sat_id", PositionOrder) == satId && Number(s, "tp_id", PositionOrder) == tpId;
        });
    }
    SlotList Group(int g)
    {
        return Where([&](int s) {
            const std::optional<int64_t> v = Number(s, "Favorite Group", DeclarationOrder);
            if (!v)
                return false;
            return g == 0 ? *v != 0 : ((uint64_t(*v) >> (g - 1)) & 1u) != 0;
        });
    }

    DbFixture &f;
};

} // namespace

TEST_F(SlotListsTest, ListsByNodeKind)
{
    const int a = AddProgram(1, 1, 0b001);
    const int b = AddProgram(2, 1, 0);
    const int c = AddProgram(1, 2, 0b110);
    const int d = AddProgram(1, 1, 0x80000000u);
    const int gone = AddProgram(1, 1, 0b001);
    const int e = AddProgram(1, 1, 0);
    db->DeleteNode(KindProgram, gone);

    EXPECT_EQ(AllProgramSlots(*db), (SlotList{a, b, c, d, e}));
    const SlotList satellite = SatelliteSlots(*db, 1);
    EXPECT_EQ(satellite, (SlotList{a, c, d, e}));
    EXPECT_EQ(SatelliteSlots(*db, 2), (SlotList{b}));
    EXPECT_TRUE(SatelliteSlots(*db, 3).empty());
    EXPECT_EQ(TransponderSlots(*db, satellite, 1), (SlotList{a, d, e}));
    EXPECT_EQ(TransponderSlots(*db, satellite, 2), (SlotList{c}));
    // The transponder list keeps the order of the list it filters and skips removed entries.
    EXPECT_EQ(TransponderSlots(*db, SlotList{e, -1, gone, a}, 1), (SlotList{e, a}));

    EXPECT_EQ(CollectGroupMembers(*db, 0), (SlotList{a, c, d}));
    EXPECT_EQ(CollectGroupMembers(*db, 1), (SlotList{a}));
    EXPECT_EQ(CollectGroupMembers(*db, 2), (SlotList{c}));
    EXPECT_EQ(CollectGroupMembers(*db, 3), (SlotList{c}));
    EXPECT_EQ(CollectGroupMembers(*db, 4), SlotList{});
    EXPECT_EQ(CollectGroupMembers(*db, 32), (SlotList{d}));  // bit 31: the value reads negative
    EXPECT_EQ(CollectGroupMembers(*db, 33), std::nullopt);
    EXPECT_EQ(CollectGroupMembers(*db, -1), std::nullopt);

    SlotListUpdate update = RebuildSlotList(*db, NavAllServices, 0, 0, 0);
    EXPECT_TRUE(update.changed);
    EXPECT_EQ(update.slots, (SlotList{a, b, c, d, e}));
    EXPECT_FALSE(update.parentSlots.has_value());

    update = RebuildSlotList(*db, NavSatellite, 1, 0, 0);
    EXPECT_TRUE(update.changed);
    EXPECT_EQ(update.slots, satellite);

    update = RebuildSlotList(*db, NavTransponder, 1, 1, 0);
    EXPECT_TRUE(update.changed);
    EXPECT_EQ(update.slots, (SlotList{a, d, e}));
    EXPECT_EQ(update.parentSlots, satellite);  // the parent satellite's list is recomputed first

    EXPECT_EQ(RebuildSlotList(*db, NavFavouriteRoot, 0, 0, 0).slots, (SlotList{a, c, d}));
    EXPECT_EQ(RebuildSlotList(*db, NavFavouriteGroup, 0, 0, 2).slots, (SlotList{c}));
    update = RebuildSlotList(*db, NavFavouriteGroup, 0, 0, 40);  // no list: the node ends up empty
    EXPECT_TRUE(update.changed);
    EXPECT_TRUE(update.slots.empty());

    for (NavNodeKind kind : {NavNodeKind(1), NavSatelliteFolder, NavNodeKind(7), NavNodeKind(-1)}) {
        update = RebuildSlotList(*db, kind, 1, 1, 1);
        EXPECT_FALSE(update.changed) << int(kind);
        EXPECT_TRUE(update.slots.empty()) << int(kind);
    }
}

TEST_F(SlotListsTest, LayoutsWithoutTheFieldsGiveEmptyLists)
{
    EditorDb small(SmallTemplate());  // no "Favorite Group"; sat_id and tp_id with pos
    small.Add(KindProgram, {{"sat_id", "1"}, {"tp_id", "1"}});
    EXPECT_EQ(SatelliteSlots(*small.db, 1), SlotList{0});
    EXPECT_EQ(CollectGroupMembers(*small.db, 0), SlotList{});
    EXPECT_EQ(CollectGroupMembers(*small.db, 1), SlotList{});

    // sat_id and tp_id without pos are not in position order: no program belongs anywhere.
    EditorDb noPos("/*#tp_node@*/{ UINT32 sat_id; UINT32 tp_id; }\n"
                   "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; }\n"
                   "/*#prog_node@*/{ UINT32 sat_id; UINT32 tp_id; UINT32 prog_id /*#pos:1@*/; }\n");
    noPos.Add(KindProgram, {{"sat_id", "1"}, {"tp_id", "1"}});
    EXPECT_EQ(AllProgramSlots(*noPos.db), SlotList{0});
    EXPECT_EQ(SatelliteSlots(*noPos.db, 1), SlotList{});
    EXPECT_EQ(TransponderSlots(*noPos.db, SlotList{0}, 1), SlotList{});
}

TEST_F(SlotListsTest, GeneratedDatabaseMatchesTheTextComputation)
{
    GeneratorOptions options;
    options.satellites = 5;
    options.transponders = 60;
    options.programs = 3000;
    options.seed = 7;
    options.terrestrial = true;
    ASSERT_TRUE(DatabaseGenerator(layouts).Generate(*db, options));
    for (int slot = 3; slot < db->Count(KindProgram); slot += 17)
        db->DeleteNode(KindProgram, slot);

    TextLists text(*this);
    const SlotList all = AllProgramSlots(*db);
    EXPECT_EQ(int(all.size()), db->LiveCount(KindProgram));

    std::set<std::pair<int, int>> transponders;
    for (int tp = 0; tp < db->Count(KindTransponder); ++tp) {
        std::string satId, tpId;
        if (db->GetNodeData(KindTransponder, tp, db->SatIdOfTransponder(), satId, 0, PositionOrder)
            && db->GetNodeData(KindTransponder, tp, db->TpIdOfTransponder(), tpId, 0, PositionOrder))
            transponders.emplace(std::stoi(satId), std::stoi(tpId));
    }
    ASSERT_GE(transponders.size(), 60u);

    size_t covered = 0;
    std::set<int> satellites;
    for (const auto &[satId, tpId] : transponders)
        satellites.insert(satId);
    EXPECT_TRUE(satellites.count(255));  // the terrestrial satellite is among them
    for (const int satId : satellites) {
        const SlotList satellite = SatelliteSlots(*db, satId);
        EXPECT_EQ(satellite, text.Satellite(satId)) << satId;
        covered += satellite.size();
    }
    EXPECT_EQ(covered, all.size());

    size_t inTransponders = 0;
    for (const auto &[satId, tpId] : transponders) {
        const SlotListUpdate update = RebuildSlotList(*db, NavTransponder, satId, tpId, 0);
        EXPECT_EQ(update.slots, text.Transponder(satId, tpId)) << satId << "/" << tpId;
        inTransponders += update.slots.size();
    }
    EXPECT_EQ(inTransponders, all.size());

    size_t nonEmptyGroups = 0;
    for (int g = 0; g <= 32; ++g) {
        const std::optional<SlotList> members = CollectGroupMembers(*db, g);
        ASSERT_TRUE(members.has_value()) << g;
        EXPECT_EQ(*members, text.Group(g)) << g;
        nonEmptyGroups += members->empty() ? 0 : 1;
    }
    EXPECT_GT(nonEmptyGroups, 2u);  // the generated favourites are not all empty
}
