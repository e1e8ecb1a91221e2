// The navigator's commands: exact labels, menu 137 and its enable rules, delete with renumbering,
// moves of satellites and transponders, keys, dialogs opened from the tree, undo and redo.
#include "gui/GuiTestSupport.h"

#include "database/NodeFields.h"
#include "editors/CFavoriteGroupEditDlg.h"
#include "views/CNavigator.h"
#include "editors/CSatelliteInfoDlg.h"
#include "editors/CTpInfoDlg.h"
#include "layout/FieldDesc.h"
#include "views/CGroupRenameDlg.h"
#include "views/CZanEditorView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QPushButton>
#include <QTimer>
#include <QUndoStack>

using namespace GuiTest;

namespace {

constexpr FieldOrder kPosition = PositionOrder;
constexpr FieldOrder kDeclaration = DeclarationOrder;

void SetInt(CChannelDb &db, NodeKind kind, int node, const char *name, uint32_t value)
{
    QVERIFY2(SetNodeIntByName(db, kind, node, name, value, kDeclaration), name);
}

// Satellites A (sat_id 1), B (sat_id 2) and the terrestrial one (255); transponders t0 (sat 1,
// 11778, 27500, V), t1 (sat 2, 12188, 27500, H), t2 (sat 1, 12015, 27500, H) and t3 (sat 255,
// 474000 kHz, 8 MHz) in that table order; programs under each of them.
bool WriteCraftedDatabase(const QString &path)
{
    LayoutSet layouts;
    ParseLayoutCache(BundledCacheBytes(), layouts);
    SilentPrompt silent(UserPrompt::Yes);
    CChannelDb db(layouts, silent);
    GeneratorOptions options;
    options.satellites = 3;
    options.transponders = 4;
    options.programs = 8;
    options.terrestrial = true;
    if (!DatabaseGenerator(layouts).Generate(db, options) || db.LiveCount(KindTransponder) != 4 || !db.IsUsed(KindTransponder, 3)) {
        qWarning() << "generated" << db.Count(KindTransponder);
        return false;
    }
    const uint32_t satIds[] = {1, 2, 255};
    for (int s = 0; s < 3; ++s)
        SetInt(db, KindSatellite, s, "sat_id", satIds[s]);
    struct Tp { uint32_t sat, tp, frq, sym, pol; };
    const Tp tps[] = {{1, 1, 11778, 27500, 1}, {2, 1, 12188, 27500, 0}, {1, 2, 12015, 27500, 0}, {255, 1, 0, 0, 0}};
    for (int t = 0; t < 4; ++t) {
        SetInt(db, KindTransponder, t, "sat_id", tps[t].sat);
        SetInt(db, KindTransponder, t, "tp_id", tps[t].tp);
        if (tps[t].sat != 255) {
            SetInt(db, KindTransponder, t, "frq", tps[t].frq);
            SetInt(db, KindTransponder, t, "sym", tps[t].sym);
            SetInt(db, KindTransponder, t, "pol", tps[t].pol);
        }
    }
    SetInt(db, KindTransponder, 3, "dvbt_frq", 474000);
    SetInt(db, KindTransponder, 3, "bandwidth", 8);
    // Programs 0, 1 on t0; 2, 3 on t1; 4, 5 on t2; 6, 7 on t3.
    const uint32_t programSat[] = {1, 1, 2, 2, 1, 1, 255, 255};
    const uint32_t programTp[] = {1, 1, 1, 1, 2, 2, 1, 1};
    for (int p = 0; p < db.Count(KindProgram); ++p) {
        if (!db.IsUsed(KindProgram, p))
            continue;
        SetInt(db, KindProgram, p, "sat_id", programSat[p % 8]);
        SetInt(db, KindProgram, p, "tp_id", programTp[p % 8]);
    }
    SettingsProfileStore profile(QDir::temp().filePath(QStringLiteral("dravel-nav-test-generator.ini")));
    return DatabaseGenerator::WriteFile(db, path, profile);
}

// The tree as text, one line per item, indented by depth.
QStringList ChildTexts(QTreeWidgetItem *item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

int32_t IntOf(const CChannelDb &db, NodeKind kind, int node, const char *name)
{
    return GetNodeIntByName(db, kind, node, name, kPosition).value_or(-1);
}

struct Opened
{
    FrameFixture f;
    CNavigator *nav = nullptr;
    explicit Opened(bool crafted, GeneratorOptions options = {})
    {
        const QString path = f.Data(QStringLiteral("db.usd"));
        const bool written = crafted ? WriteCraftedDatabase(path) : GenerateDatabase(path, options);
        if (written && f.frame->OpenDatabaseFile(path))
            nav = f.frame->GetNavigator();
        if (!nav)
            qWarning() << "not opened:" << written << f.prompt.messages;
    }
    CChannelDb &Db() { return f.frame->Database(); }
    QTreeWidgetItem *Satellite(int i) { return nav->SatelliteFolderItem()->child(i); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(nav, Qt::Key(key), modifiers);
    }
};

// The control carrying this controlId property.
template <typename T>
T *ControlWithId(QWidget &dialog, int controlId)
{
    for (T *widget : dialog.findChildren<T *>()) {
        if (widget->property("controlId").toInt() == controlId)
            return widget;
    }
    return nullptr;
}

QSet<int> Enabled(CNavigator *nav, QTreeWidgetItem *item)
{
    QSet<int> ids;
    if (!nav->PreparePopupMenu(item))
        return {-1};
    for (QAction *action : nav->NavigatorActions()) {
        if (action->isEnabled())
            ids << action->data().toInt();
    }
    return ids;
}

} // namespace

class NavigatorCommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!BundledCacheBytes().isEmpty()); }
    void cleanup()
    {
        CSatelliteInfoDlg::SetTestScript({});
        CTpInfoDlg::SetTestScript({});
        CGroupRenameDlg::ClearNextAnswer();
        CFavoriteGroupEditDlg::SetTestScript({});
    }

    void exactLabelsOfTheTree()
    {
        Opened o(true);
        QVERIFY(o.nav);
        QTreeWidgetItem *a = o.Satellite(0);
        QTreeWidgetItem *b = o.Satellite(1);
        QTreeWidgetItem *t = o.Satellite(2);
        QCOMPARE(ChildTexts(a), QStringList({"[ 1 ]  TP_11778_V_27500", "[ 2 ]  TP_12015_H_27500"}));
        QCOMPARE(ChildTexts(b), QStringList({"[ 1 ]  TP_12188_H_27500"}));
        QCOMPARE(ChildTexts(t), QStringList({"[ 1 ]  TP_474000_8"}));
        QCOMPARE(CNavigator::NodeOf(a->child(1))->index, 2);
        QCOMPARE(CNavigator::NodeOf(a->child(1))->tpId, 2);
        QCOMPARE(CNavigator::NodeOf(t)->satId, 255);
        QCOMPARE(o.nav->topLevelItem(1)->text(0), QStringLiteral("Favorite Group"));
    }

    void menuEnableRules()
    {
        Opened o(true);
        QVERIFY(o.nav);
        using C = CNavigator;
        QCOMPARE(Enabled(o.nav, o.nav->SatelliteFolderItem()), QSet<int>({C::IdAdd}));
        QCOMPARE(Enabled(o.nav, o.Satellite(0)), QSet<int>({C::IdEdit, C::IdAdd, C::IdDelete, C::IdMoveDown}));
        QCOMPARE(Enabled(o.nav, o.Satellite(1)),
                 QSet<int>({C::IdEdit, C::IdAdd, C::IdDelete, C::IdMoveUp, C::IdMoveDown}));
        // The terrestrial satellite and its transponders offer only Edit.
        QCOMPARE(Enabled(o.nav, o.Satellite(2)), QSet<int>({C::IdEdit}));
        QCOMPARE(Enabled(o.nav, o.Satellite(2)->child(0)), QSet<int>({C::IdEdit}));
        QCOMPARE(Enabled(o.nav, o.Satellite(0)->child(0)), QSet<int>({C::IdEdit, C::IdDelete, C::IdMoveDown}));
        QCOMPARE(Enabled(o.nav, o.Satellite(0)->child(1)), QSet<int>({C::IdEdit, C::IdDelete, C::IdMoveUp}));
        QCOMPARE(Enabled(o.nav, o.Satellite(1)->child(0)), QSet<int>({C::IdEdit, C::IdDelete}));
        QCOMPARE(Enabled(o.nav, o.nav->AllServicesItem()), QSet<int>({-1}));
        QCOMPARE(Enabled(o.nav, o.nav->FavouriteRootItem()), QSet<int>({-1}));
        QCOMPARE(Enabled(o.nav, o.nav->FavouriteRootItem()->child(0)), QSet<int>({-1}));

        // The actions: ids, texts, shortcuts.
        const QStringList texts {"Edit                          Enter", "Add  Information     Insert",
                                 "Delete Information  Delete", "Move Up                  -",
                                 "Move Down             +"};
        const QList<QAction *> actions = o.nav->NavigatorActions();
        QCOMPARE(actions.size(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(actions[i]->data().toInt(), C::IdEdit + i);
            QCOMPARE(actions[i]->text(), texts[i]);
            QVERIFY(!actions[i]->shortcut().isEmpty());
        }
        QCOMPARE(actions[2]->shortcut(), QKeySequence(Qt::Key_Delete));
    }

    void rightButton()
    {
        Opened o(true);
        QVERIFY(o.nav);
        o.f.frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(o.f.frame.get()));
        o.nav->collapseAll();
        o.nav->expandItem(o.nav->AllServicesItem());
        o.nav->expandItem(o.nav->SatelliteFolderItem());
        o.nav->setCurrentItem(o.nav->AllServicesItem());
        // Below the last item: no menu, no selection change.
        const QPoint below(5, o.nav->viewport()->height() - 3);
        QVERIFY(!o.nav->itemAt(below));
        bool menuShown = false;
        auto closeMenu = [&] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                menuShown = qobject_cast<QMenu *>(popup) != nullptr;
                popup->close();
            }
        };
        QTimer::singleShot(200, closeMenu);
        QTest::mouseClick(o.nav->viewport(), Qt::RightButton, {}, below);
        QTest::qWait(300);
        QVERIFY(!menuShown);
        QCOMPARE(o.nav->currentItem(), o.nav->AllServicesItem());

        // On a satellite's label: it becomes selected and the menu shows.
        QTreeWidgetItem *satellite = o.Satellite(1);
        const QRect rect = o.nav->visualItemRect(satellite);
        QTimer::singleShot(200, closeMenu);
        QTest::mouseClick(o.nav->viewport(), Qt::RightButton, {}, QPoint(rect.left() + 3, rect.center().y()));
        QVERIFY(menuShown);
        QCOMPARE(o.nav->currentItem(), satellite);
        QVERIFY(SameNode(o.f.frame->GetChannelList()->CurrentNode(), *CNavigator::NodeOf(satellite)));
        // The keys keep their commands after the menu disabled some.
        for (QAction *action : o.nav->NavigatorActions())
            QVERIFY(action->isEnabled());
    }

    void deleteTransponderRenumbersAndUndoes()
    {
        GeneratorOptions options;
        options.satellites = 2;
        options.transponders = 12;
        options.programs = 120;
        Opened o(false, options);
        QVERIFY(o.nav);
        CChannelDb &db = o.Db();
        QTreeWidgetItem *satellite = o.Satellite(0);
        QVERIFY(satellite->childCount() >= 3);
        const QStringList before = TreeText(o.nav);
        const auto tpBefore = TableRecords(db, KindTransponder);
        const auto programsBefore = TableRecords(db, KindProgram);
        QStringList tails;
        for (int i = 1; i < satellite->childCount(); ++i)
            tails << satellite->child(i)->text(0).mid(satellite->child(i)->text(0).indexOf("TP"));

        QTreeWidgetItem *first = satellite->child(0);
        const NavNode node = *CNavigator::NodeOf(first);
        // Only the changed satellite's branch is built again: the other one keeps its items.
        // (A mark on an item survives only if the item does; a rebuilt one may reuse its address.)
        QVERIFY(o.Satellite(1)->childCount() > 0);
        const int mark = Qt::UserRole + 77;
        o.Satellite(1)->child(0)->setData(0, mark, 1);
        o.nav->setCurrentItem(first);
        const SlotList programs = CNavigator::NodeOf(first)->slots;
        QVERIFY(!programs.empty());

        // No: nothing happens.
        o.f.prompt.answers = {UserPrompt::No};
        o.Key(Qt::Key_Delete);
        QCOMPARE(o.f.prompt.questions.last(), QStringLiteral("Are you sure to delete \" %1 \"").arg(node.label));
        QCOMPARE(TreeText(o.nav), before);
        QVERIFY(!o.f.frame->IsModified());

        o.f.prompt.answers = {UserPrompt::Yes};
        o.Key(Qt::Key_Delete);
        satellite = o.Satellite(0);  // the tree was built again from the database
        QVERIFY(o.f.frame->IsModified());
        QVERIFY(!db.IsUsed(KindTransponder, node.index));
        for (int32_t slot : programs)
            QVERIFY(!db.IsUsed(KindProgram, slot));
        QCOMPARE(db.LiveCount(KindProgram), int(programsBefore.size()) - int(programs.size()));
        QCOMPARE(satellite->childCount(), tails.size());
        for (int i = 0; i < satellite->childCount(); ++i) {
            const QString expected = QStringLiteral("[ %1 ]  ").arg(i + 1) + tails[i];
            QCOMPARE(satellite->child(i)->text(0), expected);
            QCOMPARE(CNavigator::NodeOf(satellite->child(i))->label, expected);
        }
        // The next transponder is selected and shown.
        QCOMPARE(o.nav->currentItem(), satellite->child(0));
        QVERIFY(SameNode(o.f.frame->GetChannelList()->CurrentNode(), *CNavigator::NodeOf(satellite->child(0))));
        const QStringList after = TreeText(o.nav);
        QCOMPARE(o.Satellite(1)->child(0)->data(0, mark).toInt(), 1);
        // The updated branch is what a tree built from scratch shows.
        o.nav->RefreshFromDatabase();
        QCOMPARE(TreeText(o.nav), after);
        QCOMPARE(o.nav->GetSelectedNode()->tpId, CNavigator::NodeOf(o.Satellite(0)->child(0))->tpId);
        o.Satellite(1)->child(0)->setData(0, mark, 2);

        o.f.frame->UndoStack().undo();
        QCOMPARE(TableRecords(db, KindTransponder), tpBefore);
        QCOMPARE(TableRecords(db, KindProgram), programsBefore);
        QCOMPARE(TreeText(o.nav), before);
        QCOMPARE(o.Satellite(1)->child(0)->data(0, mark).toInt(), 2);
        QVERIFY(!o.f.frame->IsModified());
        // The selected transponder is selected again after the rebuild, and its list shown.
        const NavNode *selected = o.nav->GetSelectedNode();
        QVERIFY(selected);
        QCOMPARE(selected->kind, NavTransponder);
        QVERIFY(SameNode(o.f.frame->GetChannelList()->CurrentNode(), *selected));
        QCOMPARE(o.f.frame->GetChannelList()->RowCount(), int(selected->slots.size()));

        o.f.frame->UndoStack().redo();
        QCOMPARE(TreeText(o.nav), after);
        QVERIFY(!db.IsUsed(KindTransponder, node.index));
    }

    void deleteSatelliteTakesItsTranspondersAndPrograms()
    {
        GeneratorOptions options;
        options.satellites = 3;
        options.transponders = 15;
        options.programs = 150;
        Opened o(false, options);
        QVERIFY(o.nav);
        CChannelDb &db = o.Db();
        const QStringList before = TreeText(o.nav);
        const auto satBefore = TableRecords(db, KindSatellite);
        const auto tpBefore = TableRecords(db, KindTransponder);
        const auto programsBefore = TableRecords(db, KindProgram);
        QTreeWidgetItem *satellite = o.Satellite(1);
        const int32_t satId = CNavigator::NodeOf(satellite)->satId;
        int ownTransponders = 0;
        int ownPrograms = 0;
        for (int i = 0; i < db.Count(KindTransponder); ++i)
            ownTransponders += IntOf(db, KindTransponder, i, "sat_id") == satId;
        for (int i = 0; i < db.Count(KindProgram); ++i)
            ownPrograms += IntOf(db, KindProgram, i, "sat_id") == satId;
        QVERIFY(ownTransponders > 0 && ownPrograms > 0);

        o.nav->setCurrentItem(satellite);
        o.f.prompt.answers = {UserPrompt::Yes};
        o.nav->Action(CNavigator::IdDelete)->trigger();
        QCOMPARE(o.nav->SatelliteFolderItem()->childCount(), 2);
        QCOMPARE(db.LiveCount(KindSatellite), int(satBefore.size()) - 1);
        QCOMPARE(db.LiveCount(KindTransponder), int(tpBefore.size()) - ownTransponders);
        QCOMPARE(db.LiveCount(KindProgram), int(programsBefore.size()) - ownPrograms);
        for (int i = 0; i < db.Count(KindProgram); ++i) {
            if (db.IsUsed(KindProgram, i))
                QVERIFY(IntOf(db, KindProgram, i, "sat_id") != satId);
        }
        QCOMPARE(o.nav->currentItem(), o.Satellite(1));  // the next satellite

        o.f.frame->UndoStack().undo();
        QCOMPARE(TableRecords(db, KindSatellite), satBefore);
        QCOMPARE(TableRecords(db, KindTransponder), tpBefore);
        QCOMPARE(TableRecords(db, KindProgram), programsBefore);
        QCOMPARE(TreeText(o.nav), before);
        o.f.frame->UndoStack().redo();
        QCOMPARE(db.LiveCount(KindProgram), int(programsBefore.size()) - ownPrograms);
        QCOMPARE(o.nav->SatelliteFolderItem()->childCount(), 2);
    }

    void deleteKeyOnTheTerrestrialSatellite()
    {
        Opened o(true);
        QVERIFY(o.nav);
        o.nav->setCurrentItem(o.Satellite(2)->child(0));
        o.f.prompt.answers = {UserPrompt::Yes};
        o.Key(Qt::Key_Delete);
        QVERIFY(!o.Db().IsUsed(KindTransponder, 3));
        QCOMPARE(o.Satellite(2)->childCount(), 0);
        QCOMPARE(o.nav->currentItem(), o.Satellite(2));
        // Only satellites and transponders are deleted, whatever asks.
        o.nav->setCurrentItem(o.nav->SatelliteFolderItem());
        o.f.prompt.answers = {UserPrompt::Yes};
        const int questions = o.f.prompt.questions.size();
        o.nav->Delete();
        QCOMPARE(o.f.prompt.questions.size(), questions);
        QCOMPARE(o.nav->SatelliteFolderItem()->childCount(), 3);
    }

    void moveDownOfTheFirstSatellite()
    {
        GeneratorOptions options;
        options.satellites = 3;
        options.transponders = 9;
        options.programs = 60;
        Opened o(false, options);
        QVERIFY(o.nav);
        CChannelDb &db = o.Db();
        const QStringList before = TreeText(o.nav);
        const QString name0 = o.Satellite(0)->text(0);
        const QString name1 = o.Satellite(1)->text(0);
        const QStringList tps0 = ChildTexts(o.Satellite(0));
        const QStringList tps1 = ChildTexts(o.Satellite(1));
        const int32_t movedId = CNavigator::NodeOf(o.Satellite(0))->satId;
        const auto sat0 = db.RecordBytes(KindSatellite, 0);
        const auto sat1 = db.RecordBytes(KindSatellite, 1);

        o.nav->setCurrentItem(o.Satellite(0));
        o.Key(Qt::Key_Plus);
        QCOMPARE(o.Satellite(0)->text(0), name1);
        QCOMPARE(o.Satellite(1)->text(0), name0);
        QCOMPARE(ChildTexts(o.Satellite(0)), tps1);
        QCOMPARE(ChildTexts(o.Satellite(1)), tps0);
        QCOMPARE(db.RecordBytes(KindSatellite, 0), sat1);
        QCOMPARE(db.RecordBytes(KindSatellite, 1), sat0);
        QCOMPARE(o.nav->currentItem(), o.Satellite(1));
        const NavNode *moved = o.nav->GetSelectedNode();
        QCOMPARE(moved->satId, movedId);
        QCOMPARE(moved->index, 1);
        QCOMPARE(CNavigator::NodeOf(o.Satellite(1)->child(0))->parent, moved);
        QVERIFY(o.f.frame->IsModified());
        // Minus on the first and plus on the last do nothing.
        o.nav->setCurrentItem(o.Satellite(2));
        o.Key(Qt::Key_Equal);
        QCOMPARE(o.f.frame->UndoStack().count(), 1);

        // The saved file has the new order.
        const QString saved = o.f.Data(QStringLiteral("moved.usd"));
        QVERIFY(QFile::copy(o.f.frame->CurrentPath(), saved));
        QVERIFY(o.f.frame->SaveDatabaseFile(saved));
        QVERIFY(o.f.frame->OpenDatabaseFile(saved));
        QCOMPARE(o.f.frame->GetNavigator()->SatelliteFolderItem()->child(0)->text(0), name1);
        QCOMPARE(o.f.frame->GetNavigator()->SatelliteFolderItem()->child(1)->text(0), name0);
    }

    void moveUpOfATransponderThenEdit()
    {
        Opened o(true);
        QVERIFY(o.nav);
        CChannelDb &db = o.Db();
        QTreeWidgetItem *a = o.Satellite(0);
        o.nav->setCurrentItem(a->child(1));
        const auto t0 = db.RecordBytes(KindTransponder, 0);
        const auto t2 = db.RecordBytes(KindTransponder, 2);
        o.Key(Qt::Key_Minus);
        a = o.Satellite(0);  // every edit builds the tree again
        QCOMPARE(ChildTexts(a), QStringList({"[ 1 ]  TP_12015_H_27500", "[ 2 ]  TP_11778_V_27500"}));
        QCOMPARE(o.nav->currentItem(), a->child(0));
        QCOMPARE(o.nav->GetSelectedNode()->tpId, 2);
        QCOMPARE(o.nav->GetSelectedNode()->index, 0);
        QCOMPARE(db.RecordBytes(KindTransponder, 0), t2);
        QCOMPARE(db.RecordBytes(KindTransponder, 2), t0);
        // The list shows the moved transponder's programs (4 and 5).
        QCOMPARE(o.f.frame->GetChannelList()->RowCount(), 2);

        // Editing it keeps its ordinal 1.
        CTpInfoDlg::SetTestScript([](CTpInfoDlg &d) {
            d.FrequencyEdit()->setText(QStringLiteral("12100"));
            d.accept();
        });
        o.Key(Qt::Key_Return);
        a = o.Satellite(0);
        QCOMPARE(a->child(0)->text(0), QStringLiteral("[ 1 ]  TP_12100_H_27500"));
        QCOMPARE(IntOf(db, KindTransponder, 0, "frq"), 12100);

        // Undo the edit, then the move: the tree follows the database each time.
        o.f.frame->UndoStack().undo();
        QCOMPARE(ChildTexts(o.Satellite(0)), QStringList({"[ 1 ]  TP_12015_H_27500", "[ 2 ]  TP_11778_V_27500"}));
        o.f.frame->UndoStack().undo();
        QCOMPARE(ChildTexts(o.Satellite(0)), QStringList({"[ 1 ]  TP_11778_V_27500", "[ 2 ]  TP_12015_H_27500"}));
        QCOMPARE(db.RecordBytes(KindTransponder, 0), t0);
        // The moved transponder (tp_id 2) stays selected, at its old place, its branch open.
        QCOMPARE(o.nav->currentItem(), o.Satellite(0)->child(1));
        QVERIFY(o.Satellite(0)->isExpanded());
        QVERIFY(!o.f.frame->IsModified());
        o.f.frame->UndoStack().redo();
        QCOMPARE(o.nav->currentItem(), o.Satellite(0)->child(0));
        QCOMPARE(o.nav->GetSelectedNode()->tpId, 2);
    }

    void addSatelliteAndTransponder()
    {
        Opened o(true);
        QVERIFY(o.nav);
        CChannelDb &db = o.Db();
        const int satellites = db.LiveCount(KindSatellite);

        // Cancel: nothing is made.
        o.nav->setCurrentItem(o.nav->SatelliteFolderItem());
        CSatelliteInfoDlg::SetTestScript([](CSatelliteInfoDlg &d) { d.reject(); });
        o.Key(Qt::Key_Insert);
        QCOMPARE(db.LiveCount(KindSatellite), satellites);
        QCOMPARE(o.nav->SatelliteFolderItem()->childCount(), 3);

        CSatelliteInfoDlg::SetTestScript([](CSatelliteInfoDlg &d) {
            ControlWithId<QLineEdit>(d, 1035)->setText(QStringLiteral("Nilesat"));
            d.accept();
        });
        o.nav->Action(CNavigator::IdAdd)->trigger();
        QCOMPARE(db.LiveCount(KindSatellite), satellites + 1);
        QCOMPARE(o.nav->SatelliteFolderItem()->childCount(), 4);
        QTreeWidgetItem *added = o.Satellite(3);
        QCOMPARE(added->text(0), QStringLiteral("Nilesat"));
        QCOMPARE(CNavigator::NodeOf(added)->kind, NavSatellite);
        QCOMPARE(o.nav->currentItem(), o.nav->SatelliteFolderItem());  // not selected

        o.nav->setCurrentItem(added);
        CTpInfoDlg::SetTestScript([](CTpInfoDlg &d) {
            d.FrequencyEdit()->setText(QStringLiteral("11996"));
            d.PolarizationCombo()->setCurrentIndex(1);
            d.SecondValueEdit()->setText(QStringLiteral("27500"));
            d.accept();
        });
        o.Key(Qt::Key_Insert);
        added = o.Satellite(3);
        QCOMPARE(ChildTexts(added), QStringList({"[ 1 ]  TP_11996_V_27500"}));
        const NavNode *tp = CNavigator::NodeOf(added->child(0));
        QCOMPARE(tp->parent, CNavigator::NodeOf(added));
        QCOMPARE(IntOf(db, KindTransponder, tp->index, "sat_id"), CNavigator::NodeOf(added)->satId);

        // Undoing the transponder and the satellite rebuilds the tree without them.
        o.f.frame->UndoStack().undo();
        QCOMPARE(o.Satellite(3)->childCount(), 0);
        QCOMPARE(o.nav->currentItem(), o.Satellite(3));
        o.f.frame->UndoStack().undo();
        QCOMPARE(o.nav->SatelliteFolderItem()->childCount(), 3);
        QCOMPARE(db.LiveCount(KindSatellite), satellites);
        QCOMPARE(o.nav->currentItem(), o.nav->SatelliteFolderItem());  // the satellite's parent
        QVERIFY(SameNode(o.f.frame->GetChannelList()->CurrentNode(), *CNavigator::NodeOf(o.nav->SatelliteFolderItem())));
        o.f.frame->UndoStack().redo();
        o.f.frame->UndoStack().redo();
        QCOMPARE(ChildTexts(o.Satellite(3)), QStringList({"[ 1 ]  TP_11996_V_27500"}));
    }

    // The menu bar's Channel menu follows the pop-up menus' rules for the selected row, and shows
    // each command's key once.
    void channelMenuOfTheMenuBar()
    {
        Opened o(false);
        QVERIFY(o.nav);
        CZanEditorView *list = o.f.frame->GetChannelList();
        auto *menu = o.f.frame->menuBar()->findChild<QMenu *>(QStringLiteral("channelMenu"));
        QVERIFY(menu);
        auto entry = [menu](int id) -> QAction * {
            for (QAction *action : menu->actions()) {
                if (action->property("commandId").toInt() == id)
                    return action;
            }
            return nullptr;
        };
        auto show = [menu] { QMetaObject::invokeMethod(menu, "aboutToShow"); };
        o.nav->setCurrentItem(o.nav->AllServicesItem());
        QVERIFY(list->RowCount() > 2);
        list->SelectChannelRow(0);
        show();
        QVERIFY(!entry(CZanEditorView::IdMoveUp)->isEnabled());
        QVERIFY(entry(CZanEditorView::IdMoveDown)->isEnabled());
        QVERIFY(!entry(CZanEditorView::IdInsertChannel)->isEnabled());  // not under "All Services"
        QVERIFY(!entry(CZanEditorView::IdRemoveItem)->isEnabled());    // a group's command
        list->Table()->clearSelection();
        list->SelectChannelRow(list->RowCount() - 1);
        show();
        QVERIFY(entry(CZanEditorView::IdMoveUp)->isEnabled());
        QVERIFY(!entry(CZanEditorView::IdMoveDown)->isEnabled());
        // Under a transponder a channel can be inserted; the entry runs the list's command.
        o.nav->setCurrentItem(o.Satellite(0)->child(0));
        show();
        QVERIFY(entry(CZanEditorView::IdInsertChannel)->isEnabled());
        QVERIFY(!entry(CZanEditorView::IdEditChannel)->isEnabled());  // no row selected
        // One key each: "Edit Channel", a tab, "Enter"; Qt adds no second one after a tab.
        for (QAction *action : menu->actions()) {
            if (action->isSeparator())
                continue;
            QVERIFY2(!action->text().contains(QStringLiteral("  ")), qPrintable(action->text()));
            QVERIFY(action->shortcut().isEmpty());
        }
        QCOMPARE(entry(CZanEditorView::IdEditChannel)->text(), QStringLiteral("Edit Channel\tEnter"));
        // The pop-up menu keeps its own texts.
        QCOMPARE(list->Action(CZanEditorView::IdEditChannel)->text(), QStringLiteral("Edit Channel          Enter"));
    }

    void enterOnAGroupRenamesIt()
    {
        Opened o(true);
        QVERIFY(o.nav);
        QTreeWidgetItem *group = o.nav->FavouriteRootItem()->child(2);
        o.nav->setCurrentItem(group);
        CGroupRenameDlg::SetNextAnswer(QStringLiteral("Sport"));
        o.Key(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(group->text(0), QStringLiteral("Sport"));
        QCOMPARE(o.Db().Favourites()->names[2], std::string("Sport"));
        QVERIFY(o.f.frame->IsModified());
        // Enter on "All Services" does nothing.
        o.nav->setCurrentItem(o.nav->AllServicesItem());
        o.Key(Qt::Key_Return);
        QCOMPARE(o.f.frame->UndoStack().count(), 1);
    }

    // The frame opens "Favorite Group Edit" for the list's Edit Group; the list shows the group's
    // members after OK, after undo and after redo.
    void editGroupThroughTheList()
    {
        Opened o(true);
        QVERIFY(o.nav);
        CChannelDb &db = o.Db();
        CZanEditorView *list = o.f.frame->GetChannelList();
        QTreeWidgetItem *groupItem = o.nav->FavouriteRootItem()->child(31);
        o.nav->setCurrentItem(groupItem);
        const int before = list->RowCount();
        const int members = int(CollectGroupMembers(db, 32)->size());
        QCOMPARE(before, members);
        int added = -1;
        CFavoriteGroupEditDlg::SetTestScript([&](CFavoriteGroupEditDlg &d) {
            // The first row that is not yet a member.
            for (int row = 0; row < d.List()->topLevelItemCount(); ++row) {
                if (!FavoriteGroupEditForm::IsMemberText(d.List()->topLevelItem(row)->text(1))) {
                    added = row;
                    break;
                }
            }
            d.List()->clearSelection();
            if (added >= 0)
                d.List()->topLevelItem(added)->setSelected(true);
            d.AddButton()->click();
            d.accept();
        });
        list->EditGroup();
        QVERIFY(added >= 0);
        QCOMPARE(list->RowCount(), members + 1);
        QCOMPARE(int(CollectGroupMembers(db, 32)->size()), members + 1);
        QVERIFY(o.f.frame->IsModified());
        o.f.frame->UndoStack().undo();
        QCOMPARE(list->RowCount(), members);
        QCOMPARE(int(CollectGroupMembers(db, 32)->size()), members);
        o.f.frame->UndoStack().redo();
        QCOMPARE(list->RowCount(), members + 1);
    }
};

QTEST_MAIN(NavigatorCommandsTest)
#include "NavigatorCommandsTest.moc"
