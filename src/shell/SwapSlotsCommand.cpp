// Undoable exchange of two program slots: only the two rows that show them are rewritten.
#include "shell/SwapSlotsCommand.h"

#include "database/CChannelDb.h"
#include "layout/FieldDesc.h"
#include "shell/CZanEditorView.h"

SwapSlotsCommand::SwapSlotsCommand(CZanEditorView &view, CChannelDb &db, int from, int to, const QString &text)
    : ChannelListCommand(view, db, text), m_from(from), m_to(to)
{
}

void SwapSlotsCommand::undo()
{
    Apply(m_from);
}

void SwapSlotsCommand::redo()
{
    if (TakeFirstRun()) {
        Db().SwapSlots(KindProgram, m_from, m_to);
        return;
    }
    Apply(m_to);
}

void SwapSlotsCommand::Apply(int selectSlot)
{
    Db().SwapSlots(KindProgram, m_from, m_to);
    if (CZanEditorView *view = View()) {
        view->RefreshSlotRows(m_from, m_to);
        view->SelectSlotRow(selectSlot);
    }
}
