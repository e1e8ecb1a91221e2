// Transponder labels and ordinals, renumbering, and the text exchange of Move Up / Down.
#include "EditorCoreSupport.h"

#include "database/TransponderLabels.h"

namespace {

struct TransponderLabelsTest : ::testing::Test, EditorDb
{
    std::vector<std::string> Labels(int satId)
    {
        std::vector<std::string> labels;
        for (const SatelliteTransponder &t : SatelliteTransponders(*db, satId))
            labels.push_back(t.label);
        return labels;
    }
};

} // namespace

TEST_F(TransponderLabelsTest, LabelsCountTheSatellitesTranspondersInTableOrder)
{
    Add(KindSatellite, {{"sat_id", "1"}, {"satname", "A"}});
    Add(KindSatellite, {{"sat_id", "2"}, {"satname", "B"}});
    const int t0 = AddTransponder(1, 1, 11778, 27500, 1);
    AddTransponder(2, 1, 12188, 27500, 0);
    const int t2 = AddTransponder(1, 2, 12015, 27500, 0);

    const std::vector<SatelliteTransponder> underA = SatelliteTransponders(*db, 1);
    ASSERT_EQ(underA.size(), 2u);
    EXPECT_EQ(underA[0].node, t0);
    EXPECT_EQ(underA[0].ordinal, 1);
    EXPECT_EQ(underA[0].tpId, 1);
    EXPECT_EQ(underA[0].label, "[ 1 ]  TP_11778_V_27500");
    EXPECT_EQ(underA[1].node, t2);
    EXPECT_EQ(underA[1].ordinal, 2);
    EXPECT_EQ(underA[1].tpId, 2);
    EXPECT_EQ(underA[1].label, "[ 2 ]  TP_12015_H_27500");
    EXPECT_EQ(Labels(2), std::vector<std::string>{"[ 1 ]  TP_12188_H_27500"});
    EXPECT_EQ(SatelliteTransponders(*db, 99).size(), 0u);

    // A deleted transponder takes no ordinal.
    db->DeleteNode(KindTransponder, t0);
    EXPECT_EQ(Labels(1), std::vector<std::string>{"[ 1 ]  TP_12015_H_27500"});
    EXPECT_EQ(TransponderLabel(*db, t2, 7), "[ 7 ]  TP_12015_H_27500");
}

TEST_F(TransponderLabelsTest, TerrestrialTranspondersShowFrequencyAndBandwidth)
{
    const int tp = Add(KindTransponder, {{"sat_id", "255"}, {"tp_id", "1"}, {"dvbt_frq", "474000"},
                                         {"bandwidth", "8"}, {"frq", "11111"}, {"pol", "1"}});
    EXPECT_EQ(Labels(255), std::vector<std::string>{"[ 1 ]  TP_474000_8"});
    EXPECT_EQ(TransponderLabel(*db, tp, 1), "[ 1 ]  TP_474000_8");
}

TEST(TransponderLabelLayouts, MissingFieldsCountAsZeroAndOrdersMatter)
{
    // The small template has no "pol", and "dvbt_frq" / "bandwidth" without pos.
    EditorDb small(SmallTemplate());
    const int sky = small.Add(KindTransponder, {{"sat_id", "3"}, {"tp_id", "1"}, {"frq", "10714"}, {"sym", "22000"}});
    EXPECT_EQ(TransponderLabel(*small.db, sky, 1), "[ 1 ]  TP_10714_H_22000");
    // Terrestrial values are read in declaration order, so fields without pos still count.
    const int dvbt = small.Add(KindTransponder, {{"sat_id", "255"}, {"tp_id", "1"}, {"dvbt_frq", "698000"},
                                                 {"bandwidth", "7"}});
    EXPECT_EQ(TransponderLabel(*small.db, dvbt, 2), "[ 2 ]  TP_698000_7");

    // "pol" declared without pos is absent from position order: it counts as 0 (H).
    EditorDb noPolPos("/*#tp_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/;\n"
                      "  UINT32 frq:16 /*#pos:3@*/; UINT32 sym:16 /*#pos:4@*/; UINT32 pol; }\n"
                      "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; }\n"
                      "/*#prog_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; }\n");
    const int tp = noPolPos.Add(KindTransponder, {{"sat_id", "1"}, {"tp_id", "1"}, {"frq", "11000"},
                                                  {"sym", "27500"}, {"pol", "1"}});
    EXPECT_EQ(TransponderLabel(*noPolPos.db, tp, 1), "[ 1 ]  TP_11000_H_27500");
    EXPECT_TRUE(noPolPos.prompt.messages.isEmpty());
}

TEST(TransponderLabelText, SplitRenumberAndExchange)
{
    LabelParts parts = SplitLabel("[ 1 ]  TP_11778_V_27500");
    EXPECT_EQ(parts.prefix, "[ 1 ]  ");
    EXPECT_EQ(parts.tail, "TP_11778_V_27500");
    parts = SplitLabel("Astra 19.2E");
    EXPECT_EQ(parts.prefix, "");
    EXPECT_EQ(parts.tail, "Astra 19.2E");
    parts = SplitLabel("TP_1_H_2");
    EXPECT_EQ(parts.prefix, "");
    EXPECT_EQ(parts.tail, "TP_1_H_2");
    parts = SplitLabel("[ 12 ]  TP_1_TP_2");  // the first "TP" splits
    EXPECT_EQ(parts.prefix, "[ 12 ]  ");
    EXPECT_EQ(parts.tail, "TP_1_TP_2");

    // Deleting the first of three transponders: the other two become 1 and 2, tails kept.
    EXPECT_EQ(RenumberLabels({"[ 2 ]  TP_12015_H_27500", "[ 3 ]  TP_12188_V_22000"}),
              (std::vector<std::string>{"[ 1 ]  TP_12015_H_27500", "[ 2 ]  TP_12188_V_22000"}));
    // k counts every child; texts without "TP", or with it at position 0, stay as they are.
    EXPECT_EQ(RenumberLabels({"[ 5 ]  TP_a", "odd", "TP_c", "[ 10 ]  TP_d"}),
              (std::vector<std::string>{"[ 1 ]  TP_a", "odd", "TP_c", "[ 4 ]  TP_d"}));
    EXPECT_TRUE(RenumberLabels({}).empty());
    EXPECT_EQ(RenumberedLabel("x TP_1", 12), "[ 12 ]  TP_1");

    // Move Up of the second transponder: ordinals stay in place, tails change places.
    auto [a, b] = ExchangeLabelTails("[ 2 ]  TP_12015_H_27500", "[ 1 ]  TP_11778_V_27500");
    EXPECT_EQ(a, "[ 2 ]  TP_11778_V_27500");
    EXPECT_EQ(b, "[ 1 ]  TP_12015_H_27500");
    // Satellite names have no "TP": the names change places.
    std::tie(a, b) = ExchangeLabelTails("Astra", "Hotbird");
    EXPECT_EQ(a, "Hotbird");
    EXPECT_EQ(b, "Astra");
}
