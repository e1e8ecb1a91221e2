// Transfers that cannot hang or burn an unchecked file: a frozen receiver or a foreign exchange
// ends the job within the stall deadline; refused files and targets never reach the receiver;
// an upload whose file cannot be written is kept beside it.
#include "SimProcess.h"
#include "link/CUpgradeLink.h"
#include "link/DatabaseTestFile.h"
#include "link/DownloadJob.h"
#include "link/RecordingObserver.h"
#include "link/UploadJob.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/stat.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStallMs = 1500;
// The stall time-out, the last per-packet wait, a burn's final question (5 x 2 s) and slack.
constexpr auto kBound = std::chrono::seconds(25);

class LinkDeadline : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(SimProcess::Program())) << "stb-sim is not built";
        flashPath = dir.filePath("flash.abs");
        link.SetStallTimeoutMs(kStallMs);
    }

    void StartSim(const QStringList &args)
    {
        ASSERT_TRUE(sim.Start(QStringList {"--flash", flashPath, "--create", "--verbose"} + args));
        initial = ReadFile(flashPath);
    }

    QString DatabaseFile(const QString &name, int size)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteFile(path, DatabaseFileOfSize(size, QByteArray(size, char(0x3C)))));
        return path;
    }

    bool Download(const QString &path)
    {
        DownloadJob job(link, prompt, observer);
        DownloadOptions options;
        options.port.devicePath = sim.Device();
        const bool ok = job.Run(path, options);
        detail = job.FailureDetail();
        status = job.FailureStatus();
        return ok;
    }

    bool Upload(const QString &target, bool preset = true)
    {
        UploadJob job(link, prompt, observer);
        job.SetStartDelayMs(0);
        UploadOptions options;
        options.port.devicePath = sim.Device();
        if (preset)
            options.targetPath = target;
        const bool ok = job.Run(options, [&](const QString &) { return std::optional<QString>(target); });
        detail = job.FailureDetail();
        recovered = job.RecoveredPath();
        return ok;
    }

    QTemporaryDir dir;
    QString flashPath;
    QByteArray initial;
    SimProcess sim;
    CUpgradeLink link;
    ScriptedPrompt prompt;
    RecordingObserver observer;
    QString detail;
    QString recovered;
    int status = 0;
};

} // namespace

TEST_F(LinkDeadline, AReceiverFrozenInATransferEndsTheDownloadInTime)
{
    // Packets 1..3 are the version and chunk queries and "address"; the transfer freezes.
    StartSim({"--proto", "0x30", "--freeze-after", "8"});
    const auto start = Clock::now();
    EXPECT_FALSE(Download(DatabaseFile("db.udf", 0x8000)));
    EXPECT_LT(Clock::now() - start, kBound);
    EXPECT_EQ(prompt.messages, QStringList {"Download sdram fail."});
    EXPECT_TRUE(link.Stalled());
    EXPECT_FALSE(link.Port().IsOpen());
    EXPECT_EQ(observer.closeRequests, 1);
    ASSERT_TRUE(sim.Stop());
    EXPECT_TRUE(sim.Log().contains("frozen after"));
    EXPECT_TRUE(ReadFile(flashPath) == initial);
}

TEST_F(LinkDeadline, AReceiverFrozenAtTheBurnEndsInTimeInBothForms)
{
    for (const char *proto : {"0x30", "0x21"}) {
        SCOPED_TRACE(proto);
        StartSim({"--proto", proto, "--freeze-at", "burn"});
        prompt.messages.clear();
        const auto start = Clock::now();
        EXPECT_FALSE(Download(DatabaseFile("db.ddf", 0x1000)));
        EXPECT_LT(Clock::now() - start, kBound);
        EXPECT_EQ(prompt.messages, QStringList {"Burn flash fail"});
        // The character form's "burn" waits 1 s for its 'O': a plain time-out.
        EXPECT_TRUE(QString(proto) == "0x30" ? link.Stalled() : status == kLinkTimeout) << status;
        EXPECT_FALSE(link.Port().IsOpen());
        ASSERT_TRUE(sim.Stop());
        EXPECT_TRUE(ReadFile(flashPath) == initial);
    }
}

TEST_F(LinkDeadline, FrozenOrTakenOverDumpsEndTheUploadInTimeWithoutAFile)
{
    for (const char *fault : {"--freeze-after", "--foreign-after"}) {
        SCOPED_TRACE(fault);
        StartSim({"--proto", "0x30", fault, "20"});
        prompt.messages.clear();
        const QString target = dir.filePath(QString("up%1.abs").arg(fault));
        const auto start = Clock::now();
        EXPECT_FALSE(Upload(target));
        EXPECT_LT(Clock::now() - start, kBound);
        EXPECT_EQ(prompt.messages, QStringList {"Upload fail"});
        EXPECT_TRUE(link.Stalled());
        EXPECT_FALSE(link.Port().IsOpen());
        EXPECT_FALSE(QFileInfo::exists(target));
        ASSERT_TRUE(sim.Stop());
        const QByteArray log = sim.Log();
        if (QString(fault) == "--foreign-after") {
            EXPECT_TRUE(log.contains("a foreign exchange took over"));
            EXPECT_TRUE(log.contains("for no running exchange ignored"));
        }
    }
}

TEST_F(LinkDeadline, RefusedFilesNeverReachTheReceiver)
{
    StartSim({"--proto", "0x30"});
    struct Case {
        QString path;
        QString message;
        QString detail; // a part of it
    };
    QByteArray random(0x800, 0);
    for (int i = 0; i < random.size(); ++i)
        random[i] = char(i * 37 + 11);
    ASSERT_TRUE(WriteFile(dir.filePath("empty.ddf"), QByteArray()));
    ASSERT_TRUE(WriteFile(dir.filePath("random.ddf"), random));
    ASSERT_TRUE(WriteFile(dir.filePath("random.udf"), random));
    ASSERT_TRUE(WriteFile(dir.filePath("random.abs"), random));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.ddf")).constData(), 0600), 0);
    const QList<Case> cases = {
        {dir.filePath("nothere.ddf"), "Can't Read Select File!", "No such file or directory"},
        {dir.filePath("pipe.ddf"), "Can't Read Select File!", "not a regular file"},
        {dir.filePath("empty.ddf"), "The selected file is not a valid default database; nothing was sent to the STB.",
         "the file is empty"},
        {dir.filePath("random.ddf"), "The selected file is not a valid default database; nothing was sent to the STB.",
         "sub-chunk 1"},
        {dir.filePath("random.udf"), "The selected file is not a valid user database; nothing was sent to the STB.",
         "sub-chunk 1"},
        {dir.filePath("random.abs"), "Get File blocks error", "chunk"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        prompt.messages.clear();
        EXPECT_FALSE(Download(c.path));
        EXPECT_EQ(prompt.messages, QStringList {c.message});
        EXPECT_TRUE(detail.contains(c.detail)) << detail.toStdString();
    }
    for (const QString &target : {dir.filePath("nodir/x.ddf"), dir.filePath("x.txt"), dir.path()}) {
        SCOPED_TRACE(target.toStdString());
        prompt.messages.clear();
        EXPECT_FALSE(Upload(target));
        ASSERT_EQ(prompt.messages.size(), 1);
        EXPECT_TRUE(prompt.messages[0] == "Can not open file!" || prompt.messages[0] == "Incorrect File Name.");
    }
    EXPECT_EQ(observer.shown, std::vector<int> {}); // not even the connection test step
    ASSERT_TRUE(sim.Stop());
    EXPECT_FALSE(sim.Log().contains("comtest")) << "the receiver was touched";
    EXPECT_TRUE(ReadFile(flashPath) == initial);
}

TEST_F(LinkDeadline, ATargetRefusedAfterTheVersionQueryRestartsTheReceiver)
{
    // The dialog's save prompt comes after the version query: a bad name is refused then,
    // and the receiver is not left waiting in its upgrade mode.
    StartSim({"--proto", "0x30"});
    EXPECT_FALSE(Upload(dir.filePath("nodir/x.ddf"), false));
    EXPECT_EQ(prompt.messages, QStringList {"Can not open file!"});
    EXPECT_EQ(prompt.captions, QStringList {"Warning"});
    EXPECT_TRUE(detail.contains("No such file or directory"));
    ASSERT_TRUE(sim.Stop());
    const QByteArray log = sim.Log();
    EXPECT_TRUE(log.contains("command \"reboot\""));
    EXPECT_FALSE(log.contains("command \"dump"));
}

TEST_F(LinkDeadline, AnUploadThatCannotBeWrittenIsKeptBesideIt)
{
    StartSim({"--proto", "0x30"});
    const QString target = dir.filePath("x.ddf");
    // The target becomes unusable while the dump runs: a folder takes its name.
    struct Blocking : RecordingObserver {
        QString path;
        void SetProgress(int bar, int label, int percent) override
        {
            RecordingObserver::SetProgress(bar, label, percent);
            if (percent >= 50)
                QDir().mkpath(path);
        }
    } blocking;
    blocking.path = target;
    UploadJob job(link, prompt, blocking);
    job.SetStartDelayMs(0);
    UploadOptions options;
    options.port.devicePath = sim.Device();
    options.targetPath = target;
    EXPECT_FALSE(job.Run(options, {}));
    const QString kept = dir.filePath("x.recovered.ddf");
    EXPECT_EQ(job.RecoveredPath(), kept);
    EXPECT_TRUE(job.SavedPath().isEmpty());
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0], "Can not open file!\nThe uploaded data was saved as " + kept + ".");
    EXPECT_FALSE(job.FailureDetail().isEmpty());
    EXPECT_TRUE(ReadFile(kept) == initial.mid(0x70000 + 128, 0x10000 - 128));
}
