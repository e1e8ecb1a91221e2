// Undoable rename of a favourite group (Rename Group).
#pragma once

#include <QUndoCommand>

#include <string>

class ChannelDocument;

class RenameGroupCommand : public QUndoCommand
{
public:
    // group 1..32; the names as stored in the database's favourite-group table.
    RenameGroupCommand(ChannelDocument &document, int group, std::string oldName, std::string newName);

    void undo() override;
    void redo() override;

private:
    ChannelDocument &m_document;
    int m_group;
    std::string m_oldName;
    std::string m_newName;
};
