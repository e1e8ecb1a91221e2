// Base of the channel list's undo commands.
#include "shell/ChannelListCommand.h"

#include "shell/CZanEditorView.h"

ChannelListCommand::ChannelListCommand(CZanEditorView &view, CChannelDb &db, const QString &text)
    : QUndoCommand(text), m_view(&view), m_db(db)
{
}

bool ChannelListCommand::TakeFirstRun()
{
    const bool first = m_firstRun;
    m_firstRun = false;
    return first;
}
