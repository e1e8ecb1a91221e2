// The satellite dialog's logic without a window: tables, sat_orbit, loading, LNB rules, checks, writing.
#include "editorcore/EditorCoreSupport.h"

#include "database/DatabaseGenerator.h"
#include "database/NodeFields.h"
#include "document/NavNode.h"
#include "editors/SatelliteInfoForm.h"
#include "editors/SatelliteInfoTables.h"

#include <cmath>
#include <limits>

namespace {

struct SatelliteFormTest : ::testing::Test, EditorDb
{
    // A satellite record with the given fields (declaration-order writes) and its node.
    NavNode AddSatellite(FieldValues fields, int satId = 7, const QString &label = QStringLiteral("Astra"))
    {
        const int slot = Add(KindSatellite, fields);
        EXPECT_TRUE(Set(KindSatellite, slot, "sat_id", std::to_string(satId)));
        NavNode node;
        node.kind = NavSatellite;
        node.index = slot;
        node.satId = satId;
        node.label = label;
        return node;
    }
    int Number(int slot, const char *name) { return std::stoi(Get(KindSatellite, slot, name)); }

    SatelliteInfoValues Loaded(const NavNode &node, bool *bug = nullptr)
    {
        SatelliteInfoValues values;
        bool outOfRange = false;
        SatelliteInfoForm::Load(*db, node, values, outOfRange);
        if (bug)
            *bug = outOfRange;
        return values;
    }
};

// A template whose satellite has only an id, a name and a longitude without a position.
const char *SparseTemplate()
{
    return "/*#tp_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; }\n"
           "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 sat_orbit; UINT16 name_len;\n"
           "  UINT8 satname[8] /*#type:string|pos:2@*/; }\n"
           "/*#prog_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; UINT32 prog_id; }\n";
}

} // namespace

TEST(SatelliteTables, RowsTextsAndValues)
{
    ASSERT_EQ(TunerTable().size(), 4u);
    EXPECT_EQ(TunerTable()[2].text, "Tuner2_valid");
    ASSERT_EQ(LnbTypeTable().size(), 3u);
    EXPECT_EQ(LnbTypeTable()[1].value, 16);
    EXPECT_EQ(LnbTypeTable()[2].text, "Universal");
    EXPECT_EQ(LnbTypeTable()[2].value, 32);

    const SatelliteListTable &mhz = LnbFrequencyTable();
    ASSERT_EQ(mhz.size(), 12u);
    EXPECT_EQ(mhz.front().text, "5150 MHz");
    EXPECT_EQ(mhz[3].value, 9750);
    EXPECT_EQ(mhz[7].value, 10600);
    EXPECT_EQ(mhz.back().text, "11300 MHz");
    EXPECT_EQ(mhz.back().value, 11300);

    const SatelliteListTable &diseqc = DiseqcTable();
    ASSERT_EQ(diseqc.size(), 31u);
    EXPECT_EQ(diseqc[0].text, "Disable");
    EXPECT_EQ(diseqc[0].value, 0);
    EXPECT_EQ(diseqc[1].text, "1/2");
    EXPECT_EQ(diseqc[1].value, 65536);
    EXPECT_EQ(diseqc[2].value, 65537);
    EXPECT_EQ(diseqc[3].text, "1/4");
    EXPECT_EQ(diseqc[6].value, 131075);
    EXPECT_EQ(diseqc[7].text, "1/8");
    EXPECT_EQ(diseqc[9].text, "3/8");
    EXPECT_EQ(diseqc[9].value, 196610);
    EXPECT_EQ(diseqc[15].text, "1/16");
    EXPECT_EQ(diseqc[30].text, "16/16");
    EXPECT_EQ(diseqc[30].value, 262159);

    EXPECT_EQ(EastWestTable()[1].value, 8388608);
    EXPECT_EQ(V12Table()[1].text, "12 V");
    EXPECT_EQ(ToneburstTable()[2].text, "B");
    EXPECT_EQ(RowOfValue(ToneburstTable(), 2), 2);
    EXPECT_EQ(RowOfValue(ToneburstTable(), 3), -1);
    EXPECT_EQ(ValueOfRow(K22Table(), 1), 1);
    EXPECT_EQ(ValueOfRow(K22Table(), -1), -1);
    EXPECT_EQ(ValueOfRow(K22Table(), 2, 99), 99);
}

TEST(SatelliteOrbit, EncodingDecodingAndText)
{
    EXPECT_EQ(SatelliteInfoForm::EncodeOrbit(19.2, false), 192);
    EXPECT_EQ(SatelliteInfoForm::EncodeOrbit(30.0, true), 3300);
    EXPECT_EQ(SatelliteInfoForm::EncodeOrbit(0.0, true), 3600);
    EXPECT_EQ(SatelliteInfoForm::EncodeOrbit(180.0, true), 1800);
    EXPECT_EQ(SatelliteInfoForm::EncodeOrbit(13.0, false), 130);  // 13.0 * 10 is 129.999...
    EXPECT_EQ(SatelliteInfoForm::EncodeOrbit(0.29, false), 2);

    double longitude = -1;
    bool west = true;
    ASSERT_TRUE(SatelliteInfoForm::DecodeOrbit(3600, longitude, west));
    EXPECT_TRUE(west);
    EXPECT_DOUBLE_EQ(longitude, 0.0);
    ASSERT_TRUE(SatelliteInfoForm::DecodeOrbit(1800, longitude, west));
    EXPECT_FALSE(west);
    EXPECT_DOUBLE_EQ(longitude, 180.0);
    ASSERT_TRUE(SatelliteInfoForm::DecodeOrbit(1801, longitude, west));
    EXPECT_TRUE(west);
    EXPECT_DOUBLE_EQ(longitude, 179.9);
    ASSERT_TRUE(SatelliteInfoForm::DecodeOrbit(0, longitude, west));
    EXPECT_FALSE(west);
    longitude = 5.0;
    EXPECT_FALSE(SatelliteInfoForm::DecodeOrbit(3601, longitude, west));
    EXPECT_DOUBLE_EQ(longitude, 5.0);

    EXPECT_EQ(SatelliteInfoForm::FormatLongitude(19.2), "19.2");
    EXPECT_EQ(SatelliteInfoForm::FormatLongitude(0.0), "0.0");
    EXPECT_EQ(SatelliteInfoForm::FormatLongitude(180.0), "180.0");
    EXPECT_EQ(SatelliteInfoForm::FormatLongitude(1234.5), "1234.5");

    // Every stored value shown and written back unchanged.
    for (int orbit = 0; orbit <= 3600; ++orbit) {
        ASSERT_TRUE(SatelliteInfoForm::DecodeOrbit(orbit, longitude, west));
        const double shown = SatelliteInfoForm::FormatLongitude(longitude).toDouble();
        const int back = SatelliteInfoForm::EncodeOrbit(shown, west);
        if (orbit == 1800)
            EXPECT_EQ(back, 1800);
        else
            ASSERT_EQ(back, orbit) << orbit;
    }
}

TEST_F(SatelliteFormTest, PrepareGivesTheNewSatelliteDefaults)
{
    SatelliteInfoValues values;
    values.selected = true;
    values.secondFrequencyFilled = true;
    values.secondFrequencyRow = 4;
    values.position = 12;
    values.longitude = 19.2;
    SatelliteInfoForm::Prepare(values);
    EXPECT_EQ(values.name, "New Satellite");
    EXPECT_FALSE(values.selected);
    EXPECT_EQ(values.tunerRow, TunerNone);
    EXPECT_EQ(values.lnbTypeRow, LnbStandard);
    EXPECT_EQ(values.firstFrequencyRow, Frequency5150);
    EXPECT_FALSE(values.secondFrequencyFilled);
    EXPECT_FALSE(values.secondFrequencyEnabled);
    EXPECT_EQ(values.secondFrequencyRow, -1);
    EXPECT_EQ(values.position, 0);
    EXPECT_DOUBLE_EQ(values.longitude, 0.0);
    EXPECT_EQ(values.eastWestRow, RowEast);
    EXPECT_EQ(values.diseqcRow, 0);
    EXPECT_EQ(values.k22Row, 0);
    EXPECT_EQ(values.v12Row, 0);
    EXPECT_EQ(values.toneburstRow, 0);
    EXPECT_TRUE(values.inputsEnabled);
}

TEST_F(SatelliteFormTest, LoadShowsEveryFieldOfTheRecord)
{
    const NavNode node = AddSatellite({{"selected_flag", "1"}, {"tuner2_valid", "1"}, {"lnb_type", "32"},
                                       {"lnb_low", "9750"}, {"lnb_high", "10600"}, {"position", "12"},
                                       {"sat_orbit", "3300"}, {"DiSEqC_type", "3"}, {"DiSEqC_port", "2"},
                                       {"k22", "1"}, {"v12", "1"}, {"toneburst", "2"}});
    bool bug = true;
    const SatelliteInfoValues v = Loaded(node, &bug);
    EXPECT_FALSE(bug);
    EXPECT_EQ(v.name, "Astra");
    EXPECT_TRUE(v.selected);
    EXPECT_EQ(v.tunerRow, TunerSecond);  // only tuner2_valid set
    EXPECT_EQ(v.lnbTypeRow, LnbUniversal);
    EXPECT_EQ(v.firstFrequencyRow, Frequency9750);
    EXPECT_TRUE(v.secondFrequencyFilled);
    EXPECT_TRUE(v.secondFrequencyEnabled);
    EXPECT_EQ(v.secondFrequencyRow, Frequency10600);
    EXPECT_EQ(v.position, 12);
    EXPECT_EQ(v.eastWestRow, RowWest);
    EXPECT_DOUBLE_EQ(v.longitude, 30.0);
    EXPECT_EQ(DiseqcTable()[size_t(v.diseqcRow)].text, "3/8");
    EXPECT_EQ(v.k22Row, 1);
    EXPECT_EQ(v.v12Row, 1);
    EXPECT_EQ(v.toneburstRow, 2);
    EXPECT_TRUE(v.inputsEnabled);

    const NavNode both = AddSatellite({{"tuner1_valid", "1"}, {"tuner2_valid", "1"}});
    EXPECT_EQ(Loaded(both).tunerRow, TunerBoth);
    const NavNode first = AddSatellite({{"tuner1_valid", "1"}});
    EXPECT_EQ(Loaded(first).tunerRow, TunerFirst);
}

TEST_F(SatelliteFormTest, LoadLeavesUnmatchedListsWithoutSelection)
{
    // DiSEqC type 2 has four ports: port 5 is in no row. Standard LNB with an odd low frequency.
    const NavNode node = AddSatellite({{"DiSEqC_type", "2"}, {"DiSEqC_port", "5"}, {"lnb_type", "0"},
                                       {"lnb_low", "5000"}, {"lnb_high", "10600"}, {"toneburst", "3"},
                                       {"sat_orbit", "192"}});
    SatelliteInfoValues v;
    v.secondFrequencyFilled = true;
    v.secondFrequencyRow = 3;
    bool bug = true;
    SatelliteInfoForm::Load(*db, node, v, bug);
    EXPECT_EQ(v.diseqcRow, -1);
    EXPECT_EQ(v.lnbTypeRow, LnbStandard);
    EXPECT_EQ(v.firstFrequencyRow, -1);
    EXPECT_FALSE(v.secondFrequencyFilled);   // Standard empties and disables Second Frequency
    EXPECT_FALSE(v.secondFrequencyEnabled);
    EXPECT_EQ(v.secondFrequencyRow, -1);
    EXPECT_EQ(v.toneburstRow, -1);
    EXPECT_EQ(v.k22Row, 0);
    EXPECT_EQ(v.eastWestRow, RowEast);
    EXPECT_DOUBLE_EQ(v.longitude, 19.2);

    // An LNB type in no row: no LNB row, First Frequency refilled without selection, Second as it was.
    const NavNode odd = AddSatellite({{"lnb_type", "7"}, {"lnb_low", "9750"}, {"lnb_high", "10600"}});
    SatelliteInfoValues w;
    w.secondFrequencyFilled = true;
    w.secondFrequencyRow = 4;
    w.firstFrequencyRow = 2;
    SatelliteInfoForm::Load(*db, odd, w, bug);
    EXPECT_EQ(w.lnbTypeRow, -1);
    EXPECT_EQ(w.firstFrequencyRow, -1);
    EXPECT_TRUE(w.secondFrequencyFilled);
    EXPECT_TRUE(w.secondFrequencyEnabled);
    EXPECT_EQ(w.secondFrequencyRow, 4);
}

TEST_F(SatelliteFormTest, OrbitAboveTheCircleIsReportedAndChangesNothing)
{
    const NavNode node = AddSatellite({{"sat_orbit", "3601"}});
    SatelliteInfoValues v;
    v.eastWestRow = RowWest;
    v.longitude = 42.0;
    bool bug = false;
    SatelliteInfoForm::Load(*db, node, v, bug);
    EXPECT_TRUE(bug);
    EXPECT_EQ(v.eastWestRow, -1);  // the fill cleared it and nothing selected it again
    EXPECT_DOUBLE_EQ(v.longitude, 42.0);

    // OK then keeps the stored value: East / West has no selection.
    NavNode edited = node;
    ASSERT_TRUE(SatelliteInfoForm::Write(*db, edited, SatelliteInfoMode::Edit, v).written);
    EXPECT_EQ(Number(node.index, "sat_orbit"), 3601);
}

TEST_F(SatelliteFormTest, TerrestrialSatelliteIsReadOnlyAndWritesBackUnchanged)
{
    const NavNode node = AddSatellite({{"tuner1_valid", "1"}, {"name_len", "10"}, {"satname", "DVB-T"}}, 255,
                                      QStringLiteral("DVB-T"));
    const std::vector<uint8_t> before = db->RecordBytes(KindSatellite, node.index);
    SatelliteInfoValues v = Loaded(node);
    EXPECT_FALSE(v.inputsEnabled);
    EXPECT_FALSE(v.secondFrequencyEnabled);
    EXPECT_EQ(v.tunerRow, TunerFirst);
    ASSERT_FALSE(SatelliteInfoForm::Validate(QString::number(v.position), SatelliteInfoForm::FormatLongitude(v.longitude),
                                             16, v));
    NavNode edited = node;
    const SatelliteWriteOutcome outcome = SatelliteInfoForm::Write(*db, edited, SatelliteInfoMode::Edit, v);
    ASSERT_TRUE(outcome.written);
    EXPECT_FALSE(outcome.created);
    EXPECT_EQ(outcome.before, before);
    EXPECT_EQ(db->RecordBytes(KindSatellite, node.index), before);
    EXPECT_EQ(edited.satId, 255);
}

TEST_F(SatelliteFormTest, EditingEveryGeneratedSatelliteWithoutChangesKeepsItsBytes)
{
    GeneratorOptions options;
    options.satellites = 12;
    options.transponders = 24;
    options.programs = 24;
    options.terrestrial = true;
    ASSERT_TRUE(DatabaseGenerator(layouts).Generate(*db, options));
    ASSERT_EQ(db->LiveCount(KindSatellite), 12);
    const int capacity = SatelliteInfoForm::NameCapacity(*db);
    EXPECT_EQ(capacity, 16);
    int edited = 0;
    for (int slot = 0; slot < db->Count(KindSatellite); ++slot) {
        if (!db->IsUsed(KindSatellite, slot))
            continue;
        ++edited;
        NavNode node;
        node.kind = NavSatellite;
        node.index = slot;
        node.satId = Number(slot, "sat_id");
        node.label = QString::fromStdString(Get(KindSatellite, slot, "satname"));
        const std::vector<uint8_t> before = db->RecordBytes(KindSatellite, slot);
        SatelliteInfoValues v = Loaded(node);
        const std::optional<FieldProblem> problem = SatelliteInfoForm::Validate(
            QString::number(v.position), SatelliteInfoForm::FormatLongitude(v.longitude), capacity, v);
        ASSERT_FALSE(problem) << slot << " " << problem->message.toStdString();
        ASSERT_TRUE(SatelliteInfoForm::Write(*db, node, SatelliteInfoMode::Edit, v).written);
        EXPECT_EQ(db->RecordBytes(KindSatellite, slot), before) << "satellite " << slot;
    }
    EXPECT_EQ(edited, 12);
}

TEST_F(SatelliteFormTest, LnbTypeChoicePreselectsFrequencies)
{
    SatelliteInfoValues v;
    SatelliteInfoForm::Prepare(v);
    SatelliteInfoForm::ChooseLnbType(v, LnbUniversal);
    EXPECT_EQ(v.firstFrequencyRow, Frequency9750);
    EXPECT_EQ(v.secondFrequencyRow, Frequency10600);
    EXPECT_TRUE(v.secondFrequencyFilled);
    EXPECT_TRUE(v.secondFrequencyEnabled);
    SatelliteInfoForm::ChooseLnbType(v, LnbUser);
    EXPECT_EQ(v.firstFrequencyRow, Frequency5150);
    EXPECT_EQ(v.secondFrequencyRow, Frequency5750);
    EXPECT_TRUE(v.secondFrequencyEnabled);
    SatelliteInfoForm::ChooseLnbType(v, LnbStandard);
    EXPECT_EQ(v.lnbTypeRow, LnbStandard);
    EXPECT_EQ(v.firstFrequencyRow, Frequency5150);
    EXPECT_FALSE(v.secondFrequencyFilled);
    EXPECT_FALSE(v.secondFrequencyEnabled);
    EXPECT_EQ(v.secondFrequencyRow, -1);
}

TEST_F(SatelliteFormTest, ValidationMessagesAtTheirBoundaries)
{
    auto check = [](const QString &name, const QString &position, const QString &longitude, int capacity = 16) {
        SatelliteInfoValues v;
        v.name = name;
        // No problem reads as control 0 and no message.
        return SatelliteInfoForm::Validate(position, longitude, capacity, v).value_or(FieldProblem{});
    };
    const QString name = QStringLiteral("Hotbird");
    EXPECT_EQ(check(name, "59", "180.0").controlId, 0);
    EXPECT_EQ(check(name, "0", "0").controlId, 0);
    EXPECT_EQ(check(name, " 7 ", " 19.2").controlId, 0);

    FieldProblem c = check(name, "60", "19.2");
    EXPECT_EQ(c.controlId, int(SatelliteInfoControl::Position));
    EXPECT_EQ(c.message, "Satellite Position: [0,  59]");
    EXPECT_EQ(check(name, "-1", "19.2").message, "Satellite Position: [0,  59]");

    c = check(name, "3", "180.05");
    EXPECT_EQ(c.controlId, int(SatelliteInfoControl::Longitude));
    EXPECT_EQ(c.message, "Satellite Longitude: [0.0,  180.0]");
    EXPECT_EQ(check(name, "3", "-0.1").message, "Satellite Longitude: [0.0,  180.0]");
    EXPECT_EQ(check(name, "3", "nan").message, "Satellite Longitude: [0.0,  180.0]");

    c = check(QString(), "60", "200");
    EXPECT_EQ(c.controlId, int(SatelliteInfoControl::Name));
    EXPECT_EQ(c.message, "Empty satellite name!");  // before the ranges

    // The numbers as typed come first.
    c = check(name, "1x", "19.2");
    EXPECT_EQ(c.controlId, int(SatelliteInfoControl::Position));
    EXPECT_EQ(c.message, "Please enter an integer.");
    EXPECT_EQ(check(name, "", "19.2").controlId, int(SatelliteInfoControl::Position));
    EXPECT_EQ(check(name, "99999999999", "19.2").controlId, int(SatelliteInfoControl::Position));
    c = check(QString(), "3", "19,2");
    EXPECT_EQ(c.controlId, int(SatelliteInfoControl::Longitude));
    EXPECT_EQ(c.message, "Please enter a number.");

    c = check(QStringLiteral("ABCDEFGHIJKLMNOPQ"), "3", "1", 16);
    EXPECT_EQ(c.controlId, int(SatelliteInfoControl::Name));
    EXPECT_EQ(c.message, "Enter no more than 16 characters.");
    EXPECT_EQ(check(QStringLiteral("ABCDEFGHIJKLMNOPQ"), "3", "1", 17).controlId, 0);

    // Accepted numbers land in the values.
    SatelliteInfoValues v;
    v.name = name;
    ASSERT_FALSE(SatelliteInfoForm::Validate("42", "13.0", 16, v));
    EXPECT_EQ(v.position, 42);
    EXPECT_DOUBLE_EQ(v.longitude, 13.0);
}

TEST_F(SatelliteFormTest, WritingEditsEveryFieldAndKeepsWhatNoRowMatches)
{
    NavNode node = AddSatellite({{"lnb_high", "11300"}, {"DiSEqC_type", "2"}, {"DiSEqC_port", "5"},
                                 {"toneburst", "3"}, {"sat_orbit", "100"}});
    const int slot = node.index;
    SatelliteInfoValues v = Loaded(node);
    v.name = QStringLiteral("Türksa");  // 6 characters, 7 UTF-8 bytes
    v.selected = true;
    v.tunerRow = TunerBoth;
    SatelliteInfoForm::ChooseLnbType(v, LnbStandard);
    v.firstFrequencyRow = 8;
    v.position = 59;
    v.longitude = 30.0;
    v.eastWestRow = RowWest;
    v.k22Row = 1;
    v.v12Row = 1;
    ASSERT_EQ(v.diseqcRow, -1);
    ASSERT_EQ(v.toneburstRow, -1);

    const std::vector<uint8_t> before = db->RecordBytes(KindSatellite, slot);
    const SatelliteWriteOutcome outcome = SatelliteInfoForm::Write(*db, node, SatelliteInfoMode::Edit, v);
    ASSERT_TRUE(outcome.written);
    EXPECT_EQ(outcome.slot, slot);
    EXPECT_EQ(outcome.before, before);
    EXPECT_EQ(node.label, "Türksa");
    EXPECT_EQ(Get(KindSatellite, slot, "satname"), "Türksa");
    EXPECT_EQ(Number(slot, "name_len"), 12);
    EXPECT_EQ(Number(slot, "selected_flag"), 1);
    EXPECT_EQ(Number(slot, "tuner1_valid"), 1);
    EXPECT_EQ(Number(slot, "tuner2_valid"), 1);
    EXPECT_EQ(Number(slot, "lnb_type"), 0);
    EXPECT_EQ(Number(slot, "lnb_low"), 10700);
    EXPECT_EQ(Number(slot, "lnb_high"), 11300);  // Standard keeps the old high frequency
    EXPECT_EQ(Number(slot, "position"), 59);
    EXPECT_EQ(Number(slot, "sat_orbit"), 3300);
    EXPECT_EQ(Number(slot, "DiSEqC_type"), 2);   // no DiSEqC row: kept
    EXPECT_EQ(Number(slot, "DiSEqC_port"), 5);
    EXPECT_EQ(Number(slot, "toneburst"), 3);     // no tone-burst row: kept
    EXPECT_EQ(Number(slot, "k22"), 1);
    EXPECT_EQ(Number(slot, "v12"), 1);
    EXPECT_EQ(Number(slot, "sat_id"), 7);

    // "3/8", Universal, tuner 1 only, a cleared check box, tone burst A.
    v.diseqcRow = 9;
    SatelliteInfoForm::ChooseLnbType(v, LnbUniversal);
    v.tunerRow = TunerFirst;
    v.selected = false;
    v.toneburstRow = 1;
    v.eastWestRow = RowEast;
    v.longitude = 19.2;
    ASSERT_TRUE(SatelliteInfoForm::Write(*db, node, SatelliteInfoMode::Edit, v).written);
    EXPECT_EQ(Number(slot, "DiSEqC_type"), 3);
    EXPECT_EQ(Number(slot, "DiSEqC_port"), 2);
    EXPECT_EQ(Number(slot, "lnb_type"), 32);
    EXPECT_EQ(Number(slot, "lnb_low"), 9750);
    EXPECT_EQ(Number(slot, "lnb_high"), 10600);
    EXPECT_EQ(Number(slot, "tuner1_valid"), 1);
    EXPECT_EQ(Number(slot, "tuner2_valid"), 0);
    EXPECT_EQ(Number(slot, "selected_flag"), 0);
    EXPECT_EQ(Number(slot, "toneburst"), 1);
    EXPECT_EQ(Number(slot, "sat_orbit"), 192);

    // Unmatched LNB rows keep both frequencies and the type.
    ASSERT_TRUE(Set(KindSatellite, slot, "lnb_type", "7"));
    ASSERT_TRUE(Set(KindSatellite, slot, "lnb_low", "1234"));
    SatelliteInfoValues odd = Loaded(node);
    ASSERT_TRUE(SatelliteInfoForm::Write(*db, node, SatelliteInfoMode::Edit, odd).written);
    EXPECT_EQ(Number(slot, "lnb_type"), 7);
    EXPECT_EQ(Number(slot, "lnb_low"), 1234);
    EXPECT_EQ(Number(slot, "lnb_high"), 10600);
}

TEST_F(SatelliteFormTest, NameCapacityFollowsTheField)
{
    EXPECT_EQ(SatelliteInfoForm::NameCapacity(*db), 16);  // satname[32]: 16 UTF-16 units
    NavNode node = AddSatellite({});
    SatelliteInfoValues v = Loaded(node);
    v.name = QStringLiteral("ABCDEFGHIJKLMNOP");
    ASSERT_FALSE(SatelliteInfoForm::Validate("0", "0.0", SatelliteInfoForm::NameCapacity(*db), v));
    ASSERT_TRUE(SatelliteInfoForm::Write(*db, node, SatelliteInfoMode::Edit, v).written);
    EXPECT_EQ(Get(KindSatellite, node.index, "satname"), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Number(node.index, "name_len"), 32);
}

TEST_F(SatelliteFormTest, NewSatelliteTakesTheLowestFreeIdAndCompletesTheNode)
{
    AddSatellite({}, 1);
    AddSatellite({}, 2);
    AddSatellite({}, 4);
    const int countBefore = db->LiveCount(KindSatellite);
    NavNode node;
    SatelliteInfoValues v;
    SatelliteInfoForm::Prepare(v);
    v.name = QStringLiteral("Eutelsat");
    SatelliteInfoForm::ChooseLnbType(v, LnbUniversal);
    v.longitude = 13.0;
    ASSERT_TRUE(SatelliteInfoForm::CheckNewSatellite(*db).isEmpty());
    const SatelliteWriteOutcome outcome = SatelliteInfoForm::Write(*db, node, SatelliteInfoMode::New, v);
    ASSERT_TRUE(outcome.written);
    EXPECT_TRUE(outcome.created);
    EXPECT_TRUE(outcome.before.empty());
    EXPECT_EQ(db->LiveCount(KindSatellite), countBefore + 1);
    EXPECT_EQ(node.kind, NavSatellite);
    EXPECT_EQ(node.index, outcome.slot);
    EXPECT_EQ(node.satId, 3);
    EXPECT_EQ(node.label, "Eutelsat");
    EXPECT_EQ(Number(outcome.slot, "sat_id"), 3);
    EXPECT_EQ(Number(outcome.slot, "sat_orbit"), 130);
    EXPECT_EQ(Number(outcome.slot, "lnb_low"), 9750);
    EXPECT_EQ(Number(outcome.slot, "lnb_high"), 10600);
    EXPECT_EQ(Number(outcome.slot, "name_len"), 16);
    EXPECT_EQ(Number(outcome.slot, "tuner1_valid"), 0);
}

TEST_F(SatelliteFormTest, NewSatelliteIsRefusedWhenNoIdOrRecordIsLeft)
{
    for (int id = 1; id <= 254; ++id)
        AddSatellite({}, id);
    AddSatellite({}, 255);
    const int count = db->Count(KindSatellite);
    EXPECT_EQ(SatelliteInfoForm::CheckNewSatellite(*db), "No satellite can be added: all 254 satellite ids are in use.");
    NavNode node;
    SatelliteInfoValues v;
    SatelliteInfoForm::Prepare(v);
    SatelliteWriteOutcome outcome = SatelliteInfoForm::Write(*db, node, SatelliteInfoMode::New, v);
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(outcome.created);
    EXPECT_EQ(outcome.message, "No satellite can be added: all 254 satellite ids are in use.");
    EXPECT_EQ(db->Count(KindSatellite), count);
    EXPECT_EQ(db->LiveCount(KindSatellite), 255);
    EXPECT_EQ(node.kind, NavAllServices);
    EXPECT_TRUE(node.label.isEmpty());

    // A free id but a full table: records with id 0 fill every slot, past what a file may hold,
    // so the file's limit refuses before anything is allocated.
    db->DeleteNode(KindSatellite, 9);  // frees id 10
    while (db->AllocateNode(KindSatellite) >= 0) {
    }
    ASSERT_GE(db->LiveCount(KindSatellite), CChannelDb::MaxNodes(KindSatellite));
    ASSERT_FALSE(SatelliteInfoForm::CheckNewSatellite(*db).isEmpty());
    const int live = db->LiveCount(KindSatellite);
    outcome = SatelliteInfoForm::Write(*db, node, SatelliteInfoMode::New, v);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.message, "The database is full: it already holds 1000 satellites, the most a file can take.");
    EXPECT_EQ(db->LiveCount(KindSatellite), live);
    EXPECT_EQ(node.kind, NavAllServices);
    EXPECT_EQ(node.satId, 0);
}

TEST_F(SatelliteFormTest, EditOfAFreedRecordWritesNothing)
{
    NavNode node = AddSatellite({});
    db->DeleteNode(KindSatellite, node.index);
    SatelliteInfoValues v;
    SatelliteInfoForm::Prepare(v);
    const SatelliteWriteOutcome outcome = SatelliteInfoForm::Write(*db, node, SatelliteInfoMode::Edit, v);
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(outcome.message.isEmpty());
    EXPECT_FALSE(db->IsUsed(KindSatellite, node.index));
    EXPECT_EQ(node.label, "Astra");
}

struct SparseSatelliteTest : ::testing::Test, EditorDb
{
    SparseSatelliteTest() : EditorDb(SparseTemplate()) {}
};

TEST_F(SparseSatelliteTest, FieldsTheLayoutLacksAreNeitherReadNorWritten)
{
    // sat_orbit has no pos here, so it is not in position order.
    const int slot = Add(KindSatellite, {{"sat_id", "3"}, {"sat_orbit", "3601"}, {"satname", "Abc"}});
    EXPECT_EQ(SatelliteInfoForm::NameCapacity(*db), 4);
    NavNode node;
    node.kind = NavSatellite;
    node.index = slot;
    node.satId = 3;
    node.label = QStringLiteral("Abc");
    SatelliteInfoValues v;
    v.position = 5;
    v.longitude = 2.5;
    v.selected = true;
    bool bug = true;
    SatelliteInfoForm::Load(*db, node, v, bug);
    EXPECT_FALSE(bug);
    EXPECT_EQ(v.position, 5);
    EXPECT_DOUBLE_EQ(v.longitude, 2.5);
    EXPECT_TRUE(v.selected);
    EXPECT_EQ(v.tunerRow, TunerNone);
    EXPECT_EQ(v.diseqcRow, 0);  // type and port count as 0
    EXPECT_EQ(v.k22Row, -1);
    EXPECT_EQ(v.lnbTypeRow, -1);
    EXPECT_FALSE(v.secondFrequencyEnabled);

    v.name = QStringLiteral("Wxyz");
    v.eastWestRow = RowWest;
    ASSERT_TRUE(SatelliteInfoForm::Write(*db, node, SatelliteInfoMode::Edit, v).written);
    EXPECT_EQ(Get(KindSatellite, slot, "satname"), "Wxyz");
    EXPECT_EQ(Get(KindSatellite, slot, "name_len"), "8");
    EXPECT_EQ(Get(KindSatellite, slot, "sat_orbit"), "3601");
}
