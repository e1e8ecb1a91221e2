// Applying and taking back the record and slot-map changes of one edit.
#include "shell/DatabaseEditCommand.h"

#include "database/CChannelDb.h"

DatabaseEditCommand::DatabaseEditCommand(CChannelDb &db, const QString &text, std::vector<NodeChange> changes,
                                         std::vector<SlotExchange> exchanges, std::function<void()> refresh)
    : QUndoCommand(text), m_db(db), m_changes(std::move(changes)), m_exchanges(std::move(exchanges)),
      m_refresh(std::move(refresh))
{
}

bool DatabaseEditCommand::ApplyRecord(int kind, int slot, const std::vector<uint8_t> &from,
                                      const std::vector<uint8_t> &to)
{
    if (to.empty()) {
        if (!m_db.IsUsed(kind, slot))
            return false;
        m_db.DeleteNode(kind, slot);
        return true;
    }
    if (from.empty())
        return m_db.ReviveNode(kind, slot, to);
    return m_db.SetRecordBytes(kind, slot, to);
}

void DatabaseEditCommand::redo()
{
    m_applied = true;
    for (const NodeChange &change : m_changes)
        m_applied = ApplyRecord(change.kind, change.slot, change.before, change.after) && m_applied;
    for (const SlotExchange &exchange : m_exchanges)
        m_applied = m_db.SwapSlots(exchange.kind, exchange.a, exchange.b) && m_applied;
    if (m_refresh)
        m_refresh();
}

void DatabaseEditCommand::undo()
{
    m_applied = true;
    for (auto it = m_exchanges.rbegin(); it != m_exchanges.rend(); ++it)
        m_applied = m_db.SwapSlots(it->kind, it->a, it->b) && m_applied;
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it)
        m_applied = ApplyRecord(it->kind, it->slot, it->after, it->before) && m_applied;
    if (m_refresh)
        m_refresh();
}

NodeChange DatabaseEditCommand::TakeBackEdit(CChannelDb &db, int kind, int slot, std::vector<uint8_t> before)
{
    NodeChange change {kind, slot, std::move(before), db.RecordBytes(kind, slot)};
    db.SetRecordBytes(kind, slot, change.before);
    return change;
}

NodeChange DatabaseEditCommand::TakeBackCreation(CChannelDb &db, int kind, int slot)
{
    NodeChange change {kind, slot, {}, db.RecordBytes(kind, slot)};
    db.DeleteNode(kind, slot);
    return change;
}
