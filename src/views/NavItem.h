// A navigator tree item that owns its NavNode: deleting the item frees the node with it.
#pragma once

#include "document/NavNode.h"

#include <QTreeWidgetItem>

#include <memory>
#include <utility>

class NavItem : public QTreeWidgetItem
{
public:
    explicit NavItem(std::unique_ptr<NavNode> node) : m_node(std::move(node)) { setText(0, m_node->label); }

    NavNode *Node() const { return m_node.get(); }

    // A move hands each node to the other item, so that every node follows its record.
    static void ExchangeNodes(NavItem &a, NavItem &b) { std::swap(a.m_node, b.m_node); }

private:
    std::unique_ptr<NavNode> m_node;
};
