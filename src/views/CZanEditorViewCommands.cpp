// The channel list's commands: the actions of menus 138 and 156 and what each one does.
#include "views/CZanEditorView.h"

#include "core/UserPrompt.h"
#include "core/Utf8Text.h"
#include "database/CChannelDb.h"
#include "database/ListRowMoves.h"
#include "database/NodeFields.h"
#include "database/SlotLists.h"
#include "layout/FieldDesc.h"
#include "views/CAnotherIndexDlg.h"
#include "views/CGroupRenameDlg.h"
#include "views/ChannelListModel.h"
#include "document/EditorContext.h"
#include "document/GroupMembership.h"
#include "document/RenameGroupCommand.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QUndoStack>

#include <algorithm>

void CZanEditorView::CreateActions()
{
    m_programMenu = new QMenu(this);
    m_programMenu->setObjectName(QStringLiteral("programMenu"));
    m_programMenu->setProperty("controlId", 138);
    m_programMenu->addAction(AddAction(IdEditChannel, QStringLiteral("Edit Channel          Enter"),
                                       {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)},
                                       &CZanEditorView::EditChannel));
    m_programMenu->addSeparator();
    m_programMenu->addAction(AddAction(IdMoveUp, QStringLiteral("Move Up                 -"),
                                       {QKeySequence(Qt::Key_Minus)}, &CZanEditorView::MoveUp));
    m_programMenu->addAction(AddAction(IdMoveDown, QStringLiteral("Move Down            +"),
                                       {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal),
                                        QKeySequence(Qt::SHIFT | Qt::Key_Plus), QKeySequence(Qt::SHIFT | Qt::Key_Equal)},
                                       &CZanEditorView::MoveDown));
    m_programMenu->addAction(AddAction(IdMoveChannel, QStringLiteral("Move Channel"), {},
                                       &CZanEditorView::MoveChannel));
    m_programMenu->addAction(AddAction(IdSwitchChannel, QStringLiteral("Switch Channel"), {},
                                       &CZanEditorView::SwitchChannel));
    m_programMenu->addAction(AddAction(IdInsertChannel, QStringLiteral("Insert Channel       Insert"),
                                       {QKeySequence(Qt::Key_Insert)}, &CZanEditorView::InsertChannel));
    m_programMenu->addAction(AddAction(IdDeleteChannel, QStringLiteral("Delete Channel      Delete"),
                                       {QKeySequence(Qt::Key_Delete)}, &CZanEditorView::DeleteChannel));
    m_programMenu->addSeparator();
    for (QAction *action : m_programMenu->actions()) {
        if (!action->isSeparator())
            m_channelActions << action;
    }
    // Behind the program commands: the selected channels join a favourite group.
    m_addToGroupMenu = m_programMenu->addMenu(QStringLiteral("Add to &Group"));
    m_addToGroupMenu->setObjectName(QStringLiteral("addToGroupMenu"));
    m_addToGroupMenu->menuAction()->setStatusTip(QStringLiteral("Put the selected channels into a favourite group"));
    connect(m_addToGroupMenu, &QMenu::aboutToShow, this, [this] { FillAddToGroupMenu(m_addToGroupMenu); });
    // Not in the pop-up menu: the frame's Channel menu and the keys run them, from any pane.
    for (QAction *action : {AddAction(IdFind, QStringLiteral("Find...             Ctrl+F"),
                                      {QKeySequence(Qt::CTRL | Qt::Key_F)}, &CZanEditorView::Find),
                            AddAction(IdGoTo, QStringLiteral("Go to Index...    Ctrl+G"),
                                      {QKeySequence(Qt::CTRL | Qt::Key_G)}, &CZanEditorView::GoTo)}) {
        action->setShortcutContext(Qt::WindowShortcut);
        m_listActions << action;
    }
    Action(IdFind)->setStatusTip(QStringLiteral("Show only the channels whose name, service id or PID match a text"));
    Action(IdGoTo)->setStatusTip(QStringLiteral("Select the channel at an Index of the list"));
    CreateSortActions();

    m_groupMenu = new QMenu(this);
    m_groupMenu->setObjectName(QStringLiteral("groupMenu"));
    m_groupMenu->setProperty("controlId", 156);
    m_groupActions << AddAction(IdEditGroup, QStringLiteral("Edit Group"), {}, &CZanEditorView::EditGroup)
                   << AddAction(IdRemoveItem, QStringLiteral("Remove Item"), {}, &CZanEditorView::RemoveItem)
                   << AddAction(IdRenameGroup, QStringLiteral("Rename Group"), {}, &CZanEditorView::RenameGroup);
    m_groupMenu->addActions(m_groupActions);
}

void CZanEditorView::FillAddToGroupMenu(QMenu *menu)
{
    menu->clear();
    const FavouriteRecord *favourites = m_context.Database().Favourites();
    if (!favourites)
        return;
    const int count = std::min<int>(favourites->count, int(favourites->names.size()));
    for (int group = 1; group <= count; ++group) {
        const std::string &name = favourites->names[size_t(group - 1)];
        QAction *action = menu->addAction(QString::fromUtf8(name.data(), qsizetype(name.size())));
        connect(action, &QAction::triggered, this, [this, group] { AddSelectedToGroup(group); });
    }
}

std::vector<int32_t> CZanEditorView::SelectedSlots() const
{
    std::vector<int32_t> slots;
    for (int row : SelectedRows()) {
        if (Record(row))
            slots.push_back(m_model->Row(row)->slot);
    }
    return slots;
}

bool CZanEditorView::AddSelectedToGroup(int group)
{
    return PushGroupMembership(m_context.Document(), SelectedSlots(), group, GroupChange::Join,
                               QStringLiteral("Add to Group"));
}

QAction *CZanEditorView::AddAction(int id, const QString &text, const QList<QKeySequence> &keys,
                                   void (CZanEditorView::*slot)())
{
    auto *action = new QAction(text, this);
    action->setData(id);
    action->setObjectName(QStringLiteral("action%1").arg(id));
    action->setShortcuts(keys);
    // The keys belong to the list: minus in the tree or a dialog stays minus.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    // The texts already name their keys after the blanks.
    action->setShortcutVisibleInContextMenu(false);
    if (slot)
        connect(action, &QAction::triggered, this, slot);
    addAction(action);
    return action;
}

QAction *CZanEditorView::Action(int commandId) const
{
    for (QAction *action : m_channelActions + m_groupActions + m_listActions) {
        if (action->data().toInt() == commandId)
            return action;
    }
    return nullptr;
}

QList<QAction *> CZanEditorView::ChannelActions() const
{
    return m_channelActions;
}

QList<QAction *> CZanEditorView::GroupActions() const
{
    return m_groupActions;
}

QList<QAction *> CZanEditorView::ListActions() const
{
    return m_listActions;
}

// --- program commands ---

void CZanEditorView::EditChannel()
{
    // Several rows: what they share is edited at once.
    const std::vector<int32_t> slots = SelectedSlots();
    if (slots.size() > 1) {
        if (m_editChannelsHook)
            m_editChannelsHook(slots);
        return;
    }
    const int selected = FirstSelectedRow();
    const RowRecord *record = Record(selected);
    if (!record || !record->node || !m_editChannelHook)
        return;
    // The dialog's command reaches the list through the document.
    m_editChannelHook(*record->node, record->index);
}

void CZanEditorView::MoveUp()
{
    MoveSelectedRows(-1, QStringLiteral("Move Up"));
}

void CZanEditorView::MoveDown()
{
    MoveSelectedRows(1, QStringLiteral("Move Down"));
}

bool CZanEditorView::MoveSelectedRows(int step, const QString &commandText)
{
    // Every selected row moves by one place among the rows shown, as one command; a block at the
    // edge stays. The selection follows the programs by their ids.
    const RowMovePlan plan = PlanStepMove(SelectedRows(), RowCount(), step);
    DatabaseEdit edit;
    for (const auto &[a, b] : plan.exchanges) {
        const ChannelRow *rowA = m_model->Row(a);
        const ChannelRow *rowB = m_model->Row(b);
        if (!rowA || !rowB || !rowA->record || !rowB->record || rowA->slot < 0 || rowB->slot < 0)
            return false;
        edit.moves.push_back({SlotMove::Type::Exchange, KindProgram, rowA->slot, rowB->slot});
    }
    return !edit.Empty() && PushProgramEdit(commandText, std::move(edit));
}

int CZanEditorView::TargetRowFromPrompt(int selected, const QString &title)
{
    const std::optional<int> answer = CAnotherIndexDlg::Ask(m_context.Prompt(), this, title);
    if (!answer)
        return -1;
    const int count = m_model->AllRowCount();
    const int64_t target = int64_t(*answer) - 1;
    if (target < 0 || target > count - 1) {
        // Nothing happens, and the user is told why rather than left guessing.
        m_context.Prompt().ShowMessage(QStringLiteral("Index %1 is out of range: this list has Index 1 to %2.")
                                           .arg(*answer)
                                           .arg(count),
                                       QString(), UserPrompt::Exclamation);
        return -1;
    }
    if (target == selected)
        return -1;
    return int(target);
}

void CZanEditorView::SwitchChannel()
{
    const int selected = FirstSelectedRow();
    if (selected < 0 || selected > RowCount() - 1)
        return;
    // The typed Index is a real position, also while a find hides rows.
    const int target = TargetRowFromPrompt(m_model->ListRow(selected));
    const int from = ListRowSlot(m_model->ListRow(selected));
    const int to = ListRowSlot(target);
    if (target >= 0 && from >= 0 && to >= 0)
        SwapSlots(from, to, QStringLiteral("Switch Channel"));
}

void CZanEditorView::MoveChannel()
{
    const int selected = FirstSelectedRow();
    if (selected < 0 || selected > RowCount() - 1)
        return;
    const std::vector<int> selectedRows = SelectedRows();
    if (selectedRows.size() > 1) {
        // Several channels go together: the first of them to the typed Index, the others after it
        // in their order; the typed Index is a real position, also during a find.
        std::vector<int> listRows;
        for (int row : selectedRows) {
            if (Record(row))
                listRows.push_back(m_model->ListRow(row));
        }
        const int target = TargetRowFromPrompt(-1, QString());
        if (target >= 0)
            MoveListRowsTo(listRows, target);
        return;
    }
    const int target = TargetRowFromPrompt(m_model->ListRow(selected));
    if (target < 0)
        return;
    const int from = ListRowSlot(m_model->ListRow(selected));
    const int to = ListRowSlot(target);
    const CChannelDb &db = m_context.Database();
    if (from < 0 || to < 0 || from >= db.Count(KindProgram) || to >= db.Count(KindProgram))
        return;
    DatabaseEdit edit;
    edit.moves.push_back({SlotMove::Type::Rotation, KindProgram, from, to});
    PushProgramEdit(QStringLiteral("Move Channel"), std::move(edit));
}

void CZanEditorView::InsertChannel()
{
    int selected = FirstSelectedRow();
    NavNode *node = nullptr;
    int index = 0;
    if (selected < 0) {
        node = CurrentNode();
        if (!node)
            return;
        // One after the last live entry.
        index = node->SlotCount();
        while (index > 0 && node->slots[size_t(index - 1)] == -1)
            --index;
        selected = RowCount();
    } else {
        const RowRecord *record = Record(selected);
        if (!record || !record->node)
            return;
        node = record->node;
        index = record->index;
    }
    if (node->kind != NavTransponder || !m_insertChannelHook)
        return;
    // The new program takes the place it was inserted at, in the list and in the file.
    if (m_insertChannelHook(*node, index))
        SelectChannelRow(selected, true);
}

void CZanEditorView::DeleteChannel()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    const CChannelDb &db = m_context.Database();
    const int count = RowCount();
    int lowest = 999999;
    int deletedRows = 0;
    DatabaseEdit edit;
    QString failure;
    for (int row : rows) {
        const RowRecord *record = Record(row);
        if (!record) {
            failure = QStringLiteral("del failed 1");
            break;
        }
        if (!record->node) {
            failure = QStringLiteral("del failed 2");
            break;
        }
        if (record->node->slots.empty()) {
            failure = QStringLiteral("del failed 4");
            break;
        }
        if (record->index < 0 || record->index >= record->node->SlotCount()) {
            failure = QStringLiteral("del failed 3");
            break;
        }
        const int slot = m_model->Row(row)->slot;
        if (slot >= 0 && db.IsUsed(KindProgram, slot))
            edit.changes.push_back({KindProgram, slot, db.RecordBytes(KindProgram, slot), {}});
        lowest = std::min(lowest, row);
        ++deletedRows;
    }
    const int selectAfter = lowest > 0 && lowest != 999999 ? lowest - 1 : (deletedRows < count ? 0 : -1);
    // The rows before a failing one are deleted all the same, as one undoable step, and so the
    // file counts as modified: the user sees them gone, and a save must not lose that.
    if (!edit.changes.empty())
        PushProgramEdit(QStringLiteral("Delete Channel"), std::move(edit));
    if (!failure.isEmpty()) {
        m_context.Prompt().ShowMessage(failure);
        return;
    }
    m_table->clearSelection();
    if (selectAfter >= 0)
        SelectChannelRow(selectAfter, true);
}

// --- favourite-group commands ---

void CZanEditorView::EditGroup()
{
    NavNode *node = m_context.SelectedNode();
    // Only a group node has a group number; the frame's menu offers the command everywhere.
    if (!node || node->kind != NavFavouriteGroup || !m_editGroupHook)
        return;
    m_editGroupHook(*node, node->index);
}

void CZanEditorView::RemoveItem()
{
    NavNode *node = m_context.SelectedNode();
    if (!node || node->kind != NavFavouriteGroup)
        return;
    PushGroupMembership(m_context.Document(), SelectedSlots(), node->index, GroupChange::Leave,
                        QStringLiteral("Remove Item"));
}

void CZanEditorView::RenameGroup()
{
    NavNode *node = m_context.SelectedNode();
    if (!node || node->kind != NavFavouriteGroup || node->index < 1)
        return;
    const FavouriteRecord *favourites = m_context.Database().Favourites();
    if (!favourites || size_t(node->index) > favourites->names.size())
        return;
    const int group = node->index;
    const std::string current = favourites->names[size_t(group - 1)];
    const std::optional<QString> answer =
        CGroupRenameDlg::Ask(QString::fromUtf8(current.data(), qsizetype(current.size())), this);
    if (!answer)
        return;
    // The table's names hold their width less the terminator; no character is split.
    const size_t width = favourites->nameLength;
    std::string name = CutUtf8(answer->toStdString(), width > 0 ? width - 1 : 0);
    if (name == current)
        return;
    m_context.UndoStack().push(new RenameGroupCommand(m_context.Document(), group, current, std::move(name)));
}
