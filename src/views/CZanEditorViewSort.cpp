// The channel list's orders: a header click sorts the view only; Apply Sorted Order, the common
// orders of the Channel menu, a drop of rows and Move Channel of several rows change the real
// order, each as one command.
#include "views/CZanEditorView.h"

#include "database/CChannelDb.h"
#include "database/ListRowMoves.h"
#include "document/EditorContext.h"
#include "document/SlotOrderMoves.h"
#include "views/ChannelListModel.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

namespace {

const QString kMoveUpTip = QStringLiteral("Move the selected channels up by one place");
const QString kMoveDownTip = QStringLiteral("Move the selected channels down by one place");
const QString kSortedTip =
    QStringLiteral("Off while the list is sorted by a column: Apply Sorted Order, or click Index to go back");

}

void CZanEditorView::CreateSortActions()
{
    struct Entry
    {
        int id;
        const char *text;
        Qt::Key key;
        const char *tip;
    };
    const Entry entries[] = {
        {IdApplySortedOrder, "Apply Sorted Order", Qt::Key_A,
         "Make the order the sorted list shows the real order of its channels"},
        {IdSortByName, "Sort by Name", Qt::Key_1, "Put the channels shown in the order of their names"},
        {IdSortByServiceId, "Sort by Service ID", Qt::Key_2, "Put the channels shown in the order of their service ids"},
        {IdSortTvBeforeRadio, "Sort TV before Radio", Qt::Key_3, "Put the TV channels shown before the radio channels"},
        {IdSortBySatellite, "Sort by Satellite and Transponder", Qt::Key_4,
         "Put the channels shown in the order of their satellites and transponders in the tree"},
        {IdReverseOrder, "Reverse Order", Qt::Key_5, "Put the channels shown in the reverse order"},
    };
    for (const Entry &e : entries) {
        const QKeySequence key(Qt::CTRL | Qt::ALT | e.key);
        QAction *action = AddAction(e.id, QString::fromLatin1(e.text) + QStringLiteral("    ") + key.toString(),
                                    {key}, nullptr);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setStatusTip(QString::fromLatin1(e.tip));
        m_listActions << action;
    }
    connect(Action(IdApplySortedOrder), &QAction::triggered, this, &CZanEditorView::ApplySortedOrder);
    const std::pair<int, ChannelOrder> orders[] = {{IdSortByName, ChannelOrder::ByName},
                                                   {IdSortByServiceId, ChannelOrder::ByServiceId},
                                                   {IdSortTvBeforeRadio, ChannelOrder::TvBeforeRadio},
                                                   {IdSortBySatellite, ChannelOrder::BySatelliteAndTransponder},
                                                   {IdReverseOrder, ChannelOrder::Reverse}};
    for (const auto &[id, order] : orders)
        connect(Action(id), &QAction::triggered, this, [this, order = order] { SortChannels(order); });

    // A header click sorts the view; Index ascending is the real order again.
    m_table->setSortingEnabled(true);
    m_table->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    connect(m_table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &CZanEditorView::OnSortChanged);
    OnSortChanged();
}

void CZanEditorView::OnSortChanged()
{
    const bool sorted = m_model->Sorted();
    Action(IdMoveUp)->setStatusTip(sorted ? kSortedTip : kMoveUpTip);
    Action(IdMoveDown)->setStatusTip(sorted ? kSortedTip : kMoveDownTip);
}

std::vector<int32_t> CZanEditorView::ShownSlots() const
{
    std::vector<int32_t> slots;
    for (int row = 0; row < RowCount(); ++row) {
        const ChannelRow *entry = m_model->Row(row);
        if (entry && entry->record && entry->slot >= 0)
            slots.push_back(entry->slot);
    }
    return slots;
}

bool CZanEditorView::PushSlotOrder(const std::vector<int32_t> &ordered, const QString &text)
{
    // The node's rows are in the program table's order: the shown channels' own slots, ascending,
    // are the places they take in the new order.
    std::vector<int32_t> places = ordered;
    std::sort(places.begin(), places.end());
    DatabaseEdit edit;
    edit.moves = ExchangesForOrder(KindProgram, places, ordered);
    return !edit.Empty() && PushProgramEdit(text, std::move(edit));
}

void CZanEditorView::ApplySortedOrder()
{
    if (!m_model->Sorted())
        return;
    const std::vector<int32_t> ordered = ShownSlots();
    // Back to the real order first: once the command is applied it is the order just shown.
    m_table->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    PushSlotOrder(ordered, QStringLiteral("Apply Sorted Order"));
}

void CZanEditorView::SortChannels(ChannelOrder order)
{
    std::vector<int32_t> places = ShownSlots();
    std::sort(places.begin(), places.end());
    PushSlotOrder(OrderedSlots(m_context.Database(), places, order), QStringLiteral("Sort Channels"));
}

bool CZanEditorView::PushListRowOrder(const std::vector<int> &order, const std::vector<int> &moved, const QString &text)
{
    std::vector<int32_t> ordered;
    ordered.reserve(order.size());
    for (int listRow : order) {
        const int slot = ListRowSlot(listRow);
        if (slot < 0)
            return false;
        ordered.push_back(slot);
    }
    if (!PushSlotOrder(ordered, text))
        return false;
    // The moved channels stay selected at their new places.
    std::vector<bool> isMoved(order.size(), false);
    for (int row : moved) {
        if (row >= 0 && size_t(row) < isMoved.size())
            isMoved[size_t(row)] = true;
    }
    std::vector<int> movedRows;
    for (int place = 0; place < int(order.size()); ++place) {
        const int viewRow = m_model->ViewRow(place);
        if (isMoved[size_t(order[size_t(place)])] && viewRow >= 0)
            movedRows.push_back(viewRow);
    }
    std::sort(movedRows.begin(), movedRows.end());
    const int first = movedRows.empty() ? -1 : movedRows.front();
    if (first >= 0) {
        QItemSelectionModel *selection = m_table->selectionModel();
        selection->select(RowSelection(movedRows), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        selection->setCurrentIndex(m_model->index(first, 0), QItemSelectionModel::NoUpdate);
        m_table->scrollTo(m_model->index(first, 0), QAbstractItemView::EnsureVisible);
    }
    return true;
}

bool CZanEditorView::DropListRows(const std::vector<int> &listRows, int beforeRow)
{
    if (!m_model->DropAllowed())
        return false;
    const std::vector<int> order = DropOrder(m_model->AllRowCount(), listRows, beforeRow);
    return PushListRowOrder(order, listRows, QStringLiteral("Move Channels"));
}

bool CZanEditorView::MoveListRowsTo(const std::vector<int> &listRows, int target)
{
    const std::vector<int> order = MoveToOrder(m_model->AllRowCount(), listRows, target);
    return PushListRowOrder(order, listRows, QStringLiteral("Move Channel"));
}
