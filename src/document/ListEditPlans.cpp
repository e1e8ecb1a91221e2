// The list tools' plans turned into record changes and slot exchanges.
#include "document/ListEditPlans.h"

#include "document/SlotOrderMoves.h"

#include "database/CChannelDb.h"

#include <map>
#include <numeric>

std::vector<SlotMove> SlotOrderMoves(NodeKind kind, const SlotOrder &order)
{
    std::vector<int32_t> places(order.size());
    std::iota(places.begin(), places.end(), 0);
    return ExchangesForOrder(kind, places, std::vector<int32_t>(order.begin(), order.end()));
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
