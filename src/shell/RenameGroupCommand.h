// Undoable rename of a favourite group (Rename Group).
#pragma once

#include <QPointer>
#include <QUndoCommand>

#include <string>

class CZanEditorView;
class EditorContext;

class RenameGroupCommand : public QUndoCommand
{
public:
    // group 1..32; the names as stored in the database's favourite-group table.
    RenameGroupCommand(EditorContext &context, CZanEditorView &view, int group, std::string oldName,
                       std::string newName);

    void undo() override;
    void redo() override;

private:
    void Store(const std::string &name);

    EditorContext &m_context;
    QPointer<CZanEditorView> m_view;
    int m_group;
    std::string m_oldName;
    std::string m_newName;
};
