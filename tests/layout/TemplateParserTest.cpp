// The template language: comments, struct bodies, declarations, attributes and bit positions.
#include "layout/LayoutSet.h"
#include "layout/TemplateNumber.h"
#include "layout/TemplateParser.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// A minimal template with the three required structs; `program` is the program body.
QByteArray MakeTemplate(const char *program, const char *satellite = "UINT32 sat_id;")
{
    return QByteArray("/*#tp_node@*/{ UINT32 sat_id; UINT32 tp_id; }\n")
        + "/*#sat_node@*/\n{\n" + satellite + "\n}\n"
        + "/*#prog_node@*/\n{\n" + program + "\n}\n";
}

struct ParseFixture : ::testing::Test
{
    ScopedWorkingDir dir;
    ScriptedPrompt prompt;
    LayoutSet layouts;

    bool Parse(const QByteArray &text)
    {
        const QString path = dir.Path("t.h");
        EXPECT_TRUE(WriteFileBytes(path, text));
        return layouts.ParseTemplate(path, prompt);
    }
    const FieldDesc &Prog(int i) { return layouts.Declarations(KindProgram)->at(size_t(i)); }
};

} // namespace

TEST(TemplateNumber, DecimalHexAndGarbage)
{
    EXPECT_EQ(ParseTemplateNumber("300"), 300);
    EXPECT_EQ(ParseTemplateNumber(" \t;0x1F"), 31);
    EXPECT_EQ(ParseTemplateNumber("0X10"), 16);
    EXPECT_EQ(ParseTemplateNumber("-1"), 0);      // no sign
    EXPECT_EQ(ParseTemplateNumber(""), 0);
    EXPECT_EQ(ParseTemplateNumber("12 34"), 12);
    EXPECT_EQ(ParseTemplateNumber("0xFFFFFFFF"), -1);  // 32-bit wrap
    EXPECT_EQ(ParseTemplateNumber("4294967297"), 1);
}

TEST_F(ParseFixture, BitFieldsPackWithoutWordBoundaries)
{
    ASSERT_TRUE(Parse(MakeTemplate("UINT32 a:3;\nUINT32 b:30;\nUINT8 c;")));
    EXPECT_EQ(Prog(0).wordIndex, 0);
    EXPECT_EQ(Prog(0).bitOffset, 0);
    EXPECT_EQ(Prog(1).wordIndex, 0);
    EXPECT_EQ(Prog(1).bitOffset, 3);
    EXPECT_EQ(Prog(1).bitWidth, 30);
    EXPECT_EQ(Prog(2).wordIndex, 1);  // starts at bit 33
    EXPECT_EQ(Prog(2).bitOffset, 1);
    EXPECT_EQ(layouts.NodeSize(KindProgram), 0);  // 41 bits is not a whole number of bytes
}

TEST_F(ParseFixture, StringArraysAndWidths)
{
    ASSERT_TRUE(Parse(MakeTemplate("UINT8 name[32] /*#type:string|name:Service Name|pos:2@*/;\n"
                                   "UINT16 values [4];\n"
                                   "UINT32 x : 0x10;\n"
                                   "int  aligned;\n"
                                   "unsigned short twoWords;\n")));
    EXPECT_EQ(Prog(0).name, "Service Name");
    EXPECT_EQ(Prog(0).kind, FieldKind::String);
    EXPECT_EQ(Prog(0).bitWidth, 8);
    EXPECT_EQ(Prog(0).sizeBits, 256);
    EXPECT_EQ(Prog(0).pos, 2);
    EXPECT_EQ(Prog(1).name, "values");
    EXPECT_EQ(Prog(1).kind, FieldKind::IntArray);
    EXPECT_EQ(Prog(1).sizeBits, 64);
    EXPECT_EQ(Prog(2).bitWidth, 16);
    EXPECT_EQ(Prog(2).kind, FieldKind::Integer);
    EXPECT_EQ(Prog(3).name, "aligned");  // several blanks before the name
    EXPECT_EQ(Prog(3).sizeBits, 32);
    EXPECT_EQ(Prog(4).name, "twoWords");
    EXPECT_EQ(Prog(4).sizeBits, 16);
    EXPECT_EQ(layouts.NodeSize(KindProgram), 32 + 8 + 2 + 4 + 2);
}

TEST_F(ParseFixture, BadDeclarationsFailTheWholeTemplate)
{
    EXPECT_FALSE(Parse(MakeTemplate("UINT32 x : 0;")));
    EXPECT_FALSE(layouts.HasNodeLayouts());  // layouts are cleared on failure
    EXPECT_FALSE(Parse(MakeTemplate("uint32 x;")));
    EXPECT_FALSE(Parse(MakeTemplate("DWORD x;")));
    EXPECT_FALSE(Parse(MakeTemplate("UINT8 x[4;")));
    EXPECT_FALSE(Parse(MakeTemplate("UINT32 ok;", "")));  // satellite struct without declarations
    EXPECT_FALSE(Parse(MakeTemplate("UINT32 x : 0xFFFFFFFF;")));  // wrapped to a negative width
    EXPECT_TRUE(Parse(MakeTemplate("UINT32 ok;")));
    EXPECT_TRUE(layouts.HasNodeLayouts());
}

TEST_F(ParseFixture, AttributeItemsWithoutColonAreReportedAndKept)
{
    ASSERT_TRUE(Parse(MakeTemplate("UINT32 a /*#pos 3@*/;\n"
                                   "UINT32 b /*#name:A|B@*/;\n"
                                   "UINT32 c /*#name:\"x|y\"|masked:1@*/;\n"
                                   "UINT32 d /*#type:bool|pos:0x2@*/;")));
    ASSERT_EQ(prompt.messages.size(), 2);
    EXPECT_EQ(prompt.messages[0], "pos 3 error");
    EXPECT_EQ(prompt.messages[1], "B error");
    EXPECT_EQ(Prog(0).pos, -1);
    EXPECT_EQ(Prog(0).name, "a");
    EXPECT_EQ(Prog(1).name, "A");
    EXPECT_EQ(Prog(2).name, "\"x|y\"");  // quotes kept, the bar does not split
    EXPECT_EQ(Prog(2).masked, 1);
    EXPECT_EQ(Prog(3).kind, FieldKind::Integer);
    EXPECT_EQ(Prog(3).pos, 2);
}

TEST_F(ParseFixture, CommentsAreRemovedButMarkersAndQuotedSlashesStay)
{
    ASSERT_TRUE(Parse("// leading /*#prog_node@*/ in a line comment does not count\n"
                      "/* a block comment\n spanning /*#prog_node@*/ lines */\n"
                      "/*#tp_node@*/{ UINT32 sat_id; /* gone */ UINT32 tp_id; }\n"
                      "/*#sat_node@*/ { UINT32 sat_id; // trailing\n }\n"
                      "/*#prog_node@*/\n{\n UINT32 a /*#name:\"http://x\"@*/;\n}\n"));
    EXPECT_EQ(layouts.DeclarationCount(KindTransponder), 2);
    EXPECT_EQ(layouts.Declarations(KindProgram)->at(0).name, "\"http://x\"");
    const QByteArray dumped = ReadFileBytes(dir.Path("parse.input"));
    EXPECT_FALSE(dumped.contains("gone"));
    EXPECT_FALSE(dumped.contains("trailing"));
    EXPECT_TRUE(dumped.contains("/*#tp_node@*/"));
}

TEST_F(ParseFixture, StructBodyRules)
{
    // The opening brace must be right at the marker.
    EXPECT_FALSE(Parse("/*#tp_node@*/ typedef struct { UINT32 a; }\n/*#sat_node@*/{UINT32 a;}\n"
                       "/*#prog_node@*/{UINT32 a;}"));
    // Without a brace nothing is dropped; a missing closing brace is a missing struct.
    EXPECT_TRUE(Parse("/*#tp_node@*/ UINT32 a; }\n/*#sat_node@*/ UINT32 a; }\n/*#prog_node@*/ UINT32 a; }"));
    EXPECT_FALSE(Parse("/*#tp_node@*/{ UINT32 a;\n/*#sat_node@*/{UINT32 a;\n/*#prog_node@*/{UINT32 a;"));
    // A broken default-program struct leaves only that layout out.
    EXPECT_TRUE(Parse(MakeTemplate("UINT32 a;") + "/*#def_prog_node@*/{ DWORD bad; }"));
    EXPECT_EQ(layouts.Declarations(KindDefaultProgram), nullptr);
    EXPECT_TRUE(Parse(MakeTemplate("UINT32 a;") + "/*#def_prog_node@*/{ UINT16 v; UINT16 w; }"));
    ASSERT_NE(layouts.Declarations(KindDefaultProgram), nullptr);
    EXPECT_EQ(layouts.NodeSize(KindDefaultProgram), 4);
    EXPECT_EQ(layouts.Field(KindDefaultProgram, 0, PositionOrder), nullptr);
}

TEST_F(ParseFixture, PositionOrderStopsAtGapsAndLaterFieldsWin)
{
    ASSERT_TRUE(Parse(MakeTemplate("UINT32 a /*#pos:1@*/;\nUINT32 b /*#pos:2@*/;\nUINT32 c /*#pos:4@*/;\n"
                                   "UINT32 d /*#pos:2@*/;")));
    EXPECT_EQ(layouts.PositionCount(KindProgram), 2);
    EXPECT_EQ(layouts.Field(KindProgram, 1, PositionOrder)->name, "d");
    EXPECT_EQ(layouts.Field(KindProgram, 3, PositionOrder)->name, "c");  // reachable by index
    EXPECT_EQ(layouts.FindField(KindProgram, "c", PositionOrder), -1);   // but not by search
    EXPECT_EQ(layouts.FindField(KindProgram, "c", DeclarationOrder), 2);
    EXPECT_EQ(layouts.FindField(KindProgram, "D", DeclarationOrder), -1);
    EXPECT_EQ(layouts.FindField(KindProgram, nullptr, DeclarationOrder), -1);
    EXPECT_EQ(layouts.Field(KindProgram, 2, PositionOrder), nullptr);
}

TEST_F(ParseFixture, MissingFileOrPathFails)
{
    EXPECT_FALSE(layouts.ParseTemplate(QString(), prompt));
    EXPECT_FALSE(layouts.ParseTemplate(dir.Path("absent.h"), prompt));
}

TEST_F(ParseFixture, BundledTemplateHasEveryFieldTheEditorUses)
{
    ASSERT_TRUE(layouts.ParseTemplate(BundledTemplatePath(), prompt));
    EXPECT_TRUE(prompt.messages.isEmpty());
    for (const char *name : {"sat_id", "tp_id", "frq", "sym", "pol", "dvbt_frq", "bandwidth"})
        EXPECT_GE(layouts.FindField(KindTransponder, name, PositionOrder), 0) << name;
    for (const char *name : {"sat_id", "satname", "name_len", "selected_flag", "tuner1_valid", "tuner2_valid",
                             "lnb_type", "lnb_low", "lnb_high", "position", "sat_orbit", "DiSEqC_type",
                             "DiSEqC_port", "k22", "v12", "toneburst"})
        EXPECT_GE(layouts.FindField(KindSatellite, name, PositionOrder), 0) << name;
    for (const char *name : {"sat_id", "tp_id", "prog_id", "Service Name", "name_len", "Service ID", "Video Pid",
                             "Audio Pid1", "Audio Pid2", "Audio Pid3", "PCR Pid", "audio_count", "audio_lang",
                             "cas_count", "cas_sysid", "provider_name_len", "service_provider_name"})
        EXPECT_GE(layouts.FindField(KindProgram, name, DeclarationOrder), 0) << name;
    EXPECT_EQ(layouts.Field(KindProgram, 1, PositionOrder)->name, "Service Type");
    EXPECT_EQ(layouts.Field(KindProgram, 8, PositionOrder)->name, "Favorite Group");
    EXPECT_EQ(layouts.Field(KindProgram, 9, PositionOrder)->name, "Scramble");
    EXPECT_EQ(layouts.Field(KindProgram, 10, PositionOrder)->name, "Factory");
    for (NodeKind kind : kLayoutKinds) {
        EXPECT_GT(layouts.NodeSize(kind), 0) << KindNumber(kind);
        // Positions run 1, 2, 3, ... without a gap: every positioned field is reachable.
        int positioned = 0;
        for (const FieldDesc &f : *layouts.Declarations(kind))
            positioned += f.pos >= 1;
        if (kind != KindDefaultProgram)
            EXPECT_EQ(layouts.PositionCount(kind), positioned) << KindNumber(kind);
        // Integer fields stay inside one word.
        for (const FieldDesc &f : *layouts.Declarations(kind)) {
            if (f.kind == FieldKind::Integer)
                EXPECT_LE(f.bitOffset + f.bitWidth, 32) << f.name;
        }
    }
    // The id words come first.
    for (NodeKind kind : {KindTransponder, KindSatellite, KindProgram})
        EXPECT_EQ(layouts.Declarations(kind)->at(0).name, "sat_id");
}
