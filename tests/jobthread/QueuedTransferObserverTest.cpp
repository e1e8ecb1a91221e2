// QueuedTransferObserver: order, owner thread, no blocking, the cancel flag, detach and owner death.
#include "JobThreadSupport.h"
#include "link/QueuedTransferObserver.h"

#include <QObject>
#include <thread>

using namespace TransferControl;

namespace {

class QueuedTransferObserverTest : public ::testing::Test
{
protected:
    void SetUp() override { TestApp(); }

    QObject owner;
    ThreadCheckingObserver target {owner.thread()};
};

} // namespace

TEST_F(QueuedTransferObserverTest, UpdatesArriveInOrderOnTheOwnerThreadWithoutBlockingTheWorker)
{
    constexpr int kUpdates = 10000;
    QueuedTransferObserver observer(&owner, target);
    Worker worker([&] {
        observer.SetCaption("Upload (STB --> PC)");
        observer.ShowControl(kUploadDumpStep);
        for (int i = 0; i < kUpdates; ++i)
            observer.SetProgress(kUploadDumpBar, kUploadDumpPercent, i);
        observer.SetControlText(kUploadDumpStep, "last");
        observer.SetButtonEnabled(kOk, true);
        observer.RequestClose();
    });
    // The owner thread stays busy: the worker must finish all the same.
    ASSERT_TRUE(worker.JoinBusy(10000));
    EXPECT_TRUE(target.progress.empty());
    EXPECT_TRUE(target.shown.empty());
    EXPECT_EQ(target.closeRequests, 0);

    ASSERT_TRUE(WaitUntil([&] { return target.closeRequests == 1; }));
    EXPECT_EQ(target.caption, "Upload (STB --> PC)");
    EXPECT_EQ(target.shown, std::vector<int> {kUploadDumpStep});
    const std::vector<int> &bar = target.progress[kUploadDumpBar];
    ASSERT_EQ(bar.size(), size_t(kUpdates));
    for (int i = 0; i < kUpdates; ++i)
        ASSERT_EQ(bar[size_t(i)], i) << "update " << i << " out of order";
    EXPECT_EQ(target.texts[kUploadDumpPercent].back(), QString::number(kUpdates - 1) + "%");
    EXPECT_EQ(target.texts[kUploadDumpStep], QStringList({"last"}));
    EXPECT_TRUE(target.buttons[kOk]);
    EXPECT_EQ(target.offThread.load(), 0);
}

TEST_F(QueuedTransferObserverTest, CancelIsAFlagTheWorkerSeesWithoutTheOwner)
{
    QueuedTransferObserver observer(&owner, target);
    std::atomic<bool> started {false};
    std::atomic<int> polls {0};
    Worker worker([&] {
        started = true;
        while (!observer.CancelRequested()) {
            ++polls;
            std::this_thread::yield();
        }
        observer.RequestClose();
    });
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
    EXPECT_FALSE(worker.JoinBusy(100));
    observer.RequestCancel();
    // No event is run here: the worker sees the flag by itself.
    ASSERT_TRUE(worker.JoinBusy(5000));
    EXPECT_GT(polls.load(), 0);
    EXPECT_TRUE(observer.CancelRequested());
    EXPECT_TRUE(target.cancel == false); // the flag is the adapter's, not the target's
    ASSERT_TRUE(WaitUntil([&] { return target.closeRequests == 1; }));
}

TEST_F(QueuedTransferObserverTest, DetachDropsWhatIsStillQueuedAndStopsTheJob)
{
    QueuedTransferObserver observer(&owner, target);
    Worker worker([&] {
        for (int i = 0; i < 100; ++i)
            observer.SetProgress(kDownloadLoadBar, kDownloadLoadPercent, i);
    });
    ASSERT_TRUE(worker.JoinBusy(5000));
    observer.Detach();
    EXPECT_TRUE(observer.CancelRequested());
    WaitUntil([] { return false; }, 50);
    EXPECT_TRUE(target.progress.empty());
    observer.ShowControl(kDownloadLoadDone); // even on the owner thread
    EXPECT_TRUE(target.shown.empty());
}

TEST_F(QueuedTransferObserverTest, AnOwnerGoneBeforeItsEventsDropsThemAndCancels)
{
    auto *doomed = new QObject;
    QueuedTransferObserver observer(doomed, target);
    Worker worker([&] {
        observer.ShowControl(kUploadTestStep);
        observer.RequestClose();
    });
    ASSERT_TRUE(worker.JoinBusy(5000));
    delete doomed;
    EXPECT_TRUE(observer.CancelRequested());
    WaitUntil([] { return false; }, 50);
    EXPECT_TRUE(target.shown.empty());
    EXPECT_EQ(target.closeRequests, 0);
    observer.ShowControl(kUploadTestDone); // nobody to post to: returns quietly
}

TEST_F(QueuedTransferObserverTest, UpdatesPostedBeforeTheAdapterEndsStillArrive)
{
    {
        auto observer = std::make_unique<QueuedTransferObserver>(&owner, target);
        Worker worker([&] {
            observer->ShowControl(kUploadTestStep);
            observer->RequestClose();
        });
        ASSERT_TRUE(worker.JoinBusy(5000));
        observer.reset();
    }
    ASSERT_TRUE(WaitUntil([&] { return target.closeRequests == 1; }));
    EXPECT_EQ(target.shown, std::vector<int> {kUploadTestStep});
}

TEST_F(QueuedTransferObserverTest, OnTheOwnerThreadUpdatesApplyAtOnce)
{
    QueuedTransferObserver observer(&owner, target);
    observer.ShowControl(kDownloadTestStep);
    observer.SetProgress(kDownloadBurnBar, kDownloadBurnPercent, 42);
    EXPECT_EQ(target.shown, std::vector<int> {kDownloadTestStep});
    EXPECT_EQ(target.progress[kDownloadBurnBar], std::vector<int> {42});
    EXPECT_EQ(target.texts[kDownloadBurnPercent], QStringList({"42%"}));
}
