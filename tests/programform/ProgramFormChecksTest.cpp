// The program form's tables, entry parsing, OK checks and the Service ID rule.
#include "ProgramFormSupport.h"

#include <tuple>
#include <vector>

TEST(ProgramFormTables, ListsImageAndGroupValues)
{
    EXPECT_STREQ(ServiceTypeTable[0].text, "TV");
    EXPECT_EQ(ServiceTypeTable[0].value, 1);
    EXPECT_STREQ(ServiceTypeTable[1].text, "Radio");
    EXPECT_EQ(ServiceTypeTable[1].value, 0);
    EXPECT_STREQ(NoYesTable[0].text, "No");
    EXPECT_EQ(NoYesTable[0].value, 0);
    EXPECT_STREQ(NoYesTable[1].text, "Yes");
    EXPECT_EQ(NoYesTable[1].value, 1);

    for (size_t i = 0; i < NewProgramImage.size(); ++i) {
        const uint8_t expected = i == 12 ? 0xA0 : i == 18 ? 0xFF : i == 19 ? 0x1F : i == 20 ? 0x50 : i == 32 ? 0x30 : 0;
        EXPECT_EQ(NewProgramImage[i], expected) << i;
    }

    ProgramFormDb t;
    ProgramInfoForm form = t.Form(ProgramEditMode, 0);
    EXPECT_EQ(form.GroupValue(0), 1u);
    EXPECT_EQ(form.GroupValue(2), 4u);
    EXPECT_EQ(form.GroupValue(31), 0x80000000u);  // its key is the text of -2147483648
    EXPECT_EQ(form.GroupValue(32), 0u);
    ProgramValues values;
    values.groupTicked[0] = values.groupTicked[2] = true;
    EXPECT_EQ(form.TickedGroups(values), 5u);
}

TEST(ProgramFormEntries, SignedAndUnsignedDecimalsOnly)
{
    int32_t s = 7;
    EXPECT_TRUE(ProgramInfoForm::ParseSignedEntry(QStringLiteral("  -42 "), s));
    EXPECT_EQ(s, -42);
    EXPECT_TRUE(ProgramInfoForm::ParseSignedEntry(QStringLiteral("2147483647"), s));
    EXPECT_EQ(s, 2147483647);
    for (const char *bad : {"", " ", "0x10", "12a", "1 2", "2147483648", "--1", "1.5"}) {
        s = 7;
        EXPECT_FALSE(ProgramInfoForm::ParseSignedEntry(QString::fromLatin1(bad), s)) << bad;
        EXPECT_EQ(s, 7) << bad;
    }
    uint32_t u = 7;
    EXPECT_TRUE(ProgramInfoForm::ParseUnsignedEntry(QStringLiteral(" 4294967295\t"), u));
    EXPECT_EQ(u, 4294967295u);
    for (const char *bad : {"", "-1", "0x10", "4294967296", "+-3", "1e3"}) {
        u = 7;
        EXPECT_FALSE(ProgramInfoForm::ParseUnsignedEntry(QString::fromLatin1(bad), u)) << bad;
        EXPECT_EQ(u, 7u) << bad;
    }
}

TEST(ProgramFormEntries, ServiceIdTextRuleReadsTemplateNumbers)
{
    EXPECT_TRUE(ProgramInfoForm::PidsEnabledForServiceIdText(QStringLiteral("0")));
    EXPECT_TRUE(ProgramInfoForm::PidsEnabledForServiceIdText(QString()));
    EXPECT_TRUE(ProgramInfoForm::PidsEnabledForServiceIdText(QStringLiteral("0x0")));
    EXPECT_FALSE(ProgramInfoForm::PidsEnabledForServiceIdText(QStringLiteral("0x10")));
    EXPECT_FALSE(ProgramInfoForm::PidsEnabledForServiceIdText(QStringLiteral("1")));
}

namespace {

// A program that passes every check.
ProgramValues Valid()
{
    ProgramValues v;
    v.name = QStringLiteral("Ch");
    v.serviceTypeRow = 0;
    v.videoPid = 100;
    v.audioPid1 = 101;
    v.pcrPid = 100;
    return v;
}

} // namespace

TEST(ProgramFormValidation, EachRangeAtItsBoundaries)
{
    ProgramFormDb t;
    ProgramInfoForm form = t.Form(ProgramEditMode, 0);
    enum Field { Video, Audio1, Audio2, Audio3, Pcr };
    struct Case {
        int typeRow;
        Field field;
        int32_t value;
        int controlId;  // 0: accepted
        const char *message;
    };
    const char *video8190 = "Video Pid: [32,  8190]";
    const char *video8191 = "Video Pid: [32,  8191]";
    const char *audio1 = "Audio Pid1:  [32,  65535]";
    const char *audio2 = "Audio Pid2:  0 or [32,  65535]";
    const char *audio3 = "Audio Pid3:  0 or [32,  65535]";
    const char *pcr = "PCR Pid: [32,  8191]";
    const std::vector<Case> cases = {
        {0, Video, 31, IdVideoPid, video8190}, {0, Video, 32, 0, ""}, {0, Video, 8190, 0, ""},
        {0, Video, 8191, IdVideoPid, video8190}, {0, Video, -1, IdVideoPid, video8190},
        {1, Video, 31, IdVideoPid, video8191}, {1, Video, 8191, 0, ""}, {1, Video, 8192, IdVideoPid, video8191},
        {-1, Video, 8191, 0, ""},  // a list without a selection is not "TV"
        {0, Audio1, 31, IdAudioPid1, audio1}, {0, Audio1, 0, IdAudioPid1, audio1}, {0, Audio1, 32, 0, ""},
        {0, Audio1, 65535, 0, ""}, {0, Audio1, 65536, IdAudioPid1, audio1},
        {0, Audio2, 31, IdAudioPid2, audio2}, {0, Audio2, 32, 0, ""}, {0, Audio2, 65535, 0, ""},
        {0, Audio2, 65536, IdAudioPid2, audio2},
        {0, Audio3, 31, IdAudioPid2, audio2},  // Audio Pid2 0 while Audio Pid3 is set
        {0, Pcr, 31, IdPcrPid, pcr}, {0, Pcr, 32, 0, ""}, {0, Pcr, 8191, 0, ""}, {0, Pcr, 8192, IdPcrPid, pcr},
    };
    for (const Case &c : cases) {
        ProgramValues v = Valid();
        v.serviceTypeRow = c.typeRow;
        int32_t *targets[] = {&v.videoPid, &v.audioPid1, &v.audioPid2, &v.audioPid3, &v.pcrPid};
        *targets[c.field] = c.value;
        const auto failure = form.Validate(v);
        if (c.controlId == 0) {
            EXPECT_FALSE(failure) << c.field << " " << c.value << " " << failure->message.toStdString();
        } else {
            ASSERT_TRUE(failure) << c.field << " " << c.value;
            EXPECT_EQ(failure->controlId, c.controlId) << c.field << " " << c.value;
            EXPECT_EQ(failure->message.toStdString(), c.message) << c.field << " " << c.value;
        }
    }

    // Audio Pid3 on its own: 0 passes, 31 fails with its own message once Audio Pid2 is valid.
    ProgramValues v = Valid();
    v.audioPid2 = 200;
    v.audioPid3 = 31;
    ASSERT_TRUE(form.Validate(v));
    EXPECT_EQ(form.Validate(v)->message.toStdString(), audio3);
    EXPECT_EQ(form.Validate(v)->controlId, IdAudioPid3);
    v.audioPid3 = 65535;
    EXPECT_FALSE(form.Validate(v));
    v.audioPid3 = 0;
    v.audioPid2 = 0;
    EXPECT_FALSE(form.Validate(v));
}

TEST(ProgramFormValidation, OrderNameFirstThenVideoAudioPcr)
{
    ProgramFormDb t;
    ProgramInfoForm form = t.Form(ProgramEditMode, 0);
    ProgramValues v = Valid();
    v.name.clear();
    v.videoPid = 0;
    v.pcrPid = 0;
    auto failure = form.Validate(v);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message.toStdString(), "Empty channel name!");
    EXPECT_EQ(failure->controlId, IdChannelName);
    v.name = QStringLiteral("x");
    EXPECT_EQ(form.Validate(v)->controlId, IdVideoPid);
    v.videoPid = 32;
    v.audioPid1 = 0;
    EXPECT_EQ(form.Validate(v)->controlId, IdAudioPid1);
    v.audioPid1 = 32;
    EXPECT_EQ(form.Validate(v)->controlId, IdPcrPid);
}

TEST(ProgramFormValidation, ServiceIdSkipsPidChecksAndNullsLowPids)
{
    ProgramFormDb t;
    ProgramInfoForm form = t.Form(ProgramEditMode, 0);
    ProgramValues v;
    v.name = QStringLiteral("x");
    v.serviceId = 1;
    v.audioPid2 = 5;
    v.audioPid3 = -3;
    v.serviceTypeRow = 0;
    EXPECT_FALSE(form.Validate(v));
    EXPECT_EQ(v.videoPid, 8191);
    EXPECT_EQ(v.audioPid1, 8191);
    EXPECT_EQ(v.pcrPid, 8191);
    EXPECT_EQ(v.audioPid2, 5);   // left for the writing check
    EXPECT_EQ(v.audioPid3, -3);
    v.videoPid = 40000;          // no range applies with a Service ID
    v.pcrPid = 32;
    EXPECT_FALSE(form.Validate(v));
    EXPECT_EQ(v.videoPid, 40000);
    EXPECT_EQ(v.pcrPid, 32);
    v.name.clear();
    EXPECT_TRUE(form.Validate(v));  // the name check comes first
}

TEST(ProgramFormValidation, ANumberTheFieldCannotHoldIsRefusedNotCut)
{
    ProgramFormDb t;
    ProgramInfoForm form = t.Form(ProgramEditMode, 0);
    // A Service ID turns the PID checks off; the 16-bit field still holds at most 65535.
    ProgramValues v = Valid();
    v.serviceId = 70000;
    std::optional<ProgramCheckFailure> failure = form.Validate(v);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->controlId, IdServiceId);
    EXPECT_EQ(failure->message.toStdString(), "Service ID: 70000 does not fit; the field holds 0 to 65535.");
    v.serviceId = 65535;
    EXPECT_FALSE(form.Validate(v));
    // With a Service ID the PIDs are not range-checked, but one too wide still cannot be stored.
    v.videoPid = 70000;
    failure = form.Validate(v);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->controlId, IdVideoPid);
    EXPECT_TRUE(failure->message.startsWith(QStringLiteral("Video Pid: 70000 does not fit")));
    v.videoPid = 40000;
    EXPECT_FALSE(form.Validate(v));

    // The check follows the layout: a 32-bit field takes the whole range.
    EXPECT_EQ(IntegerFieldRange(*t.db, KindProgram, "Service ID")->high, 65535);
    EXPECT_FALSE(IntegerFieldRange(*t.db, KindProgram, "Service Name"));
    EXPECT_FALSE(CheckFieldFits(*t.db, KindProgram, "no such field", 1 << 30, QStringLiteral("x"), 1));
}
