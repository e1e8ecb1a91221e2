// A TransferObserver for a worker thread: queues every update to the owner's thread.
#pragma once

#include "link/TransferObserver.h"

#include <functional>
#include <memory>

class QObject;

// The worker calls the TransferObserver functions; each update is posted to the thread of owner
// (the progress dialog) and applied there to target, in the order the worker made them. The
// worker never waits for the owner. Called on the owner's own thread an update is applied at once.
//
// CancelRequested() reads a flag that the owner side sets with RequestCancel(); it never crosses
// threads. Detach() (owner side, owner's thread) drops the updates not yet applied and every later
// one, and asks the job to stop; destroying the owner does the same. Destroying this adapter drops
// nothing: updates already posted (RequestClose among them) still reach target.
class QueuedTransferObserver : public TransferObserver
{
public:
    QueuedTransferObserver(QObject *owner, TransferObserver &target);
    ~QueuedTransferObserver() override;
    QueuedTransferObserver(const QueuedTransferObserver &) = delete;
    QueuedTransferObserver &operator=(const QueuedTransferObserver &) = delete;

    // Worker side.
    void ShowControl(int controlId) override;
    void SetControlText(int controlId, const QString &text) override;
    void SetProgress(int barId, int labelId, int percent) override;
    void SetCaption(const QString &caption) override;
    void SetButtonEnabled(int buttonId, bool enabled) override;
    void RequestClose() override;
    bool CancelRequested() override;
    void SetRateText(int barId, const QString &text) override;

    // Owner side.
    void RequestCancel();
    void Detach();

    struct State;

private:
    void Post(std::function<void(TransferObserver &)> update);

    std::shared_ptr<State> m_state;
};
