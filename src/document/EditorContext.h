// What the editor's panes and dialogs reach through the main frame: the document and the services.
#pragma once

#include "document/ChannelDocument.h"

class ProfileStore;
class UserPrompt;
struct NavNode;

// Implemented by CMainFrame; the panes get a reference at construction and keep no other route
// to the frame. Everything here lives as long as the frame.
class EditorContext
{
public:
    virtual ~EditorContext() = default;
    // The open database: every edit is a command on its undo stack, applied through it.
    virtual ChannelDocument &Document() = 0;
    virtual UserPrompt &Prompt() = 0;
    virtual ProfileStore &Profile() = 0;
    // The navigator's selected node (GetSelectedNode), or null. Read it, never keep it: an edit
    // of the tree frees the nodes.
    virtual NavNode *SelectedNode() = 0;
    // Busy cursor around long work.
    virtual void SetBusy(bool busy) = 0;

    CChannelDb &Database() { return Document().Database(); }
    const LayoutSet &Layouts() { return Document().Layouts(); }
    QUndoStack &UndoStack() { return Document().UndoStack(); }
};
