// CrossThreadPrompt and CrossThreadPathChooser: answers from the owner thread, abandon, owner death.
#include "JobThreadSupport.h"
#include "core/CrossThreadPrompt.h"
#include "link/CrossThreadPathChooser.h"

#include <QObject>
#include <chrono>
#include <thread>

namespace {

class CrossThreadPromptTest : public ::testing::Test
{
protected:
    void SetUp() override { TestApp(); }

    // Lets a worker that is about to ask reach its wait; the results hold either way.
    static void GiveWorkerTime() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

    QObject owner;
    ThreadNotingPrompt target;
};

} // namespace

TEST_F(CrossThreadPromptTest, AnswersComeFromTheOwnerThread)
{
    CrossThreadPrompt prompt(&owner, target);
    target.answers = {UserPrompt::Yes, UserPrompt::Cancel, UserPrompt::No};
    std::vector<UserPrompt::Answer> got;
    Worker worker([&] {
        got.push_back(prompt.AskYesNo("first?"));
        prompt.ShowMessage("Can not open file!", "Warning", UserPrompt::Exclamation);
        got.push_back(prompt.AskYesNoCancel("second?"));
        prompt.ShowMessage("plain");
        got.push_back(prompt.AskYesNoCancel("third?"));
    });
    ASSERT_TRUE(worker.Join());

    EXPECT_EQ(got, (std::vector<UserPrompt::Answer> {UserPrompt::Yes, UserPrompt::Cancel, UserPrompt::No}));
    EXPECT_EQ(target.questions, QStringList({"first?", "second?", "third?"}));
    EXPECT_EQ(target.messages, QStringList({"Can not open file!", "plain"}));
    EXPECT_EQ(target.captions, QStringList({"Warning", ""}));
    EXPECT_EQ(target.icons, (std::vector<UserPrompt::Icon> {UserPrompt::Exclamation, UserPrompt::NoIcon}));
    ASSERT_EQ(target.threads.size(), 5u);
    for (QThread *thread : target.threads)
        EXPECT_EQ(thread, owner.thread());
}

TEST_F(CrossThreadPromptTest, TheWorkerWaitsForTheAnswer)
{
    CrossThreadPrompt prompt(&owner, target);
    target.answers = {UserPrompt::Yes};
    std::atomic<int> answer {-1};
    Worker worker([&] { answer = prompt.AskYesNo("wait?"); });
    // The owner is busy: the question waits for it, and so does the worker.
    EXPECT_FALSE(worker.JoinBusy(200));
    EXPECT_EQ(answer.load(), -1);
    EXPECT_TRUE(target.questions.isEmpty());
    ASSERT_TRUE(worker.Join());
    EXPECT_EQ(answer.load(), UserPrompt::Yes);
}

TEST_F(CrossThreadPromptTest, AbandonWhileTheBoxIsOpenReleasesTheWorkerAtOnce)
{
    CrossThreadPrompt prompt(&owner, target);
    target.answers = {UserPrompt::Yes, UserPrompt::Yes};
    std::atomic<int> yesNo {-1};
    std::atomic<int> yesNoCancel {-1};
    std::atomic<bool> messageReturned {false};
    std::atomic<int> calls {0};
    std::unique_ptr<Worker> worker;
    bool endedWhileOpen = true;
    // The box stays open (a nested loop, as a modal box) while the dialog is closed under it; the
    // worker must come free before the box closes.
    target.holdOpenUntil = [&] {
        prompt.Abandon();
        const bool free = WaitUntil([&] { return calls.load() == 1 || worker->Done(); }, 5000);
        endedWhileOpen = endedWhileOpen && free;
        return true;
    };
    worker = std::make_unique<Worker>([&] {
        yesNo = prompt.AskYesNo("one?");
        calls = 1;
    });
    ASSERT_TRUE(worker->Join());
    EXPECT_TRUE(endedWhileOpen);
    EXPECT_EQ(yesNo.load(), UserPrompt::No); // not the Yes the box gave after the abandon
    EXPECT_TRUE(prompt.IsAbandoned());

    // Later calls return at once, without the owner, and reach nobody.
    target.holdOpenUntil = nullptr;
    Worker later([&] {
        yesNoCancel = prompt.AskYesNoCancel("two?");
        yesNo = prompt.AskYesNo("three?");
        prompt.ShowMessage("four");
        messageReturned = true;
    });
    ASSERT_TRUE(later.JoinBusy(5000));
    EXPECT_EQ(yesNoCancel.load(), UserPrompt::Cancel);
    EXPECT_EQ(yesNo.load(), UserPrompt::No);
    EXPECT_TRUE(messageReturned);
    WaitUntil([] { return false; }, 50);
    EXPECT_EQ(target.questions, QStringList({"one?"}));
    EXPECT_TRUE(target.messages.isEmpty());
}

TEST_F(CrossThreadPromptTest, AbandonBeforeTheOwnerRunsTheCallDropsIt)
{
    CrossThreadPrompt prompt(&owner, target);
    std::atomic<int> answer {-1};
    std::atomic<bool> shown {false};
    Worker worker([&] {
        prompt.ShowMessage("queued");
        shown = true;
        answer = prompt.AskYesNoCancel("queued?");
    });
    GiveWorkerTime();
    prompt.Abandon();
    ASSERT_TRUE(worker.JoinBusy(5000));
    EXPECT_TRUE(shown);
    EXPECT_EQ(answer.load(), UserPrompt::Cancel);
    // The owner gets to the queued call only now: it must not be shown any more.
    WaitUntil([] { return false; }, 50);
    EXPECT_TRUE(target.threads.empty());
}

TEST_F(CrossThreadPromptTest, ARealPromptGoneAfterAbandonIsNeverTouched)
{
    auto realPrompt = std::make_unique<ThreadNotingPrompt>();
    auto prompt = std::make_unique<CrossThreadPrompt>(&owner, *realPrompt);
    std::atomic<int> answer {-1};
    Worker worker([&] { answer = prompt->AskYesNo("queued?"); });
    GiveWorkerTime();
    prompt->Abandon();
    ASSERT_TRUE(worker.JoinBusy(5000));
    EXPECT_EQ(answer.load(), UserPrompt::No);
    // Both go before the owner runs its events; the queued call holds nothing of theirs.
    prompt.reset();
    realPrompt.reset();
    WaitUntil([] { return false; }, 50);
    EXPECT_EQ(answer.load(), UserPrompt::No);
}

TEST_F(CrossThreadPromptTest, CallsOnTheOwnerThreadGoStraightThrough)
{
    CrossThreadPrompt prompt(&owner, target);
    target.answers = {UserPrompt::Yes, UserPrompt::Cancel};
    // No event loop runs here: a posted call would never be answered.
    EXPECT_EQ(prompt.AskYesNo("direct?"), UserPrompt::Yes);
    EXPECT_EQ(prompt.AskYesNoCancel("direct too?"), UserPrompt::Cancel);
    prompt.ShowMessage("direct message", "Warning", UserPrompt::Exclamation);
    EXPECT_EQ(target.questions, QStringList({"direct?", "direct too?"}));
    EXPECT_EQ(target.captions, QStringList({"Warning"}));

    prompt.Abandon();
    EXPECT_EQ(prompt.AskYesNo("after?"), UserPrompt::No);
    EXPECT_EQ(target.questions.size(), 2);
}

TEST_F(CrossThreadPromptTest, DestroyingTheOwnerReleasesAQueuedCall)
{
    auto *doomed = new QObject;
    CrossThreadPrompt prompt(doomed, target);
    target.answers = {UserPrompt::Yes, UserPrompt::Yes};
    std::atomic<int> first {-1};
    std::atomic<int> second {-1};
    Worker worker([&] {
        first = prompt.AskYesNo("lost?");
        second = prompt.AskYesNoCancel("after?");
    });
    GiveWorkerTime();
    delete doomed; // its queued event goes with it
    ASSERT_TRUE(worker.JoinBusy(5000));
    EXPECT_EQ(first.load(), UserPrompt::No);
    EXPECT_EQ(second.load(), UserPrompt::Cancel);
    EXPECT_TRUE(prompt.IsAbandoned());
    WaitUntil([] { return false; }, 50);
    EXPECT_TRUE(target.questions.isEmpty());
}

TEST_F(CrossThreadPromptTest, AnOwnerOnAnotherThreadAnswersTheTestThread)
{
    // The roles turned round: the owner lives on a thread with its own event loop.
    QThread uiThread;
    uiThread.start();
    auto *remoteOwner = new QObject;
    remoteOwner->moveToThread(&uiThread);
    target.answers = {UserPrompt::Yes};
    {
        CrossThreadPrompt prompt(remoteOwner, target);
        EXPECT_EQ(prompt.AskYesNo("remote?"), UserPrompt::Yes);
    }
    ASSERT_EQ(target.threads.size(), 1u);
    EXPECT_EQ(target.threads[0], &uiThread);
    QMetaObject::invokeMethod(remoteOwner, [remoteOwner] { delete remoteOwner; }, Qt::BlockingQueuedConnection);
    uiThread.quit();
    EXPECT_TRUE(uiThread.wait(QDeadlineTimer(5000)));
}

TEST_F(CrossThreadPromptTest, ANullOwnerAnswersLikeAnAbandonedOne)
{
    CrossThreadPrompt prompt(nullptr, target);
    target.answers = {UserPrompt::Yes};
    EXPECT_TRUE(prompt.IsAbandoned());
    EXPECT_EQ(prompt.AskYesNo("nobody?"), UserPrompt::No);
    EXPECT_TRUE(target.questions.isEmpty());
}

TEST_F(CrossThreadPromptTest, ThePathChooserAsksOnTheOwnerThread)
{
    QThread *chooserThread = nullptr;
    QString filterSeen;
    CrossThreadPathChooser chooser(&owner, [&](const QString &filter) {
        chooserThread = QThread::currentThread();
        filterSeen = filter;
        return std::optional<QString>("/tmp/saved.udf");
    });
    const SavePathChooser function = chooser.Chooser();
    std::optional<QString> got;
    Worker worker([&] { got = function("All Code(*.abs)|"); });
    ASSERT_TRUE(worker.Join());
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, "/tmp/saved.udf");
    EXPECT_EQ(filterSeen, "All Code(*.abs)|");
    EXPECT_EQ(chooserThread, owner.thread());
}

TEST_F(CrossThreadPromptTest, AnAbandonedPathChooserGivesNothing)
{
    int asked = 0;
    bool endedWhileOpen = false;
    std::unique_ptr<Worker> worker;
    std::unique_ptr<CrossThreadPathChooser> chooser;
    chooser = std::make_unique<CrossThreadPathChooser>(&owner, [&](const QString &) {
        ++asked;
        chooser->Abandon();
        endedWhileOpen = WaitUntil([&] { return worker->Done(); }, 5000);
        return std::optional<QString>("/tmp/late.abs");
    });
    std::optional<QString> first = QString("unset");
    std::optional<QString> second = QString("unset");
    worker = std::make_unique<Worker>([&] {
        first = chooser->Choose("All Code(*.abs)|");
        second = chooser->Choose("All Code(*.abs)|");
    });
    ASSERT_TRUE(worker->Join());
    EXPECT_TRUE(endedWhileOpen);
    EXPECT_FALSE(first.has_value());
    EXPECT_FALSE(second.has_value());
    EXPECT_EQ(asked, 1);

    CrossThreadPathChooser empty(&owner, SavePathChooser());
    EXPECT_FALSE(empty.Choose("All Code(*.abs)|").has_value());
}
