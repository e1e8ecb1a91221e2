// The channel list: filling, refreshing and selecting rows, the pop-up menus and the keys.
#include "views/CZanEditorView.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/ChannelCells.h"
#include "database/ListRowMoves.h"
#include "database/SlotLists.h"
#include "layout/FieldDesc.h"
#include "views/ChannelListModel.h"
#include "document/EditorContext.h"
#include "document/DatabaseEditCommand.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

bool CZanEditorView::IsCommandKey(int key)
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

CZanEditorView::CZanEditorView(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("channelList"));
    m_table->setAccessibleName(QStringLiteral("Channel list"));
    m_model = new ChannelListModel(m_context.Database(), this);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are dragged onto the favourite groups of the tree, or to another place in the list
    // (a line between the rows shows where they go).
    m_table->setDragEnabled(true);
    m_table->setDragDropMode(QAbstractItemView::DragDrop);
    m_table->setDefaultDropAction(Qt::MoveAction);
    m_table->setDropIndicatorShown(true);
    m_table->setDragDropOverwriteMode(false);
    m_model->SetDropHandler([this](const std::vector<int> &listRows, int beforeRow) {
        return DropListRows(listRows, beforeRow);
    });
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

    m_findField = new QLineEdit(this);
    m_findField->setObjectName(QStringLiteral("findField"));
    m_findField->setAccessibleName(QStringLiteral("Find channels"));
    m_findField->setPlaceholderText(QStringLiteral("Find: name, service id or PID (Ctrl+F)"));
    m_findField->setClearButtonEnabled(true);
    m_findField->installEventFilter(this);
    connect(m_findField, &QLineEdit::textChanged, this, &CZanEditorView::OnFindTextEdited);
    connect(m_findField, &QLineEdit::returnPressed, this, [this] {
        // Enter goes to the first match, where the channel commands and their keys work.
        if (RowCount() == 0)
            return;
        m_table->clearSelection();
        SelectChannelRow(0, true);
        m_table->setFocus(Qt::ShortcutFocusReason);
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_findField);
    layout->addWidget(m_table);
    setFocusProxy(m_table);

    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_table, &QWidget::customContextMenuRequested, this, &CZanEditorView::ShowPopupMenu);
    connect(m_table, &QAbstractItemView::doubleClicked, this, &CZanEditorView::OnDoubleClicked);
    m_table->installEventFilter(this);

    CreateActions();
    ConnectDocument();
}

CZanEditorView::~CZanEditorView() = default;

void CZanEditorView::ConnectDocument()
{
    ChannelDocument &document = m_context.Document();
    connect(&document, &ChannelDocument::AboutToChange, this, &CZanEditorView::NoteSelection);
    auto programs = [this](NodeKind kind) {
        if (kind == KindProgram)
            m_programsChanged = true;
        else
            m_placesChanged = true;
    };
    connect(&document, &ChannelDocument::NodesChanged, this, programs);
    connect(&document, &ChannelDocument::NodesInserted, this, programs);
    connect(&document, &ChannelDocument::NodesRemoved, this, programs);
    connect(&document, &ChannelDocument::SlotOrderChanged, this, programs);
    connect(&document, &ChannelDocument::GroupNamesChanged, this, &CZanEditorView::RebuildFavouriteNames);
    connect(&document, &ChannelDocument::Changed, this, &CZanEditorView::OnDocumentChanged);
    connect(&document, &ChannelDocument::FileClosed, this, &CZanEditorView::ClearChannelList);
    // Another file: other satellites under the same ids.
    connect(&document, &ChannelDocument::FileOpened, m_model, &ChannelListModel::PlacesChanged);
    connect(&document, &ChannelDocument::LayoutsReplaced, this, [this] { SetupListColumns(); });
}

void CZanEditorView::OnDocumentChanged()
{
    if (std::exchange(m_placesChanged, false))
        m_model->PlacesChanged();
    if (std::exchange(m_programsChanged, false))
        Refill();
}

void CZanEditorView::NoteSelection()
{
    m_notedKeys.clear();
    m_notedRow = FirstSelectedRow();
    const ProgramKeyReader keys(m_context.Database());
    for (int row : SelectedRows()) {
        if (const ChannelRow *entry = m_model->Row(row)) {
            if (const std::optional<ProgramKey> key = keys.Read(entry->slot))
                m_notedKeys.push_back(*key);
        }
    }
}

void CZanEditorView::RestoreSelection()
{
    QItemSelectionModel *selection = m_table->selectionModel();
    selection->clearSelection();
    if (m_notedKeys.empty())
        return;
    const ProgramKeyReader keys(m_context.Database());
    // Sorted once, so a thousand selected programs cost a search each, not a walk over the notes.
    auto before = [](const ProgramKey &a, const ProgramKey &b) {
        return std::tie(a.satId, a.tpId, a.progId) < std::tie(b.satId, b.tpId, b.progId);
    };
    std::vector<ProgramKey> noted = m_notedKeys;
    std::sort(noted.begin(), noted.end(), before);
    std::vector<int> found;
    for (int row = 0; row < m_model->RowCount() && found.size() < noted.size(); ++row) {
        const ChannelRow *entry = m_model->Row(row);
        const std::optional<ProgramKey> key = entry->record ? keys.Read(entry->slot) : std::nullopt;
        if (key && std::binary_search(noted.begin(), noted.end(), *key, before))
            found.push_back(row);
    }
    if (found.empty())
        return;
    const int first = found.front();
    const QItemSelection rows = RowSelection(found);
    selection->select(rows, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->setCurrentIndex(m_model->index(first, 0), QItemSelectionModel::NoUpdate);
    m_table->scrollTo(m_model->index(first, 0), QAbstractItemView::EnsureVisible);
}

QItemSelection CZanEditorView::RowSelection(const std::vector<int> &rows) const
{
    // One range per run of neighbouring rows: a selection of a thousand single ranges makes every
    // repaint of the header slow.
    QItemSelection selection;
    for (size_t i = 0; i < rows.size();) {
        size_t last = i;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1)
            ++last;
        selection.select(m_model->index(rows[i], 0), m_model->index(rows[last], 0));
        i = last + 1;
    }
    return selection;
}

// --- the list ---

void CZanEditorView::SetupListColumns(NodeKind kind)
{
    ClearChannelList();
    m_fields = DeriveColumnFields(m_context.Layouts(), kind);
    m_model->SetColumns(DeriveListColumns(m_context.Layouts(), kind), m_fields);
    ApplyColumnWidths();
    ApplyPlaceColumns();
    m_columnKind = kind;
}

std::vector<int> CZanEditorView::ColumnWidths() const
{
    std::vector<int> widths;
    const QHeaderView *header = m_table->horizontalHeader();
    for (int i = 0; i < int(m_model->Columns().size()); ++i)
        widths.push_back(header->sectionSize(i));
    return widths;
}

void CZanEditorView::SetColumnWidths(const QList<int> &widths)
{
    if (widths.size() != int(m_model->Columns().size()))
        return;
    for (int i = 0; i < widths.size(); ++i)
        m_table->horizontalHeader()->resizeSection(i, std::max(widths[i], 8));
}

void CZanEditorView::ApplyColumnWidths()
{
    const std::vector<ListColumn> &columns = m_model->Columns();
    for (size_t i = 0; i < columns.size(); ++i)
        m_table->horizontalHeader()->resizeSection(int(i), columns[i].width);
    // Wide enough for most satellite names and "TP_11778_V_27500".
    for (const auto &[place, width] : {std::pair(PlaceColumn::Satellite, 130), std::pair(PlaceColumn::Transponder, 150)}) {
        if (const int column = m_model->ColumnOf(place); column >= 0)
            m_table->horizontalHeader()->resizeSection(column, width);
    }
}

void CZanEditorView::ApplyPlaceColumns()
{
    for (PlaceColumn place : {PlaceColumn::Satellite, PlaceColumn::Transponder}) {
        const int column = m_model->ColumnOf(place);
        if (column < 0)
            continue;
        m_table->setColumnHidden(column, !m_placeShown[size_t(place)]);
        // Shown beside the name they tell apart, not after a dozen PID columns.
        QHeaderView *header = m_table->horizontalHeader();
        const int wanted = std::min(2 + int(place), header->count() - 1);
        if (header->visualIndex(column) != wanted)
            header->moveSection(header->visualIndex(column), wanted);
    }
}

void CZanEditorView::SetPlaceColumnShown(PlaceColumn place, bool shown)
{
    m_placeShown[size_t(place)] = shown;
    // A hidden column's order is no order the user can see.
    if (!shown && m_model->SortColumn() >= 0 && m_model->SortColumn() == m_model->ColumnOf(place))
        m_table->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    ApplyPlaceColumns();
}

bool CZanEditorView::PlaceColumnShown(PlaceColumn place) const
{
    return m_placeShown[size_t(place)];
}

void CZanEditorView::ClearChannelList()
{
    m_model->Clear();
    m_node.reset();
    UpdateCounts();
}

void CZanEditorView::FillChannelList(const NavNode *node)
{
    // The node may be the list's own copy (a refill): copy before letting go of the old one.
    std::optional<NavNode> copy;
    if (node) {
        copy = *node;
        // The copy's slot list is computed again from the database; the tree's parent is not ours.
        copy->parent = nullptr;
    }
    ClearChannelList();
    RebuildFavouriteNames();
    m_node = std::move(copy);
    if (!m_node || m_node->kind == NavSatelliteFolder)
        return;

    m_model->SetRows(ListRows(*m_node));
    UpdateCounts();
}

std::vector<ChannelRow> CZanEditorView::ListRows(NavNode &node) const
{
    if (node.kind == NavSatelliteFolder)
        return {};
    const CChannelDb &db = m_context.Database();
    const SlotList &slots = node.slots;
    std::vector<ChannelRow> rows;
    rows.reserve(slots.size());
    // A row's first field either reads for every live program or for none: ask once.
    std::optional<bool> firstFieldReadable;
    const bool posZeroColumn = std::any_of(m_fields.begin(), m_fields.end(),
                                           [](const ListFieldColumn &column) { return column.pos == 0; });
    const ServiceFilterCheck filter(db, m_serviceFilter);
    for (size_t j = 0; j < slots.size(); ++j) {
        const int slot = slots[j];
        if (slot < 0 || !db.IsUsed(KindProgram, slot))
            continue;
        const std::optional<bool> shown = filter.Shown(slot);
        if (!shown)
            break;  // "Error to get service type": the rows so far stay
        if (!*shown)
            continue;
        if (!firstFieldReadable) {
            std::string first;
            firstFieldReadable = db.GetNodeData(KindProgram, slot, 0, first, 0, PositionOrder);
        }
        if (!*firstFieldReadable)
            continue;
        ChannelRow row;
        row.slot = slot;
        if (posZeroColumn) {
            // Such a layout stops the fill at the first row that reads the field: read it now.
            ChannelRowCells cells = ReadChannelCells(db, m_fields, slot);
            row.fixedCells = std::move(cells.cells);
            if (cells.status == RowStatus::PosZeroError) {
                rows.push_back(std::move(row));
                break;
            }
        }
        row.record = RowRecord{int32_t(j), &node};
        rows.push_back(std::move(row));
    }
    return rows;
}

bool CZanEditorView::SameRows(const std::vector<ChannelRow> &a, const std::vector<ChannelRow> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].slot != b[i].slot || a[i].fixedCells || b[i].fixedCells || a[i].record.has_value() != b[i].record.has_value()
            || (a[i].record && a[i].record->index != b[i].record->index))
            return false;
    }
    return true;
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
    NavNode *node = nullptr;
    int indexA = -1;
    int indexB = -1;
    int slotA = -1;
    int slotB = -1;
    if (!RowSlot(a, node, indexA, slotA) || !RowSlot(b, node, indexB, slotB))
        return false;
    return SwapSlots(slotA, slotB, commandText);
}

bool CZanEditorView::SwapSlots(int slotA, int slotB, const QString &commandText)
{
    const CChannelDb &db = m_context.Database();
    if (slotA < 0 || slotB < 0 || slotA >= db.Count(KindProgram) || slotB >= db.Count(KindProgram))
        return false;
    DatabaseEdit edit;
    edit.moves.push_back({SlotMove::Type::Exchange, KindProgram, slotA, slotB});
    // The moved program stays selected: the list follows it by its ids.
    return PushProgramEdit(commandText, std::move(edit));
}

bool CZanEditorView::PushProgramEdit(const QString &text, DatabaseEdit edit)
{
    return DatabaseEditCommand::Push(m_context.Document(), text, std::move(edit));
}

void CZanEditorView::SetServiceFilter(ServiceFilter filter)
{
    m_serviceFilter = filter;
    RefillCurrentNode();
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
    slot = m_model->Row(row)->slot;
    return true;
}

int CZanEditorView::ListRowSlot(int listRow) const
{
    if (listRow < 0 || listRow >= m_model->AllRowCount())
        return -1;
    const ChannelRow &row = m_model->AllRows()[size_t(listRow)];
    const RowRecord *record = row.record ? &*row.record : nullptr;
    if (!record || !record->node || record->index < 0 || record->index >= record->node->SlotCount())
        return -1;
    return row.slot;
}

// --- refreshing after an undo or redo step ---

void CZanEditorView::RebuildNodeSlots(NavNode &node) const
{
    RecomputeSlots(m_context.Database(), node);
}

void CZanEditorView::RefillCurrentNode()
{
    NoteSelection();
    Refill();
}

void CZanEditorView::Refill()
{
    if (!m_node) {
        m_model->Clear();
        return;
    }
    RebuildNodeSlots(*m_node);
    std::vector<ChannelRow> rows = ListRows(*m_node);
    // Programs that moved between the shown slots leave the rows as they are: the table draws
    // them again, and keeps its scroll position.
    if (SameRows(rows, m_model->AllRows()))
        m_model->CellsChanged();
    else
        m_model->SetRows(std::move(rows));
    RestoreSelection();
    UpdateCounts();
}

void CZanEditorView::SelectSlotRow(int slot)
{
    for (int row = 0; row < m_model->RowCount(); ++row) {
        const ChannelRow *entry = m_model->Row(row);
        if (entry->record && entry->slot == slot) {
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

CZanEditorView::MenuRules CZanEditorView::CommandRules(bool onRow) const
{
    MenuRules rules;
    const NavNode *node = m_context.SelectedNode();
    if (!node || node->kind == NavFavouriteRoot)
        return rules;
    const int selected = FirstSelectedRow();
    if (m_model->AllRowCount() == 0)
        rules.disabled.insert(IdGoTo);
    if (node->kind == NavFavouriteGroup) {
        rules.menu = MenuRules::Menu::Group;
        if (selected == -1)
            rules.disabled.insert(IdRemoveItem);
        return rules;
    }
    if (node->kind == NavSatelliteFolder)
        return rules;
    rules.menu = MenuRules::Menu::Program;
    if (selected != -1 && onRow) {
        const int count = RowCount();
        // Move Channel and Switch Channel take a position among all the node's rows.
        if (m_model->AllRowCount() == 1) {
            rules.disabled.insert(IdMoveChannel);
            rules.disabled.insert(IdSwitchChannel);
        }
        // Enabled while some selected row can still move that way.
        const std::vector<int> rows = SelectedRows();
        if (PlanStepMove(rows, count, 1).exchanges.empty())
            rules.disabled.insert(IdMoveDown);
        if (PlanStepMove(rows, count, -1).exchanges.empty())
            rules.disabled.insert(IdMoveUp);
        // A sorted view's neighbours are not the real ones.
        if (m_model->Sorted()) {
            rules.disabled.insert(IdMoveUp);
            rules.disabled.insert(IdMoveDown);
        }
    } else {
        for (int id : {IdEditChannel, IdDeleteChannel, IdMoveUp, IdMoveDown, IdMoveChannel, IdSwitchChannel})
            rules.disabled.insert(id);
    }
    if (node->kind == NavAllServices || node->kind == NavSatellite)
        rules.disabled.insert(IdInsertChannel);
    return rules;
}

bool CZanEditorView::CommandEnabled(int commandId) const
{
    // Joining a group needs selected channels, as Edit Channel does.
    if (commandId == IdAddToGroup)
        commandId = IdEditChannel;
    const MenuRules rules = CommandRules(FirstSelectedRow() != -1);
    // Find and Go to work on any list of channels, the program lists' and the groups' alike.
    if (commandId == IdFind || commandId == IdGoTo)
        return rules.menu != MenuRules::Menu::None && !rules.disabled.contains(commandId);
    // The orders need two channels; Apply Sorted Order a sorted view.
    if (commandId >= IdApplySortedOrder && commandId <= IdReverseOrder)
        return rules.menu != MenuRules::Menu::None && RowCount() > 1
            && (commandId != IdApplySortedOrder || m_model->Sorted());
    const bool groupCommand = commandId == IdEditGroup || commandId == IdRemoveItem || commandId == IdRenameGroup;
    const MenuRules::Menu menu = groupCommand ? MenuRules::Menu::Group : MenuRules::Menu::Program;
    return rules.menu == menu && !rules.disabled.contains(commandId);
}

QMenu *CZanEditorView::PreparePopupMenu(const QPoint &pos)
{
    EnableAllActions();
    const MenuRules rules = CommandRules(m_table->indexAt(pos).isValid());
    for (int id : rules.disabled)
        Action(id)->setEnabled(false);
    // Joining a group needs selected channels, as Edit Channel does.
    m_addToGroupMenu->menuAction()->setEnabled(!rules.disabled.contains(IdEditChannel));
    switch (rules.menu) {
    case MenuRules::Menu::Program:
        return m_programMenu;
    case MenuRules::Menu::Group:
        return m_groupMenu;
    case MenuRules::Menu::None:
        break;
    }
    return nullptr;
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
    for (QAction *action : m_groupActions + m_listActions)
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
    if (!node || RowCount() == 0 || node->kind == NavSatelliteFolder)
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
    if (FindKeyEvent(watched, event))
        return true;
    return QWidget::eventFilter(watched, event);
}
