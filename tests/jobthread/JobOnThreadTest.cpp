// Download and upload jobs on a worker QThread against stb-sim, talking to the owner thread.
#include "JobThreadSupport.h"
#include "core/CrossThreadPrompt.h"
#include "link/CUpgradeLink.h"
#include "link/CrossThreadPathChooser.h"
#include "link/DownloadJob.h"
#include "link/QueuedTransferObserver.h"
#include "link/UploadJob.h"
#include "link/DatabaseTestFile.h"
#include "linke2e/SimProcess.h"

#include <QFileInfo>
#include <QObject>
#include <QTemporaryDir>

using namespace TransferControl;

namespace {

// The simulator's fresh image: default database chunk at 0x70000 (size 0x10000), user database
// chunk at 0x80000 (length + 16 = 0x80000).
constexpr int kDefaultAt = 0x70000;
constexpr int kDefaultSize = 0x10000;
constexpr int kUserAt = 0x80000;
constexpr int kUserSize = 0x80000;
constexpr int kJobTimeoutMs = 60000;

QByteArray Pattern(int n)
{
    QByteArray b(n, 0);
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 131 + i / 251) & 0xFF);
    return b;
}

class JobOnThread : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApp();
        ASSERT_TRUE(QFileInfo::exists(SimProcess::Program())) << "stb-sim is not built";
        flashPath = dir.filePath("flash.abs");
        ASSERT_TRUE(sim.Start({"--proto", "0x30", "--flash", flashPath, "--create"}));
        initial = ReadFile(flashPath);
        ASSERT_EQ(initial.size(), 0x200000);
    }

    // Everything the real dialogs would get, seen only on the owner thread.
    void ExpectAllOnTheOwnerThread()
    {
        EXPECT_EQ(realObserver.offThread.load(), 0);
        for (QThread *thread : realPrompt.threads)
            EXPECT_EQ(thread, owner.thread());
    }

    std::unique_ptr<Worker> StartDownload(const QString &path, std::atomic<int> &result)
    {
        DownloadOptions options;
        options.port.devicePath = sim.Device();
        return std::make_unique<Worker>([this, path, options, &result] {
            DownloadJob job(link, prompt, observer);
            result = job.Run(path, options) ? 1 : 0;
        });
    }

    QTemporaryDir dir;
    QString flashPath;
    QByteArray initial;
    SimProcess sim;
    CUpgradeLink link;
    QObject owner; // plays the progress dialog on the user-interface thread
    ThreadNotingPrompt realPrompt;
    ThreadCheckingObserver realObserver {owner.thread()};
    CrossThreadPrompt prompt {&owner, realPrompt};
    QueuedTransferObserver observer {&owner, realObserver};
};

} // namespace

TEST_F(JobOnThread, UploadAsksTheOwnerThreadForThePath)
{
    QThread *askedOn = nullptr;
    QString filter;
    const QString path = dir.filePath("user.udf");
    CrossThreadPathChooser chooser(&owner, [&](const QString &offered) {
        askedOn = QThread::currentThread();
        filter = offered;
        return std::optional<QString>(path);
    });
    std::atomic<int> result {-1};
    QString saved;
    {
        Worker worker([&] {
            UploadJob job(link, prompt, observer);
            job.SetStartDelayMs(0);
            UploadOptions options;
            options.port.devicePath = sim.Device();
            result = job.Run(options, chooser.Chooser()) ? 1 : 0;
            saved = job.SavedPath();
        });
        ASSERT_TRUE(worker.Join(kJobTimeoutMs));
    }
    EXPECT_EQ(result.load(), 1) << realPrompt.messages.join("|").toStdString();
    EXPECT_EQ(saved, path);
    EXPECT_EQ(askedOn, owner.thread());
    EXPECT_EQ(filter, "User Database(*.udf)|Default Database(*.ddf)|All Code(*.abs)|");
    EXPECT_TRUE(ReadFile(path) == initial.mid(kUserAt + 0x20080, kUserSize - 0x20080));
    EXPECT_FALSE(link.Port().IsOpen());

    ASSERT_TRUE(WaitUntil([&] { return realObserver.buttons[kOk]; }));
    EXPECT_TRUE(realObserver.WasShown(kUploadDumpDone));
    EXPECT_FALSE(realObserver.buttons[kCancel]);
    EXPECT_EQ(realObserver.caption, "Upload (STB --> PC) (Transfer protocol version: 3.0)");
    EXPECT_EQ(realObserver.progress[kUploadDumpBar].back(), 100);
    EXPECT_EQ(realObserver.closeRequests, 0);
    EXPECT_TRUE(realPrompt.messages.isEmpty());
    ExpectAllOnTheOwnerThread();
}

TEST_F(JobOnThread, AnUnwritableUploadFileIsAWarningOnTheOwnerThread)
{
    const QString path = dir.filePath("missing/default.ddf");
    CrossThreadPathChooser chooser(&owner, [&](const QString &) { return std::optional<QString>(path); });
    std::atomic<int> result {-1};
    QString saved = "unset";
    {
        Worker worker([&] {
            UploadJob job(link, prompt, observer);
            job.SetStartDelayMs(0);
            UploadOptions options;
            options.port.devicePath = sim.Device();
            result = job.Run(options, chooser.Chooser()) ? 1 : 0;
            saved = job.SavedPath();
        });
        ASSERT_TRUE(worker.Join(kJobTimeoutMs));
    }
    EXPECT_EQ(result.load(), 0);
    EXPECT_TRUE(saved.isEmpty());
    EXPECT_EQ(realPrompt.messages, QStringList({"Can not open file!"}));
    EXPECT_EQ(realPrompt.captions, QStringList({"Warning"}));
    EXPECT_EQ(realPrompt.icons, std::vector<UserPrompt::Icon> {UserPrompt::Exclamation});
    EXPECT_FALSE(link.Port().IsOpen());
    ASSERT_TRUE(WaitUntil([&] { return realObserver.closeRequests == 1; }));
    EXPECT_FALSE(realObserver.WasShown(kUploadDumpDone));
    ExpectAllOnTheOwnerThread();
}

TEST_F(JobOnThread, ClosingTheDialogWhileTheSaveDialogIsOpenEndsTheUpload)
{
    const QString path = dir.filePath("never.abs");
    CrossThreadPathChooser *chooserPtr = nullptr;
    Worker *workerPtr = nullptr;
    bool endedWhileOpen = false;
    // The save dialog is modal (a nested loop) when the progress dialog goes away under it.
    CrossThreadPathChooser chooser(&owner, [&](const QString &) {
        observer.RequestCancel();
        chooserPtr->Abandon();
        prompt.Abandon();
        endedWhileOpen = WaitUntil([&] { return workerPtr->Done(); }, 10000);
        return std::optional<QString>(path);
    });
    chooserPtr = &chooser;
    std::atomic<int> result {-1};
    {
        Worker worker([&] {
            UploadJob job(link, prompt, observer);
            job.SetStartDelayMs(0);
            UploadOptions options;
            options.port.devicePath = sim.Device();
            result = job.Run(options, chooser.Chooser()) ? 1 : 0;
        });
        workerPtr = &worker;
        ASSERT_TRUE(worker.Join(kJobTimeoutMs));
    }
    EXPECT_TRUE(endedWhileOpen);
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(link.Port().IsOpen());
    ASSERT_TRUE(WaitUntil([&] { return realObserver.closeRequests == 1; }));
    EXPECT_FALSE(realObserver.buttons[kOk]);
    EXPECT_TRUE(realPrompt.messages.isEmpty());
    ExpectAllOnTheOwnerThread();
}

TEST_F(JobOnThread, DownloadReportsToTheOwnerThread)
{
    // A container the download's local check accepts, made long by a pattern behind it.
    const QByteArray file = DatabaseFileOfSize(0x5000, Pattern(0x5000));
    const QString path = dir.filePath("db.ddf");
    ASSERT_TRUE(WriteFile(path, file));
    std::atomic<int> result {-1};
    std::unique_ptr<Worker> worker = StartDownload(path, result);
    ASSERT_TRUE(worker->Join(kJobTimeoutMs));
    EXPECT_EQ(result.load(), 1) << realPrompt.messages.join("|").toStdString();
    EXPECT_FALSE(link.Port().IsOpen());

    ASSERT_TRUE(WaitUntil([&] { return realObserver.buttons[kOk]; }));
    EXPECT_FALSE(realObserver.buttons[kCancel]);
    for (int id : {kDownloadTestStep, kDownloadTestDone, kDownloadInfoDone, kDownloadLoadDone, kDownloadBurnDone})
        EXPECT_TRUE(realObserver.WasShown(id)) << id;
    EXPECT_EQ(realObserver.texts[kDownloadLoadStep], QStringList({"Download to sdram(Default Database)"}));
    EXPECT_EQ(realObserver.progress[kDownloadBurnBar].back(), 100);
    EXPECT_TRUE(realPrompt.messages.isEmpty());
    ExpectAllOnTheOwnerThread();

    EXPECT_TRUE(sim.Stop());
    const QByteArray flash = ReadFile(flashPath);
    EXPECT_TRUE(flash.mid(kDefaultAt + 128, file.size()) == file);
}

TEST_F(JobOnThread, CancelWhileAFailureMessageIsOpenEndsTheDownload)
{
    // One byte more than the STB's default database chunk can take after its header.
    const QString path = dir.filePath("big.ddf");
    ASSERT_TRUE(WriteFile(path, DatabaseFileOfSize(kDefaultSize - 128 + 1, Pattern(kDefaultSize))));
    std::atomic<int> result {-1};
    std::unique_ptr<Worker> worker;
    bool endedWhileOpen = false;
    realPrompt.holdOpenUntil = [&] {
        observer.RequestCancel();
        prompt.Abandon();
        endedWhileOpen = WaitUntil([&] { return worker->Done(); }, 10000);
        return true;
    };
    worker = StartDownload(path, result);
    ASSERT_TRUE(worker->Join(kJobTimeoutMs));
    EXPECT_TRUE(endedWhileOpen);
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(link.Port().IsOpen());
    EXPECT_EQ(realPrompt.messages,
              QStringList({"Select default database File size large than Slave default database size \n"
                           " Slave size: 0x00010000"}));
    ASSERT_TRUE(WaitUntil([&] { return realObserver.closeRequests == 1; }));
    EXPECT_FALSE(realObserver.WasShown(kDownloadLoadStep));
    ExpectAllOnTheOwnerThread();
    EXPECT_TRUE(sim.Stop());
    EXPECT_TRUE(ReadFile(flashPath) == initial);
}
