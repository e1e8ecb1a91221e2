// The navigator's commands of menu 137: edit, add, delete and move satellites and transponders,
// each one undoable, and the tree built again after an undo or redo.
#include "editors/CNavigator.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/TransponderLabels.h"
#include "editors/CSatelliteInfoDlg.h"
#include "editors/CTpInfoDlg.h"
#include "editors/NavItem.h"
#include "layout/FieldDesc.h"
#include "shell/DatabaseEditCommand.h"
#include "shell/EditorContext.h"

#include <QPointer>
#include <QTreeWidgetItemIterator>
#include <QUndoStack>

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <utility>

namespace {

std::string ToStd(const QString &text)
{
    return text.toStdString();
}

QString FromStd(const std::string &text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

std::function<void()> CNavigator::TreeRefresh()
{
    auto first = std::make_shared<bool>(true);
    QPointer<CNavigator> navigator(this);
    return [navigator, first] {
        if (std::exchange(*first, false))
            return;
        if (navigator)
            navigator->RefreshFromDatabase();
    };
}

void CNavigator::RefreshFromDatabase()
{
    std::optional<NodeKey> selected;
    std::optional<NodeKey> fallback;
    if (QTreeWidgetItem *item = currentItem(); NodeOf(item)) {
        selected = KeyOf(*NodeOf(item));
        if (NavNode *parent = NodeOf(item->parent()))
            fallback = KeyOf(*parent);
    }
    std::vector<NodeKey> expanded;
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if ((*it)->isExpanded() && NodeOf(*it))
            expanded.push_back(KeyOf(*NodeOf(*it)));
    }

    // The list lets go of the nodes before they are freed.
    Q_EMIT NodeSelected(nullptr);
    RebuildNavigator();
    for (const NodeKey &key : expanded) {
        if (QTreeWidgetItem *item = FindItem(key))
            item->setExpanded(true);
    }
    QTreeWidgetItem *item = selected ? FindItem(*selected) : nullptr;
    if (!item && fallback)
        item = FindItem(*fallback);
    if (item)
        SelectItem(item);
}

void CNavigator::Edit()
{
    QTreeWidgetItem *item = currentItem();
    NavNode *node = NodeOf(item);
    if (!node)
        return;
    bool ok = false;
    if (node->kind == NavSatellite)
        ok = CSatelliteInfoDlg::Run(m_context, *node, SatelliteInfoMode::Edit, TreeRefresh(), this);
    else if (node->kind == NavTransponder)
        ok = CTpInfoDlg::Run(m_context, *node, TpInfoEdit, 0, TreeRefresh(), this);
    if (ok)
        item->setText(0, node->label);
}

void CNavigator::Add()
{
    QTreeWidgetItem *parentItem = currentItem();
    NavNode *parentNode = NodeOf(parentItem);
    if (!parentNode)
        return;
    auto node = std::make_unique<NavNode>();
    bool ok = false;
    int madeKind = -1;
    if (parentNode->kind == NavSatelliteFolder) {
        madeKind = NavSatellite;
        ok = CSatelliteInfoDlg::Run(m_context, *node, SatelliteInfoMode::New, TreeRefresh(), this);
    } else if (parentNode->kind == NavSatellite) {
        madeKind = NavTransponder;
        node->satId = parentNode->satId;
        node->parent = parentNode;
        ok = CTpInfoDlg::Run(m_context, *node, TpInfoNew, parentItem->childCount() + 1, TreeRefresh(), this);
    }
    // A record was written, so the tree shows it (a satellite named "" too); the new item is not
    // selected and the list stays as it is.
    if (ok && node->kind == madeKind)
        AddItem(parentItem, std::move(node));
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
    const int table = node->kind == NavSatellite ? KindSatellite : node->kind == NavTransponder ? KindTransponder : -1;
    if (table >= 0 && db.IsUsed(table, node->index))
        changes.push_back({table, node->index, db.RecordBytes(table, node->index), {}});
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

    const int kind = node->kind;
    QTreeWidgetItem *parentItem = item->parent();
    // The programs go with the node's list as the database is now: a list of an earlier selection
    // names slots that Move Channel may have given to other programs since. The children's lists
    // are parts of the satellite's, so the satellite's own list covers them.
    RebuildSlotList(*node);
    for (int i = 0; i < item->childCount(); ++i) {
        if (NavNode *child = NodeOf(item->child(i)))
            child->slots.clear();
    }
    std::vector<NodeChange> changes;
    std::vector<int32_t> programs;
    CollectDeletion(item, changes, programs);

    // The next selection, as a tree gives it: the next sibling, else the previous one, else the parent.
    QTreeWidgetItem *next = nullptr;
    if (parentItem) {
        const int position = parentItem->indexOfChild(item);
        next = position + 1 < parentItem->childCount() ? parentItem->child(position + 1)
             : position > 0                          ? parentItem->child(position - 1)
                                                     : parentItem;
    }

    Q_EMIT NodeSelected(nullptr);  // the list lets go of the nodes that go now
    CChannelDb &db = m_context.Database();
    const QString text = kind == NavSatellite ? QStringLiteral("Delete Satellite") : QStringLiteral("Delete Transponder");
    m_context.UndoStack().push(new DatabaseEditCommand(db, text, std::move(changes), {}, TreeRefresh()));

    m_clearing = true;
    delete item;
    m_clearing = false;
    if (kind == NavTransponder) {
        if (parentItem)
            RenumberTransponders(parentItem);
        else
            m_context.Prompt().ShowMessage(QStringLiteral("Sat item : 0x0"));
    }
    SelectItem(next);
}

void CNavigator::RenumberTransponders(QTreeWidgetItem *satelliteItem)
{
    const NavNode *satellite = NodeOf(satelliteItem);
    if (!satellite || satellite->kind != NavSatellite || satelliteItem->childCount() == 0)
        return;
    std::vector<std::string> labels;
    for (int i = 0; i < satelliteItem->childCount(); ++i)
        labels.push_back(ToStd(satelliteItem->child(i)->text(0)));
    const std::vector<std::string> renumbered = RenumberLabels(labels);
    for (int i = 0; i < satelliteItem->childCount() && size_t(i) < renumbered.size(); ++i) {
        QTreeWidgetItem *child = satelliteItem->child(i);
        const QString text = FromStd(renumbered[size_t(i)]);
        child->setText(0, text);
        if (NavNode *childNode = NodeOf(child))
            childNode->label = text;
    }
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
    const int kind = a->kind;
    const int table = kind == NavSatellite ? KindSatellite : KindTransponder;
    CChannelDb &db = m_context.Database();
    if (a->index < 0 || b->index < 0 || a->index >= db.Count(table) || b->index >= db.Count(table))
        return;

    Q_EMIT NodeSelected(nullptr);  // a satellite move frees the transponder nodes
    const QString text = step < 0 ? QStringLiteral("Move Up") : QStringLiteral("Move Down");
    m_context.UndoStack().push(
        new DatabaseEditCommand(db, text, {}, {SlotExchange {table, a->index, b->index}}, TreeRefresh()));
    std::swap(a->index, b->index);

    // Satellite names are exchanged whole: a name may hold "TP" itself, which is no ordinal
    // prefix. Transponders keep their ordinal prefixes in place and exchange the tails.
    QString textA = itemB->text(0);
    QString textB = itemA->text(0);
    if (kind == NavTransponder) {
        const auto texts = ExchangeLabelTails(ToStd(itemA->text(0)), ToStd(itemB->text(0)));
        textA = FromStd(texts.first);
        textB = FromStd(texts.second);
    }
    NavItem::ExchangeNodes(*itemA, *itemB);
    itemA->setText(0, textA);
    itemA->Node()->label = textA;
    itemB->setText(0, textB);
    itemB->Node()->label = textB;

    if (kind == NavSatellite) {
        DeleteChildren(itemA);
        DeleteChildren(itemB);
        AddTransponders(itemA, *itemA->Node());
        AddTransponders(itemB, *itemB->Node());
    }
    SelectItem(itemB);
}
