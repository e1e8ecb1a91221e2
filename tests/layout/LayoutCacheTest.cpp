// The layout cache round trip, its tolerance of damaged files, and the list columns.
#include "core/ByteOrder.h"
#include "layout/LayoutCache.h"
#include "layout/LayoutSet.h"
#include "layout/ListColumns.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

FieldDesc Field(const char *name, int pos, int masked = 0)
{
    FieldDesc f;
    f.name = name;
    f.pos = pos;
    f.masked = masked;
    f.bitWidth = 32;
    f.sizeBits = 32;
    return f;
}

QByteArray Le16(uint16_t v)
{
    uint8_t b[2];
    ByteOrder::WriteLe16(b, v);
    return QByteArray(reinterpret_cast<char *>(b), 2);
}

QByteArray Le32(int32_t v)
{
    uint8_t b[4];
    ByteOrder::WriteLe32(b, uint32_t(v));
    return QByteArray(reinterpret_cast<char *>(b), 4);
}

// One cache section written byte by byte, independently of the writer.
QByteArray Section(const char *marker, const std::vector<FieldDesc> &fields)
{
    QByteArray out = Le16(uint16_t(strlen(marker))) + marker + Le16(uint16_t(fields.size()));
    for (const FieldDesc &f : fields) {
        out += Le16(uint16_t(f.name.size())) + QByteArray(f.name.data(), qsizetype(f.name.size()));
        for (int32_t v : {int32_t(f.kind), f.masked, f.pos, f.bitWidth, f.sizeBits, f.bitOffset, f.wordIndex})
            out += Le32(v);
    }
    return out;
}

} // namespace

TEST(LayoutCache, RoundTripKeepsEveryMemberOfTheBundledTemplate)
{
    ScopedWorkingDir dir;
    ScriptedPrompt prompt;
    LayoutSet parsed;
    ASSERT_TRUE(parsed.ParseTemplate(BundledTemplatePath(), prompt));
    ASSERT_TRUE(SaveLayoutCache(dir.Path("script.ini"), parsed));
    LayoutSet loaded;
    ASSERT_TRUE(LoadLayoutCache(dir.Path("script.ini"), loaded));
    for (NodeKind kind : kLayoutKinds) {
        ASSERT_NE(loaded.Declarations(kind), nullptr) << KindNumber(kind);
        EXPECT_EQ(*loaded.Declarations(kind), *parsed.Declarations(kind)) << KindNumber(kind);
        EXPECT_EQ(loaded.PositionCount(kind), parsed.PositionCount(kind));
    }
    // Saving again gives the same bytes.
    EXPECT_EQ(SerializeLayoutCache(loaded), ReadFileBytes(dir.Path("script.ini")));
}

TEST(LayoutCache, RefusesWithoutNodeLayoutsAndKeepsTheOldFile)
{
    ScopedWorkingDir dir;
    WriteFileBytes(dir.Path("script.ini"), "old");
    LayoutSet empty;
    empty.ReplaceKind(KindTransponder, {Field("a", 1)});
    EXPECT_FALSE(SaveLayoutCache(dir.Path("script.ini"), empty));
    EXPECT_EQ(ReadFileBytes(dir.Path("script.ini")), "old");
}

TEST(LayoutCache, DamagedSectionsEndTheReadingButKeepWhatCameBefore)
{
    const QByteArray tp = Section("/*#tp_node@*/", {Field("sat_id", 1), Field("tp_id", 2)});
    const QByteArray sat = Section("/*#sat_node@*/", {Field("sat_id", 1)});
    const QByteArray prog = Section("/*#prog_node@*/", {Field("a", 1), Field("b", 2)});
    const QByteArray unknown = Section("/*#other@*/", {Field("x", 1)});

    LayoutSet layouts;
    ParseLayoutCache(tp + unknown + sat, layouts);  // an unknown section is skipped
    EXPECT_EQ(layouts.DeclarationCount(KindTransponder), 2);
    EXPECT_EQ(layouts.DeclarationCount(KindSatellite), 1);
    EXPECT_EQ(layouts.Declarations(KindProgram), nullptr);
    EXPECT_EQ(DeriveListColumns(layouts, KindProgram).size(), 1u);  // only "Index"

    ParseLayoutCache(tp + sat + Le16(0) + prog, layouts);  // marker length 0 ends the reading
    EXPECT_NE(layouts.Declarations(KindSatellite), nullptr);
    EXPECT_EQ(layouts.Declarations(KindProgram), nullptr);

    ParseLayoutCache(tp + sat + Le16(2000) + prog, layouts);  // marker length beyond 1023
    EXPECT_EQ(layouts.Declarations(KindProgram), nullptr);

    // Every truncation of a valid cache loads without reading past the end.
    const QByteArray whole = tp + sat + prog;
    for (int cut = 0; cut < whole.size(); ++cut) {
        LayoutSet partial;
        ParseLayoutCache(whole.left(cut), partial);
        if (cut < tp.size())
            EXPECT_EQ(partial.Declarations(KindTransponder), nullptr) << cut;
    }

    // A name length beyond 255 ends the reading.
    QByteArray badName = prog;
    const int nameLengthAt = 2 + int(strlen("/*#prog_node@*/")) + 2;
    badName[nameLengthAt] = char(0x00);
    badName[nameLengthAt + 1] = char(0x01);
    ParseLayoutCache(tp + sat + badName, layouts);
    EXPECT_EQ(layouts.Declarations(KindProgram), nullptr);
    EXPECT_NE(layouts.Declarations(KindSatellite), nullptr);
}

TEST(LayoutCache, MissingFileIsAFailure)
{
    LayoutSet layouts;
    EXPECT_FALSE(LoadLayoutCache(QStringLiteral("/nonexistent/script.ini"), layouts));
}

TEST(ListColumns, InsertedAtTheirPositionWithTheirWidths)
{
    LayoutSet layouts;
    layouts.ReplaceKind(KindProgram, {Field("Service Name", 1), Field("Service Type", 2), Field("Other", 3)});
    const std::vector<ListColumn> columns = DeriveListColumns(layouts, KindProgram);
    const std::vector<ListColumn> expected = {
        {"Index", 44}, {"Service Name", 114}, {"Service Type", 85}, {"Other", 70}};
    EXPECT_EQ(columns, expected);

    // A masked field leaves no column; the next one lands at the end of the shorter list.
    layouts.ReplaceKind(KindProgram, {Field("PCR Pid", 1), Field("Hidden", 2, 1), Field("Favorite Group", 3),
                                      Field("Scramble", 4)});
    const std::vector<ListColumn> masked = DeriveListColumns(layouts, KindProgram);
    const std::vector<ListColumn> expectedMasked = {
        {"Index", 44}, {"PCR Pid", 58}, {"Favorite Group", 90}, {"Scramble", 60}};
    EXPECT_EQ(masked, expectedMasked);
}
