// Undoable exchange of two programs' places in the channel order (Move Up, Move Down, Switch).
#pragma once

#include "shell/ChannelListCommand.h"

class SwapSlotsCommand : public ChannelListCommand
{
public:
    // The program in slot `from` goes to slot `to` and the one there to `from`.
    SwapSlotsCommand(CZanEditorView &view, CChannelDb &db, int from, int to, const QString &text);

    void undo() override;
    void redo() override;

private:
    // Both directions are the same exchange; `selectSlot` is where the moved program is now.
    void Apply(int selectSlot);

    int m_from;
    int m_to;
};
