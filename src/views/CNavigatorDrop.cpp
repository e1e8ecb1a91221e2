// Channels dropped on the navigator: on a favourite group they join it, on the favourite root
// they join the group chosen from a menu of the groups.
#include "views/CNavigator.h"

#include "database/FavouriteGroups.h"
#include "document/EditorContext.h"
#include "document/GroupMembership.h"
#include "views/ProgramSlotsMime.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>

namespace {

bool IsGroupTarget(const NavNode *node)
{
    return node && (node->kind == NavFavouriteGroup || node->kind == NavFavouriteRoot);
}

}

const NavNode *CNavigator::DropTarget(const QPoint &pos) const
{
    const NavNode *node = NodeOf(itemAt(pos));
    return IsGroupTarget(node) ? node : nullptr;
}

void CNavigator::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(ProgramSlotsMime::Format()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CNavigator::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasFormat(ProgramSlotsMime::Format()) && DropTarget(event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CNavigator::dropEvent(QDropEvent *event)
{
    const NavNode *target = DropTarget(event->position().toPoint());
    const std::optional<std::vector<int32_t>> slots = ProgramSlotsMime::Decode(event->mimeData());
    if (!target || !slots) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    DropOnGroup(*target, *slots, mapToGlobal(event->position().toPoint()));
}

bool CNavigator::DropOnGroup(const NavNode &target, const std::vector<int32_t> &slots, const QPoint &globalPos)
{
    int group = target.kind == NavFavouriteGroup ? target.index : 0;
    if (target.kind == NavFavouriteRoot) {
        QStringList names;
        if (QTreeWidgetItem *root = FavouriteRootItem()) {
            for (int i = 0; i < root->childCount(); ++i)
                names << root->child(i)->text(0);
        }
        group = ChooseGroup(names, globalPos);
    }
    if (!FavouriteGroups::IsGroupNumber(group))
        return false;
    return PushGroupMembership(m_context.Document(), slots, group, GroupChange::Join, QStringLiteral("Add to Group"));
}

int CNavigator::ChooseGroup(const QStringList &names, const QPoint &globalPos)
{
    if (m_groupChooser)
        return m_groupChooser(names);
    QMenu menu(this);
    menu.setAccessibleName(QStringLiteral("Add to Group"));
    for (int i = 0; i < names.size(); ++i)
        menu.addAction(names[i])->setData(i + 1);
    const QAction *chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}
