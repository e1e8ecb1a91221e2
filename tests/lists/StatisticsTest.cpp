// The figures of a small database: per satellite and transponder, types, groups, duplicates, room.
#include "ListsSupport.h"

#include "database/DatabaseStatistics.h"

#include <QJsonArray>

namespace {

struct StatisticsTest : ::testing::Test, ListsDb
{
};

TEST_F(StatisticsTest, CountsEveryFigure)
{
    AddSatellite(1, 192);
    AddSatellite(2, 130);
    AddTransponder(1, 1, 11494, 27500, 0);
    AddTransponder(1, 2, 11523, 27500, 1);
    AddTransponder(2, 1, 10719, 27500, 1);
    AddProgram({.satId = 1, .tpId = 1, .progId = 1, .serviceId = 1, .name = "A", .groups = 1});
    AddProgram({.satId = 1, .tpId = 1, .progId = 2, .serviceId = 1, .name = "A2", .scrambled = true, .groups = 3});
    AddProgram({.satId = 1, .tpId = 2, .progId = 1, .serviceId = 2, .name = "R", .tv = false});
    AddProgram({.satId = 2, .tpId = 1, .progId = 1, .serviceId = 3, .name = "B", .groups = 0x80000000u});

    const DatabaseStatistics s = ComputeStatistics(*db);
    EXPECT_EQ(s.programs, 4);
    EXPECT_EQ(s.tv, 3);
    EXPECT_EQ(s.radio, 1);
    EXPECT_EQ(s.scrambled, 1);
    EXPECT_EQ(s.freeToAir, 3);
    ASSERT_EQ(s.satellites.size(), 2u);
    EXPECT_EQ(s.satellites[0].transponders, 2);
    EXPECT_EQ(s.satellites[0].programs, 3);
    EXPECT_EQ(s.satellites[0].radio, 1);
    EXPECT_EQ(s.satellites[0].scrambled, 1);
    EXPECT_EQ(s.satellites[1].programs, 1);
    ASSERT_EQ(s.transponders.size(), 3u);
    EXPECT_EQ(s.transponders[0].programs, 2);
    EXPECT_EQ(s.transponders[1].frequency, 11523);
    EXPECT_EQ(s.transponders[1].polarisation, 1);
    EXPECT_EQ(s.groupMembers[0], 2);
    EXPECT_EQ(s.groupMembers[1], 1);
    EXPECT_EQ(s.groupMembers[31], 1);
    EXPECT_EQ(s.duplicateGroups, 1);
    EXPECT_EQ(s.sameServiceGroups, 1);
    EXPECT_EQ(s.duplicatePrograms, 1);
    EXPECT_EQ(s.satelliteRoom.freeIds, 252);
    EXPECT_EQ(s.satelliteRoom.freeRows, CChannelDb::kMaxSatelliteNodes - 2);
    EXPECT_EQ(s.transponderRoom.freeIds, 2 * 1023 - 3);
    EXPECT_EQ(s.programRoom.freeIds, 3 * 1023 - 4);
    EXPECT_EQ(s.programRoom.freeRows, CChannelDb::kMaxPrograms - 4);

    const QJsonObject json = StatisticsJson(s);
    EXPECT_EQ(json.value("programs").toInt(), 4);
    EXPECT_EQ(json.value("perSatellite").toArray().size(), 2);
    EXPECT_EQ(json.value("favouriteGroups").toArray().at(31).toObject().value("members").toInt(), 1);
    EXPECT_EQ(json.value("room").toObject().value("programs").toObject().value("freeIds").toInt(), 3 * 1023 - 4);
}

} // namespace
