// Undoable group rename: the database's name entry and the navigator item follow each step.
#include "shell/RenameGroupCommand.h"

#include "database/CChannelDb.h"
#include "shell/CZanEditorView.h"
#include "shell/EditorContext.h"

#include <QString>

RenameGroupCommand::RenameGroupCommand(EditorContext &context, CZanEditorView &view, int group, std::string oldName,
                                       std::string newName)
    : QUndoCommand(QStringLiteral("Rename Group")), m_context(context), m_view(&view), m_group(group),
      m_oldName(std::move(oldName)), m_newName(std::move(newName))
{
}

void RenameGroupCommand::undo()
{
    Store(m_oldName);
}

void RenameGroupCommand::redo()
{
    Store(m_newName);
}

void RenameGroupCommand::Store(const std::string &name)
{
    FavouriteRecord *favourites = m_context.Database().Favourites();
    if (!favourites || m_group < 1 || size_t(m_group) > favourites->names.size())
        return;
    favourites->names[size_t(m_group - 1)] = name;
    m_context.SetGroupItemText(m_group, QString::fromUtf8(name.data(), qsizetype(name.size())));
    if (CZanEditorView *view = m_view.data())
        view->RebuildFavouriteNames();
}
