// Undoable group rename through the document, which tells the tree and the list.
#include "document/RenameGroupCommand.h"

#include "document/ChannelDocument.h"

RenameGroupCommand::RenameGroupCommand(ChannelDocument &document, int group, std::string oldName, std::string newName)
    : QUndoCommand(QStringLiteral("Rename Group")), m_document(document), m_group(group),
      m_oldName(std::move(oldName)), m_newName(std::move(newName))
{
}

void RenameGroupCommand::undo()
{
    m_document.ApplyGroupName(m_group, m_oldName);
}

void RenameGroupCommand::redo()
{
    m_document.ApplyGroupName(m_group, m_newName);
}
