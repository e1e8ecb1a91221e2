// Backup before, verify after, restore and the ".udf" round trip, against every generation of stb-sim.
#include "SimProcess.h"
#include "link/DatabaseTestFile.h"
#include "link/RecordingObserver.h"
#include "core/ByteOrder.h"
#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/DatabaseReader.h"
#include "database/DatabaseWriter.h"
#include "database/ProfileStore.h"
#include "database/UdfDatabase.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutCache.h"
#include "layout/LayoutSet.h"
#include "link/AbsImage.h"
#include "link/CUpgradeLink.h"
#include "link/DownloadJob.h"
#include "link/FlashBackup.h"
#include "link/UploadJob.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace TransferControl;

namespace {

// The simulator's fresh image: default database at 0x70000 (size 0x10000), user database at
// 0x80000 (length + 16 = 0x80000, the last chunk), 2 MiB of flash.
constexpr int kDefaultAt = 0x70000;
constexpr int kDefaultSize = 0x10000;
constexpr int kUserAt = 0x80000;
constexpr int kUserSize = 0x80000;
constexpr int kUdfArea = kUserSize - 0x20080;

struct Generation {
    const char *proto;
    int transferFormat;
};

void PrintTo(const Generation &g, std::ostream *os)
{
    *os << g.proto;
}

QByteArray Noise(int n, uint32_t seed)
{
    QByteArray b(n, 0);
    for (int i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        b[i] = char(seed >> 16);
    }
    return b;
}

// Cancels once the bar of the given step has moved.
class CancelAtStep : public RecordingObserver
{
public:
    explicit CancelAtStep(int bar) : m_bar(bar) {}
    void SetProgress(int bar, int label, int percent) override
    {
        RecordingObserver::SetProgress(bar, label, percent);
        if (bar == m_bar && percent > 0)
            cancel = true;
    }

private:
    int m_bar;
};

class SafeDownload : public ::testing::TestWithParam<Generation>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(SimProcess::Program())) << "stb-sim is not built";
        flashPath = dir.filePath("flash.abs");
        backups = dir.filePath("backups");
        ASSERT_TRUE(sim.Start({"--proto", GetParam().proto, "--flash", flashPath, "--create"}));
        initial = ReadFile(flashPath);
        ASSERT_EQ(initial.size(), 0x200000);
        ddf = dir.filePath("new.ddf");
        ASSERT_TRUE(WriteFile(ddf, DatabaseFileOfSize(0x3000, Noise(0x3000, 5))));
    }

    void Restart(const QStringList &extra)
    {
        ASSERT_TRUE(sim.Stop());
        ASSERT_TRUE(sim.Start(QStringList {"--proto", GetParam().proto, "--flash", flashPath} + extra));
    }

    QByteArray FlashAfter()
    {
        EXPECT_TRUE(sim.Stop());
        return ReadFile(flashPath);
    }

    DownloadOptions Options(bool backup, bool verify)
    {
        DownloadOptions options;
        options.port.devicePath = sim.Device();
        options.transferFormat = GetParam().transferFormat;
        options.backup = backup;
        options.backupFolder = backups;
        options.verify = verify;
        return options;
    }

    bool Download(const QString &path, DownloadOptions options, TransferObserver &observer, QString *backup = nullptr)
    {
        DownloadJob job(link, prompt, observer);
        const bool ok = job.Run(path, options);
        detail = job.FailureDetail();
        if (backup)
            *backup = job.BackupPath();
        return ok;
    }

    bool Upload(const QString &path)
    {
        UploadJob job(link, prompt, observer);
        job.SetStartDelayMs(0);
        UploadOptions options;
        options.port.devicePath = sim.Device();
        options.transferFormat = GetParam().transferFormat;
        return job.Run(options, [&](const QString &) { return std::optional<QString>(path); });
    }

    QTemporaryDir dir;
    QString flashPath;
    QString backups;
    QString ddf;
    QString detail;
    QByteArray initial;
    SimProcess sim;
    CUpgradeLink link;
    ScriptedPrompt prompt;
    RecordingObserver observer;
};

} // namespace

TEST_P(SafeDownload, TheBackupHoldsTheFlashAsItWasAndVerifyPasses)
{
    QString backup;
    ASSERT_TRUE(Download(ddf, Options(true, true), observer, &backup)) << prompt.messages.join("|").toStdString();
    EXPECT_TRUE(prompt.messages.isEmpty());
    ASSERT_FALSE(backup.isEmpty());
    EXPECT_TRUE(backup.startsWith(backups));
    for (int id : {kDownloadBackupStep, kDownloadBackupDone, kDownloadVerifyStep, kDownloadVerifyDone})
        EXPECT_TRUE(observer.WasShown(id)) << id;
    EXPECT_EQ(observer.progress[kDownloadVerifyBar].back(), 100);

    // The default database chunk as it was, byte for byte, closed by the end chunk.
    const QByteArray file = ReadFile(backup);
    ASSERT_EQ(file.size(), kDefaultSize + 128);
    EXPECT_TRUE(file.left(kDefaultSize) == initial.mid(kDefaultAt, kDefaultSize));
    AbsWalk walk;
    EXPECT_EQ(WalkAbsChunks(backup, walk), 2u);
    const QByteArray flash = FlashAfter();
    EXPECT_TRUE(flash.mid(kDefaultAt + 128, 0x3000) == ReadFile(ddf));
    EXPECT_TRUE(flash.mid(kUserAt, kUserSize) == initial.mid(kUserAt, kUserSize));
}

TEST_P(SafeDownload, VerifyCatchesACorruptBurnAndRestoreBringsTheFlashBack)
{
    Restart({"--corrupt-burn", "0x300"});
    QString backup;
    EXPECT_FALSE(Download(ddf, Options(true, true), observer, &backup));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].startsWith("Verify failed: chunk 0x03FC0100, offset 0x00000300"))
        << prompt.messages[0].toStdString();
    ASSERT_FALSE(backup.isEmpty());
    EXPECT_TRUE(prompt.messages[0].contains(backup)) << prompt.messages[0].toStdString();
    EXPECT_TRUE(prompt.details[0].contains("holds 0x")) << prompt.details[0].toStdString();
    EXPECT_FALSE(observer.WasShown(kDownloadVerifyDone));

    // Without verify the same burn passes unnoticed: the check is what caught it.
    prompt.messages.clear();
    RecordingObserver second;
    EXPECT_TRUE(Download(ddf, Options(false, false), second));

    // A sound flash again, and the backup downloaded back: the chunk as before, byte for byte.
    Restart({});
    DownloadOptions restore = Options(false, true);
    RecordingObserver third;
    ASSERT_TRUE(Download(backup, restore, third)) << prompt.messages.join("|").toStdString();
    const QByteArray flash = FlashAfter();
    EXPECT_TRUE(flash.mid(kDefaultAt, kDefaultSize) == ReadFile(backup).left(kDefaultSize));
    EXPECT_TRUE(flash == initial);
}

TEST_P(SafeDownload, ABackupThatCannotBeWrittenStopsBeforeTheReceiverIsLoaded)
{
    Restart({"--verbose"});
    ASSERT_TRUE(WriteFile(dir.filePath("blocker"), "x"));
    DownloadOptions options = Options(true, true);
    options.backupFolder = dir.filePath("blocker/backups");
    EXPECT_FALSE(Download(ddf, options, observer));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0], "Backup fail: nothing was loaded into the STB.");
    EXPECT_TRUE(detail.contains("cannot create the backups folder")) << detail.toStdString();
    ASSERT_EQ(prompt.details.size(), 1);
    EXPECT_EQ(prompt.details[0], detail); // the message box gets it as its detail
    EXPECT_FALSE(observer.WasShown(kDownloadLoadStep));
    EXPECT_EQ(observer.closeRequests, 1);
    const QByteArray flash = FlashAfter();
    const QByteArray log = sim.Log();
    EXPECT_FALSE(log.contains("\"address")) << log.constData();
    EXPECT_FALSE(log.contains("\"transfer")) << log.constData();
    EXPECT_TRUE(flash == initial);
}

TEST_P(SafeDownload, CancelDuringBackupOrVerifyEndsCleanly)
{
    Restart({"--verbose"});
    CancelAtStep atBackup(kDownloadBackupBar);
    EXPECT_FALSE(Download(ddf, Options(true, true), atBackup));
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join("|").toStdString();
    EXPECT_FALSE(atBackup.WasShown(kDownloadLoadStep));
    EXPECT_EQ(atBackup.closeRequests, 1);

    CancelAtStep atVerify(kDownloadVerifyBar);
    EXPECT_FALSE(Download(ddf, Options(true, true), atVerify));
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join("|").toStdString();
    EXPECT_TRUE(atVerify.WasShown(kDownloadBurnDone));
    EXPECT_FALSE(atVerify.WasShown(kDownloadVerifyDone));
    const QByteArray flash = FlashAfter();
    // The burn had happened; the receiver was told to abandon each dump (packet form).
    EXPECT_TRUE(flash.mid(kDefaultAt + 128, 0x3000) == ReadFile(ddf));
    if (QByteArray(GetParam().proto) == "0x30") {
        EXPECT_GE(sim.Log().count("dump ended"), 2) << sim.Log().constData();
    }
}

TEST_P(SafeDownload, AnUploadedUdfIsEditedAndGoesBackWhereItCameFrom)
{
    // A real user database in the receiver: generated, written behind the user chunk's head.
    LayoutSet layouts;
    ASSERT_TRUE(LoadLayoutCache(DRAVEL_BIN_DIR "/script.ini", layouts));
    ScriptedPrompt dbPrompt;
    CChannelDb db(layouts, dbPrompt);
    GeneratorOptions generate;
    generate.satellites = 2;
    generate.transponders = 6;
    generate.programs = 40;
    ASSERT_TRUE(DatabaseGenerator(layouts).Generate(db, generate));
    const QString usd = dir.filePath("start.usd");
    struct : ProfileStore {
        QString ReadString(const QString &, const QString &) const override { return {}; }
        void WriteString(const QString &, const QString &, const QString &) override {}
    } profile;
    ASSERT_EQ(SaveNewUserDatabase(db, usd, profile), SaveResult::Written);
    QByteArray image = ReadFile(usd);
    image += QByteArray(kUdfArea - image.size(), char(0xFF));
    const QString first = dir.filePath("first.udf");
    ASSERT_TRUE(WriteFile(first, image));
    DownloadOptions options = Options(true, true);
    options.loadDefaultDb = false;
    ASSERT_TRUE(Download(first, options, observer)) << prompt.messages.join("|").toStdString();

    // Upload, edit a program's name, save in place, download again.
    const QString uploaded = dir.filePath("up.udf");
    ASSERT_TRUE(Upload(uploaded)) << prompt.messages.join("|").toStdString();
    ASSERT_TRUE(ReadFile(uploaded) == image);
    CChannelDb edit(layouts, dbPrompt);
    ASSERT_TRUE(LoadDatabase(edit, uploaded, false, profile));
    ASSERT_EQ(edit.LiveCount(KindProgram), 40);
    const int name = layouts.FindField(KindProgram, "Service Name", DeclarationOrder);
    ASSERT_GE(name, 0);
    ASSERT_TRUE(edit.SetNodeData(KindProgram, 3, name, "Edited", DeclarationOrder));
    ASSERT_TRUE(edit.SetNodeData(KindProgram, 3, layouts.FindField(KindProgram, "name_len", DeclarationOrder), "12",
                                 DeclarationOrder));
    ASSERT_EQ(UdfDatabase::Save(edit, uploaded), SaveResult::Written) << dbPrompt.messages.join("|").toStdString();
    const QByteArray edited = ReadFile(uploaded);
    ASSERT_EQ(edited.size(), kUdfArea);
    EXPECT_EQ(uint8_t(edited.back()), 0xFF);
    RecordingObserver again;
    ASSERT_TRUE(Download(uploaded, options, again)) << prompt.messages.join("|").toStdString();

    const QString back = dir.filePath("back.udf");
    ASSERT_TRUE(Upload(back));
    EXPECT_TRUE(ReadFile(back) == edited);
    CChannelDb reread(layouts, dbPrompt);
    ASSERT_TRUE(LoadDatabase(reread, back, false, profile));
    std::string text;
    ASSERT_TRUE(reread.GetNodeData(KindProgram, 3, name, text, 0, DeclarationOrder));
    EXPECT_EQ(text, "Edited");
    // The receiver's first 0x20000 bytes of user data were kept as it had them.
    const QByteArray flash = FlashAfter();
    EXPECT_TRUE(flash.mid(kUserAt + 128, 0x20000) == initial.mid(kUserAt + 128, 0x20000));
    EXPECT_TRUE(flash.mid(kUserAt + 0x20080, kUdfArea) == edited);
}

INSTANTIATE_TEST_SUITE_P(Generations, SafeDownload,
                         ::testing::Values(Generation {"0x30", 1}, Generation {"0x21", 1}, Generation {"0x20", 2},
                                           Generation {"0x10", 1}));
