// Channels dragged from the list onto the favourite groups of the tree: they join the group as
// one undoable step; on the favourite root a menu chooses the group.
#include "gui/GuiTestSupport.h"

#include "database/FavouriteGroups.h"
#include "database/NodeFields.h"
#include "views/CNavigator.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"
#include "views/ProgramSlotsMime.h"

#include <QMimeData>
#include <QTableView>
#include <QUndoStack>

using namespace GuiTest;

namespace {

uint32_t Groups(const CChannelDb &db, int slot)
{
    return uint32_t(GetNodeIntByName(db, KindProgram, slot, FavouriteGroups::kFieldName, DeclarationOrder).value_or(0));
}

// Drops `data` on `item` as a drop there would: the tree's target under the item's centre takes it.
bool Drop(CNavigator *nav, QTreeWidgetItem *item, const QMimeData &data)
{
    nav->scrollToItem(item);
    QCoreApplication::processEvents();  // lays the opened branch out
    const QRect rect = nav->visualItemRect(item);
    const NavNode *target = rect.isEmpty() ? nullptr : nav->DropTarget(rect.center());
    const std::optional<std::vector<int32_t>> slots = ProgramSlotsMime::Decode(&data);
    if (!target || !slots)
        return false;
    return nav->DropOnGroup(*target, *slots, nav->mapToGlobal(rect.center()));
}

}

class GroupDropTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void slotsSurviveTheMimeRoundTrip()
    {
        const std::unique_ptr<QMimeData> data = ProgramSlotsMime::Encode({7, 0, 29999});
        QCOMPARE(ProgramSlotsMime::Decode(data.get()).value(), (std::vector<int32_t>{7, 0, 29999}));
        QMimeData other;
        QVERIFY(!ProgramSlotsMime::Decode(&other));
        for (const QByteArray &bad : {QByteArray(""), QByteArray("1,x"), QByteArray("-1"), QByteArray("1,,2")}) {
            QMimeData forged;
            forged.setData(ProgramSlotsMime::Format(), bad);
            QVERIFY2(!ProgramSlotsMime::Decode(&forged), bad.constData());
        }
    }

    void rowsDroppedOnGroupsJoinThemAsOneStep()
    {
        FrameFixture f;
        const QString path = f.Data(QStringLiteral("db.usd"));
        GeneratorOptions options;
        options.programs = 40;
        QVERIFY(GenerateDatabase(path, options));
        QVERIFY(f.frame->OpenDatabaseFile(path));
        f.frame->show();
        CNavigator *nav = f.frame->GetNavigator();
        CZanEditorView *list = f.frame->GetChannelList();
        CChannelDb &db = f.frame->Database();
        nav->setCurrentItem(nav->AllServicesItem());
        QVERIFY(list->RowCount() >= 3);

        // The drag of rows 0 and 2 carries their slots.
        ChannelListModel *model = qobject_cast<ChannelListModel *>(list->Table()->model());
        QVERIFY(model);
        QVERIFY(model->flags(model->index(0, 1)) & Qt::ItemIsDragEnabled);
        const std::unique_ptr<QMimeData> data(model->mimeData({model->index(2, 1), model->index(0, 3), model->index(0, 1)}));
        QVERIFY(data);
        const std::vector<int32_t> slots = ProgramSlotsMime::Decode(data.get()).value();
        QCOMPARE(slots, (std::vector<int32_t>{model->Row(0)->slot, model->Row(2)->slot}));

        QTreeWidgetItem *root = nav->FavouriteRootItem();
        QVERIFY(root && root->childCount() == FavouriteGroups::kCount);
        root->setExpanded(true);
        const auto before = ProgramRecords(db);
        const int steps = f.frame->UndoStack().count();

        // Group 3 (bit 2): both join, one step; the others keep their groups.
        const uint32_t otherBefore = Groups(db, model->Row(1)->slot);
        QVERIFY(Drop(nav, root->child(2), *data));
        QCOMPARE(f.frame->UndoStack().count(), steps + 1);
        for (int32_t slot : slots)
            QVERIFY(Groups(db, slot) & FavouriteGroups::Bit(3));
        QCOMPARE(Groups(db, model->Row(1)->slot), otherBefore);
        QVERIFY(f.frame->IsModified());
        // Again: nothing changes, nothing is pushed.
        QVERIFY(!Drop(nav, root->child(2), *data));
        QCOMPARE(f.frame->UndoStack().count(), steps + 1);

        // On the root: the menu's choice, or nothing when it is dismissed.
        QStringList offered;
        int answer = 0;
        nav->SetGroupChooser([&](const QStringList &names) {
            offered = names;
            return answer;
        });
        QVERIFY(!Drop(nav, root, *data));
        QCOMPARE(offered.size(), FavouriteGroups::kCount);
        QCOMPARE(offered[0], root->child(0)->text(0));
        QCOMPARE(f.frame->UndoStack().count(), steps + 1);
        answer = 32;
        QVERIFY(Drop(nav, root, *data));
        QCOMPARE(f.frame->UndoStack().count(), steps + 2);
        for (int32_t slot : slots)
            QVERIFY(Groups(db, slot) & FavouriteGroups::Bit(32));

        // Not a group: refused.
        QVERIFY(!Drop(nav, nav->AllServicesItem(), *data));
        QCOMPARE(f.frame->UndoStack().count(), steps + 2);

        f.frame->UndoStack().undo();
        f.frame->UndoStack().undo();
        QCOMPARE(ProgramRecords(db), before);
        QVERIFY(!f.frame->IsModified());
    }
};

QTEST_MAIN(GroupDropTest)
#include "GroupDropTest.moc"
