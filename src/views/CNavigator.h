// The navigator tree of the left pane: all services, satellites with their transponders, favourite groups.
#pragma once

#include "document/NavNode.h"

#include <QList>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class EditorContext;
class QAction;
class QMenu;
struct NodeChange;

class CNavigator : public QTreeWidget
{
    Q_OBJECT

public:
    // Command ids of menu 137; each action carries its id in data().
    enum CommandId {
        IdEdit = 32778,
        IdAdd = 32779,
        IdDelete = 32780,
        IdMoveUp = 32781,
        IdMoveDown = 32782,
    };

    // What identifies a node across a rebuild of the tree: its kind and ids (group number for a
    // favourite group). Node indexes are not part of it, since a move changes them.
    struct NodeKey
    {
        std::optional<NavNodeKind> kind;
        int32_t satId = 0;
        int32_t tpId = 0;
        int32_t group = 0;
        bool operator==(const NodeKey &) const = default;
    };

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
    // The favourite groups' items show the names the database has now.
    void RelabelGroups();

    // Recomputes the node's slot list from the database (a transponder's satellite list too).
    void RebuildSlotList(NavNode &node);

    // The NavNode of an item, or null.
    static NavNode *NodeOf(QTreeWidgetItem *item);
    static NodeKey KeyOf(const NavNode &node);
    QTreeWidgetItem *AllServicesItem() const { return m_allServices; }
    QTreeWidgetItem *SatelliteFolderItem() const { return m_satelliteFolder; }
    QTreeWidgetItem *FavouriteRootItem() const;
    // The item whose node has this key, or null.
    QTreeWidgetItem *FindItem(const NodeKey &key) const;

    // --- menu 137 ---
    QList<QAction *> NavigatorActions() const { return m_actions; }
    QAction *Action(int commandId) const;
    // Selects nothing; sets the enable states of menu 137 for the node of `item` and returns the
    // menu, or null when no menu belongs to that node.
    QMenu *PreparePopupMenu(QTreeWidgetItem *item);

    // The favourite group or root under a point of the viewport (where channels may be dropped),
    // or null.
    const NavNode *DropTarget(const QPoint &pos) const;
    // Programs dropped on a favourite group join it; on the favourite root, the group chosen from
    // a menu of the group names (or the chooser set for tests). False when nothing changed.
    bool DropOnGroup(const NavNode &target, const std::vector<int32_t> &slots, const QPoint &globalPos);
    // Answers the root's menu instead of showing it: the group number chosen (1..32), 0 for none.
    void SetGroupChooser(std::function<int(const QStringList &names)> chooser) { m_groupChooser = std::move(chooser); }

    // After a change of the satellites or transponders (every edit, undo and redo of one): the
    // tree is built again from the database, keeps its open branches, and the node equivalent to
    // the selected one (same kind and ids) is selected again, which refills the channel list.
    void RefreshFromDatabase();
    // The same for transponder changes: only the transponders of these satellites (by sat_id)
    // are built again; every other item stays as it is.
    void RefreshSatellites(const std::set<int32_t> &satIds);

public Q_SLOTS:
    void Edit();
    void Add();
    void Delete();
    void MoveUp();
    void MoveDown();

Q_SIGNALS:
    // A node was selected and its slot list computed; the frame fills the channel list with it.
    // The node lives until the tree is built again: a receiver copies what it keeps.
    void NodeSelected(NavNode *node);
    // Enter on a favourite-group node: the channel list's Rename Group.
    void RenameGroupRequested();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void CreateActions();
    QAction *AddAction(int id, const QString &text, const QList<QKeySequence> &keys, void (CNavigator::*slot)());
    void EnableAllActions();
    void ShowPopupMenu(QTreeWidgetItem *item, const QPoint &globalPos);
    bool OnItemLabel(QTreeWidgetItem *item, const QPoint &pos) const;
    // Runs the command a key stands for on the selected item; the tree's own handling follows.
    void RunKeyCommand(int key);

    void OnCurrentItemChanged(QTreeWidgetItem *current);
    // Makes the item current; a selection change even when it already was (after a deletion).
    void SelectItem(QTreeWidgetItem *item);
    QTreeWidgetItem *AddItem(QTreeWidgetItem *parent, std::unique_ptr<NavNode> node);
    void AddTransponders(QTreeWidgetItem *satelliteItem, NavNode &satellite);
    void Move(int step);
    // The records the deletion of an item's subtree removes, children before their parent.
    void CollectDeletion(QTreeWidgetItem *item, std::vector<NodeChange> &changes, std::vector<int32_t> &programs) const;
    void ConnectDocument();
    int ChooseGroup(const QStringList &names, const QPoint &globalPos);
    // Notes the satellites whose transponders these slots are: in the tree (before the change)
    // and in the database (after it).
    void NoteTransponders(const QList<int> &slots);
    // The current item's key (a pending one after a deletion) and its parent's, to select again.
    std::pair<std::optional<NodeKey>, std::optional<NodeKey>> SelectionKeys() const;
    void SelectAgain(const std::optional<NodeKey> &selected, const std::optional<NodeKey> &fallback);

    EditorContext &m_context;
    QTreeWidgetItem *m_allServices = nullptr;
    QTreeWidgetItem *m_satelliteFolder = nullptr;
    bool m_clearing = false;  // selection changes during clearing are not selections
    bool m_satellitesChanged = false;       // satellites changed in the current change
    std::set<int32_t> m_changedSatellites;  // sat_ids whose transponders changed in it
    std::optional<NodeKey> m_selectAfterChange;  // where a deletion leaves the selection
    std::function<int(const QStringList &)> m_groupChooser;
    QMenu *m_menu = nullptr;  // 137
    QList<QAction *> m_actions;
};
