// Fields by name in both orders, integer reads without text, and the UTF-8 / UTF-16 length cuts.
#include "EditorCoreSupport.h"

#include "core/Utf8Text.h"
#include "database/NodeFields.h"

namespace {

struct NodeFieldsTest : ::testing::Test, EditorDb
{
};

} // namespace

TEST_F(NodeFieldsTest, FieldsAreFoundByNameInEitherOrder)
{
    // In the transponder layout "frq" is declared third but has pos 1.
    const int byPosition = FindNodeField(*db, KindTransponder, "frq", PositionOrder);
    const int byDeclaration = FindNodeField(*db, KindTransponder, "frq", DeclarationOrder);
    ASSERT_GE(byPosition, 0);
    ASSERT_GE(byDeclaration, 0);
    EXPECT_NE(byPosition, byDeclaration);
    EXPECT_EQ(layouts.Field(KindTransponder, byPosition, PositionOrder)->name, "frq");
    EXPECT_EQ(layouts.Field(KindTransponder, byDeclaration, DeclarationOrder)->name, "frq");

    // A field without pos exists only in declaration order; names are case-sensitive.
    EXPECT_EQ(FindNodeField(*db, KindTransponder, "tp_spare", PositionOrder), -1);
    EXPECT_GE(FindNodeField(*db, KindTransponder, "tp_spare", DeclarationOrder), 0);
    EXPECT_EQ(FindNodeField(*db, KindTransponder, "Frq", DeclarationOrder), -1);
    EXPECT_EQ(FindNodeField(*db, static_cast<NodeKind>(7), "frq", DeclarationOrder), -1);

    // A value written through one order reads back through the other.
    const int tp = AddTransponder(3, 7, 0, 0, 0);
    EXPECT_TRUE(SetNodeIntByName(*db, KindTransponder, tp, "frq", 11778, PositionOrder));
    EXPECT_EQ(GetNodeTextByName(*db, KindTransponder, tp, "frq", DeclarationOrder), "11778");
    EXPECT_EQ(GetNodeIntByName(*db, KindTransponder, tp, "frq", PositionOrder), 11778);
    EXPECT_TRUE(SetNodeTextByName(*db, KindTransponder, tp, "sym", "0x6B6C", DeclarationOrder));
    EXPECT_EQ(GetNodeIntByName(*db, KindTransponder, tp, "sym", PositionOrder), 27500);
    EXPECT_EQ(Get(KindTransponder, tp, "sat_id"), "3");  // neighbours untouched
    EXPECT_EQ(Get(KindTransponder, tp, "tp_id"), "7");

    EXPECT_TRUE(SetNodeIntByName(*db, KindTransponder, tp, "tp_spare", 5, DeclarationOrder));
    EXPECT_EQ(GetNodeIntByName(*db, KindTransponder, tp, "tp_spare", DeclarationOrder), 5);
    EXPECT_EQ(GetNodeIntByName(*db, KindTransponder, tp, "tp_spare", PositionOrder), std::nullopt);
}

TEST_F(NodeFieldsTest, MissingFieldsAndFailedReadsAreReportedNotZero)
{
    const int tp = AddTransponder(1, 2, 12015, 27500, 1);
    const int live = AddTransponder(1, 3, 12188, 22000, 0);
    EXPECT_EQ(GetNodeIntByName(*db, KindTransponder, tp, "no such field", PositionOrder), std::nullopt);
    EXPECT_EQ(GetNodeTextByName(*db, KindTransponder, tp, "no such field", PositionOrder), std::nullopt);
    EXPECT_FALSE(SetNodeIntByName(*db, KindTransponder, tp, "no such field", 1, DeclarationOrder));
    EXPECT_FALSE(SetNodeTextByName(*db, KindTransponder, tp, "no such field", "1", DeclarationOrder));

    // Deleted and out-of-range nodes fail without a message.
    db->DeleteNode(KindTransponder, tp);
    EXPECT_EQ(GetNodeIntByName(*db, KindTransponder, tp, "frq", PositionOrder), std::nullopt);
    EXPECT_EQ(GetNodeTextByName(*db, KindTransponder, tp, "frq", PositionOrder), std::nullopt);
    EXPECT_FALSE(SetNodeIntByName(*db, KindTransponder, tp, "frq", 1, PositionOrder));
    EXPECT_EQ(GetNodeIntByName(*db, KindTransponder, db->Count(KindTransponder), "frq", PositionOrder),
              std::nullopt);
    EXPECT_EQ(GetNodeIntByName(*db, KindTransponder, -1, "frq", PositionOrder), std::nullopt);
    EXPECT_TRUE(prompt.messages.isEmpty());

    // Only the explicit "missing counts as 0" reader turns both into 0.
    EXPECT_EQ(GetNodeIntOrZero(*db, KindTransponder, live, "sym", PositionOrder), 22000);
    EXPECT_EQ(GetNodeIntOrZero(*db, KindTransponder, live, "no such field", PositionOrder), 0);
    EXPECT_EQ(GetNodeIntOrZero(*db, KindTransponder, tp, "sym", PositionOrder), 0);
}

TEST_F(NodeFieldsTest, IntegersReadAsTheFieldHoldsThem)
{
    const int prog = AddProgram(1, 1);
    // An 8-bit field keeps the low 8 bits of what is written.
    EXPECT_TRUE(SetNodeIntByName(*db, KindProgram, prog, "Service Type", 300, DeclarationOrder));
    EXPECT_EQ(GetNodeIntByName(*db, KindProgram, prog, "Service Type", PositionOrder), 44);
    // A full 32-bit word with every bit set is -1, as its text says.
    EXPECT_TRUE(SetNodeIntByName(*db, KindProgram, prog, "Favorite Group", 0xFFFFFFFFu, DeclarationOrder));
    EXPECT_EQ(GetNodeIntByName(*db, KindProgram, prog, "Favorite Group", DeclarationOrder), -1);
    EXPECT_EQ(GetNodeTextByName(*db, KindProgram, prog, "Favorite Group", DeclarationOrder), "-1");
    // Array elements by index.
    EXPECT_TRUE(SetNodeTextByName(*db, KindProgram, prog, "cas_sysid", "0x0B00", DeclarationOrder));
    EXPECT_EQ(GetNodeIntByName(*db, KindProgram, prog, "cas_sysid", DeclarationOrder, 0), 0x0B00);
    EXPECT_EQ(GetNodeIntByName(*db, KindProgram, prog, "cas_sysid", DeclarationOrder, 4), std::nullopt);
    // Texts by name.
    EXPECT_TRUE(SetNodeTextByName(*db, KindProgram, prog, "Service Name", "Das Erste", PositionOrder));
    EXPECT_EQ(GetNodeTextByName(*db, KindProgram, prog, "Service Name", DeclarationOrder), "Das Erste");
}

TEST(Utf8Text, CutsNeverSplitACharacter)
{
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a é € 😀: 1 + 2 + 3 + 4 bytes
    EXPECT_EQ(CutUtf8(text, 100), text);
    EXPECT_EQ(CutUtf8(text, text.size()), text);
    EXPECT_EQ(CutUtf8(text, 0), "");
    EXPECT_EQ(CutUtf8(text, 1), "a");
    EXPECT_EQ(CutUtf8(text, 2), "a");
    EXPECT_EQ(CutUtf8(text, 3), "a\xC3\xA9");
    EXPECT_EQ(CutUtf8(text, 5), "a\xC3\xA9");
    EXPECT_EQ(CutUtf8(text, 6), "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(CutUtf8(text, 9), "a\xC3\xA9\xE2\x82\xAC");

    EXPECT_EQ(Utf16Length(text), 5u);  // the emoji takes a surrogate pair
    EXPECT_EQ(CutUtf16Units(text, 5), text);
    EXPECT_EQ(CutUtf16Units(text, 4), "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(CutUtf16Units(text, 3), "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(CutUtf16Units(text, 2), "a\xC3\xA9");
    EXPECT_EQ(CutUtf16Units(text, 0), "");
}

TEST_F(NodeFieldsTest, NamesCutToTheFieldAreStoredInsteadOfErased)
{
    // The satellite name field is 32 bytes: 16 UTF-16 units.
    const int sat = Add(KindSatellite, {{"sat_id", "1"}});
    const std::string longName = "ABCDEFGHIJKLMNOPQ";  // 17 characters
    EXPECT_TRUE(SetNodeTextByName(*db, KindSatellite, sat, "satname", longName, DeclarationOrder));
    EXPECT_EQ(GetNodeTextByName(*db, KindSatellite, sat, "satname", DeclarationOrder), "");  // too long: erased

    const FieldDesc *field = layouts.Field(KindSatellite, FindNodeField(*db, KindSatellite, "satname", DeclarationOrder),
                                           DeclarationOrder);
    const std::string cut = CutUtf16Units(longName, size_t(field->sizeBits / 8 / 2));
    EXPECT_TRUE(SetNodeTextByName(*db, KindSatellite, sat, "satname", cut, DeclarationOrder));
    EXPECT_EQ(GetNodeTextByName(*db, KindSatellite, sat, "satname", DeclarationOrder), "ABCDEFGHIJKLMNOP");
}
