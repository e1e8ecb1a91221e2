// The navigator tree of the left pane: all services, satellites with their transponders, favourite groups.
#pragma once

#include "editors/NavNode.h"

#include <QTreeWidget>

class EditorContext;

class CNavigator : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CNavigator(EditorContext &context, QWidget *parent = nullptr);
    ~CNavigator() override;

    // Clears the tree and builds it from the database; nothing is selected or expanded afterwards.
    void RebuildNavigator();
    // Deletes every item and its NavNode; the database is not touched.
    void ClearNavigator();
    // The NavNode of the selected item, or null.
    NavNode *GetSelectedNode();
    // The item of favourite group `group` (1..32) shows this text, and its node keeps it as label.
    void SetGroupItemText(int group, const QString &text);

    // Recomputes the node's slot list from the database (a transponder's satellite list too).
    void RebuildSlotList(NavNode &node);

    // The NavNode of an item, or null.
    static NavNode *NodeOf(QTreeWidgetItem *item);
    QTreeWidgetItem *AllServicesItem() const { return m_allServices; }
    QTreeWidgetItem *SatelliteFolderItem() const { return m_satelliteFolder; }
    QTreeWidgetItem *FavouriteRootItem() const;

Q_SIGNALS:
    // A node was selected and its slot list computed; the frame fills the channel list with it.
    void NodeSelected(NavNode *node);

private:
    void OnCurrentItemChanged(QTreeWidgetItem *current);
    QTreeWidgetItem *AddItem(QTreeWidgetItem *parent, std::unique_ptr<NavNode> node);
    void AddTransponders(QTreeWidgetItem *satelliteItem, NavNode &satellite);

    EditorContext &m_context;
    QTreeWidgetItem *m_allServices = nullptr;
    QTreeWidgetItem *m_satelliteFolder = nullptr;
    bool m_clearing = false;  // selection changes during clearing are not selections
};
