// Reading a reference from the export's JSON and CSV, and refusing what is not such a list.
#include "ListsSupport.h"

#include "database/DatabaseDump.h"
#include "database/ReferenceList.h"

namespace {

struct ReferenceListTest : ::testing::Test, ListsDb
{
    void Build()
    {
        AddSatellite(1, 192);
        AddTransponder(1, 1, 11494, 27500, 1);
        AddProgram({.satId = 1, .tpId = 1, .progId = 1, .serviceId = 61, .name = "Das, \"Erste\"", .groups = 5});
        AddProgram({.satId = 1, .tpId = 1, .progId = 2, .serviceId = 62, .name = "Радио", .tv = false, .scrambled = true});
    }
};

TEST_F(ReferenceListTest, TheJsonDumpGivesTheFactsOfTheDatabase)
{
    Build();
    const std::vector<ProgramFacts> expected = CollectProgramFacts(*db);
    const ReferenceList list = ReferenceFromJson(DatabaseDump(*db).Json().toJson(), layouts);
    ASSERT_TRUE(list.Ok()) << list.error.toStdString();
    ASSERT_EQ(list.programs.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ProgramFacts &a = list.programs[i], &b = expected[i];
        EXPECT_EQ(a.slot, b.slot);
        EXPECT_EQ(a.key, b.key);
        EXPECT_EQ(a.serviceId, b.serviceId);
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.tv, b.tv);
        EXPECT_EQ(a.scrambled, b.scrambled);
        EXPECT_EQ(a.groups, b.groups);
        EXPECT_EQ(a.frequency, 11494);
        EXPECT_EQ(a.polarisation, 1);
        EXPECT_EQ(a.orbit, 192);
    }
}

TEST_F(ReferenceListTest, TheExportOfAListKeepsItsOrderAndLeavesFreeSlotsOut)
{
    Build();
    const int third = AddProgram({.satId = 1, .tpId = 1, .progId = 3, .serviceId = 63, .name = "Drei"});
    db->DeleteNode(KindProgram, 0);
    const std::vector<int32_t> list = {third, 0, 1};
    const ReferenceList json = ReferenceFromJson(DatabaseDump(*db).Json(&list).toJson(), layouts);
    const ReferenceList csv = ReferenceFromCsv(DatabaseDump(*db).Csv(KindProgram, list), layouts);
    for (const ReferenceList *read : {&json, &csv}) {
        ASSERT_TRUE(read->Ok()) << read->error.toStdString();
        ASSERT_EQ(read->programs.size(), 2u);
        EXPECT_EQ(read->programs[0].name, "Drei");
        EXPECT_EQ(read->programs[1].slot, 1);
    }
}

TEST_F(ReferenceListTest, TheCsvDumpGivesProgramsWithoutTransponders)
{
    Build();
    const ReferenceList list = ReferenceFromCsv(DatabaseDump(*db).Csv(KindProgram), layouts);
    ASSERT_TRUE(list.Ok()) << list.error.toStdString();
    ASSERT_EQ(list.programs.size(), 2u);
    EXPECT_EQ(list.programs[0].name, "Das, \"Erste\"");
    EXPECT_EQ(list.programs[1].name, "Радио");
    EXPECT_EQ(list.programs[1].serviceId, 62);
    EXPECT_EQ(list.programs[0].groups, 5u);
    EXPECT_EQ(list.programs[0].frequency, -1);
    EXPECT_EQ(list.programs[0].orbit, -1);
}

TEST_F(ReferenceListTest, ListsOfAnotherTemplateOrNotListsAtAllAreRefused)
{
    const auto error = [&](const QByteArray &text, bool json) {
        const ReferenceList list = json ? ReferenceFromJson(text, layouts) : ReferenceFromCsv(text, layouts);
        EXPECT_TRUE(list.programs.empty());
        return list.error.toStdString();
    };
    EXPECT_NE(error("slot,Service Name,channel_no\r\n1,A,3\r\n", false).find("\"channel_no\" is no program field"),
              std::string::npos);
    EXPECT_NE(error("slot,Service Name\r\n1,A\r\n2,B,C\r\n", false).find("line 3: 3 fields where the header has 2"),
              std::string::npos);
    EXPECT_NE(error("slot,Service ID\r\n1,12x\r\n", false).find("line 2: \"12x\" in Service ID is not a number"),
              std::string::npos);
    EXPECT_NE(error("slot,sat_id\r\n1,2\r\n", false).find("neither \"Service Name\" nor \"Service ID\""),
              std::string::npos);
    EXPECT_NE(error("slot,Service Name\r\n1,\"A\r\n", false).find("line 2: a quote is not closed"), std::string::npos);
    EXPECT_NE(error("{\"programs\": [", true).find("not JSON"), std::string::npos);
    EXPECT_NE(error("{\"satellites\": []}", true).find("no \"programs\""), std::string::npos);
    EXPECT_NE(error(R"({"programs":[{"slot":0,"fields":{"Service Name":"A"}},{"slot":1,"fields":{"lcn_x":"1"}}]})", true)
                  .find("program 2: \"lcn_x\" is no program field"),
              std::string::npos);

    EXPECT_NE(ReadReferenceFile(dir.Path("list.txt"), layouts, prompt).error.indexOf("a reference is a"), -1);
    EXPECT_NE(ReadReferenceFile(dir.Path("missing.json"), layouts, prompt).error.indexOf("cannot be read"), -1);
}

} // namespace
