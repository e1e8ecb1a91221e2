// Channel list cells: the rules by position, the shown fields per column, rows, the favourite names.
#include "EditorCoreSupport.h"

#include "database/ChannelCells.h"
#include "database/FavouriteNameTable.h"
#include "layout/ListColumns.h"

namespace {

FieldDesc ShownField(const char *name, int pos, int masked = 0)
{
    FieldDesc f;
    f.name = name;
    f.pos = pos;
    f.masked = masked;
    f.bitWidth = 32;
    f.sizeBits = 32;
    return f;
}

struct ChannelCellsTest : ::testing::Test, EditorDb
{
    int AddShownProgram()
    {
        return Add(KindProgram, {{"Service Name", "ZDF"}, {"Service Type", "1"}, {"Service ID", "28006"},
                                 {"Video Pid", "110"}, {"Audio Pid1", "120"}, {"Audio Pid2", "121"},
                                 {"Audio Pid3", "0"}, {"PCR Pid", "110"}, {"Favorite Group", "11"},
                                 {"Scramble", "0"}, {"Factory", "1"}, {"Lock", "0"}, {"sat_id", "1"},
                                 {"tp_id", "2"}, {"prog_id", "3"}});
    }
};

} // namespace

TEST(CellText, RulesFollowThePosition)
{
    EXPECT_EQ(CellText("1", 2), "TV");
    EXPECT_EQ(CellText("0", 2), "Radio");
    EXPECT_EQ(CellText("2", 2), "");
    EXPECT_EQ(CellText("3", 9), "2");
    EXPECT_EQ(CellText("0", 9), "0");
    EXPECT_EQ(CellText("-1", 9), "32");           // the value as 32 bits
    EXPECT_EQ(CellText("-2147483648", 9), "1");
    EXPECT_EQ(CellText("4294967295", 9), "32");
    EXPECT_EQ(CellText("abc", 9), "abc");         // not an integer: shown as it is
    for (int pos : {10, 11, 12}) {
        EXPECT_EQ(CellText("0", pos), "No") << pos;
        EXPECT_EQ(CellText("1", pos), "Yes") << pos;
        EXPECT_EQ(CellText("2", pos), "") << pos;
        EXPECT_EQ(CellText("Yes", pos), "") << pos;
    }
    for (int pos : {1, 3, 8, 13, 27}) {
        EXPECT_EQ(CellText("1", pos), "1") << pos;
        EXPECT_EQ(CellText("Radio 1", pos), "Radio 1") << pos;
    }
}

TEST(CellText, IndexCellIsRightJustifiedToThreeCharacters)
{
    EXPECT_EQ(IndexCellText(1), "  1");
    EXPECT_EQ(IndexCellText(42), " 42");
    EXPECT_EQ(IndexCellText(999), "999");
    EXPECT_EQ(IndexCellText(30000), "30000");
}

TEST(ColumnFields, ShownFieldsInColumnOrderMatchTheHeaders)
{
    LayoutSet layouts;
    layouts.ReplaceKind(KindProgram, {ShownField("Service Name", 1), ShownField("Hidden", 2, 1),
                                      ShownField("Favorite Group", 3), ShownField("no pos", -1),
                                      ShownField("Scramble", 4), ShownField("after gap", 6)});
    const std::vector<ListFieldColumn> fields = DeriveColumnFields(layouts, KindProgram);
    const std::vector<ListFieldColumn> expected = {{0, 1}, {2, 3}, {3, 4}};  // the gap at 5 ends it
    EXPECT_EQ(fields, expected);

    const std::vector<ListColumn> columns = DeriveListColumns(layouts, KindProgram);
    ASSERT_EQ(columns.size(), fields.size() + 1);
    for (size_t c = 1; c < columns.size(); ++c) {
        const FieldDesc *field = layouts.Field(KindProgram, fields[c - 1].fieldIndex, PositionOrder);
        EXPECT_EQ(columns[c].header.toStdString(), field->name) << c;
    }

    LayoutSet none;
    EXPECT_TRUE(DeriveColumnFields(none, KindProgram).empty());
}

TEST_F(ChannelCellsTest, RowOfTheBundledTemplateShowsTwelveColumns)
{
    const std::vector<ListFieldColumn> columns = DeriveColumnFields(layouts, KindProgram);
    ASSERT_EQ(columns.size(), 12u);
    EXPECT_EQ(DeriveListColumns(layouts, KindProgram).size(), 13u);

    const int slot = AddShownProgram();
    const ChannelRowCells row = ReadChannelRow(*db, columns, slot);
    EXPECT_EQ(row.status, RowStatus::Shown);
    const std::vector<std::string> expected = {"ZDF", "TV",  "28006", "110", "120", "121",
                                               "0",   "110", "3",     "No",  "Yes", "No"};
    EXPECT_EQ(row.cells, expected);
    EXPECT_EQ(ReadChannelCells(*db, columns, slot).cells, expected);

    // A deleted slot and one beyond the table get no row.
    db->DeleteNode(KindProgram, slot);
    EXPECT_EQ(ReadChannelRow(*db, columns, slot).status, RowStatus::Skipped);
    EXPECT_EQ(ReadChannelRow(*db, columns, -1).status, RowStatus::Skipped);
    EXPECT_EQ(ReadChannelRow(*db, columns, db->Count(KindProgram)).status, RowStatus::Skipped);
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ChannelCellsTest, FailedReadsShiftCellsAndPosZeroStopsTheRow)
{
    const int slot = AddShownProgram();
    const int name = layouts.FindField(KindProgram, "Service Name", PositionOrder);
    const int type = layouts.FindField(KindProgram, "Service Type", PositionOrder);
    const int fav = layouts.FindField(KindProgram, "Favorite Group", PositionOrder);

    // A field that cannot be read takes no column: the next one moves up.
    const std::vector<ListFieldColumn> unreadable = {{name, 1}, {999, 5}, {type, 2}, {fav, 9}};
    ChannelRowCells row = ReadChannelCells(*db, unreadable, slot);
    EXPECT_EQ(row.status, RowStatus::Shown);
    EXPECT_EQ(row.cells, (std::vector<std::string>{"ZDF", "TV", "3"}));

    // A shown field with pos 0 reports it and ends the row with the cells made so far.
    const std::vector<ListFieldColumn> posZero = {{name, 1}, {type, 0}, {fav, 9}};
    row = ReadChannelCells(*db, posZero, slot);
    EXPECT_EQ(row.status, RowStatus::PosZeroError);
    EXPECT_EQ(row.cells, (std::vector<std::string>{"ZDF"}));
    EXPECT_EQ(prompt.messages, QStringList{"pos 0 error!"});
}

TEST_F(ChannelCellsTest, TransponderListWithADeletedSlotShowsRowsNumberedFromOne)
{
    std::vector<int> made;
    for (int i = 0; i < 13; ++i)
        made.push_back(AddShownProgram());
    ASSERT_EQ(made.back(), 12);
    db->DeleteNode(KindProgram, 9);

    const std::vector<ListFieldColumn> columns = DeriveColumnFields(layouts, KindProgram);
    std::vector<std::pair<std::string, int>> rows;  // index text, slot
    for (const int slot : {5, 9, -1, 12}) {
        if (slot == -1 || ReadChannelRow(*db, columns, slot).status != RowStatus::Shown)
            continue;
        rows.emplace_back(IndexCellText(int(rows.size()) + 1), slot);
    }
    const std::vector<std::pair<std::string, int>> expected = {{"  1", 5}, {"  2", 12}};
    EXPECT_EQ(rows, expected);
}

TEST_F(ChannelCellsTest, ServiceFilterComparesTheServiceType)
{
    const int tv = AddShownProgram();
    const int radio = AddShownProgram();
    Set(KindProgram, radio, "Service Type", "0");
    EXPECT_EQ(MatchesServiceFilter(*db, tv, ServiceFilter::TvAndRadio), true);
    EXPECT_EQ(MatchesServiceFilter(*db, tv, ServiceFilter::TvOnly), true);
    EXPECT_EQ(MatchesServiceFilter(*db, tv, ServiceFilter::RadioOnly), false);
    EXPECT_EQ(MatchesServiceFilter(*db, radio, ServiceFilter::RadioOnly), true);
    EXPECT_EQ(MatchesServiceFilter(*db, radio, ServiceFilter::TvOnly), false);
    db->DeleteNode(KindProgram, radio);
    EXPECT_EQ(MatchesServiceFilter(*db, radio, ServiceFilter::RadioOnly), false);  // the read fails: skipped
    EXPECT_TRUE(prompt.messages.isEmpty());

    EditorDb small(SmallTemplate());  // no "Service Type"
    const int slot = small.Add(KindProgram, {{"sat_id", "1"}});
    EXPECT_EQ(MatchesServiceFilter(*small.db, slot, ServiceFilter::TvAndRadio), true);  // all services need no field
    EXPECT_EQ(MatchesServiceFilter(*small.db, slot, ServiceFilter::TvOnly), std::nullopt);
    EXPECT_EQ(small.prompt.messages, QStringList{"Error to get service type"});
}

TEST_F(ChannelCellsTest, FavouriteNamesComeFromTheDatabaseThenTheProfile)
{
    profile->WriteString("Project Favor Group", "FavGroup1", "Profile one");
    profile->WriteString("Project Favor Group", "FavGroup3", "Sport");
    profile->WriteString("Project Favor Group", "FavGroup31", QString(70, QChar(0x00E9)));  // 140 bytes

    FavouriteNameTable table = BuildFavouriteNameTable(*db, *profile);  // no favourite table yet
    EXPECT_EQ(table[0].name, "");
    EXPECT_EQ(table[1].name, "Profile one");
    EXPECT_EQ(table[3].name, "Sport");
    EXPECT_EQ(table[31].name.size(), 62u);  // cut to 63 bytes without splitting a two-byte character
    EXPECT_EQ(QString::fromStdString(table[31].name), QString(31, QChar(0x00E9)));

    auto favourites = std::make_unique<FavouriteRecord>();
    favourites->count = 3;
    favourites->nameLength = 18;
    favourites->names = {"News", "Movies", "Kids"};
    db->SetFavourites(std::move(favourites));
    table = BuildFavouriteNameTable(*db, *profile);
    EXPECT_EQ(table[0].name, "News");
    EXPECT_EQ(table[1].name, "Movies");
    EXPECT_EQ(table[2].name, "Kids");
    EXPECT_EQ(table[3].name, "Sport");  // beyond the group count: the profile

    // A count larger than the names present falls back to the profile too.
    db->Favourites()->count = 5;
    table = BuildFavouriteNameTable(*db, *profile);
    EXPECT_EQ(table[3].name, "Sport");

    for (int i = 0; i < 31; ++i)
        EXPECT_EQ(table[size_t(i)].key, std::to_string(1LL << i)) << i;
    EXPECT_EQ(table[31].key, "-2147483648");
}
