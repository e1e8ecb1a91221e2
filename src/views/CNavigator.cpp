// The navigator tree: builds its items from the database, hands the selected node's programs on,
// and routes the keys and the right button to the commands of menu 137.
#include "views/CNavigator.h"

#include "database/CChannelDb.h"
#include "database/TransponderLabels.h"
#include "views/NavItem.h"
#include "document/EditorContext.h"

#include <utility>

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <memory>

namespace {

std::unique_ptr<NavNode> MakeNode(NavNodeKind kind, const QString &label)
{
    auto node = std::make_unique<NavNode>();
    node->kind = kind;
    node->label = label;
    return node;
}

bool IsPlusKey(int key)
{
    // The keypad plus, and the main-keyboard key that carries plus and equals.
    return key == Qt::Key_Plus || key == Qt::Key_Equal;
}

bool IsCommandKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Insert || key == Qt::Key_Delete
        || key == Qt::Key_Minus || IsPlusKey(key);
}

} // namespace

CNavigator::CNavigator(EditorContext &context, QWidget *parent) : QTreeWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("navigator"));
    setAccessibleName(QStringLiteral("Navigator"));
    setAccessibleDescription(QStringLiteral("Satellites, transponders and favourite groups of the open database"));
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Channels dragged from the list may be dropped on the favourite groups.
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setFocusPolicy(Qt::StrongFocus);
    CreateActions();
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *) { OnCurrentItemChanged(current); });
    ConnectDocument();
}

void CNavigator::ConnectDocument()
{
    ChannelDocument &document = m_context.Document();
    // Satellite changes rebuild the tree; transponder changes only the branches of the satellites
    // the transponders were under before the change and are under after it.
    auto touched = [this](NodeKind kind, const QList<int> &slots) {
        if (kind == KindSatellite)
            m_satellitesChanged = true;
        else if (kind == KindTransponder)
            NoteTransponders(slots);
    };
    connect(&document, &ChannelDocument::NodesChanged, this, touched);
    connect(&document, &ChannelDocument::NodesInserted, this, touched);
    connect(&document, &ChannelDocument::NodesRemoved, this, touched);
    connect(&document, &ChannelDocument::SlotOrderChanged, this, [touched](NodeKind kind, int first, int last) {
        QList<int> slots;
        for (int slot = first; slot <= last; ++slot)
            slots << slot;
        touched(kind, slots);
    });
    connect(&document, &ChannelDocument::Changed, this, [this] {
        if (std::exchange(m_satellitesChanged, false))
            RefreshFromDatabase();
        else if (!m_changedSatellites.empty())
            RefreshSatellites(m_changedSatellites);
        m_changedSatellites.clear();
        m_selectAfterChange.reset();
    });
    connect(&document, &ChannelDocument::GroupNamesChanged, this, &CNavigator::RelabelGroups);
    connect(&document, &ChannelDocument::FileOpened, this, [this] {
        RebuildNavigator();
        // A file opens on its whole channel list: "All Services" selected, the list filled.
        SelectItem(m_allServices);
    });
    connect(&document, &ChannelDocument::FileClosed, this, &CNavigator::ClearNavigator);
}

CNavigator::~CNavigator()
{
    m_clearing = true;  // no selection signals while the items go
    clear();
}

// --- menu 137 ---

void CNavigator::CreateActions()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("navigatorMenu"));
    m_menu->setProperty("controlId", 137);
    m_menu->addAction(AddAction(IdEdit, QStringLiteral("Edit                          Enter"),
                                {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, &CNavigator::Edit));
    m_menu->addSeparator();
    m_menu->addAction(AddAction(IdAdd, QStringLiteral("Add  Information     Insert"), {QKeySequence(Qt::Key_Insert)},
                                &CNavigator::Add));
    m_menu->addAction(AddAction(IdDelete, QStringLiteral("Delete Information  Delete"),
                                {QKeySequence(Qt::Key_Delete)}, &CNavigator::Delete));
    m_menu->addSeparator();
    m_menu->addAction(AddAction(IdMoveUp, QStringLiteral("Move Up                  -"), {QKeySequence(Qt::Key_Minus)},
                                &CNavigator::MoveUp));
    m_menu->addAction(AddAction(IdMoveDown, QStringLiteral("Move Down             +"),
                                {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal)}, &CNavigator::MoveDown));
    m_menu->addSeparator();
}

QAction *CNavigator::AddAction(int id, const QString &text, const QList<QKeySequence> &keys,
                               void (CNavigator::*slot)())
{
    auto *action = new QAction(text, this);
    action->setData(id);
    action->setObjectName(QStringLiteral("action%1").arg(id));
    action->setShortcuts(keys);
    // The keys belong to the tree, and their rules (kinds and positions) are not the menu's:
    // keyPressEvent runs them, the shortcuts only name them.
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcutVisibleInContextMenu(false);
    connect(action, &QAction::triggered, this, slot);
    addAction(action);
    m_actions << action;
    return action;
}

QAction *CNavigator::Action(int commandId) const
{
    for (QAction *action : m_actions) {
        if (action->data().toInt() == commandId)
            return action;
    }
    return nullptr;
}

void CNavigator::EnableAllActions()
{
    for (QAction *action : m_actions)
        action->setEnabled(true);
}

QMenu *CNavigator::PreparePopupMenu(QTreeWidgetItem *item)
{
    EnableAllActions();
    const NavNode *node = NodeOf(item);
    if (!node)
        return nullptr;
    auto disable = [this](std::initializer_list<int> ids) {
        for (int id : ids)
            Action(id)->setEnabled(false);
    };
    switch (node->kind) {
    case NavSatelliteFolder:
        disable({IdEdit, IdDelete, IdMoveUp, IdMoveDown});
        return m_menu;
    case NavTransponder:
        disable({IdAdd});
        if (node->satId == 255)
            disable({IdDelete, IdMoveUp, IdMoveDown});
        [[fallthrough]];
    case NavSatellite: {
        QTreeWidgetItem *parent = item->parent();
        const int count = parent ? parent->childCount() : 1;
        const int position = parent ? parent->indexOfChild(item) : 0;
        if (position == 0)
            disable({IdMoveUp});
        if (position == count - 1)
            disable({IdMoveDown});
        if (node->satId == 255)
            disable({IdDelete, IdAdd, IdMoveUp, IdMoveDown});
        return m_menu;
    }
    default:
        return nullptr;
    }
}

void CNavigator::ShowPopupMenu(QTreeWidgetItem *item, const QPoint &globalPos)
{
    if (QMenu *menu = PreparePopupMenu(item))
        menu->exec(globalPos);
    // The actions serve the keys too, whose rules are their own.
    EnableAllActions();
}

bool CNavigator::OnItemLabel(QTreeWidgetItem *item, const QPoint &pos) const
{
    // The row reaches across the pane; only the text counts as the item (the branch sign and
    // the blank space after the text do not).
    const QRect rect = visualItemRect(item);
    const int textWidth = fontMetrics().horizontalAdvance(item->text(0)) + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 6;
    return rect.contains(pos) && pos.x() <= rect.left() + textWidth;
}

void CNavigator::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::RightButton) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem *item = itemAt(pos);
    if (!item || !OnItemLabel(item, pos))
        return;
    SelectItem(item);
    if (!NodeOf(item))
        return;
    ShowPopupMenu(item, viewport()->mapToGlobal(pos));
}

void CNavigator::contextMenuEvent(QContextMenuEvent *event)
{
    // The right button is handled at its press; the menu key opens the menu at the selected item.
    if (event->reason() == QContextMenuEvent::Keyboard && currentItem()) {
        const QRect rect = visualItemRect(currentItem());
        ShowPopupMenu(currentItem(), viewport()->mapToGlobal(rect.bottomLeft()));
    }
    event->accept();
}

// --- keys ---

bool CNavigator::event(QEvent *event)
{
    // The command keys come as key presses, so that their rules run and the tree handles them too.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers =
            keyEvent->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
        if (IsCommandKey(keyEvent->key()) && modifiers == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    return QTreeWidget::event(event);
}

void CNavigator::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (IsCommandKey(event->key()) && modifiers == Qt::NoModifier)
        RunKeyCommand(event->key());
    // Every key then reaches the tree: the arrow keys move the selection as in every tree.
    QTreeWidget::keyPressEvent(event);
}

void CNavigator::RunKeyCommand(int key)
{
    QTreeWidgetItem *item = currentItem();
    const NavNode *node = NodeOf(item);
    if (!node)
        return;
    const NavNodeKind kind = node->kind;
    const bool satelliteOrTransponder = kind == NavSatellite || kind == NavTransponder;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (satelliteOrTransponder)
            Edit();
        else if (kind == NavFavouriteGroup)
            Q_EMIT RenameGroupRequested();
    } else if (key == Qt::Key_Insert) {
        if (kind == NavSatelliteFolder || kind == NavSatellite)
            Add();
    } else if (key == Qt::Key_Delete) {
        if (satelliteOrTransponder)
            Delete();
    } else if (satelliteOrTransponder && item->parent()) {
        const int position = item->parent()->indexOfChild(item);
        if (IsPlusKey(key) && position < item->parent()->childCount() - 1)
            MoveDown();
        else if (key == Qt::Key_Minus && position > 0)
            MoveUp();
    }
}

// --- the tree ---

NavNode *CNavigator::NodeOf(QTreeWidgetItem *item)
{
    auto *navItem = dynamic_cast<NavItem *>(item);
    return navItem ? navItem->Node() : nullptr;
}

CNavigator::NodeKey CNavigator::KeyOf(const NavNode &node)
{
    NodeKey key;
    key.kind = node.kind;
    if (node.kind == NavSatellite || node.kind == NavTransponder)
        key.satId = node.satId;
    if (node.kind == NavTransponder)
        key.tpId = node.tpId;
    if (node.kind == NavFavouriteGroup)
        key.group = node.index;
    return key;
}

QTreeWidgetItem *CNavigator::FindItem(const NodeKey &key) const
{
    for (QTreeWidgetItemIterator it(const_cast<CNavigator *>(this)); *it; ++it) {
        const NavNode *node = NodeOf(*it);
        if (node && KeyOf(*node) == key)
            return *it;
    }
    return nullptr;
}

QTreeWidgetItem *CNavigator::FavouriteRootItem() const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = topLevelItem(i);
        const NavNode *node = NodeOf(item);
        if (node && node->kind == NavFavouriteRoot)
            return item;
    }
    return nullptr;
}

void CNavigator::ClearNavigator()
{
    m_clearing = true;
    clear();
    m_allServices = nullptr;
    m_satelliteFolder = nullptr;
    m_clearing = false;
}

QTreeWidgetItem *CNavigator::AddItem(QTreeWidgetItem *parent, std::unique_ptr<NavNode> node)
{
    auto *item = new NavItem(std::move(node));
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    return item;
}

void CNavigator::RebuildNavigator()
{
    ClearNavigator();
    m_clearing = true;  // adding the first item would otherwise make it current
    const CChannelDb &db = m_context.Database();

    m_allServices = AddItem(nullptr, MakeNode(NavAllServices, QStringLiteral("All Services")));
    m_satelliteFolder = AddItem(m_allServices, MakeNode(NavSatelliteFolder, QStringLiteral("Satellite Information")));

    const int nameField = db.SatNameOfSatellite();
    const int satIdField = db.SatIdOfSatellite();
    if (nameField >= 0) {
        for (int i = 0; i < db.Count(KindSatellite); ++i) {
            std::string name;
            if (!db.GetNodeData(KindSatellite, i, nameField, name, 0, PositionOrder))
                continue;
            int32_t satId = 0;
            if (satIdField < 0 || !db.GetNodeInt(KindSatellite, i, satIdField, satId, 0, PositionOrder))
                continue;
            auto node = MakeNode(NavSatellite, QString::fromStdString(name));
            node->satId = satId;
            node->index = i;
            NavNode &satellite = *node;
            QTreeWidgetItem *item = AddItem(m_satelliteFolder, std::move(node));
            AddTransponders(item, satellite);
        }
    }

    if (const FavouriteRecord *favourites = db.Favourites()) {
        auto rootNode = MakeNode(NavFavouriteRoot, QString::fromStdString(favourites->typeName));
        NavNode *root = rootNode.get();
        QTreeWidgetItem *rootItem = AddItem(nullptr, std::move(rootNode));
        const int count = std::min<int>(favourites->count, int(favourites->names.size()));
        for (int g = 1; g <= count; ++g) {
            auto group = MakeNode(NavFavouriteGroup, QString::fromStdString(favourites->names[size_t(g - 1)]));
            group->index = g;
            group->parent = root;
            AddItem(rootItem, std::move(group));
        }
    }
    setCurrentItem(nullptr);
    clearSelection();
    m_clearing = false;
}

void CNavigator::AddTransponders(QTreeWidgetItem *satelliteItem, NavNode &satellite)
{
    const CChannelDb &db = m_context.Database();
    for (const SatelliteTransponder &tp : SatelliteTransponders(db, satellite.satId)) {
        auto node = MakeNode(NavTransponder, QString::fromStdString(tp.label));
        node->satId = satellite.satId;
        node->tpId = tp.tpId;
        node->index = tp.node;
        node->parent = &satellite;
        AddItem(satelliteItem, std::move(node));
    }
}

NavNode *CNavigator::GetSelectedNode()
{
    return NodeOf(currentItem());
}

void CNavigator::SetGroupItemText(int group, const QString &text)
{
    QTreeWidgetItem *root = FavouriteRootItem();
    if (!root)
        return;
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem *item = root->child(i);
        NavNode *node = NodeOf(item);
        if (node && node->kind == NavFavouriteGroup && node->index == group) {
            node->label = text;
            item->setText(0, text);
            return;
        }
    }
}

void CNavigator::RelabelGroups()
{
    const FavouriteRecord *favourites = m_context.Database().Favourites();
    if (!favourites)
        return;
    for (int g = 1; size_t(g) <= favourites->names.size(); ++g) {
        const std::string &name = favourites->names[size_t(g - 1)];
        SetGroupItemText(g, QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
}

void CNavigator::RebuildSlotList(NavNode &node)
{
    RecomputeSlots(m_context.Database(), node);
}

void CNavigator::SelectItem(QTreeWidgetItem *item)
{
    // The selection is always in view, also after a rebuild that closed the branches.
    for (QTreeWidgetItem *parent = item ? item->parent() : nullptr; parent; parent = parent->parent())
        parent->setExpanded(true);
    if (currentItem() == item) {
        if (item)
            item->setSelected(true);
        OnCurrentItemChanged(item);
        return;
    }
    setCurrentItem(item);
    if (item)
        scrollToItem(item);
}

void CNavigator::OnCurrentItemChanged(QTreeWidgetItem *current)
{
    if (m_clearing)
        return;
    NavNode *node = NodeOf(current);
    if (!node)
        return;
    m_context.SetBusy(true);
    RebuildSlotList(*node);
    Q_EMIT NodeSelected(node);
    m_context.SetBusy(false);
}
