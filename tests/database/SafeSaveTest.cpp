// Saves that check themselves, the .bak of an editing session, and the ".udf" image form.
#include "DbTestSupport.h"

#include "database/DatabaseReader.h"
#include "database/DatabaseWriter.h"
#include "database/SaveSelfCheck.h"
#include "database/SessionBackup.h"
#include "database/UdfDatabase.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <utime.h>

namespace {

struct SafeSave : ::testing::Test, DbFixture
{
    void SetUp() override { db->CreateEmpty(); }
    void TearDown() override { SetWriterFaultHookForTest({}); }

    int Add(NodeKind kind, int sat, int tp = 0, int prog = 0)
    {
        const int slot = db->AllocateNode(kind);
        Set(kind, slot, "sat_id", std::to_string(sat));
        if (kind != KindSatellite)
            Set(kind, slot, "tp_id", std::to_string(tp));
        if (kind == KindProgram)
            Set(kind, slot, "prog_id", std::to_string(prog));
        return slot;
    }

    void Populate()
    {
        const int sat = Add(KindSatellite, 1);
        Set(KindSatellite, sat, "satname", "Ast");
        Set(KindSatellite, sat, "name_len", "6");
        Add(KindTransponder, 1, 1);
        for (int i = 1; i <= 3; ++i) {
            const int p = Add(KindProgram, 1, 1, i);
            Set(KindProgram, p, "Service Name", "Ch" + std::to_string(i));
            Set(KindProgram, p, "name_len", "6");
            Set(KindProgram, p, "service_id", std::to_string(100 + i));
            Set(KindProgram, p, "audio_count", "0");
            Set(KindProgram, p, "cas_count", "0");
            Set(KindProgram, p, "provider_name_len", "0");
        }
    }

    // A wrong conversion in the writer: the service id of the second program gains one.
    static void BreakServiceIdOfSecondProgram()
    {
        SetWriterFaultHookForTest([](NodeKind kind, int slot, uint8_t *record, size_t length) {
            // DB4 program: id, length byte, then the fixed part from service_id on.
            if (kind == KindProgram && slot == 1 && length > 5)
                record[5] = uint8_t(record[5] + 1);
        });
    }
};

} // namespace

TEST_F(SafeSave, AWriterFaultIsRefusedAndTheOldFileKept)
{
    Populate();
    const QString usd = dir.Path("x.usd");
    ASSERT_EQ(SaveNewUserDatabase(*db, usd, *profile), SaveResult::Written);
    const QByteArray before = ReadFileBytes(usd);
    ASSERT_TRUE(prompt.messages.isEmpty());

    Set(KindProgram, 0, "Service Name", "New");
    BreakServiceIdOfSecondProgram();
    EXPECT_EQ(SaveUserDatabase(*db, usd), SaveResult::Failed);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].contains("program 2")) << prompt.messages[0].toStdString();
    EXPECT_TRUE(prompt.messages[0].contains("field \"service_id\" reads \"103\" instead of \"102\""))
        << prompt.messages[0].toStdString();
    EXPECT_TRUE(prompt.messages[0].contains("The old file is unchanged"));
    EXPECT_EQ(ReadFileBytes(usd), before);

    // The .ddf writer goes through the same check.
    const QString ddf = dir.Path("x.ddf");
    EXPECT_EQ(SaveDefaultDatabase(*db, ddf, *profile), SaveResult::Failed);
    EXPECT_FALSE(QFileInfo::exists(ddf));

    // Without the fault the same saves pass the check and read back as the database.
    SetWriterFaultHookForTest({});
    prompt.messages.clear();
    EXPECT_EQ(SaveUserDatabase(*db, usd), SaveResult::Written);
    EXPECT_EQ(SaveDefaultDatabase(*db, ddf, *profile), SaveResult::Written);
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join("|").toStdString();
    EXPECT_EQ(CheckSavedBytes(*db, ReadFileBytes(usd), false), QString());
}

TEST_F(SafeSave, TheCheckNamesLostNodesAndUnreadableFilesAndSkipsDroppedTerrestrialOnes)
{
    Populate();
    const QString usd = dir.Path("y.usd");
    ASSERT_EQ(SaveNewUserDatabase(*db, usd, *profile), SaveResult::Written);
    const QByteArray good = ReadFileBytes(usd);
    EXPECT_EQ(CheckSavedBytes(*db, good, false), QString());

    // One more program in the database than in the file.
    const int extra = Add(KindProgram, 1, 1, 9);
    Set(KindProgram, extra, "Service Name", "X");
    EXPECT_TRUE(CheckSavedBytes(*db, good, false).contains("no program 4")) << CheckSavedBytes(*db, good, false).toStdString();
    db->DeleteNode(KindProgram, extra);
    EXPECT_EQ(CheckSavedBytes(*db, good, false), QString());

    // A terrestrial program left out by the writer is not missed, unless it was to be kept.
    Add(KindProgram, 255, 1, 1);
    EXPECT_EQ(CheckSavedBytes(*db, good, false), QString());
    EXPECT_FALSE(CheckSavedBytes(*db, good, true).isEmpty());

    QByteArray broken = good;
    broken[0] = 7;
    EXPECT_TRUE(CheckSavedBytes(*db, broken, false).contains("Error to parser header of sub chunk 1"));
}

TEST_F(SafeSave, TheFirstSaveOfASessionKeepsTheBak)
{
    const QString path = dir.Path("z.usd");
    WriteFileBytes(path, "version 1");
    SessionBackup bak(prompt);
    bak.Open(path);
    EXPECT_EQ(bak.BeforeSave(path), BakOutcome::Kept);
    EXPECT_EQ(ReadFileBytes(SessionBackup::BakPathFor(path)), "version 1");
    EXPECT_TRUE(SessionBackup::HasBak(path));
    WriteFileBytes(path, "version 2");
    // Later saves of the same session keep the first state.
    EXPECT_EQ(bak.BeforeSave(path), BakOutcome::NotNeeded);
    EXPECT_EQ(ReadFileBytes(SessionBackup::BakPathFor(path)), "version 1");

    // The next session replaces an older .bak without asking.
    struct utimbuf old {1000000000, 1000000000};
    ASSERT_EQ(::utime(QFile::encodeName(SessionBackup::BakPathFor(path)).constData(), &old), 0);
    bak.Open(path);
    EXPECT_EQ(bak.BeforeSave(path), BakOutcome::Kept);
    EXPECT_EQ(ReadFileBytes(SessionBackup::BakPathFor(path)), "version 2");
    EXPECT_TRUE(prompt.questions.isEmpty());

    // A .bak newer than the file is replaced only when the user says so.
    WriteFileBytes(SessionBackup::BakPathFor(path), "hand-kept");
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &old), 0);
    bak.Open(path);
    prompt.answers = {UserPrompt::No};
    EXPECT_EQ(bak.BeforeSave(path), BakOutcome::KeptOlder);
    EXPECT_EQ(ReadFileBytes(SessionBackup::BakPathFor(path)), "hand-kept");
    ASSERT_EQ(prompt.questions.size(), 1);
    EXPECT_TRUE(prompt.questions[0].contains("z.usd.bak\" is newer than \"z.usd\"")) << prompt.questions[0].toStdString();
    bak.Open(path);
    prompt.answers = {UserPrompt::Yes};
    EXPECT_EQ(bak.BeforeSave(path), BakOutcome::Kept);
    EXPECT_EQ(ReadFileBytes(SessionBackup::BakPathFor(path)), "version 2");

    // Nothing to keep for a new file, and nothing when the setting is off.
    SessionBackup fresh(prompt);
    EXPECT_EQ(fresh.BeforeSave(dir.Path("new.ddf")), BakOutcome::NotNeeded);
    EXPECT_FALSE(SessionBackup::HasBak(dir.Path("new.ddf")));
    fresh.SetEnabled(false);
    fresh.Open(path);
    EXPECT_EQ(fresh.BeforeSave(path), BakOutcome::NotNeeded);
}

TEST_F(SafeSave, ABakThatCannotBeWrittenAsksWhetherToSaveAnyway)
{
    const QString folder = dir.Path("ro");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/w.ddf";
    WriteFileBytes(path, "data");
    // The .bak's place is taken by a folder: no file can be renamed over it.
    ASSERT_TRUE(QDir().mkpath(SessionBackup::BakPathFor(path)));
    SessionBackup bak(prompt);
    prompt.answers = {UserPrompt::No};
    EXPECT_EQ(bak.BeforeSave(path), BakOutcome::Abandon);
    prompt.answers = {UserPrompt::Yes};
    EXPECT_EQ(bak.BeforeSave(path), BakOutcome::Skipped);
    ASSERT_EQ(prompt.questions.size(), 2);
    EXPECT_TRUE(prompt.questions[0].contains("Save anyway?"));
}

TEST_F(SafeSave, AUdfKeepsItsContainerFormAndSize)
{
    Populate();
    const QString usd = dir.Path("u.usd");
    ASSERT_EQ(SaveNewUserDatabase(*db, usd, *profile), SaveResult::Written);
    const QByteArray container = ReadFileBytes(usd);
    const QString udf = dir.Path("u.udf");
    const int size = 0x4000;
    WriteFileBytes(udf, container + QByteArray(size - container.size(), char(0xFF)));

    ScriptedPrompt readPrompt;
    CChannelDb loaded(layouts, readPrompt);
    ASSERT_TRUE(LoadDatabase(loaded, udf, false, *profile)) << readPrompt.messages.join("|").toStdString();
    ASSERT_EQ(loaded.LiveCount(KindProgram), 3);
    QByteArray tail, usdTail;
    ASSERT_TRUE(UdfDatabase::ContainerTail(ReadFileBytes(udf), tail));
    ASSERT_TRUE(UserDatabaseTail(container, usdTail));
    EXPECT_EQ(tail, usdTail); // the erased flash is not part of it

    const int name = layouts.FindField(KindProgram, "Service Name", DeclarationOrder);
    ASSERT_TRUE(loaded.SetNodeData(KindProgram, 1, name, "Xy", DeclarationOrder));
    ASSERT_EQ(UdfDatabase::Save(loaded, udf), SaveResult::Written) << readPrompt.messages.join("|").toStdString();
    const QByteArray saved = ReadFileBytes(udf);
    ASSERT_EQ(saved.size(), size);
    CChannelDb again(layouts, readPrompt);
    ASSERT_TRUE(LoadDatabase(again, udf, false, *profile));
    std::string text;
    ASSERT_TRUE(again.GetNodeData(KindProgram, 1, name, text, 0, DeclarationOrder));
    EXPECT_EQ(text, "Xy");
    QByteArray savedTail;
    ASSERT_TRUE(UdfDatabase::ContainerTail(saved, savedTail));
    EXPECT_EQ(savedTail, usdTail);
    EXPECT_EQ(saved.mid(saved.size() - 16), QByteArray(16, char(0xFF)));

    // A container that no longer fits the image is refused; the file stays.
    const QString small = dir.Path("small.udf");
    WriteFileBytes(small, container + QByteArray(4, char(0xFF)));
    for (int i = 0; i < 40; ++i) {
        const int p = Add(KindProgram, 1, 1, 10 + i);
        Set(KindProgram, p, "Service Name", "P" + std::to_string(i));
    }
    const QByteArray smallBefore = ReadFileBytes(small);
    EXPECT_EQ(UdfDatabase::Save(*db, small), SaveResult::Failed);
    EXPECT_TRUE(prompt.messages.last().contains("does not fit")) << prompt.messages.last().toStdString();
    EXPECT_EQ(ReadFileBytes(small), smallBefore);

    // A chain that runs outside the file has no tail to keep.
    const int tailAt = int(ByteOrder::ReadBe24(reinterpret_cast<const uint8_t *>(container.constData()) + 4));
    QByteArray cut = container.left(tailAt + 20);
    EXPECT_FALSE(UdfDatabase::ContainerTail(cut, tail));
}
