// Test helpers for jobs on a worker thread: the application object, bounded waits, a worker.
#pragma once

#include "link/RecordingObserver.h"
#include "support/ScriptedPrompt.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Queued calls need the application's event dispatcher on the test's (owner) thread.
inline QCoreApplication &TestApp()
{
    static int argc = 1;
    static char name[] = "test_jobthread";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    return app ? *app : *QCoreApplication::instance();
}

// Runs the owner thread's events until done() holds or the time is up.
inline bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 10000)
{
    QDeadlineTimer deadline(timeoutMs);
    // Wakes the wait below now and then, so that done() is also seen without any event.
    QTimer tick;
    tick.start(2);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// A function on its own QThread. A worker still stuck at the end is reported and left alone
// rather than destroyed while running.
class Worker
{
public:
    explicit Worker(std::function<void()> work)
        : m_thread(QThread::create([done = m_done, work = std::move(work)] {
              work();
              *done = true;
          }))
    {
        m_thread->start();
    }
    ~Worker()
    {
        // Runs the owner's events meanwhile, so a worker stuck on the owner can still come free.
        if (!Join(15000)) {
            ADD_FAILURE() << "worker thread did not end";
            (void)m_thread.release();
        }
    }
    bool Done() const { return *m_done; }
    QThread *Thread() const { return m_thread.get(); }
    // Waits without running the owner's events: the owner thread is busy.
    bool JoinBusy(int timeoutMs = 10000)
    {
        const bool finished = m_thread->wait(QDeadlineTimer(timeoutMs));
        return finished && m_done->load();
    }
    // Waits while running the owner's events.
    bool Join(int timeoutMs = 10000)
    {
        // The atomic flag first: it orders the work before the caller's reads in a way that
        // ThreadSanitizer sees (Qt's own thread bookkeeping is not instrumented).
        return WaitUntil([this] { return m_done->load(); }, timeoutMs) && m_thread->wait(QDeadlineTimer(timeoutMs));
    }

private:
    std::shared_ptr<std::atomic<bool>> m_done = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<QThread> m_thread;
};

// A ScriptedPrompt that notes the thread of every call and can hold a call open like a modal box.
class ThreadNotingPrompt : public ScriptedPrompt
{
public:
    std::vector<QThread *> threads;
    // Run while a call is open; the call stays open (a nested event loop) until it returns true.
    std::function<bool()> holdOpenUntil;

    void ShowMessageBox(const Message &message) override
    {
        Enter();
        ScriptedPrompt::ShowMessageBox(message);
    }
    Answer AskYesNo(const QString &text) override
    {
        Enter();
        return ScriptedPrompt::AskYesNo(text);
    }
    Answer AskYesNoCancel(const QString &text) override
    {
        Enter();
        return ScriptedPrompt::AskYesNoCancel(text);
    }

private:
    void Enter()
    {
        threads.push_back(QThread::currentThread());
        if (holdOpenUntil) {
            EXPECT_TRUE(WaitUntil(holdOpenUntil)) << "the held-open call was never released";
        }
    }
};

// A RecordingObserver that counts the calls made off the given thread (CancelRequested aside).
class ThreadCheckingObserver : public RecordingObserver
{
public:
    explicit ThreadCheckingObserver(QThread *expected) : m_expected(expected) {}
    std::atomic<int> offThread {0};

    void ShowControl(int id) override { Check(), RecordingObserver::ShowControl(id); }
    void SetControlText(int id, const QString &text) override { Check(), RecordingObserver::SetControlText(id, text); }
    void SetProgress(int bar, int label, int percent) override
    {
        Check(), RecordingObserver::SetProgress(bar, label, percent);
    }
    void SetCaption(const QString &text) override { Check(), RecordingObserver::SetCaption(text); }
    void SetButtonEnabled(int id, bool enabled) override { Check(), RecordingObserver::SetButtonEnabled(id, enabled); }
    void RequestClose() override { Check(), RecordingObserver::RequestClose(); }

private:
    void Check()
    {
        if (QThread::currentThread() != m_expected)
            ++offThread;
    }
    QThread *m_expected;
};
