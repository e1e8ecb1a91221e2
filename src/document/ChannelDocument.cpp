// Applying the database's changes and announcing them.
#include "document/ChannelDocument.h"

#include <algorithm>

ChannelDocument::ChannelDocument(UserPrompt &prompt, QObject *parent)
    : QObject(parent), m_db(m_layouts, prompt)
{
}

ChannelDocument::~ChannelDocument()
{
    // The stack's commands and its signals refer to this document: both go while it is whole.
    m_undoStack.disconnect();
    m_undoStack.clear();
}

void ChannelDocument::SetOpened(const QString &path, DatabaseFileKind kind)
{
    m_path = path;
    m_fileKind = kind;
    m_undoStack.clear();
    Q_EMIT FileOpened();
}

void ChannelDocument::SetReverted(const QString &path, DatabaseFileKind kind)
{
    SetOpened(path, kind);
    // No edit made the difference, so no state of the stack is the file's.
    m_undoStack.resetClean();
}

void ChannelDocument::Close()
{
    m_path.clear();
    m_fileKind = DatabaseFileKind::None;
    m_undoStack.clear();
    // The views let go of what they show before the records go.
    Q_EMIT FileClosed();
    m_db.Clear();
}

void ChannelDocument::SetSaved(const QString &path)
{
    Q_UNUSED(path);
    m_undoStack.setClean();
    Q_EMIT FileSaved();
}

void ChannelDocument::NotifyLayoutsReplaced()
{
    Q_EMIT LayoutsReplaced();
}

bool ChannelDocument::ApplyRecord(const NodeChange &change, bool forward, QList<int> (&changed)[3],
                                  QList<int> (&inserted)[3], QList<int> (&removed)[3])
{
    const std::vector<uint8_t> &from = forward ? change.before : change.after;
    const std::vector<uint8_t> &to = forward ? change.after : change.before;
    const NodeKind kind = change.kind;
    if (!IsTableKind(kind))
        return false;
    if (to.empty()) {
        if (!m_db.IsUsed(kind, change.slot))
            return false;
        m_db.DeleteNode(kind, change.slot);
        removed[KindSlot(kind)] << change.slot;
        return true;
    }
    if (from.empty()) {
        if (!m_db.ReviveNode(kind, change.slot, to))
            return false;
        inserted[KindSlot(kind)] << change.slot;
        return true;
    }
    if (!m_db.SetRecordBytes(kind, change.slot, to))
        return false;
    changed[KindSlot(kind)] << change.slot;
    return true;
}

bool ChannelDocument::ApplyEdit(const DatabaseEdit &edit, bool forward)
{
    Q_EMIT AboutToChange();
    bool applied = true;
    QList<int> changed[3];
    QList<int> inserted[3];
    QList<int> removed[3];
    struct Range
    {
        int first = -1;
        int last = -1;
    } moved[3];
    auto move = [&](const SlotMove &m, bool ahead) {
        const int from = ahead ? m.from : m.to;
        const int to = ahead ? m.to : m.from;
        const bool ok = m.type == SlotMove::Type::Exchange ? m_db.SwapSlots(m.kind, from, to)
                                                           : m_db.RotateSlots(m.kind, from, to);
        if (ok && IsTableKind(m.kind)) {
            Range &range = moved[KindSlot(m.kind)];
            const int low = std::min(from, to);
            const int high = std::max(from, to);
            range.first = range.first < 0 ? low : std::min(range.first, low);
            range.last = std::max(range.last, high);
        }
        applied = ok && applied;
    };
    if (forward) {
        for (const NodeChange &change : edit.changes)
            applied = ApplyRecord(change, true, changed, inserted, removed) && applied;
        for (const SlotMove &m : edit.moves)
            move(m, true);
    } else {
        for (auto it = edit.moves.rbegin(); it != edit.moves.rend(); ++it)
            move(*it, false);
        for (auto it = edit.changes.rbegin(); it != edit.changes.rend(); ++it)
            applied = ApplyRecord(*it, false, changed, inserted, removed) && applied;
    }
    // Satellites first: a view that rebuilds its tree then finds the transponders and programs
    // of the same edit already in place.
    for (NodeKind kind : {KindSatellite, KindTransponder, KindProgram}) {
        if (!removed[KindSlot(kind)].isEmpty())
            Q_EMIT NodesRemoved(kind, removed[KindSlot(kind)]);
        if (!inserted[KindSlot(kind)].isEmpty())
            Q_EMIT NodesInserted(kind, inserted[KindSlot(kind)]);
        if (!changed[KindSlot(kind)].isEmpty())
            Q_EMIT NodesChanged(kind, changed[KindSlot(kind)]);
        if (moved[KindSlot(kind)].first >= 0)
            Q_EMIT SlotOrderChanged(kind, moved[KindSlot(kind)].first, moved[KindSlot(kind)].last);
    }
    Q_EMIT Changed();
    return applied;
}

bool ChannelDocument::ApplyGroupName(int group, const std::string &name)
{
    FavouriteRecord *favourites = m_db.Favourites();
    if (!favourites || group < 1 || size_t(group) > favourites->names.size())
        return false;
    Q_EMIT AboutToChange();
    favourites->names[size_t(group - 1)] = name;
    Q_EMIT GroupNamesChanged();
    Q_EMIT Changed();
    return true;
}
