// Programs joining a favourite group or leaving it, as one undoable command.
#include "document/GroupMembership.h"

#include "database/CChannelDb.h"
#include "database/FavouriteGroups.h"
#include "database/NodeFields.h"
#include "document/ChannelDocument.h"
#include "document/RecordedEdit.h"

#include <algorithm>

bool PushGroupMembership(ChannelDocument &document, const std::vector<int32_t> &slots, int group, GroupChange change,
                         const QString &text)
{
    if (!FavouriteGroups::IsGroupNumber(group))
        return false;
    CChannelDb &db = document.Database();
    const int field = FindNodeField(db, KindProgram, FavouriteGroups::kFieldName, DeclarationOrder);
    if (field < 0)
        return false;
    const uint32_t bit = FavouriteGroups::Bit(group);
    std::vector<RecordedWrite> writes;
    std::vector<int32_t> done;
    for (int32_t slot : slots) {
        int32_t value = 0;
        if (slot < 0 || std::find(done.begin(), done.end(), slot) != done.end()
            || !db.GetNodeInt(KindProgram, slot, field, value, 0, DeclarationOrder))
            continue;
        const uint32_t now = uint32_t(value);
        const uint32_t wanted = change == GroupChange::Join ? now | bit : now & ~bit;
        if (wanted == now)
            continue;
        done.push_back(slot);
        writes.push_back({KindProgram, slot, false, db.RecordBytes(KindProgram, slot)});
        db.SetNodeInt(KindProgram, slot, field, wanted, DeclarationOrder);
    }
    return PushRecordedEdit(document, text, writes);
}
