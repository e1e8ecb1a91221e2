// A UserPrompt for a worker thread that shows every message and question on the owner's thread.
#pragma once

#include "core/OwnerThreadCall.h"
#include "core/UserPrompt.h"

class QObject;

// The worker calls it; the call is carried to the thread of owner (the dialog, on the
// user-interface thread), the real prompt answers there, and the worker waits for that answer.
// Called on the owner's own thread it calls the real prompt directly.
//
// Abandon() (owner side, any thread; the dialog closing or cancelling) releases a waiting worker
// at once: AskYesNo gives No, AskYesNoCancel gives Cancel, a message just returns; later calls do
// the same without reaching the real prompt. Destroying the owner or this adapter abandons too.
// The real prompt is used on the owner's thread only, and never after Abandon(), so the owner side
// abandons before the real prompt goes away (destroying the owner does that).
class CrossThreadPrompt : public UserPrompt
{
public:
    CrossThreadPrompt(QObject *owner, UserPrompt &target);
    ~CrossThreadPrompt() override;
    CrossThreadPrompt(const CrossThreadPrompt &) = delete;
    CrossThreadPrompt &operator=(const CrossThreadPrompt &) = delete;

    void ShowMessageBox(const Message &message) override;
    Answer AskYesNo(const QString &text) override;
    Answer AskYesNoCancel(const QString &text) override;

    void Abandon();
    bool IsAbandoned() const;

private:
    OwnerThreadCall m_call;
    UserPrompt *m_target;
};
