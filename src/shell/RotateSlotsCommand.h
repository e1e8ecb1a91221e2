// Undoable move of one program to another place in the channel order (Move Channel).
#pragma once

#include "shell/ChannelListCommand.h"

class RotateSlotsCommand : public ChannelListCommand
{
public:
    // The program in slot `from` goes to slot `to`; the programs between shift by one place.
    RotateSlotsCommand(CZanEditorView &view, CChannelDb &db, int from, int to);

    void undo() override;
    void redo() override;

private:
    void Show(int selectSlot);

    int m_from;
    int m_to;
};
