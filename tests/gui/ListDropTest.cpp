// Rows dragged to another place of the channel list, and Move Channel with several rows: the rows
// move together as one undoable step, channels outside the list keep their places, and undo gives
// back a byte-identical file.
#include "gui/OpenedListFixture.h"

#include "database/NodeFields.h"
#include "views/CAnotherIndexDlg.h"
#include "views/CNavigator.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"
#include "views/ProgramSlotsMime.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QTableView>
#include <QUndoStack>

using namespace GuiTest;

namespace {

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a drag of the selected rows carries, dropped before view row `row` (-1: below the last).
bool DropSelectionAt(OpenedList &o, int row)
{
    const std::unique_ptr<QMimeData> data(o.model->mimeData(o.list->Table()->selectionModel()->selectedIndexes()));
    if (!data || !o.model->canDropMimeData(data.get(), Qt::MoveAction, row, 0, QModelIndex()))
        return false;
    return o.model->dropMimeData(data.get(), Qt::MoveAction, row, 0, QModelIndex());
}

// The records after taking the programs of `moved` (slots, in order) out and putting them before
// slot `before` of the slot order `places` (a list's slots, ascending); other slots stay.
std::vector<std::vector<uint8_t>> Expected(std::vector<std::vector<uint8_t>> records, const std::vector<int> &places,
                                           const std::vector<int> &moved, int before)
{
    std::vector<int> order;
    for (int slot : places) {
        if (slot == before)
            order.insert(order.end(), moved.begin(), moved.end());
        if (std::find(moved.begin(), moved.end(), slot) == moved.end())
            order.push_back(slot);
    }
    if (before < 0)
        order.insert(order.end(), moved.begin(), moved.end());
    const auto copy = records;
    for (size_t i = 0; i < places.size(); ++i)
        records[size_t(places[i])] = copy[size_t(order[i])];
    return records;
}

std::vector<int> Slots(const ChannelListModel &model)
{
    std::vector<int> slots;
    for (const ChannelRow &row : model.AllRows())
        slots.push_back(row.slot);
    return slots;
}

}

class ListDropTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { CAnotherIndexDlg::ClearNextAnswer(); }

    void droppedRowsMoveTogetherAsOneStep()
    {
        OpenedList o;
        QVERIFY(o.model && o.model->RowCount() == 12);
        QVERIFY(o.model->flags(QModelIndex()).testFlag(Qt::ItemIsDropEnabled));
        QVERIFY(!o.model->flags(o.model->index(3, 1)).testFlag(Qt::ItemIsDropEnabled));
        const auto before = ProgramRecords(o.Db());
        const std::vector<int> all = Slots(*o.model);
        const QByteArray original = FileBytes(o.path);

        // One row down the list: it lands before the row it was dropped on.
        o.Select({2});
        QVERIFY(DropSelectionAt(o, 6));
        QCOMPARE(o.Undo().count(), 1);
        QCOMPARE(ProgramRecords(o.Db()), Expected(before, all, {2}, 6));
        QCOMPARE(o.SelectedRows(), (std::vector<int>{5}));

        // Several rows, not next to each other, to the top: they keep their order.
        const auto second = ProgramRecords(o.Db());
        o.Select({4, 9, 11});
        QVERIFY(DropSelectionAt(o, 0));
        QCOMPARE(o.Undo().count(), 2);
        QCOMPARE(ProgramRecords(o.Db()), Expected(second, all, {4, 9, 11}, 0));
        QCOMPARE(o.SelectedRows(), (std::vector<int>{0, 1, 2}));

        // Below the last row: to the end.
        const auto third = ProgramRecords(o.Db());
        o.Select({0, 1});
        QVERIFY(DropSelectionAt(o, -1));
        QCOMPARE(ProgramRecords(o.Db()), Expected(third, all, {0, 1}, -1));
        QCOMPARE(o.SelectedRows(), (std::vector<int>{10, 11}));

        // Dropped where they are: nothing to do, no step.
        o.Select({3, 4});
        QVERIFY(!DropSelectionAt(o, 4));
        QCOMPARE(o.Undo().count(), 3);

        // Undo all: the saved file is the one opened, byte for byte.
        while (o.Undo().canUndo())
            o.Undo().undo();
        QCOMPARE(ProgramRecords(o.Db()), before);
        // (The writer writes over the file it read: save where it came from.)
        QVERIFY(o.f.frame->SaveDatabaseFile(o.path));
        QCOMPARE(FileBytes(o.path), original);
    }

    void dropIsOffWhileSortedOrFilteredAndForForeignSlots()
    {
        OpenedList o;
        QVERIFY(o.model);
        const auto before = ProgramRecords(o.Db());
        o.Select({1, 2});
        const std::unique_ptr<QMimeData> data(o.model->mimeData(o.list->Table()->selectionModel()->selectedIndexes()));
        QVERIFY(data);

        o.list->Table()->sortByColumn(1, Qt::DescendingOrder);
        QVERIFY(!o.model->flags(QModelIndex()).testFlag(Qt::ItemIsDropEnabled));
        QVERIFY(!o.model->dropMimeData(data.get(), Qt::MoveAction, 0, 0, QModelIndex()));
        o.list->Table()->sortByColumn(0, Qt::AscendingOrder);
        QVERIFY(!o.model->Sorted());

        o.list->SetFindText(QStringLiteral("a"));
        QVERIFY(o.model->Finding());
        QVERIFY(!o.model->dropMimeData(data.get(), Qt::MoveAction, 0, 0, QModelIndex()));
        o.list->SetFindText(QString());

        // Slots that are no row of this list (another window's, or forged), and a copy.
        QMimeData foreign;
        foreign.setData(ProgramSlotsMime::Format(), "1,999");
        QVERIFY(!o.model->canDropMimeData(&foreign, Qt::MoveAction, 0, 0, QModelIndex()));
        QVERIFY(!o.model->dropMimeData(&foreign, Qt::MoveAction, 0, 0, QModelIndex()));
        QVERIFY(!o.model->dropMimeData(data.get(), Qt::CopyAction, 0, 0, QModelIndex()));
        QCOMPARE(ProgramRecords(o.Db()), before);
        QCOMPARE(o.Undo().count(), 0);

        // Unsorted and unfiltered again, the same drag is taken.
        QVERIFY(o.model->dropMimeData(data.get(), Qt::MoveAction, 0, 0, QModelIndex()));
        QCOMPARE(o.Undo().count(), 1);
    }

    void dropUnderTheSwitchLeavesTheOtherChannelsInPlace()
    {
        OpenedList o(40);
        QVERIFY(o.model);
        o.list->SetServiceFilter(ServiceFilter::TvOnly);
        const std::vector<int> tvSlots = Slots(*o.model);
        QVERIFY(tvSlots.size() >= 4 && tvSlots.size() < 40);
        const auto before = ProgramRecords(o.Db());
        o.Select({0, 1});
        QVERIFY(DropSelectionAt(o, int(tvSlots.size()) - 1));
        // Only the TV channels' slots changed hands; every radio channel is where it was.
        QCOMPARE(ProgramRecords(o.Db()), Expected(before, tvSlots, {tvSlots[0], tvSlots[1]}, tvSlots.back()));
        for (int slot = 0; slot < 40; ++slot) {
            if (std::find(tvSlots.begin(), tvSlots.end(), slot) == tvSlots.end())
                QCOMPARE(ProgramRecords(o.Db())[size_t(slot)], before[size_t(slot)]);
        }
    }

    void moveChannelTakesSeveralRowsToTheTypedIndex()
    {
        OpenedList o;
        QVERIFY(o.model);
        const auto before = ProgramRecords(o.Db());
        const std::vector<int> all = Slots(*o.model);

        // Rows 1, 5 and 6 to Index 9: the first of them is at row 8 afterwards, the others after it.
        o.Select({1, 5, 6});
        CAnotherIndexDlg::SetNextAnswer(9);
        o.list->MoveChannel();
        QCOMPARE(o.Undo().count(), 1);
        QCOMPARE(o.SelectedRows(), (std::vector<int>{8, 9, 10}));
        QCOMPARE(ProgramRecords(o.Db()), Expected(before, all, {1, 5, 6}, 11));

        // The last Index puts the block at the end; a block can go no further.
        o.Undo().undo();
        o.Select({1, 5, 6});
        CAnotherIndexDlg::SetNextAnswer(12);
        o.list->MoveChannel();
        QCOMPARE(o.SelectedRows(), (std::vector<int>{9, 10, 11}));
        QCOMPARE(ProgramRecords(o.Db()), Expected(before, all, {1, 5, 6}, -1));

        // Out of range: said, and nothing moves.
        o.Undo().undo();
        o.Select({1, 5});
        CAnotherIndexDlg::SetNextAnswer(13);
        const qsizetype messages = o.f.prompt.messages.size();
        o.list->MoveChannel();
        QCOMPARE(o.f.prompt.messages.size(), messages + 1);
        QVERIFY(o.f.prompt.messages.back().contains(QStringLiteral("out of range")));
        QCOMPARE(ProgramRecords(o.Db()), before);
        QCOMPARE(o.Undo().index(), 0);
    }
};

QTEST_MAIN(ListDropTest)
#include "ListDropTest.moc"
