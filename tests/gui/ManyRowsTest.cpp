// Several selected channels at once: Move Up / Move Down move the whole selection by one place (a
// block at the edge stays), Add to Group puts them all into a favourite group, and Edit Channel
// edits what they share; each is one undoable step.
#include "gui/OpenedListFixture.h"

#include "database/ChannelOrder.h"
#include "database/FavouriteGroups.h"
#include "database/NodeFields.h"
#include "editors/CProgramInfoDlg.h"
#include "editors/CProgramsEditDlg.h"
#include "views/CNavigator.h"
#include "views/CZanEditorView.h"
#include "document/SlotOrderMoves.h"
#include "views/ChannelListModel.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>
#include <QUndoStack>

#include <map>

using namespace GuiTest;

namespace {


// The program records in slot order after moving the records of `before` so that place i holds
// before[order[i]] for the first order.size() places.
std::vector<std::vector<uint8_t>> Permuted(std::vector<std::vector<uint8_t>> before, const std::vector<int> &order)
{
    const auto copy = before;
    for (size_t i = 0; i < order.size(); ++i)
        before[i] = copy[size_t(order[i])];
    return before;
}

}

// The names (or another field) of the programs in slot order: the order a saved file has.
QStringList InSlotOrder(const CChannelDb &db, const char *field)
{
    QStringList values;
    for (int slot = 0; slot < db.Count(KindProgram); ++slot)
        values << QString::fromStdString(GetNodeTextByName(db, KindProgram, slot, field, PositionOrder).value_or("?"));
    return values;
}

int ColumnTitled(const ChannelListModel &model, const QString &title)
{
    for (int c = 0; c < model.columnCount(); ++c) {
        if (model.headerData(c, Qt::Horizontal).toString() == title)
            return c;
    }
    return -1;
}

class ManyRowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exchangesGiveTheWantedOrder()
    {
        // places[i] ends up holding the program that was in ordered[i].
        const std::vector<int32_t> places = {2, 5, 7, 9};
        for (const std::vector<int32_t> &ordered :
             {std::vector<int32_t>{9, 7, 5, 2}, {2, 5, 7, 9}, {5, 9, 2, 7}, {7, 2, 9, 5}}) {
            std::map<int32_t, int32_t> at;  // slot → program
            for (int32_t slot : places)
                at[slot] = slot;
            const std::vector<SlotMove> moves = ExchangesForOrder(KindProgram, places, ordered);
            QVERIFY(moves.size() < places.size());
            for (const SlotMove &m : moves) {
                QCOMPARE(m.type, SlotMove::Type::Exchange);
                std::swap(at[m.from], at[m.to]);
            }
            for (size_t i = 0; i < places.size(); ++i)
                QCOMPARE(at[places[i]], ordered[i]);
        }
        QVERIFY(ExchangesForOrder(KindProgram, places, {2, 5, 7, 9}).empty());
        QVERIFY(ExchangesForOrder(KindProgram, places, {2, 5, 7}).empty());     // not a permutation
        QVERIFY(ExchangesForOrder(KindProgram, places, {2, 5, 7, 8}).empty());
        QVERIFY(ExchangesForOrder(KindProgram, {1, 1}, {1, 1}).empty());
    }

    void headerSortAndApplySortedOrder()
    {
        OpenedList o;
        QVERIFY(o.model);
        CChannelDb &db = o.Db();
        const auto before = ProgramRecords(db);
        const QStringList names = InSlotOrder(db, "Service Name");
        const int nameColumn = ColumnTitled(*o.model, QStringLiteral("Service Name"));
        QVERIFY(nameColumn > 0);
        QVERIFY(!o.list->CommandEnabled(CZanEditorView::IdApplySortedOrder));

        // The header sorts the view only: the file is unchanged, Index keeps the real places.
        o.list->Table()->sortByColumn(nameColumn, Qt::DescendingOrder);
        QVERIFY(o.model->Sorted());
        QCOMPARE(ProgramRecords(db), before);
        QStringList shown;
        for (int row = 0; row < o.model->RowCount(); ++row) {
            shown << o.model->data(o.model->index(row, nameColumn)).toString();
            QCOMPARE(o.model->data(o.model->index(row, 0)).toInt(), o.model->ListRow(row) + 1);
        }
        QStringList expected = names;
        std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) { return NaturalCompare(a, b) > 0; });
        QCOMPARE(shown, expected);
        o.Select({1});
        QVERIFY(!o.list->CommandEnabled(CZanEditorView::IdMoveUp));
        QVERIFY(o.list->CommandEnabled(CZanEditorView::IdApplySortedOrder));

        // Apply: the shown order is the saved order, as one step; the view is unsorted again.
        o.list->ApplySortedOrder();
        QVERIFY(!o.model->Sorted());
        QCOMPARE(o.Undo().count(), 1);
        QCOMPARE(InSlotOrder(db, "Service Name"), expected);
        o.Undo().undo();
        QCOMPARE(ProgramRecords(db), before);

        // A common order from Channel → Sort in the menu bar, on the real order at once.
        auto *channelMenu = o.f.frame->findChild<QMenu *>(QStringLiteral("channelMenu"));
        auto *sortMenu = o.f.frame->findChild<QMenu *>(QStringLiteral("sortEntry"));
        QVERIFY(channelMenu && sortMenu);
        Q_EMIT channelMenu->aboutToShow();
        QVERIFY(sortMenu->menuAction()->isEnabled());
        Q_EMIT sortMenu->aboutToShow();
        QStringList orders;
        for (QAction *entry : sortMenu->actions())
            orders << entry->text();
        QCOMPARE(orders, (QStringList {QStringLiteral("Sort by Name\tCtrl+Alt+1"), QStringLiteral("Sort by Service ID\tCtrl+Alt+2"),
                                      QStringLiteral("Sort TV before Radio\tCtrl+Alt+3"),
                                      QStringLiteral("Sort by Satellite and Transponder\tCtrl+Alt+4"),
                                      QStringLiteral("Reverse Order\tCtrl+Alt+5")}));
        sortMenu->actions().at(1)->trigger();
        QCOMPARE(o.Undo().count(), 1);
        QStringList ids = InSlotOrder(db, "Service ID");
        QVERIFY(std::is_sorted(ids.begin(), ids.end(), [](const QString &a, const QString &b) { return a.toUInt() < b.toUInt(); }));
        o.Undo().undo();
        QCOMPARE(ProgramRecords(db), before);
        QVERIFY(!o.f.frame->IsModified());
    }

    void moveUpAndDownMoveTheWholeSelection()
    {
        OpenedList o;
        QVERIFY(o.model && o.model->RowCount() == 12);
        // In "All Services" row i shows slot i of a freshly generated file.
        for (int row = 0; row < 12; ++row)
            QCOMPARE(o.model->Row(row)->slot, row);
        const auto before = ProgramRecords(o.Db());
        const int steps = o.Undo().count();

        // Rows 0 and 1 are a block at the top: they stay; row 3 moves up to 2.
        o.Select({0, 1, 3});
        QVERIFY(o.list->CommandEnabled(CZanEditorView::IdMoveUp));
        o.list->MoveUp();
        QCOMPARE(o.Undo().count(), steps + 1);
        QCOMPARE(ProgramRecords(o.Db()), Permuted(before, {0, 1, 3, 2}));
        QCOMPARE(o.SelectedRows(), (std::vector<int>{0, 1, 2}));
        // Now the whole selection is a block at the top: Move Up is off and does nothing.
        QVERIFY(!o.list->CommandEnabled(CZanEditorView::IdMoveUp));
        o.list->MoveUp();
        QCOMPARE(o.Undo().count(), steps + 1);

        // Down: rows 10 and 11 block the bottom, row 7 moves to 8.
        o.Select({7, 10, 11});
        o.list->MoveDown();
        QCOMPARE(ProgramRecords(o.Db()), Permuted(before, {0, 1, 3, 2, 4, 5, 6, 8, 7, 9, 10, 11}));
        QCOMPARE(o.SelectedRows(), (std::vector<int>{8, 10, 11}));
        o.Select({11});
        QVERIFY(!o.list->CommandEnabled(CZanEditorView::IdMoveDown));

        o.Undo().undo();
        o.Undo().undo();
        QCOMPARE(ProgramRecords(o.Db()), before);
        QVERIFY(!o.f.frame->IsModified());
    }

    void addToGroupTakesEverySelectedChannel()
    {
        OpenedList o;
        QVERIFY(o.model);
        auto *menu = o.list->findChild<QMenu *>(QStringLiteral("addToGroupMenu"));
        QVERIFY(menu);
        Q_EMIT menu->aboutToShow();
        QCOMPARE(menu->actions().size(), FavouriteGroups::kCount);
        QCOMPARE(menu->actions().at(4)->text(),
                 QString::fromStdString(o.Db().Favourites()->names[4]));

        auto groupsOf = [&o](int row) {
            return uint32_t(GetNodeIntByName(o.Db(), KindProgram, o.model->Row(row)->slot, FavouriteGroups::kFieldName,
                                             DeclarationOrder)
                                .value_or(0));
        };
        std::vector<uint32_t> groupsBefore;
        for (int row = 0; row < 12; ++row)
            groupsBefore.push_back(groupsOf(row));
        const auto before = ProgramRecords(o.Db());
        o.Select({2, 5, 6});
        menu->actions().at(4)->trigger();  // group 5
        QCOMPARE(o.Undo().count(), 1);
        for (int row = 0; row < 12; ++row) {
            const bool selected = row == 2 || row == 5 || row == 6;
            const uint32_t expected = selected ? groupsBefore[size_t(row)] | FavouriteGroups::Bit(5) : groupsBefore[size_t(row)];
            QCOMPARE(groupsOf(row), expected);
        }
        o.Undo().undo();
        QCOMPARE(ProgramRecords(o.Db()), before);

        // The same from the menu bar: Channel → Add to Group, off without a selection.
        auto *channelMenu = o.f.frame->findChild<QMenu *>(QStringLiteral("channelMenu"));
        auto *entry = o.f.frame->findChild<QMenu *>(QStringLiteral("addToGroupEntry"));
        QVERIFY(channelMenu && entry);
        o.list->Table()->clearSelection();
        Q_EMIT channelMenu->aboutToShow();
        QVERIFY(!entry->menuAction()->isEnabled());
        o.Select({3, 8});
        Q_EMIT channelMenu->aboutToShow();
        QVERIFY(entry->menuAction()->isEnabled());
        Q_EMIT entry->aboutToShow();
        QCOMPARE(entry->actions().size(), FavouriteGroups::kCount);
        entry->actions().at(6)->trigger();  // group 7
        QCOMPARE(o.Undo().count(), 1);
        for (int row = 0; row < 12; ++row) {
            const bool selected = row == 3 || row == 8;
            QCOMPARE(groupsOf(row), selected ? groupsBefore[size_t(row)] | FavouriteGroups::Bit(7) : groupsBefore[size_t(row)]);
        }
    }

    void editChannelOnSeveralRowsEditsThemTogether()
    {
        OpenedList o;
        QVERIFY(o.model);
        auto scrambleOf = [&o](int row) {
            return GetNodeIntByName(o.Db(), KindProgram, o.model->Row(row)->slot, "Scramble", DeclarationOrder).value_or(-1);
        };
        const auto before = ProgramRecords(o.Db());
        bool singleOpened = false;
        CProgramInfoDlg::SetTestScript([&](CProgramInfoDlg &d) { singleOpened = true; d.reject(); });
        int seen = 0;
        CProgramsEditDlg::SetTestScript([&](CProgramsEditDlg &d) {
            seen = int(d.Form().ProgramCount());
            auto *scramble = d.findChild<QComboBox *>(QStringLiteral("scrambleCombo"));
            scramble->setCurrentIndex(scramble->findText(QStringLiteral("Yes")));
            d.accept();
        });
        // Enter in the list, as a user edits.
        o.Select({1, 4, 7});
        o.list->Action(CZanEditorView::IdEditChannel)->trigger();
        CProgramsEditDlg::SetTestScript({});
        QVERIFY(!singleOpened);
        QCOMPARE(seen, 3);
        QCOMPARE(o.Undo().count(), 1);
        for (int row = 0; row < 12; ++row) {
            if (row == 1 || row == 4 || row == 7)
                QCOMPARE(scrambleOf(row), 1);
            else
                QCOMPARE(o.Db().RecordBytes(KindProgram, o.model->Row(row)->slot), before[size_t(o.model->Row(row)->slot)]);
        }
        o.Undo().undo();
        QCOMPARE(ProgramRecords(o.Db()), before);

        // One row: the one-channel dialog, as before.
        o.Select({4});
        o.list->EditChannel();
        CProgramInfoDlg::SetTestScript({});
        QVERIFY(singleOpened);
    }
};

QTEST_MAIN(ManyRowsTest)
#include "ManyRowsTest.moc"
