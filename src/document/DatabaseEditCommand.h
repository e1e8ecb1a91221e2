// One undoable edit of the database: a DatabaseEdit applied through the document.
#pragma once

#include "document/DatabaseEdit.h"

#include <QUndoCommand>

#include <memory>

class ChannelDocument;

// Redo applies the edit forwards, undo backwards, both through the document, which announces the
// change to the views. The first redo (inside QUndoStack::push) is the edit itself; when it cannot
// be applied whole, what it did apply is taken back and the command makes itself obsolete, so the
// stack drops it: an edit is on the stack only when it happened.
class DatabaseEditCommand : public QUndoCommand
{
public:
    DatabaseEditCommand(ChannelDocument &document, const QString &text, DatabaseEdit edit);

    // Pushes the edit as a command on the document's stack; true when it was applied (and so is
    // on the stack now).
    static bool Push(ChannelDocument &document, const QString &text, DatabaseEdit edit);

    void undo() override;
    void redo() override;

    // False when the last undo or redo could not be applied whole (the pool was full, for one).
    bool Applied() const { return m_applied; }
    const DatabaseEdit &Edit() const { return m_edit; }

private:
    ChannelDocument &m_document;
    DatabaseEdit m_edit;
    bool m_applied = true;
    bool m_firstRedo = true;
    std::shared_ptr<bool> m_firstRedoResult;  // Push's answer: the command may be gone by then
};
