// The channel list: filling with the cell-text rules, the TV/Radio filter, moves, swaps, Move
// Channel's rotation and Delete Channel's selection rule, each checked in the saved file and undone.
#include "ChannelListFixture.h"

#include "database/ChannelCells.h"
#include "views/CAnotherIndexDlg.h"

#include <QHeaderView>
#include <QtTest>

#include <algorithm>

class ChannelListTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { CAnotherIndexDlg::ClearNextAnswer(); }

    void FillShowsEveryLiveProgramWithCellRules();
    void FillSkipsRemovedEntriesAndNumbersRowsInView();
    void FillOfFolderOrNoNodeIsEmpty();
    void FavouriteNameTableIsRebuiltAtFill();
    void ServiceFilterShowsTvOrRadioOnly();
    void ClearForgetsTheNode();
    void MoveUpAndDownSwapNeighbours();
    void MovesAtTheEndsDoNothing();
    void MoveUpRefreshesOnlyTwoRows();
    void UndoOfSwapWhileAnotherNodeIsShown();
    void SwitchChannelSwapsWithTheEnteredRow();
    void SwitchChannelRefusesBadNumbers();
    void MoveChannelRotatesProgramsOfAnyNode();
    void DeleteSelectsTheRowBeforeTheLowest();
    void DeleteOfRowZeroAndOfTheOnlyRow();
    void DeleteGuardsStopAndKeepWhatWasDeleted();
};

void ChannelListTest::FillShowsEveryLiveProgramWithCellRules()
{
    ListFixture f;
    QVERIFY(f.ok);
    QCOMPARE(f.view->Table()->accessibleName(), QStringLiteral("Channel list"));
    QCOMPARE(f.view->Table()->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(f.view->Table()->selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(f.view->Table()->showGrid());
    QCOMPARE(f.view->Model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Index"));
    QCOMPARE(f.view->Table()->horizontalHeader()->sectionSize(0), 44);
    const int nameColumn = f.ColumnOf(QStringLiteral("Service Name"));
    const int typeColumn = f.ColumnOf(QStringLiteral("Service Type"));
    const int favColumn = f.ColumnOf(QStringLiteral("Favorite Group"));
    const int scrambleColumn = f.ColumnOf(QStringLiteral("Scramble"));
    QCOMPARE(nameColumn, 1);
    QCOMPARE(typeColumn, 2);
    QCOMPARE(favColumn, 9);
    QCOMPARE(scrambleColumn, 10);
    QCOMPARE(f.view->Table()->horizontalHeader()->sectionSize(nameColumn), 114);

    f.Show(f.all);
    QCOMPARE(f.view->RowCount(), f.Db().LiveCount(KindProgram));
    QVERIFY(SameNode(f.view->CurrentNode(), f.all));  // the list keeps a copy of its own
    bool sawTv = false;
    bool sawRadio = false;
    bool sawGroups = false;
    for (int row = 0; row < f.view->RowCount(); ++row) {
        const int slot = f.all.slots[size_t(f.view->Record(row)->index)];
        QCOMPARE(f.Cell(row, 0), QString::asprintf("%3d", row + 1));
        QCOMPARE(f.Cell(row, nameColumn).toStdString(),
                 *GetNodeTextByName(f.Db(), KindProgram, slot, "Service Name", PositionOrder));
        const int type = *GetNodeIntByName(f.Db(), KindProgram, slot, "Service Type", PositionOrder);
        QCOMPARE(f.Cell(row, typeColumn), type == 1 ? QStringLiteral("TV") : QStringLiteral("Radio"));
        (type == 1 ? sawTv : sawRadio) = true;
        const uint32_t groups = uint32_t(*GetNodeIntByName(f.Db(), KindProgram, slot, "Favorite Group", PositionOrder));
        QCOMPARE(f.Cell(row, favColumn), QString::number(std::popcount(groups)));
        sawGroups = sawGroups || groups != 0;
        const int scramble = *GetNodeIntByName(f.Db(), KindProgram, slot, "Scramble", PositionOrder);
        QCOMPARE(f.Cell(row, scrambleColumn), scramble ? QStringLiteral("Yes") : QStringLiteral("No"));
    }
    QVERIFY(sawTv && sawRadio && sawGroups);
    QVERIFY(f.context.prompt.messages.isEmpty());
}

void ChannelListTest::FillSkipsRemovedEntriesAndNumbersRowsInView()
{
    ListFixture f;
    QVERIFY(f.ok);
    NavNode node;
    node.kind = NavTransponder;
    node.slots = {5, 9, -1, 12};
    node.hasSlots = true;
    f.Db().DeleteNode(KindProgram, 9);
    f.Show(node);
    QCOMPARE(f.view->RowCount(), 2);
    QCOMPARE(f.Cell(0, 0), QStringLiteral("  1"));
    QCOMPARE(f.Cell(1, 0), QStringLiteral("  2"));
    QCOMPARE(f.view->Record(0)->index, 0);
    QCOMPARE(f.view->Record(1)->index, 3);
    QCOMPARE(f.view->Record(1)->node, f.view->CurrentNode());
    QVERIFY(SameNode(f.view->Record(1)->node, node));
    QCOMPARE(f.RowKey(1), ListFixture::Key(f.Db(), 12));
}

void ChannelListTest::FillOfFolderOrNoNodeIsEmpty()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.all);
    QVERIFY(f.view->RowCount() > 0);
    NavNode folder;
    folder.kind = NavSatelliteFolder;
    folder.slots = f.all.slots;
    f.Show(folder);
    QCOMPARE(f.view->RowCount(), 0);
    QVERIFY(SameNode(f.view->CurrentNode(), folder));
    f.view->FillChannelList(nullptr);
    QCOMPARE(f.view->RowCount(), 0);
}

void ChannelListTest::FavouriteNameTableIsRebuiltAtFill()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.all);
    const FavouriteNameTable &names = f.view->FavouriteNames();
    QCOMPARE(names[0].key, std::string("1"));
    QCOMPARE(names[31].key, std::string("-2147483648"));
    QCOMPARE(names[2].name, f.Db().Favourites()->names[2]);
    f.Db().Favourites()->names[2] = "Renamed";
    f.Show(f.satellite);
    QCOMPARE(f.view->FavouriteNames()[2].name, std::string("Renamed"));
}

void ChannelListTest::ServiceFilterShowsTvOrRadioOnly()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.all);
    int tv = 0;
    for (int slot : f.all.slots)
        tv += GetNodeIntByName(f.Db(), KindProgram, slot, "Service Type", PositionOrder) == 1 ? 1 : 0;
    const int total = f.view->RowCount();
    QVERIFY(tv > 0 && tv < total);
    const int typeColumn = f.ColumnOf(QStringLiteral("Service Type"));

    f.view->SetServiceFilter(ServiceFilter::TvOnly);
    QCOMPARE(f.view->CurrentServiceFilter(), ServiceFilter::TvOnly);
    QVERIFY(SameNode(f.view->CurrentNode(), f.all));  // the list keeps a copy of its own
    QCOMPARE(f.view->RowCount(), tv);
    for (int row = 0; row < f.view->RowCount(); ++row)
        QCOMPARE(f.Cell(row, typeColumn), QStringLiteral("TV"));
    QCOMPARE(f.Cell(tv - 1, 0), QString::asprintf("%3d", tv));

    f.view->SetServiceFilter(ServiceFilter::RadioOnly);
    QCOMPARE(f.view->RowCount(), total - tv);
    for (int row = 0; row < f.view->RowCount(); ++row)
        QCOMPARE(f.Cell(row, typeColumn), QStringLiteral("Radio"));

    f.view->SetServiceFilter(ServiceFilter::TvAndRadio);
    QCOMPARE(f.view->RowCount(), total);
}

void ChannelListTest::ClearForgetsTheNode()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.all);
    f.view->ClearChannelList();
    QCOMPARE(f.view->RowCount(), 0);
    // A filter switch after closing must not refill from a node the navigator has freed.
    f.view->SetServiceFilter(ServiceFilter::TvOnly);
    QCOMPARE(f.view->RowCount(), 0);
    QCOMPARE(f.view->CurrentNode(), nullptr);
}

void ChannelListTest::MoveUpAndDownSwapNeighbours()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.all);
    const std::vector<std::string> before = f.SavedOrder();
    QCOMPARE(int(before.size()), f.view->RowCount());

    f.view->SelectChannelRow(3);
    f.view->MoveUp();
    QCOMPARE(f.view->FirstSelectedRow(), 2);
    QCOMPARE(f.view->SelectedRows(), std::vector<int>{2});
    std::vector<std::string> expected = before;
    std::swap(expected[2], expected[3]);
    QCOMPARE(f.RowKey(2), expected[2]);
    QCOMPARE(f.RowKey(3), expected[3]);
    QCOMPARE(f.SavedOrder(), expected);

    f.view->MoveDown();
    f.view->MoveDown();
    QCOMPARE(f.view->FirstSelectedRow(), 4);
    std::swap(expected[2], expected[3]);
    std::swap(expected[3], expected[4]);
    QCOMPARE(f.SavedOrder(), expected);
    QCOMPARE(f.context.stack.count(), 3);
    QCOMPARE(f.context.stack.undoText(), QStringLiteral("Move Down"));
    QVERIFY(f.UndoRedoRoundTrip(f.Save()));
    // After the undo steps the list shows what the database holds.
    for (int row = 0; row < f.view->RowCount(); ++row)
        QCOMPARE(f.RowKey(row), expected[size_t(row)]);
}

void ChannelListTest::MovesAtTheEndsDoNothing()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.all);
    f.view->SelectChannelRow(0);
    f.view->MoveUp();
    QCOMPARE(f.context.stack.count(), 0);
    f.view->Table()->clearSelection();
    f.view->SelectChannelRow(f.view->RowCount() - 1);
    f.view->MoveDown();
    QCOMPARE(f.context.stack.count(), 0);
    f.view->Table()->clearSelection();
    f.view->MoveUp();
    f.view->MoveDown();
    QCOMPARE(f.context.stack.count(), 0);
    QCOMPARE(f.Save(), f.original);
}

void ChannelListTest::MoveUpRefreshesOnlyTwoRows()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.all);
    QSignalSpy resets(f.view->Model(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(f.view->Model(), &QAbstractItemModel::dataChanged);
    f.view->SelectChannelRow(5);
    f.view->MoveUp();
    // The rows keep their slots: the table is told to draw them again, nothing is rebuilt.
    QCOMPARE(resets.count(), 0);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(f.view->FirstSelectedRow(), 4);  // the moved program is still the selected one
    f.context.stack.undo();
    QCOMPARE(resets.count(), 0);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(f.view->FirstSelectedRow(), 5);
}

void ChannelListTest::UndoOfSwapWhileAnotherNodeIsShown()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.transponder);
    QVERIFY(f.view->RowCount() >= 2);
    const std::string first = f.RowKey(0);
    const std::string second = f.RowKey(1);
    f.view->SelectChannelRow(1);
    f.view->MoveUp();
    QCOMPARE(f.RowKey(0), second);
    f.Show(f.all);
    f.context.stack.undo();
    QCOMPARE(f.Save(), f.original);
    // All Services shows both programs; its rows follow the undo.
    const auto at = [&](const std::string &key) {
        for (int row = 0; row < f.view->RowCount(); ++row) {
            if (f.RowKey(row) == key)
                return row;
        }
        return -1;
    };
    QVERIFY(at(first) >= 0 && at(first) < at(second));
    const int nameColumn = f.ColumnOf(QStringLiteral("Service Name"));
    const int row = at(first);
    const int slot = f.all.slots[size_t(f.view->Record(row)->index)];
    QCOMPARE(f.Cell(row, nameColumn).toStdString(),
             *GetNodeTextByName(f.Db(), KindProgram, slot, "Service Name", PositionOrder));
}

void ChannelListTest::SwitchChannelSwapsWithTheEnteredRow()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.all);
    std::vector<std::string> expected = f.SavedOrder();
    f.view->SelectChannelRow(1);
    CAnotherIndexDlg::SetNextAnswer(6);  // row number 6 is row 5
    f.view->SwitchChannel();
    QVERIFY(!CAnotherIndexDlg::AnswerPending());
    std::swap(expected[1], expected[5]);
    QCOMPARE(f.SavedOrder(), expected);
    QCOMPARE(f.view->FirstSelectedRow(), 5);
    QCOMPARE(f.RowKey(5), expected[5]);
    QCOMPARE(f.RowKey(1), expected[1]);
    QVERIFY(f.UndoRedoRoundTrip(f.Save()));

    // SwapChannelRows itself: rows a and b change places, b becomes selected.
    QVERIFY(f.view->SwapChannelRows(0, 2));
    std::swap(expected[0], expected[2]);
    QCOMPARE(f.SavedOrder(), expected);
    QVERIFY(!f.view->SwapChannelRows(-1, 2));
    QVERIFY(!f.view->SwapChannelRows(0, f.view->RowCount()));
}

void ChannelListTest::SwitchChannelRefusesBadNumbers()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.all);
    // Without a selected row the prompt does not even appear.
    CAnotherIndexDlg::SetNextAnswer(3);
    f.view->SwitchChannel();
    QVERIFY(CAnotherIndexDlg::AnswerPending());
    CAnotherIndexDlg::ClearNextAnswer();

    f.view->SelectChannelRow(2);
    for (std::optional<int> answer : {std::optional<int>(0), std::optional<int>(3),
                                      std::optional<int>(f.view->RowCount() + 1), std::optional<int>(-5),
                                      std::optional<int>(INT_MIN), std::optional<int>()}) {
        CAnotherIndexDlg::SetNextAnswer(answer);
        f.view->SwitchChannel();
        CAnotherIndexDlg::SetNextAnswer(answer);
        f.view->MoveChannel();
    }
    QCOMPARE(f.context.stack.count(), 0);
    QCOMPARE(f.Save(), f.original);
}

void ChannelListTest::MoveChannelRotatesProgramsOfAnyNode()
{
    ListFixture f;
    QVERIFY(f.ok);
    // Put another transponder's program between the transponder's first two programs.
    QVERIFY(f.transponder.slots.size() >= 3);
    const int last = f.Db().Count(KindProgram) - 1;
    QVERIFY(std::find(f.transponder.slots.begin(), f.transponder.slots.end(), last) == f.transponder.slots.end());
    QVERIFY(f.Db().RotateSlots(KindProgram, last, f.transponder.slots[1]));
    f.RebuildNodes();
    f.original = f.Save();
    const std::vector<int> tpSlots(f.transponder.slots.begin(), f.transponder.slots.end());
    const int from = tpSlots[0];
    const int to = tpSlots[2];
    QVERIFY(to - from >= 3);

    f.Show(f.transponder);
    const std::vector<std::string> before = f.SavedOrder();
    std::vector<std::string> expected = before;
    std::rotate(expected.begin() + from, expected.begin() + from + 1, expected.begin() + to + 1);
    const std::string moved = f.RowKey(0);
    f.view->SelectChannelRow(0);
    CAnotherIndexDlg::SetNextAnswer(3);
    f.view->MoveChannel();
    QCOMPARE(f.SavedOrder(), expected);
    QCOMPARE(ListFixture::Key(f.Db(), to), moved);
    // The program of the other transponder shifted one place towards the front as well.
    QCOMPARE(ListFixture::Key(f.Db(), from), before[size_t(from + 1)]);
    QCOMPARE(f.view->FirstSelectedRow(), 2);
    QCOMPARE(f.RowKey(2), moved);
    QCOMPARE(f.context.stack.undoText(), QStringLiteral("Move Channel"));

    const QByteArray edited = f.Save();
    f.context.stack.undo();
    QCOMPARE(f.Save(), f.original);
    QCOMPARE(f.RowKey(0), moved);
    QCOMPARE(f.view->FirstSelectedRow(), 0);
    f.context.stack.redo();
    QCOMPARE(f.Save(), edited);
    QCOMPARE(f.RowKey(2), moved);

    // Backwards: the last row to row 1.
    f.view->Table()->clearSelection();
    const int rows = f.view->RowCount();
    const std::string lastKey = f.RowKey(rows - 1);
    f.view->SelectChannelRow(rows - 1);
    CAnotherIndexDlg::SetNextAnswer(1);
    f.view->MoveChannel();
    QCOMPARE(f.RowKey(0), lastKey);
    QVERIFY(f.UndoRedoRoundTrip(f.Save()));
}

void ChannelListTest::DeleteSelectsTheRowBeforeTheLowest()
{
    ListFixture f(10);
    QVERIFY(f.ok);
    f.Show(f.all);
    QCOMPARE(f.view->RowCount(), 10);
    std::vector<std::string> expected = f.SavedOrder();
    f.SelectRows({3, 4});
    f.view->DeleteChannel();
    expected.erase(expected.begin() + 3, expected.begin() + 5);
    QCOMPARE(f.view->RowCount(), 8);
    QCOMPARE(f.view->SelectedRows(), std::vector<int>{2});
    QCOMPARE(f.SavedOrder(), expected);
    QCOMPARE(f.Db().LiveCount(KindProgram), 8);
    QCOMPARE(f.context.stack.undoText(), QStringLiteral("Delete Channel"));

    const QByteArray edited = f.Save();
    f.context.stack.undo();
    QCOMPARE(f.Save(), f.original);
    QCOMPARE(f.view->RowCount(), 10);
    f.context.stack.redo();
    QCOMPARE(f.Save(), edited);
    QCOMPARE(f.view->RowCount(), 8);
    QCOMPARE(f.view->SelectedRows(), std::vector<int>{2});
    QVERIFY(f.UndoRedoRoundTrip(edited));
}

void ChannelListTest::DeleteOfRowZeroAndOfTheOnlyRow()
{
    ListFixture f(10);
    QVERIFY(f.ok);
    f.Show(f.all);
    const std::string second = f.RowKey(1);
    f.SelectRows({0});
    f.view->DeleteChannel();
    QCOMPARE(f.view->SelectedRows(), std::vector<int>{0});
    QCOMPARE(f.RowKey(0), second);

    NavNode single;
    single.kind = NavTransponder;
    single.slots = {f.all.slots[4]};
    single.hasSlots = true;
    f.Show(single);
    QCOMPARE(f.view->RowCount(), 1);
    f.SelectRows({0});
    f.view->DeleteChannel();
    QCOMPARE(f.view->RowCount(), 0);
    QVERIFY(f.view->SelectedRows().empty());
    QCOMPARE(f.Db().LiveCount(KindProgram), 8);
    QVERIFY(f.UndoRedoRoundTrip(f.Save()));
}

void ChannelListTest::DeleteGuardsStopAndKeepWhatWasDeleted()
{
    ListFixture f(10);
    QVERIFY(f.ok);
    f.Show(f.all);
    // The node's list shrank under the list: the third selected row points past its end.
    f.SelectRows({1, 2, 9});
    f.view->CurrentNode()->slots.resize(5);
    f.view->DeleteChannel();
    QCOMPARE(f.context.prompt.messages, QStringList{QStringLiteral("del failed 3")});
    QCOMPARE(f.Db().LiveCount(KindProgram), 8);
    QCOMPARE(f.view->RowCount(), 8);  // the list follows the database
    QCOMPARE(f.context.stack.count(), 1);  // the deletions made are undoable
    f.context.stack.undo();
    QCOMPARE(f.Save(), f.original);

    f.view->CurrentNode()->slots.clear();
    f.SelectRows({0});
    f.view->DeleteChannel();
    QCOMPARE(f.context.prompt.messages.last(), QStringLiteral("del failed 4"));
    QCOMPARE(f.Save(), f.original);
}

QTEST_MAIN(ChannelListTest)
#include "ChannelListTest.moc"
