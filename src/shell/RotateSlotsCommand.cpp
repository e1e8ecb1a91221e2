// Undoable rotation of the program slot map between two slots; undone by the reverse rotation.
#include "shell/RotateSlotsCommand.h"

#include "database/CChannelDb.h"
#include "layout/FieldDesc.h"
#include "shell/CZanEditorView.h"

RotateSlotsCommand::RotateSlotsCommand(CZanEditorView &view, CChannelDb &db, int from, int to)
    : ChannelListCommand(view, db, QStringLiteral("Move Channel")), m_from(from), m_to(to)
{
}

void RotateSlotsCommand::undo()
{
    Db().RotateSlots(KindProgram, m_to, m_from);
    Show(m_from);
}

void RotateSlotsCommand::redo()
{
    Db().RotateSlots(KindProgram, m_from, m_to);
    if (!TakeFirstRun())
        Show(m_to);
}

void RotateSlotsCommand::Show(int selectSlot)
{
    if (CZanEditorView *view = View()) {
        view->RefillCurrentNode();
        view->SelectSlotRow(selectSlot);
    }
}
