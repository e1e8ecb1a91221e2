// One undoable edit of the database as the records and slot-map entries it changes.
#pragma once

#include <QUndoCommand>

#include <cstdint>
#include <functional>
#include <vector>

class CChannelDb;

// A node's record before and after the edit: an empty `before` means the edit creates the node in
// its (free) slot, an empty `after` that it deletes it.
struct NodeChange
{
    int kind = 0;
    int slot = -1;
    std::vector<uint8_t> before;
    std::vector<uint8_t> after;
};

// Two slot-map entries of a table that the edit exchanges (a move in the tree or the list).
struct SlotExchange
{
    int kind = 0;
    int a = -1;
    int b = -1;
};

// Redo applies the changes in order (records, then exchanges), undo takes them back in reverse
// order. The command records only what changes, never a copy of the pool. `refresh` runs after
// every undo and redo, so the windows show the database as it now is.
class DatabaseEditCommand : public QUndoCommand
{
public:
    DatabaseEditCommand(CChannelDb &db, const QString &text, std::vector<NodeChange> changes,
                        std::vector<SlotExchange> exchanges = {}, std::function<void()> refresh = {});

    void undo() override;
    void redo() override;

    // False when the last undo or redo could not be applied whole (the pool was full, for one).
    bool Applied() const { return m_applied; }

    // Takes a record edit made in place back out, for a command to make it again on redo: the
    // record as it is now is the `after` of the change, `before` is written back into the slot.
    static NodeChange TakeBackEdit(CChannelDb &db, int kind, int slot, std::vector<uint8_t> before);
    // The same for a node just created in a free slot: it is deleted again, its record kept.
    static NodeChange TakeBackCreation(CChannelDb &db, int kind, int slot);

private:
    bool ApplyRecord(int kind, int slot, const std::vector<uint8_t> &from, const std::vector<uint8_t> &to);

    CChannelDb &m_db;
    std::vector<NodeChange> m_changes;
    std::vector<SlotExchange> m_exchanges;
    std::function<void()> m_refresh;
    bool m_applied = true;
};
