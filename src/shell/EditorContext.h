// What the editor's panes and commands reach through the main frame: database, layouts, undo stack.
#pragma once

class CChannelDb;
class LayoutSet;
class ProfileStore;
class QString;
class QUndoStack;
class UserPrompt;
struct NavNode;

// Implemented by CMainFrame; the panes get a reference at construction and keep no other route
// to the frame. Everything here lives as long as the frame.
class EditorContext
{
public:
    virtual ~EditorContext() = default;
    virtual CChannelDb &Database() = 0;
    virtual const LayoutSet &Layouts() const = 0;
    // Every edit is a command on this stack; its clean state is the file's unmodified state.
    virtual QUndoStack &UndoStack() = 0;
    virtual UserPrompt &Prompt() = 0;
    virtual ProfileStore &Profile() = 0;
    // The navigator's selected node (GetSelectedNode), or null.
    virtual NavNode *SelectedNode() = 0;
    // The navigator item of favourite group `group` (1..32) shows this text from now on.
    virtual void SetGroupItemText(int group, const QString &text) = 0;
    // Busy cursor around long work.
    virtual void SetBusy(bool busy) = 0;
};
