// Favourite group membership: the rows of the "Favorite Group Edit" dialog and writing their bits.
#include "editorcore/EditorCoreSupport.h"

#include "editors/FavoriteGroupEditForm.h"

namespace {

struct FavoriteGroupEditFormTest : ::testing::Test, EditorDb
{
    int AddNamed(const char *name, uint32_t groups)
    {
        return Add(KindProgram, {{"sat_id", "1"}, {"tp_id", "1"}, {"Service Name", name},
                                 {"Favorite Group", std::to_string(groups)}});
    }
    uint32_t Groups(int slot)
    {
        int32_t value = 0;
        EXPECT_TRUE(db->GetNodeInt(KindProgram, slot, layouts.FindField(KindProgram, "Favorite Group", DeclarationOrder),
                                   value, 0, DeclarationOrder));
        return uint32_t(value);
    }
};

} // namespace

TEST_F(FavoriteGroupEditFormTest, RowsListEveryLiveProgramWithItsMembership)
{
    AddNamed("Das Erste", 0b001);
    AddNamed("ZDF", 0b010);
    const int deleted = AddNamed("gone", 0b010);
    AddNamed("arte", 0b011);
    AddNamed("3sat", 0);
    db->DeleteNode(KindProgram, deleted);

    const std::vector<FavoriteGroupRow> rows = FavoriteGroupEditForm::LoadRows(*db, 2);
    ASSERT_EQ(rows.size(), 4u);
    const int slots[] = {0, 1, 3, 4};
    const char *names[] = {"Das Erste", "ZDF", "arte", "3sat"};
    const bool members[] = {false, true, true, false};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].slot, slots[i]) << i;
        EXPECT_EQ(rows[i].name, QString::fromLatin1(names[i])) << i;
        EXPECT_EQ(rows[i].member, members[i]) << i;
    }
    EXPECT_TRUE(FavoriteGroupEditForm::LoadRows(*db, 1)[0].member);
    EXPECT_FALSE(FavoriteGroupEditForm::LoadRows(*db, 1)[1].member);
    // Only group numbers 1..32 have a bit.
    EXPECT_TRUE(FavoriteGroupEditForm::LoadRows(*db, 0).empty());
    EXPECT_TRUE(FavoriteGroupEditForm::LoadRows(*db, 33).empty());
}

TEST_F(FavoriteGroupEditFormTest, Group32UsesTheTopBitAndWritesUnsignedText)
{
    const int slot = AddNamed("both", 1);
    std::vector<FavoriteGroupRow> rows = FavoriteGroupEditForm::LoadRows(*db, 32);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FALSE(rows[0].member);
    rows[0].member = true;
    const std::vector<uint8_t> before = db->RecordBytes(KindProgram, slot);
    const std::vector<FavoriteGroupRecordEdit> edits = FavoriteGroupEditForm::WriteRows(*db, 32, rows);
    EXPECT_EQ(Groups(slot), 2147483649u);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].slot, slot);
    EXPECT_EQ(edits[0].before, before);
    EXPECT_TRUE(FavoriteGroupEditForm::LoadRows(*db, 32)[0].member);
    EXPECT_TRUE(FavoriteGroupEditForm::LoadRows(*db, 1)[0].member);

    // Leaving group 1 keeps group 32.
    rows = FavoriteGroupEditForm::LoadRows(*db, 1);
    rows[0].member = false;
    FavoriteGroupEditForm::WriteRows(*db, 1, rows);
    EXPECT_EQ(Groups(slot), 2147483648u);
}

TEST_F(FavoriteGroupEditFormTest, OnlyChangedRecordsAreReportedAndOtherBitsStay)
{
    const int a = AddNamed("a", 0b1000);       // not in group 3, joins
    const int b = AddNamed("b", 0b0100);       // in group 3, stays
    const int c = AddNamed("c", 0b0110);       // in group 3, leaves
    const int d = AddNamed("d", 0b0001);       // not in group 3, stays out
    const std::vector<uint8_t> beforeA = db->RecordBytes(KindProgram, a);
    const std::vector<uint8_t> beforeB = db->RecordBytes(KindProgram, b);
    const std::vector<uint8_t> beforeC = db->RecordBytes(KindProgram, c);
    const std::vector<uint8_t> beforeD = db->RecordBytes(KindProgram, d);

    std::vector<FavoriteGroupRow> rows = FavoriteGroupEditForm::LoadRows(*db, 3);
    ASSERT_EQ(rows.size(), 4u);
    rows[0].member = true;
    rows[2].member = false;
    const std::vector<FavoriteGroupRecordEdit> edits = FavoriteGroupEditForm::WriteRows(*db, 3, rows);
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[0].slot, a);
    EXPECT_EQ(edits[0].before, beforeA);
    EXPECT_EQ(edits[1].slot, c);
    EXPECT_EQ(edits[1].before, beforeC);
    EXPECT_EQ(Groups(a), 0b1100u);
    EXPECT_EQ(Groups(b), 0b0100u);
    EXPECT_EQ(Groups(c), 0b0010u);
    EXPECT_EQ(Groups(d), 0b0001u);
    EXPECT_EQ(db->RecordBytes(KindProgram, b), beforeB);
    EXPECT_EQ(db->RecordBytes(KindProgram, d), beforeD);

    // Nothing changed: nothing to report, nothing altered.
    EXPECT_TRUE(FavoriteGroupEditForm::WriteRows(*db, 3, FavoriteGroupEditForm::LoadRows(*db, 3)).empty());
    // A bad group number writes nothing.
    rows = FavoriteGroupEditForm::LoadRows(*db, 3);
    for (FavoriteGroupRow &row : rows)
        row.member = true;
    EXPECT_TRUE(FavoriteGroupEditForm::WriteRows(*db, 0, rows).empty());
    EXPECT_TRUE(FavoriteGroupEditForm::WriteRows(*db, 33, rows).empty());
    EXPECT_EQ(Groups(d), 0b0001u);
}

TEST_F(FavoriteGroupEditFormTest, ARowOfADeletedProgramIsNotWritten)
{
    const int a = AddNamed("a", 0);
    const int b = AddNamed("b", 0);
    std::vector<FavoriteGroupRow> rows = FavoriteGroupEditForm::LoadRows(*db, 5);
    for (FavoriteGroupRow &row : rows)
        row.member = true;
    db->DeleteNode(KindProgram, a);
    const std::vector<FavoriteGroupRecordEdit> edits = FavoriteGroupEditForm::WriteRows(*db, 5, rows);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].slot, b);
    EXPECT_EQ(Groups(b), 16u);
    EXPECT_FALSE(db->IsUsed(KindProgram, a));
}

TEST(FavoriteGroupLayouts, MissingFieldsGiveEmptyRowsAndNoWrites)
{
    // The small template has no "Favorite Group": rows show no member and nothing is written.
    EditorDb small(SmallTemplate());
    const int slot = small.Add(KindProgram, {{"sat_id", "1"}, {"Service Name", "ARD"}});
    const std::vector<uint8_t> before = small.db->RecordBytes(KindProgram, slot);
    std::vector<FavoriteGroupRow> rows = FavoriteGroupEditForm::LoadRows(*small.db, 1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, QStringLiteral("ARD"));
    EXPECT_FALSE(rows[0].member);
    rows[0].member = true;
    EXPECT_TRUE(FavoriteGroupEditForm::WriteRows(*small.db, 1, rows).empty());
    EXPECT_EQ(small.db->RecordBytes(KindProgram, slot), before);

    // A layout without "Service Name" leaves the names empty.
    EditorDb unnamed(QByteArray("/*#tp_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; }\n"
                                "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT8 satname[8] /*#type:string|pos:2@*/; }\n"
                                "/*#prog_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 fav /*#name:Favorite Group@*/; }\n"));
    unnamed.Add(KindProgram, {{"sat_id", "1"}, {"Favorite Group", "4"}});
    rows = FavoriteGroupEditForm::LoadRows(*unnamed.db, 3);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].name.isEmpty());
    EXPECT_TRUE(rows[0].member);
}

TEST(FavoriteGroupTexts, MemberColumn)
{
    EXPECT_EQ(FavoriteGroupEditForm::MemberText(true), QStringLiteral("Yes"));
    EXPECT_EQ(FavoriteGroupEditForm::MemberText(false), QStringLiteral("No"));
    EXPECT_TRUE(FavoriteGroupEditForm::IsMemberText(QStringLiteral("Yes")));
    EXPECT_FALSE(FavoriteGroupEditForm::IsMemberText(QStringLiteral("No")));
    EXPECT_TRUE(FavoriteGroupEditForm::IsGroupNumber(1));
    EXPECT_TRUE(FavoriteGroupEditForm::IsGroupNumber(32));
    EXPECT_FALSE(FavoriteGroupEditForm::IsGroupNumber(0));
    EXPECT_FALSE(FavoriteGroupEditForm::IsGroupNumber(33));
}
