// QueuedTransferObserver: posting the job's control updates to the dialog's thread.
#include "link/QueuedTransferObserver.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>
#include <mutex>

struct QueuedTransferObserver::State {
    std::mutex mutex;
    QObject *owner = nullptr;            // cleared when the owner is destroyed
    TransferObserver *target = nullptr;  // cleared by Detach(); used on the owner's thread only
    std::atomic<bool> cancel {false};
    QMetaObject::Connection ownerGone;

    void Detach()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            target = nullptr;
        }
        cancel = true;
    }

    ~State() { QObject::disconnect(ownerGone); }
};

QueuedTransferObserver::QueuedTransferObserver(QObject *owner, TransferObserver &target)
    : m_state(std::make_shared<State>())
{
    m_state->owner = owner;
    m_state->target = &target;
    if (!owner) {
        m_state->Detach();
        return;
    }
    // Direct connection: runs in the owner's destructor, before the object is gone.
    std::weak_ptr<State> weak = m_state;
    m_state->ownerGone = QObject::connect(owner, &QObject::destroyed, [weak] {
        if (auto state = weak.lock()) {
            state->Detach();
            std::lock_guard<std::mutex> lock(state->mutex);
            state->owner = nullptr;
        }
    });
}

QueuedTransferObserver::~QueuedTransferObserver() = default;

void QueuedTransferObserver::Post(std::function<void(TransferObserver &)> update)
{
    std::unique_lock<std::mutex> lock(m_state->mutex);
    if (!m_state->owner || !m_state->target)
        return;
    if (m_state->owner->thread() == QThread::currentThread()) {
        TransferObserver *target = m_state->target;
        lock.unlock();
        update(*target);
        return;
    }
    // Posted under the lock: the owner cannot finish dying while the event is being queued.
    QMetaObject::invokeMethod(
        m_state->owner,
        [state = m_state, update = std::move(update)] {
            TransferObserver *target;
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                target = state->target;
            }
            if (target)
                update(*target);
        },
        Qt::QueuedConnection);
}

void QueuedTransferObserver::ShowControl(int controlId)
{
    Post([controlId](TransferObserver &target) { target.ShowControl(controlId); });
}

void QueuedTransferObserver::SetControlText(int controlId, const QString &text)
{
    Post([controlId, text](TransferObserver &target) { target.SetControlText(controlId, text); });
}

void QueuedTransferObserver::SetProgress(int barId, int labelId, int percent)
{
    Post([barId, labelId, percent](TransferObserver &target) { target.SetProgress(barId, labelId, percent); });
}

void QueuedTransferObserver::SetCaption(const QString &caption)
{
    Post([caption](TransferObserver &target) { target.SetCaption(caption); });
}

void QueuedTransferObserver::SetButtonEnabled(int buttonId, bool enabled)
{
    Post([buttonId, enabled](TransferObserver &target) { target.SetButtonEnabled(buttonId, enabled); });
}

void QueuedTransferObserver::RequestClose()
{
    Post([](TransferObserver &target) { target.RequestClose(); });
}

void QueuedTransferObserver::SetRateText(int barId, const QString &text)
{
    Post([barId, text](TransferObserver &target) { target.SetRateText(barId, text); });
}

bool QueuedTransferObserver::CancelRequested()
{
    return m_state->cancel.load();
}

void QueuedTransferObserver::RequestCancel()
{
    m_state->cancel = true;
}

void QueuedTransferObserver::Detach()
{
    m_state->Detach();
}
