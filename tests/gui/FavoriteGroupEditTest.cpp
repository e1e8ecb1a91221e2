// The "Favorite Group Edit" dialog on a generated database: rows, Add / Remove, OK, Cancel, undo.
#include "DialogTestSupport.h"
#include "gui/TestEditorContext.h"

#include "database/NodeFields.h"
#include "editors/CFavoriteGroupEditDlg.h"
#include "document/NavNode.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

using namespace GuiTest;

namespace {

uint32_t Groups(const CChannelDb &db, int slot)
{
    return uint32_t(GetNodeIntByName(db, KindProgram, slot, "Favorite Group", DeclarationOrder).value_or(0));
}

void SetGroups(CChannelDb &db, int slot, uint32_t groups)
{
    QVERIFY(SetNodeTextByName(db, KindProgram, slot, "Favorite Group", std::to_string(groups), DeclarationOrder));
}

NavNode GroupNode(int group)
{
    NavNode node;
    node.kind = NavFavouriteGroup;
    node.index = group;
    return node;
}

void SelectRows(CFavoriteGroupEditDlg &dialog, std::initializer_list<int> rows)
{
    dialog.List()->clearSelection();
    for (int row : rows)
        dialog.List()->topLevelItem(row)->setSelected(true);
}

QString MemberOf(CFavoriteGroupEditDlg &dialog, int row)
{
    return dialog.List()->topLevelItem(row)->text(1);
}



} // namespace

class FavoriteGroupEditTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!BundledCacheBytes().isEmpty()); }

    void controlsAndRowsOfDialog155()
    {
        TestEditorContext context(SmallDatabase(2, 6, 30));
        QVERIFY(context.generated);
        CChannelDb &db = context.Database();
        db.DeleteNode(KindProgram, 2);
        SetGroups(db, 0, 0x80000001u);   // groups 1 and 32
        SetGroups(db, 1, 0);
        const NavNode node = GroupNode(32);
        CFavoriteGroupEditDlg dialog(context, node);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Favorite Group Edit"));
        QCOMPARE(dialog.property("controlId").toInt(), 155);
        QCOMPARE(dialog.List()->property("controlId").toInt(), 1058);
        QCOMPARE(dialog.AddButton()->property("controlId").toInt(), 1063);
        QCOMPARE(dialog.RemoveButton()->property("controlId").toInt(), 1064);
        QCOMPARE(dialog.CancelButton()->property("controlId").toInt(), 2);
        QCOMPARE(dialog.OkButton()->property("controlId").toInt(), 1);
        QCOMPARE(dialog.AddButton()->text(), QStringLiteral("Add"));
        QCOMPARE(dialog.RemoveButton()->text(), QStringLiteral("Remove"));
        QVERIFY(dialog.OkButton()->isDefault());
        QCOMPARE(dialog.List()->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(!dialog.List()->accessibleName().isEmpty());
        QCOMPARE(dialog.List()->headerItem()->text(0), QStringLiteral("Service Name"));
        QCOMPARE(dialog.List()->headerItem()->text(1), QStringLiteral("member"));
        QCOMPARE(dialog.List()->columnWidth(0), 200);
        QCOMPARE(dialog.List()->columnWidth(1), 60);

        // Every live program in slot order, with its own name and membership; slot 2 is gone.
        QCOMPARE(dialog.List()->topLevelItemCount(), db.LiveCount(KindProgram));
        int row = 0;
        for (int slot = 0; slot < db.Count(KindProgram); ++slot) {
            if (!db.IsUsed(KindProgram, slot))
                continue;
            QTreeWidgetItem *item = dialog.List()->topLevelItem(row++);
            QCOMPARE(item->data(0, CFavoriteGroupEditDlg::kSlotRole).toInt(), slot);
            const std::string name = GetNodeTextByName(db, KindProgram, slot, "Service Name", DeclarationOrder).value();
            QCOMPARE(item->text(0), QString::fromStdString(name));
            QCOMPARE(item->text(1), (Groups(db, slot) & 0x80000000u) ? QStringLiteral("Yes") : QStringLiteral("No"));
        }
        QCOMPARE(dialog.List()->topLevelItem(0)->data(0, CFavoriteGroupEditDlg::kSlotRole).toInt(), 0);
        QCOMPARE(dialog.List()->topLevelItem(2)->data(0, CFavoriteGroupEditDlg::kSlotRole).toInt(), 3);
        QCOMPARE(MemberOf(dialog, 0), QStringLiteral("Yes"));
        QCOMPARE(MemberOf(dialog, 1), QStringLiteral("No"));

        // Tab order.
        QCOMPARE(NextTabStop(dialog.List()), static_cast<QWidget *>(dialog.AddButton()));
        QCOMPARE(NextTabStop(dialog.AddButton()), static_cast<QWidget *>(dialog.RemoveButton()));
        QCOMPARE(NextTabStop(dialog.RemoveButton()), static_cast<QWidget *>(dialog.CancelButton()));
        QCOMPARE(NextTabStop(dialog.CancelButton()), static_cast<QWidget *>(dialog.OkButton()));
    }

    void addThenRemoveThenCancelLeavesTheDatabase()
    {
        TestEditorContext context(SmallDatabase(2, 6, 30));
        CChannelDb &db = context.Database();
        const auto table = ProgramRecords(db);
        int &refreshes = context.changes;
        refreshes = 0;
        ScriptGuard<CFavoriteGroupEditDlg> guard;
        CFavoriteGroupEditDlg::SetTestScript([](CFavoriteGroupEditDlg &dialog) {
            SelectRows(dialog, {1, 3, 5});
            dialog.AddButton()->click();
            for (int row : {1, 3, 5})
                QCOMPARE(MemberOf(dialog, row), QStringLiteral("Yes"));
            dialog.RemoveButton()->click();
            for (int row : {1, 3, 5})
                QCOMPARE(MemberOf(dialog, row), QStringLiteral("No"));
            dialog.CancelButton()->click();
        });
        NavNode node = GroupNode(4);
        QVERIFY(!CFavoriteGroupEditDlg::Run(context, node, nullptr));
        QVERIFY(ProgramRecords(db) == table);
        QCOMPARE(context.UndoStack().count(), 0);
        QCOMPARE(refreshes, 0);
    }

    void okWritesTheGroupBitsAsOneUndoableCommand()
    {
        TestEditorContext context(SmallDatabase(2, 6, 30));
        CChannelDb &db = context.Database();
        // Known starting bits: slot 0 in groups 1 and 3, slot 1 in group 3, slot 2 in none.
        SetGroups(db, 0, 0b101);
        SetGroups(db, 1, 0b100);
        SetGroups(db, 2, 0);
        const auto before = ProgramRecords(db);
        int &refreshes = context.changes;
        refreshes = 0;
        ScriptGuard<CFavoriteGroupEditDlg> guard;
        CFavoriteGroupEditDlg::SetTestScript([](CFavoriteGroupEditDlg &dialog) {
            QCOMPARE(MemberOf(dialog, 0), QStringLiteral("Yes"));
            SelectRows(dialog, {0});
            dialog.RemoveButton()->click();
            SelectRows(dialog, {2});
            dialog.AddButton()->click();
            dialog.OkButton()->click();
        });
        NavNode node = GroupNode(3);
        QVERIFY(CFavoriteGroupEditDlg::Run(context, node, nullptr));
        QCOMPARE(Groups(db, 0), 0b001u);
        QCOMPARE(Groups(db, 1), 0b100u);
        QCOMPARE(Groups(db, 2), 0b100u);
        QCOMPARE(context.UndoStack().count(), 1);
        QVERIFY(!context.UndoStack().isClean());
        QCOMPARE(refreshes, 1);
        const auto after = ProgramRecords(db);
        // Only the two edited records differ.
        int differing = 0;
        for (size_t slot = 0; slot < before.size(); ++slot)
            differing += before[slot] != after[slot] ? 1 : 0;
        QCOMPARE(differing, 2);

        context.UndoStack().undo();
        QVERIFY(ProgramRecords(db) == before);
        QCOMPARE(refreshes, 2);
        context.UndoStack().redo();
        QVERIFY(ProgramRecords(db) == after);
        QCOMPARE(refreshes, 3);
    }

    void group32AndTheTopBit()
    {
        TestEditorContext context(SmallDatabase(2, 6, 30));
        CChannelDb &db = context.Database();
        SetGroups(db, 0, 1);
        ScriptGuard<CFavoriteGroupEditDlg> guard;
        CFavoriteGroupEditDlg::SetTestScript([](CFavoriteGroupEditDlg &dialog) {
            QCOMPARE(dialog.Group(), 32);
            SelectRows(dialog, {0});
            dialog.AddButton()->click();
            dialog.accept();
        });
        NavNode node = GroupNode(32);
        QVERIFY(CFavoriteGroupEditDlg::Run(context, node, nullptr));
        QCOMPARE(Groups(db, 0), 2147483649u);
    }

    void okWithoutChangesMarksTheFileModified()
    {
        TestEditorContext context(SmallDatabase(2, 6, 30));
        CChannelDb &db = context.Database();
        const auto table = ProgramRecords(db);
        ScriptGuard<CFavoriteGroupEditDlg> guard;
        CFavoriteGroupEditDlg::SetTestScript([](CFavoriteGroupEditDlg &dialog) { dialog.accept(); });
        NavNode node = GroupNode(1);
        QVERIFY(CFavoriteGroupEditDlg::Run(context, node, nullptr));
        QVERIFY(ProgramRecords(db) == table);
        QCOMPARE(context.UndoStack().count(), 1);
        QVERIFY(!context.UndoStack().isClean());
        context.UndoStack().undo();
        QVERIFY(context.UndoStack().isClean());
        QVERIFY(ProgramRecords(db) == table);
    }

    void onlyAGroupNodeOpensTheDialog()
    {
        TestEditorContext context(SmallDatabase(2, 6, 30));
        bool opened = false;
        ScriptGuard<CFavoriteGroupEditDlg> guard;
        CFavoriteGroupEditDlg::SetTestScript([&](CFavoriteGroupEditDlg &dialog) {
            opened = true;
            dialog.accept();
        });
        for (NavNode node : {GroupNode(0), GroupNode(33)}) {
            QVERIFY(!CFavoriteGroupEditDlg::Run(context, node, nullptr));
        }
        NavNode satellite;
        satellite.kind = NavSatellite;
        satellite.index = 1;
        QVERIFY(!CFavoriteGroupEditDlg::Run(context, satellite, nullptr));
        QVERIFY(!opened);
        QCOMPARE(context.UndoStack().count(), 0);
    }
};

QTEST_MAIN(FavoriteGroupEditTest)
#include "FavoriteGroupEditTest.moc"
