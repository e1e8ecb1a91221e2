// Applying and taking back one edit through the document.
#include "document/DatabaseEditCommand.h"

#include "document/ChannelDocument.h"

#include <utility>

DatabaseEditCommand::DatabaseEditCommand(ChannelDocument &document, const QString &text, DatabaseEdit edit)
    : QUndoCommand(text), m_document(document), m_edit(std::move(edit))
{
}

bool DatabaseEditCommand::Push(ChannelDocument &document, const QString &text, DatabaseEdit edit)
{
    auto result = std::make_shared<bool>(false);
    auto *command = new DatabaseEditCommand(document, text, std::move(edit));
    command->m_firstRedoResult = result;
    document.UndoStack().push(command);
    return *result;
}

void DatabaseEditCommand::redo()
{
    m_applied = m_document.ApplyEdit(m_edit, true);
    if (!std::exchange(m_firstRedo, false))
        return;
    if (m_firstRedoResult)
        *m_firstRedoResult = m_applied;
    if (!m_applied) {
        m_document.ApplyEdit(m_edit, false);
        setObsolete(true);
    }
}

void DatabaseEditCommand::undo()
{
    m_applied = m_document.ApplyEdit(m_edit, false);
}
