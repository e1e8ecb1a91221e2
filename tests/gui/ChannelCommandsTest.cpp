// The channel list's favourite-group commands, pop-up menus 138 and 156, keys, double click,
// the dialog hooks and the two prompts ("Swich", "Group Rename").
#include "ChannelListFixture.h"

#include "views/CAnotherIndexDlg.h"
#include "views/CGroupRenameDlg.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

class ChannelCommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup()
    {
        CAnotherIndexDlg::ClearNextAnswer();
        CGroupRenameDlg::ClearNextAnswer();
    }

    void ActionsCarryIdsTextsAndKeys();
    void RemoveItemTakesProgramsOutOfTheGroupOnly();
    void DeleteKeyInAGroupDeletesFromTheDatabase();
    void RenameGroupCutsToTheNameWidth();
    void RenameGroupNeedsAGroupNode();
    void EditGroupRefillsAfterOk();
    void ProgramMenuEnableRules();
    void GroupMenuAndNodesWithoutMenu();
    void KeysFollowTheNodeKind();
    void EditAndInsertCallTheirHooks();
    void IndexPromptRefusesNonIntegers();
    void GroupRenameRefusesAnEmptyName();

private:
    // An item view takes a double click as the second press on the item it saw pressed first.
    static void DoubleClick(QTableView *table, const QPoint &pos)
    {
        QTest::mousePress(table->viewport(), Qt::LeftButton, Qt::NoModifier, pos);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, pos);
    }
    static QPoint RowPoint(ListFixture &f, int row)
    {
        return f.view->Table()->visualRect(f.view->Model()->index(row, 1)).center();
    }
};

void ChannelCommandsTest::ActionsCarryIdsTextsAndKeys()
{
    ListFixture f;
    QVERIFY(f.ok);
    const QList<QAction *> channel = f.view->ChannelActions();
    QCOMPARE(channel.size(), 7);
    const std::vector<std::pair<int, QString>> expected{
        {32784, QStringLiteral("Edit Channel          Enter")}, {32785, QStringLiteral("Move Up                 -")},
        {32786, QStringLiteral("Move Down            +")},       {32787, QStringLiteral("Move Channel")},
        {32788, QStringLiteral("Switch Channel")},               {32789, QStringLiteral("Insert Channel       Insert")},
        {32790, QStringLiteral("Delete Channel      Delete")}};
    for (size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(channel[qsizetype(i)]->data().toInt(), expected[i].first);
        QCOMPARE(channel[qsizetype(i)]->text(), expected[i].second);
    }
    QVERIFY(f.view->Action(32784)->shortcuts().contains(QKeySequence(Qt::Key_Return)));
    QVERIFY(f.view->Action(32785)->shortcuts().contains(QKeySequence(Qt::Key_Minus)));
    QVERIFY(f.view->Action(32786)->shortcuts().contains(QKeySequence(Qt::Key_Plus)));
    QVERIFY(f.view->Action(32786)->shortcuts().contains(QKeySequence(Qt::Key_Equal)));
    QCOMPARE(f.view->Action(32789)->shortcut(), QKeySequence(Qt::Key_Insert));
    QCOMPARE(f.view->Action(32790)->shortcut(), QKeySequence(Qt::Key_Delete));
    const QList<QAction *> group = f.view->GroupActions();
    QCOMPARE(group.size(), 3);
    QCOMPARE(group[0]->text(), QStringLiteral("Edit Group"));
    QCOMPARE(group[0]->data().toInt(), 32794);
    QCOMPARE(group[1]->text(), QStringLiteral("Remove Item"));
    QCOMPARE(group[1]->data().toInt(), 32796);
    QCOMPARE(group[2]->text(), QStringLiteral("Rename Group"));
    QCOMPARE(group[2]->data().toInt(), 32800);
}

void ChannelCommandsTest::RemoveItemTakesProgramsOutOfTheGroupOnly()
{
    ListFixture f(200);
    QVERIFY(f.ok);
    f.Show(f.group);
    QVERIFY2(f.view->RowCount() >= 3, "group 3 of the generated database needs members");
    const int groupRows = f.view->RowCount();
    const int live = f.Db().LiveCount(KindProgram);
    const int slot0 = f.group.slots[size_t(f.view->Record(0)->index)];
    const int slot2 = f.group.slots[size_t(f.view->Record(2)->index)];
    const uint32_t before0 = uint32_t(*GetNodeIntByName(f.Db(), KindProgram, slot0, "Favorite Group", DeclarationOrder));
    f.SelectRows({0, 2});
    f.view->RemoveItem();
    QCOMPARE(f.view->RowCount(), groupRows - 2);
    QCOMPARE(f.Db().LiveCount(KindProgram), live);
    const uint32_t after0 = uint32_t(*GetNodeIntByName(f.Db(), KindProgram, slot0, "Favorite Group", DeclarationOrder));
    QCOMPARE(after0, before0 & ~(1u << 2));
    QCOMPARE(*GetNodeIntByName(f.Db(), KindProgram, slot2, "Favorite Group", DeclarationOrder) & (1 << 2), 0);
    QCOMPARE(f.context.stack.undoText(), QStringLiteral("Remove Item"));

    // In the saved file the programs are still there, out of the group.
    QCOMPARE(int(f.SavedOrder().size()), live);
    const QByteArray edited = f.Save();
    f.context.stack.undo();
    QCOMPARE(f.view->RowCount(), groupRows);
    QVERIFY(f.UndoRedoRoundTrip(edited));
    QCOMPARE(f.view->RowCount(), groupRows - 2);

    // Without a selection nothing changes and nothing is pushed.
    f.view->Table()->clearSelection();
    f.view->RemoveItem();
    QCOMPARE(f.context.stack.count(), 1);
}

void ChannelCommandsTest::DeleteKeyInAGroupDeletesFromTheDatabase()
{
    ListFixture f(200);
    QVERIFY(f.ok);
    f.Show(f.group);
    const int live = f.Db().LiveCount(KindProgram);
    const int groupRows = f.view->RowCount();
    QVERIFY(groupRows >= 2);
    const std::string key = f.RowKey(1);
    QVERIFY(f.ShowActive());
    f.SelectRows({1});
    QTest::keyClick(f.view->Table(), Qt::Key_Delete);
    QCOMPARE(f.view->RowCount(), groupRows - 1);
    QCOMPARE(f.Db().LiveCount(KindProgram), live - 1);
    const std::vector<std::string> saved = f.SavedOrder();
    QVERIFY(std::find(saved.begin(), saved.end(), key) == saved.end());
    QCOMPARE(f.view->SelectedRows(), std::vector<int>{0});
    QVERIFY(f.UndoRedoRoundTrip(f.Save()));
}

void ChannelCommandsTest::RenameGroupCutsToTheNameWidth()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.group);
    FavouriteRecord *favourites = f.Db().Favourites();
    QVERIFY(favourites);
    QCOMPARE(int(favourites->nameLength), 18);
    const std::string oldName = favourites->names[2];

    // 16 ASCII bytes then a two-byte character: 18 bytes, cut to 16, not into the character.
    CGroupRenameDlg::SetNextAnswer(QStringLiteral("Sixteen letters!\u00e9 and more"));
    f.view->RenameGroup();
    QCOMPARE(CGroupRenameDlg::LastShownName().toStdString(), oldName);
    QCOMPARE(favourites->names[2], std::string("Sixteen letters!"));
    QCOMPARE(QString::fromStdString(f.Db().Favourites()->names[2]), QStringLiteral("Sixteen letters!"));
    QCOMPARE(f.view->FavouriteNames()[2].name, std::string("Sixteen letters!"));
    const QByteArray first = f.Save();
    QVERIFY(first != f.original);

    CGroupRenameDlg::SetNextAnswer(QStringLiteral("A name far longer than seventeen"));
    f.view->RenameGroup();
    QCOMPARE(favourites->names[2], std::string("A name far longer"));
    QCOMPARE(f.context.stack.count(), 2);
    const QByteArray edited = f.Save();

    f.context.stack.undo();
    QCOMPARE(QString::fromStdString(f.Db().Favourites()->names[2]), QStringLiteral("Sixteen letters!"));
    QCOMPARE(f.Save(), first);
    QVERIFY(f.UndoRedoRoundTrip(edited));
    QCOMPARE(QString::fromStdString(f.Db().Favourites()->names[2]), QStringLiteral("A name far longer"));

    // Cancel and the unchanged name leave the stack alone.
    CGroupRenameDlg::SetNextAnswer(std::nullopt);
    f.view->RenameGroup();
    CGroupRenameDlg::SetNextAnswer(QStringLiteral("A name far longer"));
    f.view->RenameGroup();
    QCOMPARE(f.context.stack.count(), 2);
}

void ChannelCommandsTest::RenameGroupNeedsAGroupNode()
{
    ListFixture f;
    QVERIFY(f.ok);
    for (NavNode *node : {&f.all, &f.satellite, &f.transponder, &f.favourites}) {
        f.Show(*node);
        CGroupRenameDlg::SetNextAnswer(QStringLiteral("x"));
        f.view->RenameGroup();
        QVERIFY(CGroupRenameDlg::AnswerPending());
    }
    f.context.selected = nullptr;
    f.view->RenameGroup();
    QVERIFY(CGroupRenameDlg::AnswerPending());
    f.Show(f.group);
    f.Db().SetFavourites(nullptr);
    f.view->RenameGroup();
    QVERIFY(CGroupRenameDlg::AnswerPending());
    QCOMPARE(f.context.stack.count(), 0);
}

void ChannelCommandsTest::EditGroupRefillsAfterOk()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.Show(f.group);
    const int before = f.view->RowCount();
    int calls = 0;
    bool answer = false;
    const int field = FindNodeField(f.Db(), KindProgram, "Favorite Group", DeclarationOrder);
    const int outsider = [&] {
        for (int slot : f.all.slots) {
            if ((*GetNodeIntByName(f.Db(), KindProgram, slot, "Favorite Group", DeclarationOrder) & (1 << 2)) == 0)
                return slot;
        }
        return -1;
    }();
    QVERIFY(outsider >= 0);
    f.view->SetEditGroupHook([&](NavNode &node, int group) {
        ++calls;
        // The dialog adds a program to the group.
        if (!SameNode(&node, f.group) || group != 3 || !answer)
            return false;
        std::vector<RecordedWrite> writes {{KindProgram, outsider, false, f.Db().RecordBytes(KindProgram, outsider)}};
        f.Db().SetNodeInt(KindProgram, outsider, field, 1u << 2, DeclarationOrder);
        return PushRecordedEdit(f.context.document, QStringLiteral("Edit Group"), writes);
    });
    f.view->EditGroup();
    QCOMPARE(calls, 1);
    QCOMPARE(f.view->RowCount(), before);  // Cancel: no refill
    answer = true;
    f.view->EditGroup();
    QCOMPARE(f.view->RowCount(), before + 1);
    f.Show(f.satellite);
    f.view->EditGroup();
    QCOMPARE(calls, 2);  // only a group node has a group to edit
}

void ChannelCommandsTest::ProgramMenuEnableRules()
{
    ListFixture f;
    QVERIFY(f.ok);
    f.view->show();
    const auto enabled = [&](int id) { return f.view->Action(id)->isEnabled(); };
    f.Show(f.transponder);
    const int rows = f.view->RowCount();
    QVERIFY(rows >= 3);

    f.SelectRows({0});
    QMenu *menu = f.view->PreparePopupMenu(RowPoint(f, 0));
    QVERIFY(menu);
    QCOMPARE(menu->property("controlId").toInt(), 138);
    QVERIFY(!enabled(32785));
    QVERIFY(enabled(32786) && enabled(32784) && enabled(32787) && enabled(32788) && enabled(32789) && enabled(32790));

    f.SelectRows({rows - 1});
    f.view->PreparePopupMenu(RowPoint(f, rows - 1));
    QVERIFY(enabled(32785) && !enabled(32786));

    // A click beside the rows, or no selection: only Insert Channel stays.
    f.view->Table()->clearSelection();
    f.view->PreparePopupMenu(RowPoint(f, 0));
    for (int id : {32784, 32785, 32786, 32787, 32788, 32790})
        QVERIFY(!enabled(id));
    QVERIFY(enabled(32789));
    f.SelectRows({1});
    f.view->PreparePopupMenu(QPoint(5, f.view->Table()->viewport()->height() - 2));
    QVERIFY(!enabled(32784) && !enabled(32790) && enabled(32789));

    // All Services and a satellite take no insertion.
    for (NavNode *node : {&f.all, &f.satellite}) {
        f.Show(*node);
        f.SelectRows({1});
        QCOMPARE(f.view->PreparePopupMenu(RowPoint(f, 1)), menu);
        QVERIFY(!enabled(32789) && enabled(32785) && enabled(32786) && enabled(32790));
    }

    // The only row: it can neither move to nor switch with another.
    NavNode single;
    single.kind = NavTransponder;
    single.slots = {f.all.slots[0]};
    f.Show(single);
    f.SelectRows({0});
    f.view->PreparePopupMenu(RowPoint(f, 0));
    for (int id : {32785, 32786, 32787, 32788})
        QVERIFY(!enabled(id));
    QVERIFY(enabled(32784) && enabled(32790) && enabled(32789));
}

void ChannelCommandsTest::GroupMenuAndNodesWithoutMenu()
{
    ListFixture f(200);
    QVERIFY(f.ok);
    f.view->show();
    f.Show(f.group);
    QVERIFY(f.view->RowCount() > 0);
    QMenu *menu = f.view->PreparePopupMenu(RowPoint(f, 0));
    QVERIFY(menu);
    QCOMPARE(menu->property("controlId").toInt(), 156);
    QVERIFY(!f.view->Action(32796)->isEnabled());
    QVERIFY(f.view->Action(32794)->isEnabled() && f.view->Action(32800)->isEnabled());
    f.SelectRows({0});
    f.view->PreparePopupMenu(RowPoint(f, 0));
    QVERIFY(f.view->Action(32796)->isEnabled());

    f.Show(f.favourites);
    QVERIFY(!f.view->PreparePopupMenu(RowPoint(f, 0)));
    NavNode folder;
    folder.kind = NavSatelliteFolder;
    f.Show(folder);
    QVERIFY(!f.view->PreparePopupMenu(QPoint(5, 5)));
    f.context.selected = nullptr;
    QVERIFY(!f.view->PreparePopupMenu(QPoint(5, 5)));
}

void ChannelCommandsTest::KeysFollowTheNodeKind()
{
    ListFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.ShowActive());
    QTableView *table = f.view->Table();
    int inserts = 0;
    f.view->SetInsertChannelHook([&](NavNode &, int) { ++inserts; return false; });

    f.Show(f.transponder);
    const std::string second = f.RowKey(1);
    f.SelectRows({1});
    QTest::keyClick(table, Qt::Key_Minus);
    QCOMPARE(f.RowKey(0), second);
    QTest::keyClick(table, Qt::Key_Minus, Qt::KeypadModifier);  // row 0: nothing
    QCOMPARE(f.context.stack.count(), 1);
    QTest::keyClick(table, Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(f.RowKey(1), second);
    QTest::keyClick(table, Qt::Key_Equal);
    QCOMPARE(f.RowKey(2), second);
    QCOMPARE(f.context.stack.count(), 3);
    QTest::keyClick(table, Qt::Key_Insert);
    QCOMPARE(inserts, 1);

    // A satellite: Insert is ignored; without a navigator node every key is.
    f.Show(f.satellite);
    f.SelectRows({0});
    QTest::keyClick(table, Qt::Key_Insert);
    QCOMPARE(inserts, 1);
    f.context.selected = nullptr;
    QTest::keyClick(table, Qt::Key_Plus);
    QTest::keyClick(table, Qt::Key_Delete);
    QCOMPARE(f.context.stack.count(), 3);
    QVERIFY(!f.view->KeyAllowed(Qt::Key_Delete, Qt::NoModifier));

    // An empty transponder list ignores the keys too.
    NavNode empty;
    empty.kind = NavTransponder;
    f.Show(empty);
    QTest::keyClick(table, Qt::Key_Insert);
    QCOMPARE(inserts, 1);
    QVERIFY(!f.view->KeyAllowed(Qt::Key_Insert, Qt::NoModifier));
}

void ChannelCommandsTest::EditAndInsertCallTheirHooks()
{
    ListFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.ShowActive());
    QTableView *table = f.view->Table();
    std::vector<std::pair<NavNode *, int>> edits;
    std::vector<std::pair<NavNode *, int>> inserts;
    f.view->SetEditChannelHook([&](NavNode &node, int index) { edits.push_back({&node, index}); return true; });
    f.view->SetInsertChannelHook([&](NavNode &node, int index) { inserts.push_back({&node, index}); return true; });

    f.Show(f.transponder);
    f.SelectRows({2});
    QTest::keyClick(table, Qt::Key_Return);
    QCOMPARE(edits.size(), size_t(1));
    QVERIFY(SameNode(edits[0].first, f.transponder));
    QCOMPARE(edits[0].second, f.view->Record(2)->index);
    DoubleClick(table, RowPoint(f, 1));
    QCOMPARE(edits.size(), size_t(2));
    QCOMPARE(edits[1].second, f.view->Record(1)->index);

    // Insertion with no row selected goes after the last live entry.
    f.transponder.slots.push_back(-1);
    f.transponder.slots.push_back(-1);
    f.Show(f.transponder);
    f.view->InsertChannel();
    QCOMPARE(inserts.size(), size_t(1));
    QCOMPARE(inserts[0].second, f.transponder.SlotCount() - 2);
    f.SelectRows({1});
    f.view->InsertChannel();
    QCOMPARE(inserts[1].second, f.view->Record(1)->index);
    QCOMPARE(f.view->FirstSelectedRow(), 1);

    // No insertion in a satellite; no edit by double click in a group node.
    f.Show(f.satellite);
    f.view->InsertChannel();
    QCOMPARE(inserts.size(), size_t(2));
    f.Show(f.group);
    QVERIFY(f.view->RowCount() > 0);
    DoubleClick(table, RowPoint(f, 0));
    QCOMPARE(edits.size(), size_t(2));
}

void ChannelCommandsTest::IndexPromptRefusesNonIntegers()
{
    ScriptedPrompt prompt;
    CAnotherIndexDlg dialog(prompt);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Swich"));
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("indexEdit"));
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("okButton"));
    QVERIFY(edit && ok);
    QCOMPARE(edit->property("controlId").toInt(), 1021);
    QCOMPARE(edit->text(), QStringLiteral("0"));
    dialog.show();
    edit->setText(QStringLiteral("12a"));
    ok->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(prompt.messages, QStringList{QStringLiteral("Please enter an integer.")});
    edit->setText(QStringLiteral(" -7 "));
    ok->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Value(), -7);
    QCOMPARE(prompt.messages.size(), 1);
}

void ChannelCommandsTest::GroupRenameRefusesAnEmptyName()
{
    CGroupRenameDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Group Rename"));
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("nameEdit"));
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("okButton"));
    QVERIFY(edit && ok);
    QCOMPARE(edit->property("controlId").toInt(), 1068);
    dialog.SetName(QStringLiteral("Sports"));
    QCOMPARE(edit->text(), QStringLiteral("Sports"));
    dialog.show();
    edit->clear();
    ok->click();
    QVERIFY(dialog.isVisible());
    edit->setText(QStringLiteral("News"));
    ok->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Name(), QStringLiteral("News"));
}

QTEST_MAIN(ChannelCommandsTest)
#include "ChannelCommandsTest.moc"
