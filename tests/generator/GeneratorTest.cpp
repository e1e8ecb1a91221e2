// The database generator: same seed same database, plausible values, any layout, size search.
#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/DatabaseReader.h"
#include "database/DatabaseWriter.h"
#include "database/NodeTable.h"
#include "database/ProfileStore.h"
#include "layout/LayoutSet.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

namespace {

class NoProfile : public ProfileStore
{
public:
    QString ReadString(const QString &, const QString &) const override { return {}; }
    void WriteString(const QString &, const QString &, const QString &) override {}
};

class GeneratorTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(layouts.ParseTemplate(BundledTemplatePath(), prompt)); }

    // Text of a field by name, "" when the kind has no such field.
    std::string Text(const CChannelDb &db, NodeKind kind, int slot, const char *name, int element = 0) const
    {
        std::string out;
        const int field = layouts.FindField(kind, name, DeclarationOrder);
        if (field >= 0) {
            EXPECT_TRUE(db.GetNodeData(kind, slot, field, out, element, DeclarationOrder)) << name;
        }
        return out;
    }
    int Int(const CChannelDb &db, NodeKind kind, int slot, const char *name, int element = 0) const
    {
        return std::stoi(Text(db, kind, slot, name, element));
    }
    // Byte length of a text stored as UTF-16.
    static int Utf16Bytes(const std::string &utf8) { return 2 * int(QString::fromStdString(utf8).size()); }

    QByteArray PayloadOf(const GeneratorOptions &options)
    {
        CChannelDb db(layouts, prompt);
        EXPECT_TRUE(DatabaseGenerator(layouts).Generate(db, options));
        Payload payload;
        EXPECT_TRUE(BuildPayload(db, payload));
        return payload.bytes;
    }

    ScopedWorkingDir dir;
    ScriptedPrompt prompt;
    LayoutSet layouts;
    NoProfile profile;
};

TEST_F(GeneratorTest, SameSeedGivesSameDatabaseAndFileOtherSeedDoesNot)
{
    GeneratorOptions options;
    options.satellites = 5;
    options.transponders = 40;
    options.programs = 300;
    options.seed = 1234;
    const QByteArray first = PayloadOf(options);
    EXPECT_EQ(first, PayloadOf(options));
    options.seed = 1235;
    EXPECT_NE(first, PayloadOf(options));

    options.seed = 1234;
    for (const char *name : {"a.usd", "b.usd", "a.ddf", "b.ddf"}) {
        CChannelDb db(layouts, prompt);
        ASSERT_TRUE(DatabaseGenerator(layouts).Generate(db, options));
        ASSERT_TRUE(DatabaseGenerator::WriteFile(db, dir.Path(name), profile)) << name;
    }
    EXPECT_EQ(ReadFileBytes(dir.Path("a.usd")), ReadFileBytes(dir.Path("b.usd")));
    EXPECT_EQ(ReadFileBytes(dir.Path("a.ddf")), ReadFileBytes(dir.Path("b.ddf")));
    EXPECT_EQ(ReadFileBytes(dir.Path("a.ddf")).size(), 65280);
}

TEST_F(GeneratorTest, ValuesArePlausibleAndIdsUniqueWithinTheirParents)
{
    GeneratorOptions options;
    options.satellites = 30;  // more than the table of known satellites
    options.transponders = 300;
    options.programs = 2000;
    options.seed = 77;
    CChannelDb db(layouts, prompt);
    ASSERT_TRUE(DatabaseGenerator(layouts).Generate(db, options));
    ASSERT_EQ(db.LiveCount(KindSatellite), 30);
    ASSERT_EQ(db.LiveCount(KindTransponder), 300);
    ASSERT_EQ(db.LiveCount(KindProgram), 2000);

    std::map<int, bool> cBandOf;  // satellite id -> C band
    std::set<std::string> satNames;
    std::set<int> orbits;
    for (int slot = 0; slot < db.Count(KindSatellite); ++slot) {
        if (!db.IsUsed(KindSatellite, slot))
            continue;
        const int satId = Int(db, KindSatellite, slot, "sat_id");
        EXPECT_GE(satId, 1);
        EXPECT_LE(satId, 254);
        EXPECT_TRUE(cBandOf.emplace(satId, false).second) << "satellite id twice: " << satId;
        const std::string name = Text(db, KindSatellite, slot, "satname");
        EXPECT_FALSE(name.empty());
        EXPECT_TRUE(satNames.insert(name).second) << name;
        EXPECT_EQ(Int(db, KindSatellite, slot, "name_len"), Utf16Bytes(name)) << name;
        const int orbit = Int(db, KindSatellite, slot, "sat_orbit");
        EXPECT_GE(orbit, 0);
        EXPECT_LT(orbit, 3600);
        EXPECT_TRUE(orbits.insert(orbit).second) << "two satellites at " << orbit;
        // A name ending in E/W matches the orbit: East x is x, West x is 3600 - x.
        const char side = name.back();
        ASSERT_TRUE(side == 'E' || side == 'W') << name;
        EXPECT_TRUE(side == 'E' ? orbit <= 1800 : orbit >= 1800) << name << " at " << orbit;
        const int low = Int(db, KindSatellite, slot, "lnb_low");
        const int high = Int(db, KindSatellite, slot, "lnb_high");
        EXPECT_TRUE(low == 5150 || low == 9750 || low == 10600 || low == 10750) << low;
        EXPECT_GE(high, low);
        cBandOf[satId] = low == 5150;
    }

    std::set<std::pair<int, int>> transponders;
    for (int slot = 0; slot < db.Count(KindTransponder); ++slot) {
        if (!db.IsUsed(KindTransponder, slot))
            continue;
        const int satId = Int(db, KindTransponder, slot, "sat_id");
        const int tpId = Int(db, KindTransponder, slot, "tp_id");
        ASSERT_TRUE(cBandOf.count(satId)) << "transponder of a missing satellite " << satId;
        EXPECT_GE(tpId, 1);
        EXPECT_LE(tpId, 1023);
        EXPECT_TRUE(transponders.emplace(satId, tpId).second) << "tp id twice under satellite " << satId;
        const int frq = Int(db, KindTransponder, slot, "frq");
        if (cBandOf[satId]) {
            EXPECT_GE(frq, 3400);
            EXPECT_LE(frq, 4200);
        } else {
            EXPECT_GE(frq, 10700);
            EXPECT_LE(frq, 12750);
        }
        const int sym = Int(db, KindTransponder, slot, "sym");
        EXPECT_GE(sym, 22000);
        EXPECT_LE(sym, 30000);
        EXPECT_LE(Int(db, KindTransponder, slot, "pol"), 1);
    }

    std::set<std::tuple<int, int, int>> programIds;
    std::set<std::tuple<int, int, int>> serviceIds;
    int tv = 0;
    int favourites = 0;
    for (int slot = 0; slot < db.Count(KindProgram); ++slot) {
        if (!db.IsUsed(KindProgram, slot))
            continue;
        const int satId = Int(db, KindProgram, slot, "sat_id");
        const int tpId = Int(db, KindProgram, slot, "tp_id");
        const int progId = Int(db, KindProgram, slot, "prog_id");
        ASSERT_TRUE(transponders.count({satId, tpId})) << "program of a missing transponder";
        EXPECT_GE(progId, 1);
        EXPECT_TRUE(programIds.emplace(satId, tpId, progId).second) << "prog id twice";
        EXPECT_TRUE(serviceIds.emplace(satId, tpId, Int(db, KindProgram, slot, "Service ID")).second)
            << "service id twice on one transponder";

        const std::string name = Text(db, KindProgram, slot, "Service Name");
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(Int(db, KindProgram, slot, "name_len"), Utf16Bytes(name)) << name;
        const std::string provider = Text(db, KindProgram, slot, "service_provider_name");
        EXPECT_EQ(Int(db, KindProgram, slot, "provider_name_len"), Utf16Bytes(provider)) << provider;

        const int type = Int(db, KindProgram, slot, "Service Type");
        ASSERT_TRUE(type == 0 || type == 1);
        tv += type;
        const int video = Int(db, KindProgram, slot, "Video Pid");
        if (type == 1) {
            EXPECT_GE(video, 32);
            EXPECT_LE(video, 8190);
        } else {
            EXPECT_EQ(video, 0);
        }
        const int audio = Int(db, KindProgram, slot, "Audio Pid1");
        EXPECT_GE(audio, 32);
        EXPECT_LE(audio, 8190);
        EXPECT_GE(Int(db, KindProgram, slot, "PCR Pid"), 32);

        const int audioCount = Int(db, KindProgram, slot, "audio_count");
        EXPECT_GE(audioCount, 1);
        EXPECT_LE(audioCount, 3);
        for (int e = 0; e < 3; ++e) {
            const int lang = Int(db, KindProgram, slot, "audio_lang", e);
            if (e < audioCount) {
                EXPECT_GE(lang >> 8, 'a');  // two lower-case letters
                EXPECT_LE(lang & 0xFF, 'z');
            } else {
                EXPECT_EQ(lang, 0);
            }
        }
        const int casCount = Int(db, KindProgram, slot, "cas_count");
        EXPECT_LE(casCount, 4);
        EXPECT_EQ(Int(db, KindProgram, slot, "Scramble"), casCount > 0 ? 1 : 0);
        for (int e = 0; e < casCount; ++e)
            EXPECT_NE(Int(db, KindProgram, slot, "cas_sysid", e), 0);
        favourites += Int(db, KindProgram, slot, "Favorite Group") != 0 ? 1 : 0;
    }
    // Mostly TV with some radio, and some programs in favourite groups.
    EXPECT_GT(tv, 2000 / 2);
    EXPECT_LT(tv, 2000);
    EXPECT_GT(favourites, 0);

    const FavouriteRecord *groups = db.Favourites();
    ASSERT_NE(groups, nullptr);
    EXPECT_EQ(groups->count, 32);
    EXPECT_EQ(groups->nameLength, 18);
    ASSERT_EQ(groups->names.size(), 32u);
    EXPECT_EQ(groups->names[1], "News");
    for (const std::string &name : groups->names) {
        EXPECT_FALSE(name.empty());
        EXPECT_LE(name.size(), 18u);
    }
}

TEST_F(GeneratorTest, TerrestrialSatelliteIsWrittenAndReadBack)
{
    GeneratorOptions options;
    options.satellites = 3;
    options.transponders = 12;
    options.programs = 60;
    options.terrestrial = true;
    CChannelDb db(layouts, prompt);
    ASSERT_TRUE(DatabaseGenerator(layouts).Generate(db, options));
    ASSERT_TRUE(DatabaseGenerator::WriteFile(db, dir.Path("t.usd"), profile));
    ASSERT_TRUE(DatabaseGenerator::WriteFile(db, dir.Path("t.ddf"), profile));
    const QByteArray ddf = ReadFileBytes(dir.Path("t.ddf"));
    EXPECT_EQ(ddf.size(), 65280);
    EXPECT_TRUE(ddf.endsWith("SMTDB4") || ddf.contains("SMTDB4SMTDB4"));
    {
        CChannelDb fromDdf(layouts, prompt);
        ASSERT_TRUE(LoadDatabase(fromDdf, dir.Path("t.ddf"), false, profile));
        EXPECT_EQ(fromDdf.LiveCount(KindSatellite), 3);
        EXPECT_EQ(Int(fromDdf, KindSatellite, 2, "sat_id"), 255);
        ASSERT_NE(fromDdf.Favourites(), nullptr);
        EXPECT_EQ(fromDdf.Favourites()->names[0], "Favourites 1");
    }

    CChannelDb loaded(layouts, prompt);
    ASSERT_TRUE(LoadDatabase(loaded, dir.Path("t.usd"), false, profile)) << prompt.messages.join('|').toStdString();
    ASSERT_EQ(loaded.LiveCount(KindSatellite), 3);
    EXPECT_EQ(Int(loaded, KindSatellite, 2, "sat_id"), 255);
    EXPECT_EQ(Text(loaded, KindSatellite, 2, "satname"), "Terrestrial");
    int terrestrialTps = 0;
    for (int slot = 0; slot < loaded.Count(KindTransponder); ++slot) {
        if (!loaded.IsUsed(KindTransponder, slot) || Int(loaded, KindTransponder, slot, "sat_id") != 255)
            continue;
        ++terrestrialTps;
        const int khz = Int(loaded, KindTransponder, slot, "dvbt_frq");
        EXPECT_GE(khz, 474000);
        EXPECT_LE(khz, 858000);
        EXPECT_EQ((khz / 1000 - 474) % 8, 0) << "off the UHF raster: " << khz;
        const int bandwidth = Int(loaded, KindTransponder, slot, "bandwidth");
        EXPECT_TRUE(bandwidth == 7 || bandwidth == 8);
    }
    EXPECT_GT(terrestrialTps, 0);
    // The editor's writer leaves them out, after asking.
    EXPECT_EQ(loaded.LiveCount(KindTransponder), 12);
    prompt.answers = {UserPrompt::Yes};
    ASSERT_EQ(SaveUserDatabase(loaded, dir.Path("t.usd")), SaveResult::Written);
    EXPECT_EQ(prompt.questions.size(), 1);
    ASSERT_TRUE(LoadDatabase(loaded, dir.Path("t.usd"), false, profile));
    EXPECT_EQ(loaded.LiveCount(KindSatellite), 2);
    EXPECT_EQ(loaded.LiveCount(KindTransponder), 12 - terrestrialTps);
}

TEST_F(GeneratorTest, AnyLayoutGetsTheFieldsItHasAndNothingElse)
{
    // No names, few known fields, one unknown field: the generator writes what the layout has.
    ASSERT_TRUE(WriteFileBytes(dir.Path("bare.h"),
                               "/*#tp_node@*/{ UINT32 sat_id; UINT32 tp_id; UINT32 frq:16 /*#pos:1@*/; UINT32 x:16;\n"
                               "  UINT32 terrestrial_only; }\n"
                               "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 lnb_low:16; UINT32 lnb_high:16; }\n"
                               "/*#prog_node@*/{ UINT32 sat_id; UINT32 tp_id; UINT32 prog_id /*#pos:1@*/;\n"
                               "  UINT16 audio_count; UINT16 kinds[2]; UINT16 audio_lang[2]; }\n"));
    LayoutSet bare;
    ASSERT_TRUE(bare.ParseTemplate(dir.Path("bare.h"), prompt));
    GeneratorOptions options;
    options.satellites = 2;
    options.transponders = 5;
    options.programs = 20;
    CChannelDb db(bare, prompt);
    ASSERT_TRUE(DatabaseGenerator(bare).Generate(db, options));
    ASSERT_TRUE(DatabaseGenerator::WriteFile(db, dir.Path("bare.usd"), profile));
    CChannelDb loaded(bare, prompt);
    ASSERT_TRUE(LoadDatabase(loaded, dir.Path("bare.usd"), false, profile));
    EXPECT_EQ(loaded.LiveCount(KindProgram), 20);
    std::string text;
    const int x = bare.FindField(KindTransponder, "x", DeclarationOrder);
    for (int slot = 0; slot < loaded.Count(KindTransponder); ++slot) {
        ASSERT_TRUE(loaded.IsUsed(KindTransponder, slot)) << "a loaded table has no free slots";
        ASSERT_TRUE(loaded.GetNodeData(KindTransponder, slot, x, text, 0, DeclarationOrder));
        EXPECT_EQ(text, "0") << "a field the generator does not know stays zero";
    }
    const int frq = bare.FindField(KindTransponder, "frq", DeclarationOrder);
    ASSERT_TRUE(loaded.GetNodeData(KindTransponder, 0, frq, text, 0, DeclarationOrder));
    EXPECT_GE(std::stoi(text), 3400);
    // The audio companion is whatever field precedes audio_lang; element 0 is a language.
    const int lang = bare.FindField(KindProgram, "audio_lang", DeclarationOrder);
    ASSERT_TRUE(loaded.GetNodeData(KindProgram, 0, lang, text, 0, DeclarationOrder));
    EXPECT_GE(std::stoi(text) >> 8, 'a');
}

TEST_F(GeneratorTest, CountsOutsideTheIdRangesAreRefused)
{
    auto problem = [](int sats, int tps, int progs, bool terrestrial = false) {
        GeneratorOptions o;
        o.satellites = sats;
        o.transponders = tps;
        o.programs = progs;
        o.terrestrial = terrestrial;
        return DatabaseGenerator::CheckOptions(o);
    };
    EXPECT_TRUE(problem(0, 0, 0).isEmpty());
    EXPECT_TRUE(problem(254, 6000, 30000).isEmpty());
    EXPECT_FALSE(problem(255, 0, 0).isEmpty());
    EXPECT_FALSE(problem(0, 1, 0).isEmpty());
    EXPECT_FALSE(problem(1, 1024, 0).isEmpty());
    EXPECT_FALSE(problem(2, 2, 2047).isEmpty());
    EXPECT_FALSE(problem(10, 6001, 0).isEmpty());
    EXPECT_FALSE(problem(0, 0, 0, true).isEmpty());
    EXPECT_FALSE(problem(-1, 0, 0).isEmpty());

    GeneratorOptions o;
    o.satellites = 1;
    o.transponders = 1024;
    CChannelDb db(layouts, prompt);
    EXPECT_FALSE(DatabaseGenerator(layouts).Generate(db, o));
}

TEST_F(GeneratorTest, LargestProgramCountFitsAndSomewhatMoreDoesNot)
{
    const DatabaseGenerator generator(layouts);
    GeneratorOptions options;
    options.satellites = 4;
    options.transponders = 40;
    options.seed = 9;

    options.programs = generator.LargestProgramCount(options, DatabaseGenerator::FitTarget::DefaultFile);
    ASSERT_GT(options.programs, 100);
    CChannelDb db(layouts, prompt);
    ASSERT_TRUE(generator.Generate(db, options));
    ASSERT_EQ(SaveDefaultDatabase(db, dir.Path("full.ddf"), profile), SaveResult::Written) << prompt.messages.join('|').toStdString();
    EXPECT_EQ(ReadFileBytes(dir.Path("full.ddf")).size(), 65280);
    options.programs += 100;
    ASSERT_TRUE(generator.Generate(db, options));
    EXPECT_EQ(SaveDefaultDatabase(db, dir.Path("over.ddf"), profile), SaveResult::Failed);
    EXPECT_TRUE(prompt.messages.contains("Default data is too long!"));

    options.programs = generator.LargestProgramCount(options, DatabaseGenerator::FitTarget::UserPayload);
    ASSERT_TRUE(generator.Generate(db, options));
    Payload payload;
    ASSERT_TRUE(BuildPayload(db, payload));
    EXPECT_LE(payload.bytes.size(), 852096);
    EXPECT_GT(payload.bytes.size(), 852096 - 2000) << "the search stopped far below the limit";
    options.programs += 50;
    ASSERT_TRUE(generator.Generate(db, options));
    EXPECT_FALSE(BuildPayload(db, payload));
}

} // namespace
