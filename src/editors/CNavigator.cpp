// The navigator tree: builds its items from the database and hands the selected node's programs on.
#include "editors/CNavigator.h"

#include "database/CChannelDb.h"
#include "database/TransponderLabels.h"
#include "shell/EditorContext.h"

#include <QHeaderView>

#include <algorithm>
#include <memory>

namespace {

// Each item owns its NavNode: deleting the item frees the node with it.
class NavItem : public QTreeWidgetItem
{
public:
    explicit NavItem(std::unique_ptr<NavNode> node) : m_node(std::move(node))
    {
        setText(0, m_node->label);
    }
    NavNode *Node() const { return m_node.get(); }

private:
    std::unique_ptr<NavNode> m_node;
};

std::unique_ptr<NavNode> MakeNode(int kind, const QString &label)
{
    auto node = std::make_unique<NavNode>();
    node->kind = kind;
    node->label = label;
    return node;
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
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *) { OnCurrentItemChanged(current); });
}

CNavigator::~CNavigator()
{
    m_clearing = true;  // no selection signals while the items go
    clear();
}

NavNode *CNavigator::NodeOf(QTreeWidgetItem *item)
{
    auto *navItem = dynamic_cast<NavItem *>(item);
    return navItem ? navItem->Node() : nullptr;
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
        for (int i = 0; i < db.Count(1); ++i) {
            std::string name;
            if (!db.GetNodeData(1, i, nameField, name, 0, 0))
                continue;
            int32_t satId = 0;
            if (satIdField < 0 || !db.GetNodeInt(1, i, satIdField, satId, 0, 0))
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

void CNavigator::RebuildSlotList(NavNode &node)
{
    SlotListUpdate update = ::RebuildSlotList(m_context.Database(), node.kind, node.satId, node.tpId, node.index);
    if (!update.changed)
        return;
    node.slots = std::move(update.slots);
    node.hasSlots = true;
    if (update.parentSlots && node.parent) {
        node.parent->slots = std::move(*update.parentSlots);
        node.parent->hasSlots = true;
    }
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
