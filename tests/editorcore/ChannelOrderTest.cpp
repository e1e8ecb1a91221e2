// The common channel orders, the natural order of names, and moves of several rows at once.
#include "EditorCoreSupport.h"

#include "database/ChannelOrder.h"
#include "database/ListRowMoves.h"

#include <QString>

#include <algorithm>
#include <numeric>

namespace {

struct ChannelOrderTest : ::testing::Test, EditorDb
{
    int Program(int satId, int tpId, const std::string &name, int serviceId, int type)
    {
        return Add(KindProgram, {{"sat_id", std::to_string(satId)}, {"tp_id", std::to_string(tpId)},
                                 {"Service Name", name}, {"Service ID", std::to_string(serviceId)},
                                 {"Service Type", std::to_string(type)}});
    }
};

// Applies an order to a list of labels: element i of the result is labels[order[i]].
std::vector<char> Reordered(const std::vector<char> &labels, const std::vector<int> &order)
{
    std::vector<char> out;
    for (int row : order)
        out.push_back(labels[size_t(row)]);
    return out;
}

// Applies a plan's exchanges to labels, as the list would.
std::vector<char> Exchanged(std::vector<char> labels, const RowMovePlan &plan)
{
    for (const auto &[a, b] : plan.exchanges)
        std::swap(labels[size_t(a)], labels[size_t(b)]);
    return labels;
}

}

TEST(NaturalOrder, NumbersByValueLettersWithoutCase)
{
    auto less = [](const char *a, const char *b) { return NaturalCompare(QString::fromUtf8(a), QString::fromUtf8(b)) < 0; };
    EXPECT_TRUE(less("Rai 2", "Rai 10"));
    EXPECT_FALSE(less("Rai 10", "Rai 2"));
    EXPECT_TRUE(less("rai 1", "RAI 2"));
    EXPECT_TRUE(less("Sky", "sky 1"));         // a prefix first
    EXPECT_TRUE(less("9live", "10 TV"));
    EXPECT_TRUE(less("A2B", "A10A"));
    EXPECT_TRUE(less("ch 99999999999999999998", "ch 99999999999999999999"));  // beyond 64 bits
    // Equal as read: the exact text decides, so sorting is deterministic.
    EXPECT_NE(NaturalCompare(u"Rai 07", u"rai 7"), 0);
    EXPECT_EQ(NaturalCompare(u"Rai 07", u"Rai 07"), 0);
    EXPECT_EQ(NaturalCompare(u"", u""), 0);
    EXPECT_LT(NaturalCompare(u"", u"a"), 0);

    std::vector<QString> names = {"Rai 10", "rai 1", "Rai 2", "ZDF", "arte", "Rai 1"};
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return NaturalCompare(a, b) < 0; });
    EXPECT_EQ(names, (std::vector<QString>{"arte", "Rai 1", "rai 1", "Rai 2", "Rai 10", "ZDF"}));
}

// The prepared keys a header sort compares give the order the texts themselves give, for every
// pair: numbers, names with digits, case, accents, letters that fold specially and empty cells.
TEST(NaturalOrder, PreparedCellKeysCompareAsTheirTexts)
{
    const std::vector<QString> texts = {
        "", "0", "7", "007", "-3", "12", "99999999999999999999", "Rai 2", "rai 2", "Rai 10", "RAI 07", "Télé 5",
        "tele 5", "TÉLÉ 5", "Straße", "STRASSE", "ΣΟΦΙΑ", "σοφια", "ς", "A2B", "a10a", "9live", "10 TV", " 12", "12 ",
    };
    auto sign = [](int c) { return c < 0 ? -1 : c > 0 ? 1 : 0; };
    for (const QString &a : texts) {
        const CellSortKey keyA = MakeCellSortKey(a);
        EXPECT_EQ(keyA.text, a);
        for (const QString &b : texts) {
            EXPECT_EQ(sign(CompareCellKeys(keyA, MakeCellSortKey(b))), sign(CompareCellTexts(a, b)))
                << a.toStdString() << " / " << b.toStdString();
        }
    }
}

TEST_F(ChannelOrderTest, EachOrderIsStableAndKeepsTheSlots)
{
    Add(KindSatellite, {{"sat_id", "2"}, {"satname", "B"}});
    Add(KindSatellite, {{"sat_id", "1"}, {"satname", "A"}});
    AddTransponder(1, 5, 11000, 27500, 0);
    AddTransponder(1, 3, 12000, 27500, 0);
    AddTransponder(2, 1, 10700, 22000, 1);
    const int rai10 = Program(1, 3, "Rai 10", 30, 1);
    const int radio = Program(2, 1, "Radio A", 10, 0);
    const int rai2 = Program(1, 5, "Rai 2", 20, 1);
    const int zdf = Program(2, 1, "ZDF", 20, 1);
    const int radioB = Program(1, 5, "radio b", 5, 0);
    const SlotList all = {rai10, radio, rai2, zdf, radioB};

    EXPECT_EQ(OrderedSlots(*db, all, ChannelOrder::ByName), (SlotList{radio, radioB, rai2, rai10, zdf}));
    // Equal service ids (20) keep their order.
    EXPECT_EQ(OrderedSlots(*db, all, ChannelOrder::ByServiceId), (SlotList{radioB, radio, rai2, zdf, rai10}));
    EXPECT_EQ(OrderedSlots(*db, all, ChannelOrder::TvBeforeRadio), (SlotList{rai10, rai2, zdf, radio, radioB}));
    // Satellite B (table row 0) first, then A; inside A, transponder 5 (row 0) before 3 (row 1).
    EXPECT_EQ(OrderedSlots(*db, all, ChannelOrder::BySatelliteAndTransponder),
              (SlotList{radio, zdf, rai2, radioB, rai10}));
    EXPECT_EQ(OrderedSlots(*db, all, ChannelOrder::Reverse), (SlotList{radioB, zdf, rai2, radio, rai10}));

    // A part of the list, and entries that are no programs (-1, a freed slot) go last.
    db->DeleteNode(KindProgram, zdf);
    EXPECT_EQ(OrderedSlots(*db, {zdf, rai2, -1, rai10}, ChannelOrder::ByName), (SlotList{rai2, rai10, zdf, -1}));
    EXPECT_TRUE(OrderedSlots(*db, {}, ChannelOrder::Reverse).empty());
}

TEST(ListRowMoves, StepMovesOfBlocksAndSingleRows)
{
    const std::vector<char> rows = {'a', 'b', 'c', 'd', 'e', 'f'};
    struct Case
    {
        std::vector<int> selected;
        int step;
        std::vector<char> expected;
        std::vector<int> after;
    };
    const Case cases[] = {
        {{2}, -1, {'a', 'c', 'b', 'd', 'e', 'f'}, {1}},
        {{2}, 1, {'a', 'b', 'd', 'c', 'e', 'f'}, {3}},
        {{1, 2, 4}, -1, {'b', 'c', 'a', 'e', 'd', 'f'}, {0, 1, 3}},
        // A block at the top stays; the row behind it closes up.
        {{0, 1, 3}, -1, {'a', 'b', 'd', 'c', 'e', 'f'}, {0, 1, 2}},
        {{0, 1, 2}, -1, {'a', 'b', 'c', 'd', 'e', 'f'}, {0, 1, 2}},
        // The same at the bottom.
        {{2, 4, 5}, 1, {'a', 'b', 'd', 'c', 'e', 'f'}, {3, 4, 5}},
        {{5}, 1, {'a', 'b', 'c', 'd', 'e', 'f'}, {5}},
        // Unsorted, repeated and outside rows are cleaned.
        {{4, 1, 4, 9, -1}, -1, {'b', 'a', 'c', 'e', 'd', 'f'}, {0, 3}},
    };
    for (const Case &c : cases) {
        const RowMovePlan plan = PlanStepMove(c.selected, int(rows.size()), c.step);
        EXPECT_EQ(Exchanged(rows, plan), c.expected) << c.step << " " << c.selected.size();
        EXPECT_EQ(plan.selectedAfter, c.after);
    }
    EXPECT_TRUE(PlanStepMove({0, 1, 2}, 6, -1).exchanges.empty());
    EXPECT_TRUE(PlanStepMove({3}, 6, 2).exchanges.empty());
}

TEST(ListRowMoves, DropAndMoveToKeepTheMovedRowsInOrder)
{
    const std::vector<char> rows = {'a', 'b', 'c', 'd', 'e', 'f'};
    EXPECT_EQ(Reordered(rows, DropOrder(6, {4, 1}, 0)), (std::vector<char>{'b', 'e', 'a', 'c', 'd', 'f'}));
    EXPECT_EQ(Reordered(rows, DropOrder(6, {0, 1}, 6)), (std::vector<char>{'c', 'd', 'e', 'f', 'a', 'b'}));
    EXPECT_EQ(Reordered(rows, DropOrder(6, {1, 3}, 3)), (std::vector<char>{'a', 'c', 'b', 'd', 'e', 'f'}));
    // Dropped onto one of the moved rows, or right behind them: nothing changes.
    EXPECT_EQ(Reordered(rows, DropOrder(6, {2, 3}, 3)), rows);
    EXPECT_EQ(Reordered(rows, DropOrder(6, {2, 3}, 4)), (std::vector<char>{'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_EQ(Reordered(rows, DropOrder(6, {}, 2)), rows);
    EXPECT_EQ(Reordered(rows, DropOrder(6, {5, 9, -2}, 99)), rows);

    EXPECT_EQ(Reordered(rows, MoveToOrder(6, {4, 5}, 0)), (std::vector<char>{'e', 'f', 'a', 'b', 'c', 'd'}));
    EXPECT_EQ(Reordered(rows, MoveToOrder(6, {0, 2}, 2)), (std::vector<char>{'b', 'd', 'a', 'c', 'e', 'f'}));
    EXPECT_EQ(Reordered(rows, MoveToOrder(6, {0, 2}, 50)), (std::vector<char>{'b', 'd', 'e', 'f', 'a', 'c'}));

    // Every result is a permutation.
    for (int drop = 0; drop <= 6; ++drop) {
        std::vector<int> order = DropOrder(6, {1, 4, 5}, drop);
        std::sort(order.begin(), order.end());
        std::vector<int> identity(6);
        std::iota(identity.begin(), identity.end(), 0);
        EXPECT_EQ(order, identity) << drop;
    }
}
