// Undoable removal of programs from one favourite group (Remove Item).
#pragma once

#include "shell/ChannelListCommand.h"

#include <cstdint>
#include <vector>

class RemoveGroupItemsCommand : public ChannelListCommand
{
public:
    struct Change
    {
        int slot = -1;
        uint32_t oldValue = 0;  // the "Favorite Group" value before and after
        uint32_t newValue = 0;
    };

    RemoveGroupItemsCommand(CZanEditorView &view, CChannelDb &db, std::vector<Change> changes);

    void undo() override;
    void redo() override;

private:
    void Write(bool newValues);

    std::vector<Change> m_changes;
};
