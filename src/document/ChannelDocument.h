// The open channel database as a document: owns it with its layouts, undo stack and file, applies
// every change and announces what changed.
#pragma once

#include "database/CChannelDb.h"
#include "database/DatabaseFileKind.h"
#include "document/DatabaseEdit.h"
#include "layout/LayoutSet.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUndoStack>

#include <string>

class UserPrompt;

// The contract: the Apply* calls are the only ones that change the nodes, the slot order or the
// group names of the open database, and only undo commands make them (the first redo() of a
// command is the edit itself). Every Apply* emits AboutToChange first and then what changed, so
// that views refresh from the database alone and never from what a command tells them. Loading,
// closing and saving the file are announced as such; they empty the undo stack (load, close) or
// mark its clean state (save). The modified state is the stack's clean state.
//
// Ownership: the layouts are declared before the database, which keeps a reference to them.
class ChannelDocument : public QObject
{
    Q_OBJECT

public:
    explicit ChannelDocument(UserPrompt &prompt, QObject *parent = nullptr);
    ~ChannelDocument() override;

    LayoutSet &Layouts() { return m_layouts; }
    const LayoutSet &Layouts() const { return m_layouts; }
    CChannelDb &Database() { return m_db; }
    const CChannelDb &Database() const { return m_db; }
    QUndoStack &UndoStack() { return m_undoStack; }

    QString Path() const { return m_path; }
    DatabaseFileKind FileKind() const { return m_fileKind; }
    bool IsOpen() const { return !m_path.isEmpty(); }
    bool IsModified() const { return IsOpen() && !m_undoStack.isClean(); }

    // --- the file ---
    // The database was just loaded from `path`: the undo stack starts empty.
    void SetOpened(const QString &path, DatabaseFileKind kind);
    // The database was just loaded from the backup of `path` (File → Revert to Backup): it stands
    // for `path`, and counts as modified until it is saved there.
    void SetReverted(const QString &path, DatabaseFileKind kind);
    // Empties the database, the stack and the path.
    void Close();
    // The database was written to `path`: its state is the clean one from now on.
    void SetSaved(const QString &path);
    // The layouts were loaded again (no file is open then).
    void NotifyLayoutsReplaced();

    // --- changes: called by undo commands only ---
    // Applies an edit forwards (redo) or backwards (undo). False when a part could not be applied
    // (a record that no longer fits the pool); the rest is applied all the same.
    bool ApplyEdit(const DatabaseEdit &edit, bool forward);
    // Names favourite group `group` (1..32); false without a favourite table or for a bad group.
    bool ApplyGroupName(int group, const std::string &name);

Q_SIGNALS:
    // Before any change: views note what they show (selection by identity).
    void AboutToChange();
    // Records of this kind were rewritten in place.
    void NodesChanged(NodeKind kind, const QList<int> &slots);
    // Slots of this kind got a record (a new node, or a deleted one back) or lost it.
    void NodesInserted(NodeKind kind, const QList<int> &slots);
    void NodesRemoved(NodeKind kind, const QList<int> &slots);
    // The slot-map entries between first and last (inclusive) of this kind moved.
    void SlotOrderChanged(NodeKind kind, int first, int last);
    void GroupNamesChanged();
    // After every change, once all of the above were said.
    void Changed();
    void FileOpened();
    void FileClosed();
    void FileSaved();
    void LayoutsReplaced();

private:
    bool ApplyRecord(const NodeChange &change, bool forward, QList<int> (&changed)[3], QList<int> (&inserted)[3],
                     QList<int> (&removed)[3]);

    LayoutSet m_layouts;
    CChannelDb m_db;
    QUndoStack m_undoStack;
    QString m_path;
    DatabaseFileKind m_fileKind = DatabaseFileKind::None;
};
