// Undoable removal from a favourite group: each program's old "Favorite Group" value is kept.
#include "shell/RemoveGroupItemsCommand.h"

#include "database/CChannelDb.h"
#include "database/NodeFields.h"
#include "layout/FieldDesc.h"
#include "shell/CZanEditorView.h"

RemoveGroupItemsCommand::RemoveGroupItemsCommand(CZanEditorView &view, CChannelDb &db, std::vector<Change> changes)
    : ChannelListCommand(view, db, QStringLiteral("Remove Item")), m_changes(std::move(changes))
{
}

void RemoveGroupItemsCommand::undo()
{
    Write(false);
    if (CZanEditorView *view = View()) {
        view->RefillCurrentNode();
        if (!m_changes.empty())
            view->SelectSlotRow(m_changes.front().slot);
    }
}

void RemoveGroupItemsCommand::redo()
{
    Write(true);
    if (TakeFirstRun())
        return;
    if (CZanEditorView *view = View())
        view->RefillCurrentNode();
}

void RemoveGroupItemsCommand::Write(bool newValues)
{
    const int field = FindNodeField(Db(), KindProgram, "Favorite Group", DeclarationOrder);
    if (field < 0)
        return;
    for (const Change &change : m_changes)
        Db().SetNodeInt(KindProgram, change.slot, field, newValues ? change.newValue : change.oldValue,
                        DeclarationOrder);
}
