// The channel list: the programs of the selected navigator node, and the channel-editing commands.
#pragma once

#include "database/ChannelCounts.h"
#include "database/ChannelOrder.h"
#include "database/FavouriteNameTable.h"
#include "database/ProgramKey.h"
#include "database/ServiceFilter.h"
#include "document/DatabaseEdit.h"
#include "document/NavNode.h"
#include "layout/ListColumns.h"

#include <QList>
#include <QSet>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class ChannelListModel;
enum class PlaceColumn;
struct ChannelRow;
class EditorContext;
class QAction;
class QItemSelection;
class QLineEdit;
class QMenu;
class QTableView;
struct RowRecord;

class CZanEditorView : public QWidget
{
    Q_OBJECT

public:
    // Command ids of menus 138 and 156; each action carries its id in data().
    // Enter, Insert, Delete, minus, plus and equals: the keys of the list's commands.
    static bool IsCommandKey(int key);

    enum CommandId {
        IdEditChannel = 32784,
        IdMoveUp = 32785,
        IdMoveDown = 32786,
        IdMoveChannel = 32787,
        IdSwitchChannel = 32788,
        IdInsertChannel = 32789,
        IdDeleteChannel = 32790,
        IdEditGroup = 32794,
        IdRemoveItem = 32796,
        IdRenameGroup = 32800,
        // The list's own commands, in the frame's Channel menu only.
        IdFind = 32810,
        IdGoTo = 32811,
        IdApplySortedOrder = 32812,
        IdSortByName = 32813,
        IdSortByServiceId = 32814,
        IdSortTvBeforeRadio = 32815,
        IdSortBySatellite = 32816,
        IdReverseOrder = 32817,
        // The "Add to Group" submenu (no action of its own: one entry per group).
        IdAddToGroup = 32818,
    };

    // The dialogs behind Edit Channel (node, slot-list index), Insert Channel (node, insertion
    // index) and Edit Group (node, group number). True when the dialog ended with OK.
    using NodeDialogHook = std::function<bool(NavNode &node, int index)>;
    // The dialog behind Edit Channel on several rows: the selected programs' slots, in list order.
    using ProgramsDialogHook = std::function<bool(const std::vector<int32_t> &slots)>;

    explicit CZanEditorView(EditorContext &context, QWidget *parent = nullptr);
    ~CZanEditorView() override;

    EditorContext &Context() const { return m_context; }

    // --- the list ---
    // Rebuilds the columns from the program layout (the only kind the list shows).
    void SetupListColumns(NodeKind kind = KindProgram);
    // The layout's columns' widths as shown, and setting them (a list of another length is
    // ignored); the place columns keep widths of their own.
    std::vector<int> ColumnWidths() const;
    void SetColumnWidths(const QList<int> &widths);
    // The satellite and transponder columns after the layout's: hidden unless shown here.
    void SetPlaceColumnShown(PlaceColumn place, bool shown);
    bool PlaceColumnShown(PlaceColumn place) const;
    // Shows the programs of a copy of `node` (null: none). The list keeps its own copy, so no
    // edit of the tree can leave it with a freed node.
    void FillChannelList(const NavNode *node);
    // Deletes every row and forgets the node.
    void ClearChannelList();
    void SelectChannelRow(int row, bool keepFocus = true);
    bool SwapChannelRows(int a, int b);
    void SetServiceFilter(ServiceFilter filter);
    ServiceFilter CurrentServiceFilter() const { return m_serviceFilter; }
    // The list's copy of the node it shows, or null.
    NavNode *CurrentNode() { return m_node ? &*m_node : nullptr; }
    const NavNode *CurrentNode() const { return m_node ? &*m_node : nullptr; }
    NodeKind ColumnKind() const { return m_columnKind; }
    QTableView *Table() const { return m_table; }
    // The find field above the list.
    QLineEdit *FindField() const { return m_findField; }
    ChannelListModel *Model() const { return m_model; }
    // The rows shown; with a find, fewer than the node's rows.
    int RowCount() const;
    // The status bar's text for the list: the counts, or "N of M channels" during a find.
    QString CountText() const;
    // The program slots of the rows shown (found and sorted as they are), in the view's order.
    std::vector<int32_t> ShownSlots() const;
    // The first row in the selected state, or -1; and every selected row, ascending.
    int FirstSelectedRow() const;
    std::vector<int> SelectedRows() const;
    // The program slots of the selected rows that show a program, in view order.
    std::vector<int32_t> SelectedSlots() const;
    const RowRecord *Record(int row) const;
    // The 32 group keys and names, rebuilt at every fill; read by the program dialog.
    const FavouriteNameTable &FavouriteNames() const { return m_favouriteNames; }

    // --- following the document ---
    // Recomputes the node's slot list from the database and fills the list again; the selected
    // programs stay selected wherever they are now (by their ids).
    void RefillCurrentNode();
    // Selects the row showing this program slot, if there is one.
    void SelectSlotRow(int slot);
    void RebuildFavouriteNames();

    // --- commands ---
    QList<QAction *> ChannelActions() const;  // menu 138
    QList<QAction *> GroupActions() const;    // menu 156
    QList<QAction *> ListActions() const;     // Find and Go to
    QAction *Action(int commandId) const;
    // Fills a menu with the favourite groups by name; each entry adds the selected channels to
    // its group. The pop-up's "Add to Group" and the frame's use it.
    void FillAddToGroupMenu(QMenu *menu);
    // Sets the enable states of the pop-up for a right click at `pos` (viewport coordinates) and
    // returns the menu to show, or null when no menu belongs there. ShowPopupMenu runs it.
    QMenu *PreparePopupMenu(const QPoint &pos);
    // Whether a command may run for the current selection, by the rules of its pop-up menu (138
    // or 156) with the selected row taken as the clicked one: the frame's Channel menu uses them.
    bool CommandEnabled(int commandId) const;
    // Whether a key press of this key (with its modifiers) may run its command now.
    bool KeyAllowed(int key, Qt::KeyboardModifiers modifiers) const;

    void SetEditChannelHook(NodeDialogHook hook) { m_editChannelHook = std::move(hook); }
    void SetEditChannelsHook(ProgramsDialogHook hook) { m_editChannelsHook = std::move(hook); }
    void SetInsertChannelHook(NodeDialogHook hook) { m_insertChannelHook = std::move(hook); }
    void SetEditGroupHook(NodeDialogHook hook) { m_editGroupHook = std::move(hook); }

public Q_SLOTS:
    void EditChannel();
    void MoveUp();
    void MoveDown();
    void MoveChannel();
    void SwitchChannel();
    void InsertChannel();
    void DeleteChannel();
    void EditGroup();
    void RemoveItem();
    // The selected channels join favourite group `group` (1..32) as one command; false when none
    // changed.
    bool AddSelectedToGroup(int group);
    void RenameGroup();
    // Ctrl+F: the focus goes to the find field, its text selected.
    void Find();
    // Ctrl+G: asks for an Index and selects that channel.
    void GoTo();
    // The order the sorted view shows becomes the real order of its channels (one command); the
    // view is unsorted afterwards.
    void ApplySortedOrder();
    // The channels shown take one of the common orders among their own places (one command).
    void SortChannels(ChannelOrder order);
    // Shows only the channels matching the text; the selection stays on the rows still shown.
    void SetFindText(const QString &text);
    // The list rows (real positions) move, in their order, before list row `beforeRow` (the row
    // count: to the end), as one command; what a drop in the list does. Refused while the view
    // is sorted or filtered by a find. False when nothing moved.
    bool DropListRows(const std::vector<int> &listRows, int beforeRow);
    // The list rows move together so that the first of them is at list row `target` (Move
    // Channel with several rows), as one command; channels elsewhere keep their places.
    bool MoveListRowsTo(const std::vector<int> &listRows, int target);

Q_SIGNALS:
    // The rows or the find changed: CountText says something new.
    void CountsChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateActions();
    QAction *AddAction(int id, const QString &text, const QList<QKeySequence> &keys, void (CZanEditorView::*slot)());
    void ShowPopupMenu(const QPoint &pos);
    void OnDoubleClicked(const QModelIndex &index);
    void EnableAllActions();
    // Which pop-up menu belongs to the selected node and which of its commands are off.
    struct MenuRules
    {
        enum class Menu { None, Program, Group };
        Menu menu = Menu::None;
        QSet<int> disabled;
    };
    MenuRules CommandRules(bool onRow) const;
    void RebuildNodeSlots(NavNode &node) const;
    void ConnectDocument();
    // Before and after a change of the database: the selection by program ids.
    void NoteSelection();
    void RestoreSelection();
    // The view rows (ascending) as a selection of rows.
    QItemSelection RowSelection(const std::vector<int> &rows) const;
    // RefillCurrentNode with the selection noted before.
    void Refill();
    // The rows that show the node's programs as the database has them now.
    std::vector<ChannelRow> ListRows(NavNode &node) const;
    static bool SameRows(const std::vector<ChannelRow> &a, const std::vector<ChannelRow> &b);
    void OnDocumentChanged();
    // The row's slot-list index and node, when it has both and the index lies in the list.
    bool RowSlot(int row, NavNode *&node, int &index, int &slot) const;
    bool SwapRows(int a, int b, const QString &commandText);
    // Pushes an edit of the program table as one command; false when it could not be applied.
    // Moves every selected row by one place (step -1 up, +1 down) as one command.
    bool MoveSelectedRows(int step, const QString &commandText);
    void CreateSortActions();
    // The move commands' status tips say why they are off while the view is sorted.
    void OnSortChanged();
    bool PushSlotOrder(const std::vector<int32_t> &ordered, const QString &text);
    // The list rows in `order` (entry i: the list row that goes to place i) as one command; the
    // `moved` rows are selected afterwards.
    bool PushListRowOrder(const std::vector<int> &order, const std::vector<int> &moved, const QString &text);
    bool PushProgramEdit(const QString &text, DatabaseEdit edit);
    bool SwapSlots(int slotA, int slotB, const QString &commandText);
    // The slot a list row (see ChannelListModel) shows, or -1.
    int ListRowSlot(int listRow) const;
    // Asks for an Index; the list row it names, or -1 after Cancel, or after an index out of
    // range (said to the user). `selected` (a list row) is refused silently, as before.
    int TargetRowFromPrompt(int selected, const QString &title = QString());
    void OnFindTextEdited(const QString &text);
    // The find field's keys (Escape, text that would be a list key) and the list's type-ahead;
    // true when the event was taken.
    bool FindKeyEvent(QObject *watched, QEvent *event);
    void UpdateCounts();
    // Typing letters in the list: the next channel whose name starts with them is selected.
    // False for a key that is no part of a name typed (a blank starting a word).
    bool TypeAhead(const QString &text);
    void ApplyColumnWidths();
    void ApplyPlaceColumns();

    EditorContext &m_context;
    QTableView *m_table = nullptr;
    QLineEdit *m_findField = nullptr;
    ChannelListModel *m_model = nullptr;
    NodeKind m_columnKind = KindProgram;
    ServiceFilter m_serviceFilter = ServiceFilter::TvAndRadio;
    std::optional<NavNode> m_node;  // the list's own copy of the node it shows
    std::vector<ListFieldColumn> m_fields;  // the shown program fields, column 1 first
    FavouriteNameTable m_favouriteNames;
    // The selection noted before a change, and whether the programs changed under the list.
    std::vector<ProgramKey> m_notedKeys;
    int m_notedRow = -1;
    bool m_programsChanged = false;
    bool m_placesChanged = false;  // satellites or transponders changed under the list
    std::array<bool, 2> m_placeShown {};  // by PlaceColumn
    ChannelCounts m_counts;
    // The letters typed into the list so far, and when the last one came.
    QString m_typedText;
    int m_typedFrom = -1;  // the current row when the word began
    qint64 m_typedAt = 0;

    QMenu *m_programMenu = nullptr;  // 138
    QMenu *m_groupMenu = nullptr;    // 156
    QMenu *m_addToGroupMenu = nullptr;  // in 138, the favourite groups by name
    QList<QAction *> m_channelActions;
    QList<QAction *> m_groupActions;
    QList<QAction *> m_listActions;

    NodeDialogHook m_editChannelHook;
    ProgramsDialogHook m_editChannelsHook;
    NodeDialogHook m_insertChannelHook;
    NodeDialogHook m_editGroupHook;
};
