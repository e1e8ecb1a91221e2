// Turning the writes a dialog's form made into one undoable command on the document's stack.
#pragma once

#include "layout/NodeKind.h"

#include "document/DatabaseEdit.h"

#include <QString>

#include <cstdint>
#include <vector>

class ChannelDocument;

// A record a form wrote: an existing node rewritten (`before` holds its old bytes) or a node it
// created in a free slot.
struct RecordedWrite
{
    NodeKind kind = KindProgram;
    int slot = -1;
    bool created = false;
    std::vector<uint8_t> before;
};

// The forms write straight into the database, since their checks read the records as they are.
// This takes those writes back out at once (newest first), so that the database is as it was,
// and pushes them, with `moves` after them, as one command whose first redo makes them again
// through the document. False, with nothing on the stack, when there was nothing to push or the
// redo could not be applied whole (then the database is as it was before the form wrote).
bool PushRecordedEdit(ChannelDocument &document, const QString &text, const std::vector<RecordedWrite> &writes,
                      std::vector<SlotMove> moves = {});
