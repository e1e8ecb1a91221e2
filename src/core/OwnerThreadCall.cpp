// OwnerThreadCall: posting a function to the owner's thread, waiting for it, and abandoning.
#include "core/OwnerThreadCall.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <mutex>

struct OwnerThreadCall::State {
    std::mutex mutex;
    std::condition_variable released;
    QObject *owner = nullptr; // cleared when the owner is destroyed
    bool abandoned = false;
    QMetaObject::Connection ownerGone;

    void Abandon(bool ownerDestroyed)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            abandoned = true;
            if (ownerDestroyed)
                owner = nullptr;
        }
        released.notify_all();
    }

    ~State() { QObject::disconnect(ownerGone); }
};

namespace {

struct Ticket {
    bool done = false; // the caller may leave
    bool ran = false;  // the function ran to its end
};

// Carried inside the posted event. When the event is dropped unrun (its owner was destroyed
// first), the courier dies with it and so releases the caller instead of leaving it waiting.
class Courier
{
public:
    Courier(std::shared_ptr<OwnerThreadCall::State> state, std::shared_ptr<Ticket> ticket,
            std::function<void()> function)
        : m_state(std::move(state)), m_ticket(std::move(ticket)), m_function(std::move(function))
    {
    }
    Courier(const Courier &) = delete;
    Courier &operator=(const Courier &) = delete;

    ~Courier() { Finish(false); }

    // On the owner's thread.
    void Deliver()
    {
        {
            std::lock_guard<std::mutex> lock(m_state->mutex);
            if (m_state->abandoned || m_ticket->done)
                return;
        }
        m_function();
        Finish(true);
    }

private:
    void Finish(bool ran)
    {
        {
            std::lock_guard<std::mutex> lock(m_state->mutex);
            if (m_ticket->done)
                return;
            m_ticket->done = true;
            m_ticket->ran = ran;
        }
        m_state->released.notify_all();
    }

    std::shared_ptr<OwnerThreadCall::State> m_state;
    std::shared_ptr<Ticket> m_ticket;
    std::function<void()> m_function;
};

} // namespace

OwnerThreadCall::OwnerThreadCall(QObject *owner) : m_state(std::make_shared<State>())
{
    m_state->owner = owner;
    if (!owner) {
        m_state->abandoned = true;
        return;
    }
    // Direct connection: runs in the owner's destructor, before the object is gone.
    std::weak_ptr<State> weak = m_state;
    m_state->ownerGone = QObject::connect(owner, &QObject::destroyed, [weak] {
        if (auto state = weak.lock())
            state->Abandon(true);
    });
}

bool OwnerThreadCall::Run(std::function<void()> function) const
{
    std::unique_lock<std::mutex> lock(m_state->mutex);
    if (m_state->abandoned || !m_state->owner)
        return false;
    if (m_state->owner->thread() == QThread::currentThread()) {
        lock.unlock();
        function();
        return true;
    }
    auto ticket = std::make_shared<Ticket>();
    auto courier = std::make_shared<Courier>(m_state, ticket, std::move(function));
    // Posted under the lock: the owner cannot finish dying (its destroyed handler takes the
    // lock) while the event is being queued.
    QMetaObject::invokeMethod(m_state->owner, [courier] { courier->Deliver(); }, Qt::QueuedConnection);
    // The courier's last owner must be the event, and its destructor takes the lock.
    lock.unlock();
    courier.reset();
    lock.lock();
    m_state->released.wait(lock, [&] { return ticket->done || m_state->abandoned; });
    return ticket->done && ticket->ran;
}

void OwnerThreadCall::Abandon() const
{
    m_state->Abandon(false);
}

bool OwnerThreadCall::IsAbandoned() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->abandoned;
}
