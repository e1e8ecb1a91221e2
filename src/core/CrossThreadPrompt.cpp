// CrossThreadPrompt: each prompt call as one blocking call on the owner's thread.
#include "core/CrossThreadPrompt.h"

CrossThreadPrompt::CrossThreadPrompt(QObject *owner, UserPrompt &target) : m_call(owner), m_target(&target)
{
}

CrossThreadPrompt::~CrossThreadPrompt()
{
    // A question still queued must not reach the real prompt through this adapter's pointer.
    m_call.Abandon();
}

void CrossThreadPrompt::ShowMessageBox(const Message &message)
{
    UserPrompt *target = m_target;
    m_call.Run([target, message] { target->ShowMessageBox(message); });
}

UserPrompt::Answer CrossThreadPrompt::AskYesNo(const QString &text)
{
    UserPrompt *target = m_target;
    return m_call.Call<Answer>([target, text] { return target->AskYesNo(text); }, No);
}

UserPrompt::Answer CrossThreadPrompt::AskYesNoCancel(const QString &text)
{
    UserPrompt *target = m_target;
    return m_call.Call<Answer>([target, text] { return target->AskYesNoCancel(text); }, Cancel);
}

void CrossThreadPrompt::Abandon()
{
    m_call.Abandon();
}

bool CrossThreadPrompt::IsAbandoned() const
{
    return m_call.IsAbandoned();
}
