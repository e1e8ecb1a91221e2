// Loading a program, preparing a new one, and the Channel Type rule.
#include "ProgramFormSupport.h"

TEST(ProgramFormLoad, EditModeReadsEveryField)
{
    ProgramFormDb t;
    t.AddNodeProgram();
    const int slot = t.AddNodeProgram({{"Service Name", "Radio One"}, {"Service Type", "0"}, {"Video Pid", "8191"},
                                       {"Audio Pid1", "301"}, {"Audio Pid2", "302"}, {"Audio Pid3", "303"},
                                       {"PCR Pid", "304"}, {"Favorite Group", "2147483653"}, {"Scramble", "1"},
                                       {"Factory", "0"}, {"Service ID", "0"}});
    t.node.slots = {0, -1, slot};
    ProgramInfoForm form = t.Form(ProgramEditMode, 2);
    form.Initialise();
    EXPECT_EQ(form.Position(), 2);
    EXPECT_EQ(form.ProgramSlot(), slot);
    const ProgramValues &v = form.Values();
    EXPECT_EQ(v.name.toStdString(), "Radio One");
    EXPECT_EQ(v.serviceTypeRow, 1);
    EXPECT_EQ(v.videoPid, 8191);
    EXPECT_EQ(v.audioPid1, 301);
    EXPECT_EQ(v.audioPid2, 302);
    EXPECT_EQ(v.audioPid3, 303);
    EXPECT_EQ(v.pcrPid, 304);
    EXPECT_EQ(v.scrambleRow, 1);
    EXPECT_EQ(v.factoryRow, 0);
    EXPECT_EQ(v.serviceId, 0u);
    // 2147483653 = bit 31 + bits 0 and 2: groups 1, 3 and 32 (bit 31 reads back signed).
    for (int i = 0; i < kGroupItemCount; ++i)
        EXPECT_EQ(v.groupTicked[size_t(i)], i == 0 || i == 2 || i == 31) << i;
    EXPECT_TRUE(v.channelTypeEnabled);
    EXPECT_FALSE(v.videoPidEnabled);  // radio
    EXPECT_TRUE(v.otherPidsEnabled);
}

TEST(ProgramFormLoad, FilterServiceIdAndUnmatchedRows)
{
    ProgramFormDb t;
    const int slot = t.AddNodeProgram({{"Service Type", "1"}, {"Video Pid", "500"}, {"Service ID", "77"},
                                       {"Scramble", "0"}, {"Factory", "1"}});
    t.node.slots = {slot};
    {
        ProgramInfoForm form = t.Form(ProgramEditMode, 0, ServiceFilter::TvOnly);
        form.Initialise();
        EXPECT_EQ(form.Values().serviceTypeRow, 0);
        EXPECT_FALSE(form.Values().channelTypeEnabled);
        EXPECT_EQ(form.Values().serviceId, 77u);
        EXPECT_FALSE(form.Values().videoPidEnabled);  // a Service ID disables the five PID edits
        EXPECT_FALSE(form.Values().otherPidsEnabled);
        EXPECT_EQ(form.Values().factoryRow, 1);
    }
    {
        // The radio filter's 8191 gives way to the stored Video Pid.
        ProgramInfoForm form = t.Form(ProgramEditMode, 0, ServiceFilter::RadioOnly);
        form.Initialise();
        EXPECT_FALSE(form.Values().channelTypeEnabled);
        EXPECT_EQ(form.Values().videoPid, 500);
    }
    // Stored values that match no row leave their lists without a selection.
    ASSERT_TRUE(t.Set(KindProgram, slot, "Service Type", "5"));
    ASSERT_TRUE(t.Set(KindProgram, slot, "Scramble", "0"));
    ASSERT_TRUE(t.Set(KindProgram, slot, "Service ID", "0"));
    ProgramInfoForm form = t.Form(ProgramEditMode, 0);
    form.Initialise();
    EXPECT_EQ(form.Values().serviceTypeRow, -1);
    EXPECT_EQ(form.Values().scrambleRow, 0);
    EXPECT_TRUE(form.Values().videoPidEnabled);
}

TEST(ProgramFormLoad, NoProgramAtThePositionLeavesDefaults)
{
    ProgramFormDb t;
    const int slot = t.AddNodeProgram({{"Video Pid", "500"}});
    t.node.slots = {slot};
    for (int index : {-1, 1, 5}) {
        ProgramInfoForm form = t.Form(ProgramEditMode, index);
        form.Initialise();
        EXPECT_EQ(form.ProgramSlot(), -1);
        EXPECT_TRUE(form.Values().name.isEmpty());
        EXPECT_EQ(form.Values().videoPid, 0);
        EXPECT_EQ(form.Values().serviceTypeRow, -1);
    }
    ProgramInfoForm noNode(*t.db, nullptr, ProgramEditMode, 0, ServiceFilter::TvAndRadio, t.groups);
    noNode.Initialise();
    EXPECT_TRUE(noNode.Values().name.isEmpty());
    ScriptedPrompt prompt;
    EXPECT_EQ(noNode.Write(noNode.Values(), prompt).status, ProgramWriteResult::Nothing);
}

TEST(ProgramFormPrepare, NewProgramByServiceFilter)
{
    ProgramFormDb t;
    struct Case {
        ServiceFilter filter;
        int row;
        bool typeEnabled;
        int32_t video;
        bool videoEnabled;
    };
    for (const Case &c : {Case {ServiceFilter::TvOnly, 0, false, 0, true}, Case {ServiceFilter::RadioOnly, 1, false, 8191, false},
                          Case {ServiceFilter::TvAndRadio, 0, true, 0, true}}) {
        ProgramInfoForm form = t.Form(ProgramInsertMode, 0, c.filter);
        form.Initialise();
        const ProgramValues &v = form.Values();
        EXPECT_EQ(v.name.toStdString(), "New Channel") << int(c.filter);
        EXPECT_EQ(v.serviceTypeRow, c.row) << int(c.filter);
        EXPECT_EQ(v.channelTypeEnabled, c.typeEnabled) << int(c.filter);
        EXPECT_EQ(v.videoPid, c.video) << int(c.filter);
        EXPECT_EQ(v.videoPidEnabled, c.videoEnabled) << int(c.filter);
        EXPECT_EQ(v.audioPid1 | v.audioPid2 | v.audioPid3 | v.pcrPid, 0) << int(c.filter);
        EXPECT_EQ(v.serviceId, 0u);
        EXPECT_EQ(v.scrambleRow, 0);
        EXPECT_EQ(v.factoryRow, 0);
        for (bool ticked : v.groupTicked)
            EXPECT_FALSE(ticked);
    }
}

TEST(ProgramFormReset, LoadsAgainOrPreparesAgain)
{
    ProgramFormDb t;
    const int slot = t.AddNodeProgram({{"Service Name", "Stored"}, {"Audio Pid1", "400"}});
    t.node.slots = {slot};
    ProgramInfoForm edit = t.Form(ProgramEditMode, 0);
    edit.Initialise();
    edit.Values().name = QStringLiteral("typed");
    edit.Values().audioPid1 = 1;
    edit.Values().groupTicked[4] = true;
    edit.Reset();
    EXPECT_EQ(edit.Values().name.toStdString(), "Stored");
    EXPECT_EQ(edit.Values().audioPid1, 400);
    EXPECT_FALSE(edit.Values().groupTicked[4]);

    ProgramInfoForm insert = t.Form(ProgramInsertMode, 0);
    insert.Initialise();
    insert.Values().name = QStringLiteral("typed");
    insert.Values().serviceId = 9;
    insert.Reset();
    EXPECT_EQ(insert.Values().name.toStdString(), "New Channel");
    EXPECT_EQ(insert.Values().serviceId, 0u);
}

TEST(ProgramFormChannelType, RadioNullsVideoTvShowsTheStoredOne)
{
    ProgramFormDb t;
    const int slot = t.AddNodeProgram({{"Video Pid", "1234"}});
    t.node.slots = {slot};
    for (ProgramDialogMode mode : {ProgramEditMode, ProgramInsertMode}) {
        ProgramInfoForm form = t.Form(mode, 0);
        form.Initialise();
        const ChannelTypeEffect radio = form.ChannelTypeSelected(1);
        EXPECT_EQ(radio.videoPid.value_or(-1), 8191);
        EXPECT_FALSE(radio.videoPidEnabled);
        // Insert mode: the program the new one will precede.
        const ChannelTypeEffect tv = form.ChannelTypeSelected(0);
        EXPECT_EQ(tv.videoPid.value_or(-1), 1234) << int(mode);
        EXPECT_TRUE(tv.videoPidEnabled);
    }
    ProgramInfoForm past = t.Form(ProgramInsertMode, 1);
    past.Initialise();
    const ChannelTypeEffect tv = past.ChannelTypeSelected(0);
    EXPECT_FALSE(tv.videoPid);  // nothing to read there: the text stays
    EXPECT_TRUE(tv.videoPidEnabled);
}

TEST(ProgramFormName, CapacityIsTheSmallerOf17AndTheField)
{
    ProgramFormDb bundled;  // "Service Name" holds 32 bytes: 16 units
    EXPECT_TRUE(bundled.Form(ProgramEditMode, 0).HasNameField());
    EXPECT_EQ(bundled.Form(ProgramEditMode, 0).NameCapacity(), 16);
    ProgramFormDb wide("/*#tp_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; }\n"
                       "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; }\n"
                       "/*#prog_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; UINT32 prog_id; "
                       "UINT16 name_len; UINT8 n[64] /*#type:string|name:Service Name|pos:3@*/; }\n");
    EXPECT_EQ(wide.Form(ProgramEditMode, 0).NameCapacity(), 17);
    ProgramFormDb none(SmallTemplate());  // its name field has no position
    EXPECT_FALSE(none.Form(ProgramEditMode, 0).HasNameField());
}
