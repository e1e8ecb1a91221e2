// The channel list: filling, refreshing and selecting rows, the pop-up menus and the keys.
#include "shell/CZanEditorView.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/ChannelCells.h"
#include "database/SlotLists.h"
#include "editors/NavNode.h"
#include "layout/FieldDesc.h"
#include "shell/ChannelListModel.h"
#include "shell/EditorContext.h"
#include "shell/SwapSlotsCommand.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>

namespace {

bool IsCommandKey(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_Minus:
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return true;
    default:
        return false;
    }
}

} // namespace

CZanEditorView::CZanEditorView(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("channelList"));
    m_table->setAccessibleName(QStringLiteral("Channel list"));
    m_model = new ChannelListModel(this);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(true);
    m_table->setWordWrap(false);
    m_table->setAlternatingRowColors(false);
    m_table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Uniform rows: the table never measures 30000 rows one by one.
    QHeaderView *rows = m_table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    QHeaderView *columns = m_table->horizontalHeader();
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setHighlightSections(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    // The selection stays visible when the focus is elsewhere (the tree, the switch).
    QPalette palette = m_table->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    m_table->setPalette(palette);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);
    setFocusProxy(m_table);

    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_table, &QWidget::customContextMenuRequested, this, &CZanEditorView::ShowPopupMenu);
    connect(m_table, &QAbstractItemView::doubleClicked, this, &CZanEditorView::OnDoubleClicked);
    m_table->installEventFilter(this);

    CreateActions();
}

CZanEditorView::~CZanEditorView() = default;

// --- the list ---

void CZanEditorView::SetupListColumns(int kind)
{
    ClearChannelList();
    m_model->SetColumns(DeriveListColumns(m_context.Layouts(), kind));
    m_fields = DeriveColumnFields(m_context.Layouts(), kind);
    ApplyColumnWidths();
    m_columnKind = kind;
}

void CZanEditorView::ApplyColumnWidths()
{
    const std::vector<ListColumn> &columns = m_model->Columns();
    for (size_t i = 0; i < columns.size(); ++i)
        m_table->horizontalHeader()->resizeSection(int(i), columns[i].width);
}

void CZanEditorView::ClearChannelList()
{
    m_model->Clear();
    m_currentNode = nullptr;
}

void CZanEditorView::FillChannelList(NavNode *node)
{
    ClearChannelList();
    RebuildFavouriteNames();
    m_currentNode = node;
    if (!node || node->kind == NavSatelliteFolder)
        return;

    const CChannelDb &db = m_context.Database();
    m_fields = DeriveColumnFields(m_context.Layouts(), KindProgram);
    m_table->setUpdatesEnabled(false);
    std::vector<ChannelRow> rows;
    rows.reserve(node->slots.size());
    for (size_t j = 0; j < node->slots.size(); ++j) {
        const int slot = node->slots[j];
        if (slot < 0 || !db.IsUsed(KindProgram, slot))
            continue;
        if (m_serviceFilter != 2) {
            const std::optional<bool> shown = MatchesServiceFilter(db, slot, m_serviceFilter);
            if (!shown)
                break;  // "Error to get service type": the rows so far stay
            if (!*shown)
                continue;
        }
        ChannelRowCells cells = ReadChannelRow(db, m_fields, slot);
        if (cells.status == RowStatus::Skipped)
            continue;
        ChannelRow row;
        row.cells = std::move(cells.cells);
        if (cells.status == RowStatus::PosZeroError) {
            // The row stands as far as it got, without a record; the fill ends here.
            rows.push_back(std::move(row));
            break;
        }
        row.record = RowRecord{int32_t(j), node};
        rows.push_back(std::move(row));
    }
    m_model->SetRows(std::move(rows));
    m_table->setUpdatesEnabled(true);
}

void CZanEditorView::RefreshChannelRow(NavNode *node, int row, int index)
{
    if (!node || index < 0 || index >= node->SlotCount() || row < 0 || row >= RowCount())
        return;
    ChannelRowCells cells = ReadChannelCells(m_context.Database(), m_fields, node->slots[size_t(index)]);
    m_model->SetCells(row, std::move(cells.cells));
}

void CZanEditorView::SelectChannelRow(int row, bool keepFocus)
{
    // keepFocus only mattered to which state the previously first selected row kept; in both
    // cases it leaves the selection, so it has no effect of its own here.
    Q_UNUSED(keepFocus);
    if (row < 0 || row >= RowCount())
        return;
    QItemSelectionModel *selection = m_table->selectionModel();
    const int previous = FirstSelectedRow();
    if (previous >= 0 && previous != row)
        selection->select(m_model->index(previous, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    const QModelIndex index = m_model->index(row, 0);
    selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_table->scrollTo(index, QAbstractItemView::EnsureVisible);
}

bool CZanEditorView::SwapChannelRows(int a, int b)
{
    return SwapRows(a, b, QStringLiteral("Switch Channel"));
}

bool CZanEditorView::SwapRows(int a, int b, const QString &commandText)
{
    if (a < 0 || b < 0)
        return false;
    const RowRecord *recordA = Record(a);
    const RowRecord *recordB = Record(b);
    if (!recordA || !recordB || !recordA->node || recordA->index == -1 || recordB->index == -1)
        return false;
    NavNode *node = recordA->node;
    const int indexA = recordA->index;
    const int indexB = recordB->index;
    if (indexA < 0 || indexB < 0 || indexA >= node->SlotCount() || indexB >= node->SlotCount())
        return false;
    CChannelDb &db = m_context.Database();
    const int slotA = node->slots[size_t(indexA)];
    const int slotB = node->slots[size_t(indexB)];
    if (slotA < 0 || slotB < 0 || slotA >= db.Count(KindProgram) || slotB >= db.Count(KindProgram))
        return false;
    m_context.UndoStack().push(new SwapSlotsCommand(*this, db, slotA, slotB, commandText));
    RefreshChannelRow(node, a, indexA);
    RefreshChannelRow(node, b, indexB);
    SelectChannelRow(b, true);
    return true;
}

void CZanEditorView::SetServiceFilter(int filter)
{
    m_serviceFilter = filter;
    FillChannelList(m_currentNode);
}

int CZanEditorView::RowCount() const
{
    return m_model->RowCount();
}

int CZanEditorView::FirstSelectedRow() const
{
    int first = -1;
    const QItemSelection selection = m_table->selectionModel()->selection();
    for (const QItemSelectionRange &range : selection) {
        if (range.isValid() && (first == -1 || range.top() < first))
            first = range.top();
    }
    return first;
}

std::vector<int> CZanEditorView::SelectedRows() const
{
    std::vector<int> rows;
    const QItemSelection selection = m_table->selectionModel()->selection();
    for (const QItemSelectionRange &range : selection) {
        for (int row = range.top(); range.isValid() && row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

const RowRecord *CZanEditorView::Record(int row) const
{
    return m_model->Record(row);
}

bool CZanEditorView::RowSlot(int row, NavNode *&node, int &index, int &slot) const
{
    const RowRecord *record = Record(row);
    if (!record || !record->node || record->index < 0 || record->index >= record->node->SlotCount())
        return false;
    node = record->node;
    index = record->index;
    slot = node->slots[size_t(index)];
    return true;
}

// --- refreshing after an undo or redo step ---

void CZanEditorView::RebuildNodeSlots(NavNode &node) const
{
    SlotListUpdate update = RebuildSlotList(m_context.Database(), node.kind, node.satId, node.tpId, node.index);
    if (update.changed) {
        node.slots = std::move(update.slots);
        node.hasSlots = true;
    }
    if (update.parentSlots && node.parent) {
        node.parent->slots = std::move(*update.parentSlots);
        node.parent->hasSlots = true;
    }
}

void CZanEditorView::RefillCurrentNode()
{
    NavNode *node = m_currentNode;
    if (node)
        RebuildNodeSlots(*node);
    FillChannelList(node);
}

void CZanEditorView::RefreshSlotRows(int slotA, int slotB)
{
    for (int row = 0; row < RowCount(); ++row) {
        NavNode *node = nullptr;
        int index = -1;
        int slot = -1;
        if (RowSlot(row, node, index, slot) && (slot == slotA || slot == slotB))
            RefreshChannelRow(node, row, index);
    }
}

void CZanEditorView::SelectSlotRow(int slot)
{
    for (int row = 0; row < RowCount(); ++row) {
        NavNode *node = nullptr;
        int index = -1;
        int rowSlot = -1;
        if (RowSlot(row, node, index, rowSlot) && rowSlot == slot) {
            m_table->clearSelection();
            SelectChannelRow(row, true);
            return;
        }
    }
}

void CZanEditorView::RebuildFavouriteNames()
{
    m_favouriteNames = BuildFavouriteNameTable(m_context.Database(), m_context.Profile());
}

// --- pop-up menus, double click and keys ---

QMenu *CZanEditorView::PreparePopupMenu(const QPoint &pos)
{
    EnableAllActions();
    NavNode *node = m_context.SelectedNode();
    if (!node)
        return nullptr;
    const int selected = FirstSelectedRow();
    const bool onRow = m_table->indexAt(pos).isValid();
    if (node->kind == NavFavouriteRoot)
        return nullptr;
    if (node->kind == NavFavouriteGroup) {
        if (selected == -1)
            Action(IdRemoveItem)->setEnabled(false);
        return m_groupMenu;
    }
    if (node->kind == 1 || node->kind == NavSatelliteFolder)
        return nullptr;
    if (selected != -1 && onRow) {
        const int count = RowCount();
        if (count == 1) {
            Action(IdMoveChannel)->setEnabled(false);
            Action(IdSwitchChannel)->setEnabled(false);
        }
        if (selected == count - 1)
            Action(IdMoveDown)->setEnabled(false);
        if (selected == 0)
            Action(IdMoveUp)->setEnabled(false);
    } else {
        for (int id : {IdEditChannel, IdDeleteChannel, IdMoveUp, IdMoveDown, IdMoveChannel, IdSwitchChannel})
            Action(id)->setEnabled(false);
    }
    if (node->kind == NavAllServices || node->kind == NavSatellite)
        Action(IdInsertChannel)->setEnabled(false);
    return m_programMenu;
}

void CZanEditorView::ShowPopupMenu(const QPoint &pos)
{
    if (QMenu *menu = PreparePopupMenu(pos))
        menu->exec(m_table->viewport()->mapToGlobal(pos));
    // The actions also serve the keys and the frame's menu, which keep every command available.
    EnableAllActions();
}

void CZanEditorView::EnableAllActions()
{
    for (QAction *action : m_channelActions)
        action->setEnabled(true);
    for (QAction *action : m_groupActions)
        action->setEnabled(true);
}

void CZanEditorView::OnDoubleClicked(const QModelIndex &index)
{
    NavNode *node = m_context.SelectedNode();
    if (!node || node->kind == NavFavouriteRoot || node->kind == NavFavouriteGroup)
        return;
    if (index.isValid() && FirstSelectedRow() != -1)
        EditChannel();
}

bool CZanEditorView::KeyAllowed(int key, Qt::KeyboardModifiers modifiers) const
{
    Q_UNUSED(modifiers);
    NavNode *node = m_context.SelectedNode();
    if (!node || RowCount() == 0 || node->kind == 1 || node->kind == NavSatelliteFolder)
        return false;
    if (key == Qt::Key_Insert)
        return node->kind >= NavTransponder;
    return true;
}

bool CZanEditorView::eventFilter(QObject *watched, QEvent *event)
{
    // The keys reach their commands through the actions' shortcuts. Where the keys rule says
    // nothing happens, the list claims the key itself, so the shortcut does not fire.
    if (watched == m_table && event->type() == QEvent::ShortcutOverride) {
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        if (IsCommandKey(keyEvent->key()) && !KeyAllowed(keyEvent->key(), keyEvent->modifiers())) {
            event->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
