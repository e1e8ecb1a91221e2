// CrossThreadPathChooser: the save-file question as one blocking call on the owner's thread.
#include "link/CrossThreadPathChooser.h"

CrossThreadPathChooser::CrossThreadPathChooser(QObject *owner, SavePathChooser target)
    : m_call(owner), m_target(std::move(target))
{
}

CrossThreadPathChooser::~CrossThreadPathChooser()
{
    // A question still queued must not reach m_target once it is gone.
    m_call.Abandon();
}

std::optional<QString> CrossThreadPathChooser::Choose(const QString &filter) const
{
    if (!m_target)
        return std::nullopt;
    const SavePathChooser *target = &m_target;
    return m_call.Call<std::optional<QString>>([target, filter] { return (*target)(filter); }, std::nullopt);
}

SavePathChooser CrossThreadPathChooser::Chooser() const
{
    return [this](const QString &filter) { return Choose(filter); };
}

void CrossThreadPathChooser::Abandon()
{
    m_call.Abandon();
}

bool CrossThreadPathChooser::IsAbandoned() const
{
    return m_call.IsAbandoned();
}
