// The navigator's commands of menu 137: edit, add, delete and move satellites and transponders,
// each one undoable, and the tree built again after an undo or redo.
#include "views/CNavigator.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "editors/CSatelliteInfoDlg.h"
#include "editors/CTpInfoDlg.h"
#include "views/NavItem.h"
#include "layout/FieldDesc.h"
#include "document/DatabaseEditCommand.h"
#include "document/EditorContext.h"

#include <QTreeWidgetItemIterator>
#include <QUndoStack>

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

std::pair<std::optional<CNavigator::NodeKey>, std::optional<CNavigator::NodeKey>> CNavigator::SelectionKeys() const
{
    std::optional<NodeKey> selected;
    std::optional<NodeKey> fallback;
    if (QTreeWidgetItem *item = currentItem(); NodeOf(item)) {
        selected = KeyOf(*NodeOf(item));
        if (NavNode *parent = NodeOf(item->parent()))
            fallback = KeyOf(*parent);
    }
    if (m_selectAfterChange)
        selected = m_selectAfterChange;
    return {selected, fallback};
}

void CNavigator::SelectAgain(const std::optional<NodeKey> &selected, const std::optional<NodeKey> &fallback)
{
    QTreeWidgetItem *item = selected ? FindItem(*selected) : nullptr;
    if (!item && fallback)
        item = FindItem(*fallback);
    if (item)
        SelectItem(item);
}

void CNavigator::RefreshFromDatabase()
{
    const auto [selected, fallback] = SelectionKeys();
    std::vector<NodeKey> expanded;
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if ((*it)->isExpanded() && NodeOf(*it))
            expanded.push_back(KeyOf(*NodeOf(*it)));
    }
    RebuildNavigator();
    for (const NodeKey &key : expanded) {
        if (QTreeWidgetItem *item = FindItem(key))
            item->setExpanded(true);
    }
    SelectAgain(selected, fallback);
}

void CNavigator::NoteTransponders(const QList<int> &slots)
{
    if (!m_satelliteFolder || slots.isEmpty())
        return;
    const CChannelDb &db = m_context.Database();
    const int satIdField = db.SatIdOfTransponder();
    const std::set<int> slotSet(slots.begin(), slots.end());
    for (int i = 0; i < m_satelliteFolder->childCount(); ++i) {
        QTreeWidgetItem *satellite = m_satelliteFolder->child(i);
        for (int j = 0; j < satellite->childCount(); ++j) {
            const NavNode *node = NodeOf(satellite->child(j));
            if (node && slotSet.contains(node->index))
                m_changedSatellites.insert(node->satId);
        }
    }
    for (int slot : slots) {
        int32_t satId = 0;
        if (satIdField >= 0 && db.GetNodeInt(KindTransponder, slot, satIdField, satId, 0, PositionOrder))
            m_changedSatellites.insert(satId);
    }
}

void CNavigator::RefreshSatellites(const std::set<int32_t> &satIds)
{
    if (!m_satelliteFolder) {
        RefreshFromDatabase();
        return;
    }
    const auto [selected, fallback] = SelectionKeys();
    m_clearing = true;  // taking the current item away makes another one current
    for (int i = 0; i < m_satelliteFolder->childCount(); ++i) {
        QTreeWidgetItem *item = m_satelliteFolder->child(i);
        NavNode *satellite = NodeOf(item);
        if (!satellite || !satIds.contains(satellite->satId))
            continue;
        qDeleteAll(item->takeChildren());
        // The satellite's list is computed again when it is next shown.
        satellite->slots.clear();
        satellite->hasSlots = false;
        AddTransponders(item, *satellite);
    }
    m_clearing = false;
    SelectAgain(selected, fallback);
}

void CNavigator::Edit()
{
    NavNode *node = NodeOf(currentItem());
    if (!node)
        return;
    // The dialog's command reaches the tree through the document: the item is built again then.
    if (node->kind == NavSatellite)
        CSatelliteInfoDlg::Run(m_context, *node, SatelliteInfoMode::Edit, this);
    else if (node->kind == NavTransponder)
        CTpInfoDlg::Run(m_context, *node, TpInfoEdit, 0, this);
}

void CNavigator::Add()
{
    QTreeWidgetItem *parentItem = currentItem();
    NavNode *parentNode = NodeOf(parentItem);
    if (!parentNode)
        return;
    // The new node shows up with the tree built again; the selection and the list stay.
    NavNode node;
    if (parentNode->kind == NavSatelliteFolder) {
        CSatelliteInfoDlg::Run(m_context, node, SatelliteInfoMode::New, this);
    } else if (parentNode->kind == NavSatellite) {
        node.satId = parentNode->satId;
        node.parent = parentNode;
        CTpInfoDlg::Run(m_context, node, TpInfoNew, parentItem->childCount() + 1, this);
    }
}

void CNavigator::CollectDeletion(QTreeWidgetItem *item, std::vector<NodeChange> &changes,
                                 std::vector<int32_t> &programs) const
{
    for (int i = 0; i < item->childCount(); ++i)
        CollectDeletion(item->child(i), changes, programs);
    const NavNode *node = NodeOf(item);
    if (!node)
        return;
    const CChannelDb &db = m_context.Database();
    const std::optional<NodeKind> table = TableKindOf(node->kind);
    if (table && db.IsUsed(*table, node->index))
        changes.push_back({*table, node->index, db.RecordBytes(*table, node->index), {}});
    // Slot lists may hold -1, and a satellite's list holds its transponders' programs again.
    for (int32_t slot : node->slots) {
        if (slot < 0 || !db.IsUsed(KindProgram, slot)
            || std::find(programs.begin(), programs.end(), slot) != programs.end())
            continue;
        programs.push_back(slot);
        changes.push_back({KindProgram, slot, db.RecordBytes(KindProgram, slot), {}});
    }
}

void CNavigator::Delete()
{
    QTreeWidgetItem *item = currentItem();
    NavNode *node = NodeOf(item);
    // Only satellites and transponders are deleted; the roots and folders are not records.
    if (!node || (node->kind != NavSatellite && node->kind != NavTransponder))
        return;
    const QString question = QStringLiteral("Are you sure to delete \" %1 \"").arg(item->text(0));
    if (m_context.Prompt().AskYesNo(question) != UserPrompt::Yes)
        return;

    const NavNodeKind kind = node->kind;
    QTreeWidgetItem *parentItem = item->parent();
    // The programs go with the node's list as the database is now: a list of an earlier selection
    // names slots that Move Channel may have given to other programs since. The children's lists
    // are parts of the satellite's, so the satellite's own list covers them.
    RebuildSlotList(*node);
    for (int i = 0; i < item->childCount(); ++i) {
        if (NavNode *child = NodeOf(item->child(i)))
            child->slots.clear();
    }
    DatabaseEdit edit;
    std::vector<int32_t> programs;
    CollectDeletion(item, edit.changes, programs);

    // The next selection, as a tree gives it: the next sibling, else the previous one, else the parent.
    QTreeWidgetItem *next = nullptr;
    if (parentItem) {
        const int position = parentItem->indexOfChild(item);
        next = position + 1 < parentItem->childCount() ? parentItem->child(position + 1)
             : position > 0                          ? parentItem->child(position - 1)
                                                     : parentItem;
    }

    if (kind == NavTransponder && !parentItem)
        m_context.Prompt().ShowMessage(QStringLiteral("Sat item : 0x0"));
    if (NavNode *nextNode = NodeOf(next))
        m_selectAfterChange = KeyOf(*nextNode);
    const QString text = kind == NavSatellite ? QStringLiteral("Delete Satellite") : QStringLiteral("Delete Transponder");
    // The tree is built again from the database, its transponders numbered anew.
    DatabaseEditCommand::Push(m_context.Document(), text, std::move(edit));
}

void CNavigator::MoveUp()
{
    Move(-1);
}

void CNavigator::MoveDown()
{
    Move(1);
}

void CNavigator::Move(int step)
{
    auto *itemA = dynamic_cast<NavItem *>(currentItem());
    NavNode *a = itemA ? itemA->Node() : nullptr;
    if (!a || (a->kind != NavSatellite && a->kind != NavTransponder) || !itemA->parent())
        return;
    QTreeWidgetItem *parent = itemA->parent();
    const int target = parent->indexOfChild(itemA) + step;
    if (target < 0 || target >= parent->childCount())
        return;
    auto *itemB = dynamic_cast<NavItem *>(parent->child(target));
    NavNode *b = itemB ? itemB->Node() : nullptr;
    if (!b || b->kind != a->kind)
        return;
    const NodeKind table = a->kind == NavSatellite ? KindSatellite : KindTransponder;
    const CChannelDb &db = m_context.Database();
    if (a->index < 0 || b->index < 0 || a->index >= db.Count(table) || b->index >= db.Count(table))
        return;
    // The moved node keeps its ids, so it is selected again in its new place.
    DatabaseEdit edit;
    edit.moves.push_back({SlotMove::Type::Exchange, table, a->index, b->index});
    const QString text = step < 0 ? QStringLiteral("Move Up") : QStringLiteral("Move Down");
    DatabaseEditCommand::Push(m_context.Document(), text, std::move(edit));
}
