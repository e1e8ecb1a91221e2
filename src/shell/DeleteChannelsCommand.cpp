// Undoable deletion: each deleted slot keeps its record bytes and is revived on undo.
#include "shell/DeleteChannelsCommand.h"

#include "database/CChannelDb.h"
#include "layout/FieldDesc.h"
#include "shell/CZanEditorView.h"

DeleteChannelsCommand::DeleteChannelsCommand(CZanEditorView &view, CChannelDb &db,
                                             std::vector<DeletedProgram> programs, int selectRow)
    : ChannelListCommand(view, db, QStringLiteral("Delete Channel")), m_programs(std::move(programs)),
      m_selectRow(selectRow)
{
}

void DeleteChannelsCommand::undo()
{
    for (auto it = m_programs.rbegin(); it != m_programs.rend(); ++it)
        Db().ReviveNode(KindProgram, it->slot, it->record);
    if (CZanEditorView *view = View()) {
        view->RefillCurrentNode();
        if (!m_programs.empty())
            view->SelectSlotRow(m_programs.front().slot);
    }
}

void DeleteChannelsCommand::redo()
{
    for (const DeletedProgram &program : m_programs)
        Db().DeleteNode(KindProgram, program.slot);
    if (TakeFirstRun())
        return;
    if (CZanEditorView *view = View()) {
        view->RefillCurrentNode();
        if (m_selectRow >= 0 && m_selectRow < view->RowCount())
            view->SelectChannelRow(m_selectRow);
    }
}
