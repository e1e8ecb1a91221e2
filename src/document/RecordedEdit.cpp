// Taking a form's writes back and pushing them as one command.
#include "document/RecordedEdit.h"

#include "document/ChannelDocument.h"
#include "document/DatabaseEditCommand.h"

bool PushRecordedEdit(ChannelDocument &document, const QString &text, const std::vector<RecordedWrite> &writes,
                      std::vector<SlotMove> moves)
{
    CChannelDb &db = document.Database();
    DatabaseEdit edit;
    edit.changes.resize(writes.size());
    for (size_t i = writes.size(); i-- > 0;) {
        const RecordedWrite &write = writes[i];
        NodeChange &change = edit.changes[i];
        change.kind = write.kind;
        change.slot = write.slot;
        change.after = db.RecordBytes(write.kind, write.slot);
        if (write.created) {
            db.DeleteNode(write.kind, write.slot);
        } else {
            change.before = write.before;
            db.SetRecordBytes(write.kind, write.slot, change.before);
        }
    }
    edit.moves = std::move(moves);
    if (edit.Empty())
        return false;
    return DatabaseEditCommand::Push(document, text, std::move(edit));
}
