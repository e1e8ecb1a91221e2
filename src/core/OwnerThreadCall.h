// Runs a function on the thread of an owner QObject and blocks the caller until it has run.
#pragma once

#include <functional>
#include <memory>
#include <optional>

class QObject;

// The bridge from a worker thread to the user-interface thread for modal questions.
//
// Call() is made on any thread. On the owner's own thread it runs the function directly; on any
// other it posts it to the owner's event loop and waits. The owner side can Abandon() from any
// thread: a waiting caller is released at once with its fallback, a posted function that has not
// started yet never runs, and every later Call() returns the fallback without posting. Destroying
// the owner abandons too. Copies share one state, so a copy held by the worker and one held by the
// dialog abandon together.
//
// What the function touches lives on the owner's thread and must outlive the owner, or be
// abandoned (on that thread) before it goes away: after Abandon() nothing posted is run.
class OwnerThreadCall
{
public:
    explicit OwnerThreadCall(QObject *owner);

    template <class T>
    T Call(std::function<T()> function, T fallback) const
    {
        // Shared with the posted function: a released caller leaves before a late answer lands.
        auto result = std::make_shared<std::optional<T>>();
        const bool ran = Run([function = std::move(function), result] { *result = function(); });
        return ran && result->has_value() ? std::move(**result) : fallback;
    }

    // True when the function ran to its end and the caller was released by it.
    bool Run(std::function<void()> function) const;

    void Abandon() const;
    bool IsAbandoned() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};
