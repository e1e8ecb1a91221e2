// Undoable deletion of programs from the database (Delete Channel).
#pragma once

#include "shell/ChannelListCommand.h"

#include <cstdint>
#include <vector>

class DeleteChannelsCommand : public ChannelListCommand
{
public:
    struct DeletedProgram
    {
        int slot = -1;
        std::vector<uint8_t> record;  // the record's bytes, to give the slot back on undo
    };

    // `selectRow`: the row a later redo selects after refilling (-1: none).
    DeleteChannelsCommand(CZanEditorView &view, CChannelDb &db, std::vector<DeletedProgram> programs, int selectRow);

    void undo() override;
    void redo() override;

private:
    std::vector<DeletedProgram> m_programs;
    int m_selectRow;
};
