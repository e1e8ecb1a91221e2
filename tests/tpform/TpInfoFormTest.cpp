// Transponder dialog logic: the polarization table, integer entry, loading, validation and writing.
#include "editorcore/EditorCoreSupport.h"

#include "document/NavNode.h"
#include "editors/TpInfoForm.h"

namespace {

struct TpInfoFormTest : ::testing::Test, EditorDb
{
    NavNode satellite;

    TpInfoFormTest()
    {
        satellite.kind = NavSatellite;
        satellite.satId = 1;
    }

    // A node as the navigator makes it for an existing transponder.
    NavNode TransponderNode(int slot, int32_t satId, int32_t tpId, const char *label)
    {
        NavNode node;
        node.kind = NavTransponder;
        node.satId = satId;
        node.tpId = tpId;
        node.index = slot;
        node.label = QString::fromLatin1(label);
        node.parent = &satellite;
        return node;
    }
    // An empty node as the navigator gives it for a new transponder under `satId`.
    NavNode NewNode(int32_t satId)
    {
        NavNode node;
        node.satId = satId;
        node.parent = &satellite;
        return node;
    }
    int AddTerrestrial(int tpId, int frequency, int bandwidth)
    {
        return Add(KindTransponder, {{"sat_id", "255"}, {"tp_id", std::to_string(tpId)},
                                     {"dvbt_frq", std::to_string(frequency)}, {"bandwidth", std::to_string(bandwidth)},
                                     {"frq", "11111"}, {"sym", "22222"}, {"pol", "1"}});
    }
};

} // namespace

TEST(TpInfoTables, PolarizationRowsAndTheirValues)
{
    ASSERT_EQ(PolarizationTable.size(), 2u);
    EXPECT_STREQ(PolarizationTable[0].text, "Horizontal");
    EXPECT_EQ(PolarizationTable[0].value, 0);
    EXPECT_STREQ(PolarizationTable[1].text, "Vertical");
    EXPECT_EQ(PolarizationTable[1].value, 1);
    EXPECT_EQ(PolarizationRowOf(0), 0);
    EXPECT_EQ(PolarizationRowOf(1), 1);
    EXPECT_EQ(PolarizationRowOf(2), -1);
    EXPECT_EQ(PolarizationRowOf(-1), -1);
}

TEST(TpInfoTables, IntegerEntriesAreSignedDecimalsOf32Bits)
{
    EXPECT_EQ(TpInfoForm::ParseInteger(QStringLiteral("11778")), 11778);
    EXPECT_EQ(TpInfoForm::ParseInteger(QStringLiteral("  -5 ")), -5);
    EXPECT_EQ(TpInfoForm::ParseInteger(QStringLiteral("+7")), 7);
    EXPECT_EQ(TpInfoForm::ParseInteger(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(TpInfoForm::ParseInteger(QStringLiteral("-2147483648")), INT32_MIN);
    for (const char *bad : {"", "  ", "-", "+", "12a", "1 2", "0x10", "2147483648", "1.5", "--1"})
        EXPECT_FALSE(TpInfoForm::ParseInteger(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(TpInfoForm::IntegerMessage().isEmpty());
}

TEST(TpInfoTables, LabelTailsAndOrdinalPrefixes)
{
    EXPECT_EQ(TpInfoForm::LabelTail(false, 1, 11778, 27500), QStringLiteral("TP_11778_V_27500"));
    EXPECT_EQ(TpInfoForm::LabelTail(false, 2, 11778, 27500), QStringLiteral("TP_11778_V_27500"));
    EXPECT_EQ(TpInfoForm::LabelTail(false, 0, 12015, 27500), QStringLiteral("TP_12015_H_27500"));
    EXPECT_EQ(TpInfoForm::LabelTail(true, 1, 474000, 8), QStringLiteral("TP_474000_8"));
    const QString tail = QStringLiteral("TP_1_H_2");
    EXPECT_EQ(TpInfoForm::RelabelWithTail(QStringLiteral("[ 2 ]  TP_12015_V_27500"), tail),
              QStringLiteral("[ 2 ]  TP_1_H_2"));
    EXPECT_EQ(TpInfoForm::RelabelWithTail(QStringLiteral("no ordinal"), tail), tail);
    EXPECT_EQ(TpInfoForm::RelabelWithTail(QStringLiteral("TP_9_H_9"), tail), tail);
    EXPECT_EQ(TpInfoForm::RelabelWithTail(QString(), tail), tail);
}

TEST_F(TpInfoFormTest, ValidationBoundsOfASatelliteTransponder)
{
    TpInfoValues values;
    values.secondValue = 27500;
    for (int32_t refused : {2999, 13451, 0, -3000}) {
        values.frequency = refused;
        const auto problem = TpInfoForm::Validate(values, 1);
        ASSERT_TRUE(problem) << refused;
        EXPECT_EQ(problem->controlId, FrequencyControl);
        EXPECT_EQ(problem->message, QStringLiteral("Frequency: [3000,  13450]"));
    }
    for (int32_t accepted : {3000, 13450})
        EXPECT_FALSE(TpInfoForm::Validate(TpInfoValues{{}, accepted, 27500, 0}, 1)) << accepted;

    values.frequency = 11778;
    for (int32_t refused : {999, 45001}) {
        values.secondValue = refused;
        const auto problem = TpInfoForm::Validate(values, 1);
        ASSERT_TRUE(problem) << refused;
        EXPECT_EQ(problem->controlId, SecondValueControl);
        EXPECT_EQ(problem->message, QStringLiteral("Symbol Rate: [1000,  45000]"));
    }
    for (int32_t accepted : {1000, 45000})
        EXPECT_FALSE(TpInfoForm::Validate(TpInfoValues{{}, 11778, accepted, 0}, 1)) << accepted;

    // The frequency is checked first.
    const auto both = TpInfoForm::Validate(TpInfoValues{{}, 1, 1, 0}, 1);
    ASSERT_TRUE(both);
    EXPECT_EQ(both->controlId, FrequencyControl);
    // The terrestrial satellite's transponders take any value.
    EXPECT_FALSE(TpInfoForm::Validate(TpInfoValues{{}, 1, 1, 0}, 255));
    EXPECT_FALSE(TpInfoForm::Validate(TpInfoValues{{}, -7, 100000, 0}, 255));
}

TEST_F(TpInfoFormTest, PreparingANewTransponder)
{
    NavNode node = NewNode(1);
    node.label = QStringLiteral("left over");
    const TpInfoValues values = TpInfoForm::PrepareNew(node, 3);
    EXPECT_EQ(values.label, QStringLiteral("[ 3 ]  TP_0_H_0"));
    EXPECT_EQ(node.label, values.label);
    EXPECT_EQ(values.frequency, 0);
    EXPECT_EQ(values.secondValue, 0);
    EXPECT_EQ(values.polarizationRow, 0);
}

TEST_F(TpInfoFormTest, LoadingSatelliteAndTerrestrialTransponders)
{
    const int sky = AddTransponder(1, 2, 12015, 27500, 1);
    const int odd = AddTransponder(1, 3, 10714, 22000, 2);   // "pol" matches no row
    const int dvbt = AddTerrestrial(1, 474000, 8);

    LoadedTransponder loaded = TpInfoForm::Load(*db, TransponderNode(sky, 1, 2, "[ 1 ]  TP_12015_V_27500"));
    EXPECT_EQ(loaded.fields, TpValueFields::Satellite);
    EXPECT_EQ(loaded.values.label, QStringLiteral("[ 1 ]  TP_12015_V_27500"));
    EXPECT_EQ(loaded.values.frequency, 12015);
    EXPECT_EQ(loaded.values.secondValue, 27500);
    EXPECT_EQ(loaded.values.polarizationRow, 1);

    loaded = TpInfoForm::Load(*db, TransponderNode(odd, 1, 3, "x"));
    EXPECT_EQ(loaded.values.polarizationRow, -1);
    EXPECT_EQ(loaded.values.frequency, 10714);

    loaded = TpInfoForm::Load(*db, TransponderNode(dvbt, 255, 1, "[ 1 ]  TP_474000_8"));
    EXPECT_EQ(loaded.fields, TpValueFields::Terrestrial);
    EXPECT_EQ(loaded.values.frequency, 474000);
    EXPECT_EQ(loaded.values.secondValue, 8);
    EXPECT_EQ(loaded.values.polarizationRow, 1);

    // A free slot reads nothing: the record's sat_id cannot be read, so it counts as a satellite's.
    db->DeleteNode(KindTransponder, sky);
    loaded = TpInfoForm::Load(*db, TransponderNode(sky, 1, 2, "gone"));
    EXPECT_EQ(loaded.fields, TpValueFields::Satellite);
    EXPECT_EQ(loaded.values.frequency, 0);
    EXPECT_EQ(loaded.values.polarizationRow, -1);
}

TEST(TpInfoLayouts, WithoutSatIdTheValuesAreNotRead)
{
    EditorDb noSatId(QByteArray("/*#tp_node@*/{ UINT32 tp_id /*#pos:1@*/; UINT32 frq:16 /*#pos:2@*/;\n"
                                "  UINT32 sym:16 /*#pos:3@*/; UINT32 pol /*#pos:4@*/; }\n"
                                "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT8 satname[8] /*#type:string|pos:2@*/; }\n"
                                "/*#prog_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; }\n"));
    const int slot = noSatId.Add(KindTransponder, {{"tp_id", "1"}, {"frq", "11778"}, {"sym", "27500"}, {"pol", "1"}});
    NavNode node;
    node.kind = NavTransponder;
    node.index = slot;
    const LoadedTransponder loaded = TpInfoForm::Load(*noSatId.db, node);
    EXPECT_EQ(loaded.fields, TpValueFields::Unchosen);
    EXPECT_EQ(loaded.values.frequency, 0);
    EXPECT_EQ(loaded.values.secondValue, 0);
    EXPECT_EQ(loaded.values.polarizationRow, 1);
}

TEST_F(TpInfoFormTest, ANewThirdTransponderIsWrittenWithTheFirstFreeId)
{
    AddTransponder(1, 1, 11778, 27500, 1);
    AddTransponder(2, 2, 12188, 27500, 0);    // another satellite's ids do not count
    AddTransponder(1, 3, 12015, 27500, 0);    // id 2 is free under satellite 1
    const int before = db->LiveCount(KindTransponder);

    NavNode node = NewNode(1);
    TpInfoValues values = TpInfoForm::PrepareNew(node, 3);
    values.frequency = 11778;
    values.polarizationRow = 1;
    values.secondValue = 27500;
    const TpWriteOutcome outcome = TpInfoForm::Write(*db, node, TpInfoNew, values);
    ASSERT_TRUE(outcome.written) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.created);
    EXPECT_TRUE(outcome.before.empty());
    EXPECT_EQ(db->LiveCount(KindTransponder), before + 1);
    EXPECT_EQ(node.kind, NavTransponder);
    EXPECT_EQ(node.index, outcome.slot);
    EXPECT_EQ(node.tpId, 2);
    EXPECT_EQ(node.label, QStringLiteral("[ 3 ]  TP_11778_V_27500"));
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "sat_id"), "1");
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "tp_id"), "2");
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "frq"), "11778");
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "pol"), "1");
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "sym"), "27500");
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "dvbt_frq"), "0");
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "bandwidth"), "0");
}

TEST_F(TpInfoFormTest, EditingKeepsThePrefixAndOnlyTheEditedFieldsChange)
{
    const int slot = AddTransponder(1, 2, 12015, 27500, 0);
    Set(KindTransponder, slot, "fec", "3");
    const std::vector<uint8_t> original = db->RecordBytes(KindTransponder, slot);
    NavNode node = TransponderNode(slot, 1, 2, "[ 2 ]  TP_12015_H_27500");

    TpInfoValues values = TpInfoForm::Load(*db, node).values;
    values.polarizationRow = 1;
    const TpWriteOutcome outcome = TpInfoForm::Write(*db, node, TpInfoEdit, values);
    ASSERT_TRUE(outcome.written);
    EXPECT_FALSE(outcome.created);
    EXPECT_EQ(outcome.slot, slot);
    EXPECT_EQ(outcome.before, original);
    EXPECT_EQ(node.label, QStringLiteral("[ 2 ]  TP_12015_V_27500"));
    EXPECT_EQ(node.index, slot);
    EXPECT_EQ(node.tpId, 2);
    EXPECT_EQ(Get(KindTransponder, slot, "pol"), "1");
    EXPECT_EQ(Get(KindTransponder, slot, "frq"), "12015");
    EXPECT_EQ(Get(KindTransponder, slot, "sym"), "27500");
    EXPECT_EQ(Get(KindTransponder, slot, "fec"), "3");
    EXPECT_EQ(Get(KindTransponder, slot, "tp_id"), "2");

    // Writing back the same values gives the same bytes as before the first write.
    values.polarizationRow = 0;
    ASSERT_TRUE(TpInfoForm::Write(*db, node, TpInfoEdit, values).written);
    EXPECT_EQ(db->RecordBytes(KindTransponder, slot), original);
    EXPECT_EQ(node.label, QStringLiteral("[ 2 ]  TP_12015_H_27500"));
}

TEST_F(TpInfoFormTest, APolarizationWithoutARowKeepsTheStoredValue)
{
    const int slot = AddTransponder(1, 1, 10714, 22000, 2);
    NavNode node = TransponderNode(slot, 1, 1, "[ 1 ]  TP_10714_V_22000");
    TpInfoValues values = TpInfoForm::Load(*db, node).values;
    ASSERT_EQ(values.polarizationRow, -1);
    values.frequency = 10729;
    ASSERT_TRUE(TpInfoForm::Write(*db, node, TpInfoEdit, values).written);
    EXPECT_EQ(Get(KindTransponder, slot, "pol"), "2");
    EXPECT_EQ(Get(KindTransponder, slot, "frq"), "10729");
    EXPECT_EQ(node.label, QStringLiteral("[ 1 ]  TP_10729_V_22000"));
}

TEST_F(TpInfoFormTest, TerrestrialTranspondersUseTheirOwnFields)
{
    const int slot = AddTerrestrial(4, 474000, 8);
    NavNode node = TransponderNode(slot, 255, 4, "[ 1 ]  TP_474000_8");
    const std::vector<uint8_t> original = db->RecordBytes(KindTransponder, slot);
    const TpInfoValues values = TpInfoForm::Load(*db, node).values;
    ASSERT_TRUE(TpInfoForm::Write(*db, node, TpInfoEdit, values).written);
    EXPECT_EQ(db->RecordBytes(KindTransponder, slot), original);
    EXPECT_EQ(node.label, QStringLiteral("[ 1 ]  TP_474000_8"));

    // A new one under the terrestrial satellite takes any value, into "dvbt_frq" and "bandwidth".
    NavNode fresh = NewNode(255);
    TpInfoValues entered = TpInfoForm::PrepareNew(fresh, 2);
    entered.frequency = 506000;
    entered.secondValue = 7;
    ASSERT_FALSE(TpInfoForm::Validate(entered, 255));
    const TpWriteOutcome outcome = TpInfoForm::Write(*db, fresh, TpInfoNew, entered);
    ASSERT_TRUE(outcome.written);
    EXPECT_EQ(fresh.tpId, 1);
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "sat_id"), "255");
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "dvbt_frq"), "506000");
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "bandwidth"), "7");
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "frq"), "0");
    EXPECT_EQ(Get(KindTransponder, outcome.slot, "sym"), "0");
    EXPECT_EQ(fresh.label, QStringLiteral("[ 2 ]  TP_506000_7"));

    // A value the 8-bit bandwidth cannot hold: the label shows what the record holds.
    NavNode wide = NewNode(255);
    TpInfoValues tooWide = TpInfoForm::PrepareNew(wide, 3);
    tooWide.frequency = 474000;
    tooWide.secondValue = 300;
    const TpWriteOutcome stored = TpInfoForm::Write(*db, wide, TpInfoNew, tooWide);
    ASSERT_TRUE(stored.written);
    const std::string bandwidth = Get(KindTransponder, stored.slot, "bandwidth");
    EXPECT_EQ(wide.label, QStringLiteral("[ 3 ]  TP_474000_%1").arg(QString::fromStdString(bandwidth)));
}

TEST_F(TpInfoFormTest, NoFreeIdRefusesANewTransponderAndCreatesNothing)
{
    for (int id = 1; id <= 1023; ++id)
        AddTransponder(1, id, 11000, 27500, 0);
    const int count = db->Count(KindTransponder);
    const int used = db->Used();

    const QString refusal = TpInfoForm::CheckRoomForNew(*db, 1);
    EXPECT_TRUE(refusal.contains(QStringLiteral("1023"))) << refusal.toStdString();
    NavNode node = NewNode(1);
    TpInfoValues values = TpInfoForm::PrepareNew(node, 1024);
    values.frequency = 11778;
    values.secondValue = 27500;
    const TpWriteOutcome outcome = TpInfoForm::Write(*db, node, TpInfoNew, values);
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(outcome.created);
    EXPECT_EQ(outcome.message, refusal);
    EXPECT_EQ(db->Count(KindTransponder), count);
    EXPECT_EQ(db->Used(), used);
    EXPECT_EQ(node.kind, NavAllServices);
    EXPECT_EQ(node.tpId, 0);
    // Another satellite still has every id.
    EXPECT_TRUE(TpInfoForm::CheckRoomForNew(*db, 2).isEmpty());
}

TEST_F(TpInfoFormTest, AFullTableRefusesANewTransponderAndCreatesNothing)
{
    // Zeroed records belong to no satellite; they only fill the table, which takes more records
    // than a file may hold: the file's limit refuses first, before anything is allocated.
    while (db->AllocateNode(KindTransponder) >= 0) {
    }
    const int live = db->LiveCount(KindTransponder);
    EXPECT_GT(live, CChannelDb::MaxNodes(KindTransponder));
    const int used = db->Used();
    EXPECT_FALSE(TpInfoForm::CheckRoomForNew(*db, 1).isEmpty());
    NavNode node = NewNode(1);
    TpInfoValues values = TpInfoForm::PrepareNew(node, 1);
    const TpWriteOutcome outcome = TpInfoForm::Write(*db, node, TpInfoNew, values);
    EXPECT_FALSE(outcome.written);
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("full"))) << outcome.message.toStdString();
    EXPECT_EQ(db->LiveCount(KindTransponder), live);
    EXPECT_EQ(db->Used(), used);
    EXPECT_EQ(node.kind, NavAllServices);
    EXPECT_EQ(node.index, 0);
}

TEST_F(TpInfoFormTest, EditingARecordThatIsGoneWritesNothing)
{
    const int slot = AddTransponder(1, 1, 11778, 27500, 1);
    AddTransponder(1, 2, 12015, 27500, 0);
    db->DeleteNode(KindTransponder, slot);
    NavNode node = TransponderNode(slot, 1, 1, "[ 1 ]  TP_11778_V_27500");
    const TpWriteOutcome outcome = TpInfoForm::Write(*db, node, TpInfoEdit, TpInfoValues{node.label, 12000, 27500, 0});
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(outcome.message.isEmpty());
    EXPECT_FALSE(db->IsUsed(KindTransponder, slot));
    EXPECT_EQ(node.label, QStringLiteral("[ 1 ]  TP_11778_V_27500"));
}

TEST_F(TpInfoFormTest, TheTableLimitOfAFileRefusesANewTransponder)
{
    // A file holds at most 6000 transponders: one more could be neither saved nor read again.
    while (db->LiveCount(KindTransponder) < CChannelDb::MaxNodes(KindTransponder))
        ASSERT_GE(db->AllocateNode(KindTransponder), 0);
    const int used = db->Used();
    const QString refusal = TpInfoForm::CheckRoomForNew(*db, 1);
    EXPECT_TRUE(refusal.contains(QStringLiteral("6000"))) << refusal.toStdString();
    NavNode node = NewNode(1);
    const TpWriteOutcome outcome = TpInfoForm::Write(*db, node, TpInfoNew, TpInfoForm::PrepareNew(node, 1));
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.message, refusal);
    EXPECT_EQ(db->LiveCount(KindTransponder), CChannelDb::MaxNodes(KindTransponder));
    EXPECT_EQ(db->Used(), used);
}

TEST_F(TpInfoFormTest, ANumberTheFieldCannotHoldIsRefusedBeforeWriting)
{
    // Any value goes for a new terrestrial transponder, but the bandwidth field is narrow.
    TpInfoValues values {QString(), 474000, 300, 0};
    const std::optional<TpInfoProblem> problem = TpInfoForm::CheckFits(*db, values, 255);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->controlId, SecondValueControl);
    EXPECT_TRUE(problem->message.startsWith(QStringLiteral("Band Width: 300 does not fit"))) << problem->message.toStdString();
    values.secondValue = 8;
    EXPECT_FALSE(TpInfoForm::CheckFits(*db, values, 255));
    // A satellite transponder within the dialog's ranges fits its fields.
    EXPECT_FALSE(TpInfoForm::CheckFits(*db, TpInfoValues {QString(), 13450, 45000, 1}, 1));
}
