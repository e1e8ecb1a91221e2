// The list tools' plans turned into record changes and slot exchanges.
#include "document/ListEditPlans.h"

#include "database/CChannelDb.h"

#include <map>

std::vector<SlotMove> SlotOrderMoves(NodeKind kind, const SlotOrder &order)
{
    // The same selection as ApplySlotOrder: where[e] is the slot holding the node first in slot e,
    // at[s] the node slot s holds now.
    std::vector<SlotMove> moves;
    std::vector<int32_t> where(order.size());
    std::vector<int32_t> at(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        where[i] = at[i] = int32_t(i);
    for (size_t i = 0; i < order.size(); ++i) {
        const int32_t wanted = order[i];
        if (wanted < 0 || size_t(wanted) >= order.size())
            return {};
        const int32_t from = where[size_t(wanted)];
        if (from == int32_t(i))
            continue;
        moves.push_back(SlotMove{SlotMove::Type::Exchange, kind, int(i), int(from)});
        const int32_t displaced = at[i];
        at[size_t(from)] = displaced;
        where[size_t(displaced)] = from;
        at[i] = wanted;
        where[size_t(wanted)] = int32_t(i);
    }
    return moves;
}

std::optional<std::vector<NodeChange>> GroupBitsRecordChanges(CChannelDb &db,
                                                              const std::vector<GroupBitsChange> &changes)
{
    std::vector<NodeChange> records;
    records.reserve(changes.size());
    for (const GroupBitsChange &change : changes) {
        NodeChange record;
        record.kind = KindProgram;
        record.slot = change.slot;
        record.before = db.RecordBytes(KindProgram, change.slot);
        if (record.before.empty())
            return std::nullopt;
        if (!ApplyGroupBits(db, {change}))
            return std::nullopt;
        record.after = db.RecordBytes(KindProgram, change.slot);
        db.SetRecordBytes(KindProgram, change.slot, record.before);
        if (record.after != record.before)
            records.push_back(std::move(record));
    }
    return records;
}

std::optional<DatabaseEdit> DuplicateRemovalEdit(CChannelDb &db, const DuplicateRemoval &removal)
{
    std::optional<std::vector<NodeChange>> groups = GroupBitsRecordChanges(db, removal.groupChanges);
    if (!groups)
        return std::nullopt;
    DatabaseEdit edit;
    edit.changes = std::move(*groups);
    for (const int32_t slot : removal.deleteSlots) {
        NodeChange deletion;
        deletion.kind = KindProgram;
        deletion.slot = slot;
        deletion.before = db.RecordBytes(KindProgram, slot);
        if (deletion.before.empty())
            return std::nullopt;
        edit.changes.push_back(std::move(deletion));
    }
    return edit;
}

std::optional<DatabaseEdit> ReorderEdit(CChannelDb &db, const std::vector<GroupBitsChange> &groupChanges,
                                        const SlotOrder &order)
{
    if (!IsSlotOrder(db, KindProgram, order))
        return std::nullopt;
    std::optional<std::vector<NodeChange>> groups = GroupBitsRecordChanges(db, groupChanges);
    if (!groups)
        return std::nullopt;
    DatabaseEdit edit;
    edit.changes = std::move(*groups);
    edit.moves = SlotOrderMoves(KindProgram, order);
    return edit;
}

std::optional<DatabaseEdit> FieldChangesEdit(CChannelDb &db, const std::vector<FieldChange> &changes)
{
    // Every touched program's record before, in slot order; the changes are written, the records
    // read, and the old bytes put back.
    std::map<int32_t, std::vector<uint8_t>> before;
    for (const FieldChange &change : changes) {
        if (before.count(change.slot))
            continue;
        std::vector<uint8_t> record = db.RecordBytes(KindProgram, change.slot);
        if (record.empty())
            return std::nullopt;
        before.emplace(change.slot, std::move(record));
    }
    if (!ApplyFieldChanges(db, changes))
        return std::nullopt;
    DatabaseEdit edit;
    for (auto &[slot, record] : before) {
        NodeChange change;
        change.kind = KindProgram;
        change.slot = slot;
        change.after = db.RecordBytes(KindProgram, slot);
        db.SetRecordBytes(KindProgram, slot, record);
        change.before = std::move(record);
        if (change.after != change.before)
            edit.changes.push_back(std::move(change));
    }
    return edit;
}
