// Several programs edited at once: what they share, the edit of each record, the Channel Type rule.
#include "ProgramFormSupport.h"

#include "editors/ProgramsEditForm.h"
#include "support/TableRecords.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

struct ProgramsDb : ProgramFormDb
{
    using ProgramFormDb::ProgramFormDb;

    ProgramsEditForm Form(const std::vector<int32_t> &slots) { return ProgramsEditForm(*db, slots, groups); }

    // The field's text as it reads from a record that is not (yet) in the database.
    std::string FieldOf(int slot, const std::vector<uint8_t> &record, const char *name)
    {
        const std::vector<uint8_t> kept = db->RecordBytes(KindProgram, slot);
        db->SetRecordBytes(KindProgram, slot, record);
        const std::string text = Field(slot, name);
        db->SetRecordBytes(KindProgram, slot, kept);
        return text;
    }

    // The byte offsets at which two records differ.
    static std::set<size_t> Differences(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
    {
        std::set<size_t> at;
        for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
            if (i >= a.size() || i >= b.size() || a[i] != b[i])
                at.insert(i);
        }
        return at;
    }

    // The four bytes of the 32-bit word a field of the program layout lies in.
    std::set<size_t> WordOf(const char *name)
    {
        const FieldDesc *field = layouts.Field(KindProgram, layouts.FindField(KindProgram, name, DeclarationOrder),
                                               DeclarationOrder);
        EXPECT_NE(field, nullptr) << name;
        const size_t first = field ? size_t(field->wordIndex) * 4 : 0;
        return {first, first + 1, first + 2, first + 3};
    }
};

const NodeChange *ChangeOf(const DatabaseEdit &edit, int slot)
{
    for (const NodeChange &change : edit.changes) {
        if (change.slot == slot)
            return &change;
    }
    return nullptr;
}

} // namespace

TEST(ProgramsEditLoad, SharedValuesShowAndDifferencesAreUnchanged)
{
    ProgramsDb t;
    // Group items 1, 3 and 32 are bits 0, 2 and 31.
    const int a = t.AddNodeProgram({{"Service Type", "1"}, {"Scramble", "0"}, {"Factory", "1"}, {"Favorite Group", "5"}});
    const int b = t.AddNodeProgram({{"Service Type", "1"}, {"Scramble", "1"}, {"Factory", "1"}, {"Favorite Group", "1"}});
    const int c = t.AddNodeProgram(
        {{"Service Type", "1"}, {"Scramble", "0"}, {"Factory", "1"}, {"Favorite Group", "2147483649"}});
    const int freed = t.AddNodeProgram();
    t.db->DeleteNode(KindProgram, freed);

    // Free slots, slots past the table and repeats are no programs of the selection.
    const ProgramsEditForm form = t.Form({b, freed, a, b, -1, 9999, c});
    EXPECT_EQ(form.Programs(), (std::vector<int32_t> {b, a, c}));
    const ProgramsEditValues &shared = form.Shared();
    EXPECT_TRUE(shared.channelType.offered);
    EXPECT_EQ(shared.channelType.row, 0);  // all TV
    EXPECT_TRUE(shared.scramble.offered);
    EXPECT_EQ(shared.scramble.row, SharedChoice::kUnchanged);  // they differ
    EXPECT_EQ(shared.factory.row, 1);  // all Yes
    EXPECT_TRUE(shared.groupsOffered);
    for (int item = 0; item < kGroupItemCount; ++item) {
        const GroupShare expected = item == 0 ? GroupShare::AllIn
                                    : item == 2 || item == 31 ? GroupShare::SomeIn
                                                              : GroupShare::NoneIn;
        EXPECT_EQ(shared.groups[size_t(item)], expected) << item;
    }

    // A value every program stores but no row shows cannot be shown either.
    ASSERT_TRUE(t.Set(KindProgram, a, "Service Type", "5"));
    ASSERT_TRUE(t.Set(KindProgram, b, "Service Type", "5"));
    EXPECT_EQ(t.Form({a, b}).Shared().channelType.row, SharedChoice::kUnchanged);
    ASSERT_TRUE(t.Set(KindProgram, a, "Service Type", "0"));
    ASSERT_TRUE(t.Set(KindProgram, b, "Service Type", "0"));
    EXPECT_EQ(t.Form({a, b}).Shared().channelType.row, 1);  // both radio
}

TEST(ProgramsEditLoad, FieldsTheLayoutLacksAreNotOffered)
{
    // "Scramble" has no position (the program dialog does not see it), "Factory" is not there,
    // and the group field holds 16 bits only.
    ProgramsDb t("/*#tp_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; }\n"
                 "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; }\n"
                 "/*#prog_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; UINT32 prog_id;\n"
                 "  UINT32 fav:16 /*#name:Favorite Group|pos:3@*/; UINT32 st:8 /*#name:Service Type|pos:4@*/;\n"
                 "  UINT32 scr:1 /*#name:Scramble@*/; UINT32 spare:7; }\n");
    const int a = t.AddNodeProgram({{"Service Type", "1"}, {"Scramble", "1"}});
    const int b = t.AddNodeProgram({{"Service Type", "1"}, {"Scramble", "1"}});
    ProgramsEditForm form = t.Form({a, b});
    EXPECT_TRUE(form.Shared().channelType.offered);
    EXPECT_FALSE(form.Shared().scramble.offered);
    EXPECT_FALSE(form.Shared().factory.offered);
    EXPECT_TRUE(form.Shared().groupsOffered);

    const auto before = TestRecords::ProgramRecords(*t.db);
    ProgramsEditValues values = form.Shared();
    values.scramble.row = 0;  // not offered: asking for it changes nothing
    values.factory.row = 1;
    EXPECT_FALSE(form.Edit(values));
    // A group beyond the field's 16 bits would be dropped while writing: refused, not cut.
    values.groups[16] = GroupShare::AllIn;
    const std::optional<FieldProblem> problem = form.Validate(values);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->controlId, IdGroup);
    EXPECT_TRUE(problem->message.contains(QStringLiteral("Group 17"))) << problem->message.toStdString();
    EXPECT_FALSE(form.Edit(values));
    values.groups[16] = GroupShare::SomeIn;
    values.groups[15] = GroupShare::AllIn;
    const std::optional<DatabaseEdit> edit = form.Edit(values);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->changes.size(), 2u);
    EXPECT_EQ(TestRecords::ProgramRecords(*t.db), before);

    ProgramsDb none(SmallTemplate());
    const int p = none.AddNodeProgram();
    ProgramsEditForm bare = none.Form({p});
    EXPECT_FALSE(bare.Shared().channelType.offered || bare.Shared().scramble.offered || bare.Shared().factory.offered
                 || bare.Shared().groupsOffered);
    ProgramsEditValues all = bare.Shared();
    all.channelType.row = 1;
    all.groups.fill(GroupShare::AllIn);
    EXPECT_FALSE(bare.Edit(all));
}

TEST(ProgramsEditWrite, GroupsAloneChangeOnlyTheGroupWord)
{
    ProgramsDb t;
    const int a = t.AddNodeProgram({{"Service Name", "Alpha"}, {"Service Type", "1"}, {"Video Pid", "700"},
                                    {"Scramble", "1"}, {"Factory", "0"}, {"Service ID", "12"}, {"Favorite Group", "5"}});
    const int b = t.AddNodeProgram({{"Service Name", "Beta"}, {"Service Type", "0"}, {"Video Pid", "8191"},
                                    {"Scramble", "0"}, {"Factory", "1"}, {"Favorite Group", "2147483650"}});
    const int c = t.AddNodeProgram({{"Service Name", "Gamma"}, {"Favorite Group", "2"}});
    const auto before = TestRecords::ProgramRecords(*t.db);
    ProgramsEditForm form = t.Form({a, b, c});
    ProgramsEditValues values = form.Shared();
    EXPECT_EQ(values.groups[1], GroupShare::SomeIn);
    values.groups[0] = GroupShare::NoneIn;   // a leaves group 1
    values.groups[1] = GroupShare::AllIn;    // a joins group 2; b and c are in it already
    values.groups[4] = GroupShare::AllIn;    // everyone joins group 5
    // Group 32 stays as it is: b keeps it, the others stay out.
    const std::optional<DatabaseEdit> edit = form.Edit(values);
    ASSERT_TRUE(edit);
    EXPECT_TRUE(edit->moves.empty());
    EXPECT_EQ(TestRecords::ProgramRecords(*t.db), before);  // the form leaves the database as it was

    const std::map<int, uint32_t> wanted = {{a, 0x16u}, {b, 0x80000012u}, {c, 0x12u}};
    ASSERT_EQ(edit->changes.size(), wanted.size());
    for (const auto &[slot, bits] : wanted) {
        const NodeChange *change = ChangeOf(*edit, slot);
        ASSERT_NE(change, nullptr) << slot;
        EXPECT_EQ(change->kind, KindProgram);
        EXPECT_EQ(change->before, before[size_t(slot)]);
        EXPECT_EQ(uint32_t(std::stoll(t.FieldOf(slot, change->after, "Favorite Group"))), bits) << slot;
        const std::set<size_t> changed = ProgramsDb::Differences(change->before, change->after);
        const std::set<size_t> word = t.WordOf("Favorite Group");
        EXPECT_TRUE(std::includes(word.begin(), word.end(), changed.begin(), changed.end())) << slot;
    }
    // The type, flags, PIDs and name read as before.
    for (const char *name : {"Service Type", "Video Pid", "Scramble", "Factory", "Service ID", "Service Name"})
        EXPECT_EQ(t.FieldOf(a, ChangeOf(*edit, a)->after, name), t.Field(a, name)) << name;
}

TEST(ProgramsEditWrite, FlagsAndTypeFollowTheProgramDialogsRule)
{
    ProgramsDb t;
    const int tv = t.AddNodeProgram({{"Service Type", "1"}, {"Video Pid", "1234"}, {"Scramble", "0"}, {"Factory", "0"}});
    const int radio = t.AddNodeProgram({{"Service Type", "0"}, {"Video Pid", "300"}, {"Scramble", "1"}});
    const int odd = t.AddNodeProgram({{"Service Type", "5"}, {"Video Pid", "600"}});
    const auto before = TestRecords::ProgramRecords(*t.db);
    ProgramsEditForm form = t.Form({tv, radio, odd});

    // Radio: each program that was not radio takes the null video PID, as a single program does
    // when its Channel Type becomes Radio; the radio one is left alone.
    ProgramsEditValues values = form.Shared();
    values.channelType.row = 1;
    const std::optional<DatabaseEdit> toRadio = form.Edit(values);
    ASSERT_TRUE(toRadio);
    EXPECT_EQ(ChangeOf(*toRadio, radio), nullptr);
    for (const int slot : {tv, odd}) {
        const NodeChange *change = ChangeOf(*toRadio, slot);
        ASSERT_NE(change, nullptr) << slot;
        EXPECT_EQ(t.FieldOf(slot, change->after, "Service Type"), "0");
        EXPECT_EQ(t.FieldOf(slot, change->after, "Video Pid"), "8191");
        const std::set<size_t> changed = ProgramsDb::Differences(change->before, change->after);
        std::set<size_t> allowed = t.WordOf("Service Type");
        allowed.merge(t.WordOf("Video Pid"));
        EXPECT_TRUE(std::includes(allowed.begin(), allowed.end(), changed.begin(), changed.end())) << slot;
    }
    EXPECT_EQ(TestRecords::ProgramRecords(*t.db), before);

    // Scramble and Factory: only programs that differ change; nothing else in them does.
    values = form.Shared();
    values.scramble.row = 1;
    values.factory.row = 0;
    const std::optional<DatabaseEdit> flags = form.Edit(values);
    ASSERT_TRUE(flags);
    EXPECT_EQ(flags->changes.size(), 2u);
    for (const int slot : {tv, odd}) {
        const NodeChange *change = ChangeOf(*flags, slot);
        ASSERT_NE(change, nullptr) << slot;
        EXPECT_EQ(t.FieldOf(slot, change->after, "Scramble"), "1");
        EXPECT_EQ(t.FieldOf(slot, change->after, "Factory"), "0");
        EXPECT_EQ(t.FieldOf(slot, change->after, "Service Type"), t.Field(slot, "Service Type"));
        EXPECT_EQ(t.FieldOf(slot, change->after, "Video Pid"), t.Field(slot, "Video Pid"));
    }
}

TEST(ProgramsEditWrite, TurningTvKeepsVideoPidsATvProgramCanHave)
{
    ProgramsDb t;
    // Radio programs: one with a video PID a TV program may have, one found by its Service ID
    // (the PIDs are not checked then), one with the null PID and no Service ID.
    const int usable = t.AddNodeProgram({{"Service Name", "Usable"}, {"Service Type", "0"}, {"Video Pid", "500"}});
    const int byId = t.AddNodeProgram(
        {{"Service Name", "ById"}, {"Service Type", "0"}, {"Video Pid", "8191"}, {"Service ID", "77"}});
    const int nullPid = t.AddNodeProgram({{"Service Name", "NoVideo"}, {"Service Type", "0"}, {"Video Pid", "8191"}});
    ProgramsEditForm all = t.Form({usable, byId, nullPid});
    ProgramsEditValues values = all.Shared();
    values.channelType.row = 0;
    const std::optional<FieldProblem> problem = all.Validate(values);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->controlId, IdChannelType);
    EXPECT_TRUE(problem->message.startsWith(QStringLiteral("Video Pid: [32,  8190]")));
    EXPECT_TRUE(problem->message.contains(QStringLiteral("1 of the 3 channels (\"NoVideo\")")))
        << problem->message.toStdString();
    EXPECT_FALSE(all.Edit(values));

    ProgramsEditForm fine = t.Form({usable, byId});
    values = fine.Shared();
    values.channelType.row = 0;
    EXPECT_FALSE(fine.Validate(values));
    const std::optional<DatabaseEdit> edit = fine.Edit(values);
    ASSERT_TRUE(edit);
    ASSERT_EQ(edit->changes.size(), 2u);
    EXPECT_EQ(t.FieldOf(usable, ChangeOf(*edit, usable)->after, "Service Type"), "1");
    EXPECT_EQ(t.FieldOf(usable, ChangeOf(*edit, usable)->after, "Video Pid"), "500");
    EXPECT_EQ(t.FieldOf(byId, ChangeOf(*edit, byId)->after, "Service Type"), "1");
    EXPECT_EQ(t.FieldOf(byId, ChangeOf(*edit, byId)->after, "Video Pid"), "8191");

    // Leaving the type unchanged never checks the video PIDs.
    values = all.Shared();
    values.scramble.row = 1;
    EXPECT_FALSE(all.Validate(values));
    EXPECT_TRUE(all.Edit(values));
}

TEST(ProgramsEditWrite, NothingToChangeIsNoEdit)
{
    ProgramsDb t;
    const int a = t.AddNodeProgram({{"Service Type", "1"}, {"Scramble", "1"}, {"Favorite Group", "3"}});
    const int b = t.AddNodeProgram({{"Service Type", "0"}, {"Scramble", "1"}, {"Favorite Group", "1"}});
    ProgramsEditForm form = t.Form({a, b});
    // As loaded: shared values shown, the rest unchanged.
    EXPECT_FALSE(form.Edit(form.Shared()));
    // Everything "unchanged".
    ProgramsEditValues unchanged;
    EXPECT_FALSE(form.Edit(unchanged));
    // Asking for what every program already has.
    ProgramsEditValues same = form.Shared();
    same.scramble.row = 1;
    same.groups[0] = GroupShare::AllIn;
    same.groups[5] = GroupShare::NoneIn;
    EXPECT_FALSE(form.Edit(same));
    // No program at all.
    EXPECT_FALSE(t.Form({}).Edit(same));
}
