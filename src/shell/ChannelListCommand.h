// Base of the channel list's undo commands: the database they change and the list that shows it.
#pragma once

#include <QPointer>
#include <QUndoCommand>

class CChannelDb;
class CZanEditorView;

// The first redo() happens inside QUndoStack::push, while the list command that pushed it is
// still running and refreshes the list its own way; later undo and redo steps refresh the list
// themselves. The view is held weakly: a command outliving the list still restores the database.
class ChannelListCommand : public QUndoCommand
{
public:
    ChannelListCommand(CZanEditorView &view, CChannelDb &db, const QString &text);

protected:
    // True exactly once, on the redo() made by push.
    bool TakeFirstRun();
    CZanEditorView *View() const { return m_view.data(); }
    CChannelDb &Db() const { return m_db; }

private:
    QPointer<CZanEditorView> m_view;
    CChannelDb &m_db;
    bool m_firstRun = true;
};
