// The list tools in the main window: the Tools menu, and Find Duplicates from the groups it shows
// to the one undoable deletion.
#include "GuiTestSupport.h"
#include "DialogTestSupport.h"

#include "database/FavouriteGroups.h"
#include "database/DatabaseDump.h"
#include "lists/CDuplicatesDlg.h"
#include "lists/CReferenceOrderDlg.h"
#include "lists/DuplicateRows.h"
#include "lists/ReferenceOrderRows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>

#include <array>

using namespace GuiTest;

namespace {

int Field(const CChannelDb &db, const char *name)
{
    return db.Layouts().FindField(KindProgram, name, DeclarationOrder);
}

int32_t Int(const CChannelDb &db, int slot, const char *name)
{
    int32_t value = -1;
    db.GetNodeInt(KindProgram, slot, Field(db, name), value, 0, DeclarationOrder);
    return value;
}

// A generated database plus two copies of its second program (the same service on the same
// transponder under new program ids), the second copy free-to-air and in more groups.
struct DuplicateFile
{
    int original = -1;
    int copyA = -1;
    int copyB = -1;
};

bool WriteDuplicateFile(const QString &path, DuplicateFile &out)
{
    LayoutSet layouts;
    ParseLayoutCache(BundledCacheBytes(), layouts);
    SilentPrompt silent(UserPrompt::Yes);
    CChannelDb db(layouts, silent);
    GeneratorOptions options;
    options.satellites = 2;
    options.transponders = 6;
    options.programs = 30;
    if (!DatabaseGenerator(layouts).Generate(db, options))
        return false;
    std::vector<int> live;
    for (int slot = 0; slot < db.Count(KindProgram); ++slot) {
        if (db.IsUsed(KindProgram, slot))
            live.push_back(slot);
    }
    out.original = live[1];
    const int groups = Field(db, FavouriteGroups::kFieldName);
    const int scramble = Field(db, "Scramble");
    db.SetNodeInt(KindProgram, out.original, groups, FavouriteGroups::Bit(1), DeclarationOrder);
    db.SetNodeInt(KindProgram, out.original, scramble, 1, DeclarationOrder);
    auto copy = [&](uint32_t bits, uint32_t scrambled) {
        const int slot = db.AllocateNode(KindProgram);
        db.SetRecordBytes(KindProgram, slot, db.RecordBytes(KindProgram, out.original));
        db.SetNodeInt(KindProgram, slot, Field(db, "prog_id"),
                      uint32_t(db.FindFreeId(KindProgram, Int(db, out.original, "sat_id"),
                                             Int(db, out.original, "tp_id"))),
                      DeclarationOrder);
        db.SetNodeInt(KindProgram, slot, groups, bits, DeclarationOrder);
        db.SetNodeInt(KindProgram, slot, scramble, scrambled, DeclarationOrder);
        return slot;
    };
    out.copyA = copy(FavouriteGroups::Bit(2), 1);
    out.copyB = copy(FavouriteGroups::Bit(2) | FavouriteGroups::Bit(5), 0);
    SettingsProfileStore profile(QDir::temp().filePath(QStringLiteral("dravel-gui-test-generator.ini")));
    return DatabaseGenerator::WriteFile(db, path, profile);
}

// The group of the dialog whose members include `slot`, or null.
QTreeWidgetItem *GroupOf(CDuplicatesDlg &dialog, int slot)
{
    for (size_t g = 0; g < dialog.Groups().size(); ++g) {
        for (const DuplicateMember &m : dialog.Groups()[g].members) {
            if (m.program.slot == slot)
                return dialog.GroupTree()->topLevelItem(int(g));
        }
    }
    return nullptr;
}

using Key = std::array<int32_t, 3>;

std::vector<Key> LiveKeys(const CChannelDb &db)
{
    std::vector<Key> keys;
    for (int slot = 0; slot < db.Count(KindProgram); ++slot) {
        if (db.IsUsed(KindProgram, slot))
            keys.push_back({Int(db, slot, "sat_id"), Int(db, slot, "tp_id"), Int(db, slot, "prog_id")});
    }
    return keys;
}

// Our database, and as the reference its JSON dump with the programs backwards, the first one
// left out and the last one in favourite group 9 only.
struct ReferenceFiles
{
    std::vector<Key> ours;       // live programs in our order
    std::vector<int32_t> liveSlots;
};

bool WriteReferenceFiles(const QString &ourPath, const QString &referencePath, ReferenceFiles &out)
{
    LayoutSet layouts;
    ParseLayoutCache(BundledCacheBytes(), layouts);
    SilentPrompt silent(UserPrompt::Yes);
    CChannelDb db(layouts, silent);
    GeneratorOptions options;
    options.satellites = 2;
    options.transponders = 6;
    options.programs = 12;
    if (!DatabaseGenerator(layouts).Generate(db, options))
        return false;
    SettingsProfileStore profile(QDir::temp().filePath(QStringLiteral("dravel-gui-test-generator.ini")));
    if (!DatabaseGenerator::WriteFile(db, ourPath, profile))
        return false;
    out.ours = LiveKeys(db);
    for (int slot = 0; slot < db.Count(KindProgram); ++slot) {
        if (db.IsUsed(KindProgram, slot))
            out.liveSlots.push_back(slot);
    }
    db.SetNodeInt(KindProgram, out.liveSlots.back(), Field(db, FavouriteGroups::kFieldName), FavouriteGroups::Bit(9),
                  DeclarationOrder);
    std::vector<int32_t> reversed(out.liveSlots.rbegin(), out.liveSlots.rend() - 1);
    return WriteFileBytes(referencePath, DatabaseDump(db).Json(&reversed).toJson());
}

} // namespace

class ListToolsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        CDuplicatesDlg::SetTestScript({});
        CReferenceOrderDlg::SetTestScript({});
    }

    void memberTextsShowWhatTellsDuplicatesApart()
    {
        DuplicateMember member;
        member.program.slot = 7;
        member.program.key = ProgramKey{1, 3, 9};
        member.program.name = "News 24";
        member.program.videoPid = 512;
        member.program.audioPid = 650;
        member.program.pcrPid = 8190;
        member.program.scrambled = true;
        member.program.groups = FavouriteGroups::Bit(1) | FavouriteGroups::Bit(12);
        member.program.frequency = 11778;
        QStringList cells = DuplicateMemberTexts(member, 42, true);
        QCOMPARE(cells.size(), int(DuplicateColumn::Count));
        QCOMPARE(cells, QStringList({"keep", "42", "News 24", "sat 1 / tp 3 (11778 MHz)", "512/650/8190", "yes",
                                     "1, 12"}));
        member.program.groups = 0;
        member.program.scrambled = false;
        member.program.terrestrial = true;
        member.program.frequency = 498000;
        cells = DuplicateMemberTexts(member, 0, false);
        QCOMPARE(cells[int(DuplicateColumn::Keep)], QStringLiteral("delete"));
        QCOMPARE(cells[int(DuplicateColumn::Index)], QStringLiteral("slot 7"));
        QCOMPARE(cells[int(DuplicateColumn::Transponder)], QStringLiteral("sat 1 / tp 3 (498000 kHz)"));
        QCOMPARE(cells[int(DuplicateColumn::Groups)], QStringLiteral("-"));

        DuplicateGroup group;
        group.members = {member, member, member};
        QCOMPARE(DuplicateGroupTitle(group, 2), QStringLiteral("Group 2: same service id on one transponder, 3 programs"));
        QCOMPARE(DuplicateSummary({group, group}), QStringLiteral("2 groups; 4 programs would be deleted"));
        QCOMPARE(DuplicateSummary({}), QStringLiteral("No duplicates found."));
    }

    void toolsMenuHoldsTheCommandsOnlyForAnOpenFile()
    {
        FrameFixture f;
        auto *tools = f.frame->menuBar()->findChild<QMenu *>(QStringLiteral("toolsMenu"));
        QVERIFY(tools);
        QAction *duplicates = f.frame->Action(FrameCommand::ToolsFindDuplicates);
        QVERIFY(tools->actions().contains(duplicates));
        QVERIFY(!duplicates->shortcut().isEmpty());
        QVERIFY(!duplicates->isEnabled());
        QAction *order = f.frame->Action(FrameCommand::ToolsApplyOrder);
        QVERIFY(tools->actions().contains(order));
        QVERIFY(!order->shortcut().isEmpty());
        // No two commands of the whole window answer the same key (a pane's own keys are its own).
        QStringList keys;
        for (QAction *action : f.frame->findChildren<QAction *>()) {
            if (action->shortcutContext() == Qt::WidgetShortcut
                || action->shortcutContext() == Qt::WidgetWithChildrenShortcut)
                continue;
            for (const QKeySequence &key : action->shortcuts()) {
                QVERIFY2(!keys.contains(key.toString()), qPrintable(key.toString()));
                keys << key.toString();
            }
        }
        // Alt and a letter opens one menu only.
        QStringList mnemonics;
        for (QAction *menu : f.frame->menuBar()->actions()) {
            const QString text = menu->text();
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(text));
            const QString letter = text.mid(amp + 1, 1).toUpper();
            QVERIFY2(!mnemonics.contains(letter), qPrintable(text));
            mnemonics << letter;
        }
        DuplicateFile file;
        QVERIFY(WriteDuplicateFile(f.Data("d.usd"), file));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("d.usd")));
        QVERIFY(duplicates->isEnabled());
        QVERIFY(order->isEnabled());
    }

    void findDuplicatesShowsTheGroupsAndDeletesTheOthersAsOneStep()
    {
        FrameFixture f;
        DuplicateFile file;
        QVERIFY(WriteDuplicateFile(f.Data("d.usd"), file));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("d.usd")));
        ChannelDocument &document = f.frame->Document();
        const auto original = AllRecords(document.Database());

        bool ran = false;
        CDuplicatesDlg::SetTestScript([&](CDuplicatesDlg &dialog) {
            ran = true;
            QTreeWidgetItem *group = GroupOf(dialog, file.original);
            QVERIFY(group);
            QCOMPARE(group->childCount(), 3);
            QVERIFY(group->text(0).contains(QStringLiteral("same service id on one transponder")));
            // Channel order: the original first, then the copies; the first is kept by default.
            QCOMPARE(group->child(0)->text(int(DuplicateColumn::Keep)), QStringLiteral("keep"));
            QCOMPARE(group->child(0)->checkState(0), Qt::Checked);
            QCOMPARE(group->child(0)->text(int(DuplicateColumn::Index)), QStringLiteral("2"));
            QCOMPARE(group->child(0)->text(int(DuplicateColumn::Scrambled)), QStringLiteral("yes"));
            QCOMPARE(group->child(2)->text(int(DuplicateColumn::Groups)), QStringLiteral("2, 5"));
            QCOMPARE(group->child(1)->text(int(DuplicateColumn::Keep)), QStringLiteral("delete"));

            // Most groups keeps the second copy, and so does free-to-air.
            dialog.KeepRuleCombo()->setCurrentIndex(1);
            QCOMPARE(group->child(2)->checkState(0), Qt::Checked);
            QCOMPARE(group->child(0)->checkState(0), Qt::Unchecked);
            dialog.KeepRuleCombo()->setCurrentIndex(2);
            QCOMPARE(group->child(2)->text(0), QStringLiteral("keep"));

            // Override: tick the first copy; the tick moves, and clearing it puts it back.
            group->child(1)->setCheckState(0, Qt::Checked);
            QCOMPARE(group->child(1)->text(0), QStringLiteral("keep"));
            QCOMPARE(group->child(2)->checkState(0), Qt::Unchecked);
            group->child(1)->setCheckState(0, Qt::Unchecked);
            QCOMPARE(group->child(1)->checkState(0), Qt::Checked);
            // Keep Selected does the same from the keyboard.
            dialog.GroupTree()->setCurrentItem(group->child(2));
            dialog.KeepSelectedButton()->click();
            QCOMPARE(group->child(2)->text(0), QStringLiteral("keep"));
            QCOMPARE(group->child(1)->text(0), QStringLiteral("delete"));
            group->child(1)->setCheckState(0, Qt::Checked);
            dialog.DeleteButton()->click();
        });
        const int stackBefore = document.UndoStack().count();
        f.frame->Action(FrameCommand::ToolsFindDuplicates)->trigger();
        QVERIFY(ran);
        QCOMPARE(document.UndoStack().count(), stackBefore + 1);
        QVERIFY(f.frame->IsModified());
        const CChannelDb &db = document.Database();
        QVERIFY(db.IsUsed(KindProgram, file.copyA));
        QVERIFY(!db.IsUsed(KindProgram, file.original));
        QVERIFY(!db.IsUsed(KindProgram, file.copyB));
        QCOMPARE(uint32_t(Int(db, file.copyA, FavouriteGroups::kFieldName)),
                 FavouriteGroups::Bit(1) | FavouriteGroups::Bit(2) | FavouriteGroups::Bit(5));

        document.UndoStack().undo();
        QCOMPARE(AllRecords(db), original);
        QVERIFY(!f.frame->IsModified());
    }

    void closingTheWindowChangesNothing()
    {
        FrameFixture f;
        DuplicateFile file;
        QVERIFY(WriteDuplicateFile(f.Data("d.usd"), file));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("d.usd")));
        CDuplicatesDlg::SetTestScript([](CDuplicatesDlg &dialog) {
            QVERIFY(dialog.GroupTree()->topLevelItemCount() >= 1);
            QVERIFY(dialog.DeleteButton()->isEnabled());
            dialog.CloseButton()->click();
        });
        f.frame->Action(FrameCommand::ToolsFindDuplicates)->trigger();
        QCOMPARE(f.frame->Document().UndoStack().count(), 0);
        QVERIFY(!f.frame->IsModified());
    }

    void previewRowsFollowTheReferenceThenOurUnmatched()
    {
        std::vector<ProgramFacts> ours(3);
        const char *names[] = {"One", "Two", "Three"};
        for (int i = 0; i < 3; ++i) {
            ours[size_t(i)].slot = 10 + i;
            ours[size_t(i)].name = names[i];
        }
        std::vector<ProgramFacts> reference(2);
        reference[0].name = "THREE";
        reference[1].name = "Gone";
        ReferenceMatching matching;
        matching.rows = {ReferenceMatch{0, 12, MatchKind::Name}, ReferenceMatch{1, -1, MatchKind::None}};
        matching.unmatchedOurs = {10, 11};
        matching.matchedCount = 1;
        const std::vector<ReferencePreviewRow> rows = ReferencePreviewRows(ours, reference, matching);
        QCOMPARE(rows.size(), size_t(4));
        QCOMPARE(rows[0].cells, QStringList({"1", "THREE", "3", "Three", "name"}));
        QCOMPARE(rows[0].kind, ReferenceRowKind::Matched);
        QCOMPARE(rows[1].cells, QStringList({"2", "Gone", "-", "", "no match"}));
        QCOMPARE(rows[1].kind, ReferenceRowKind::ReferenceOnly);
        QCOMPARE(rows[3].cells, QStringList({"-", "", "2", "Two", "not in the reference"}));
        QCOMPARE(rows[3].kind, ReferenceRowKind::OursOnly);
        QCOMPARE(ReferenceSummary(matching),
                 QStringLiteral("1 of 2 reference programs matched (0 by position, 0 by id, 1 by name); "
                                "1 without a match; 2 of ours not in the reference"));
        QCOMPARE(MatchKindText(MatchKind::ServiceId), QStringLiteral("id"));
        QCOMPARE(MatchKindText(MatchKind::Position), QStringLiteral("position"));
    }

    void applyOrderFromPreviewsAndReordersAsOneStep()
    {
        FrameFixture f;
        ReferenceFiles files;
        QVERIFY(WriteReferenceFiles(f.Data("ours.usd"), f.Data("ref.json"), files));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("ours.usd")));
        ChannelDocument &document = f.frame->Document();
        const auto original = AllRecords(document.Database());
        const size_t n = files.ours.size();
        QVERIFY(n > 3);

        CFileExportDialog::SetNextAnswer(f.Data("ref.json"));
        bool ran = false;
        CReferenceOrderDlg::SetTestScript([&](CReferenceOrderDlg &dialog) {
            ran = true;
            QTreeWidget *tree = dialog.PreviewTree();
            QCOMPARE(tree->topLevelItemCount(), int(n));  // n - 1 from the reference, 1 of ours
            // The reference's first row is our last program, matched by its position.
            QTreeWidgetItem *first = tree->topLevelItem(0);
            QCOMPARE(first->text(int(ReferenceColumn::Place)), QStringLiteral("1"));
            QCOMPARE(first->text(int(ReferenceColumn::OurIndex)), QString::number(n));
            QCOMPARE(first->text(int(ReferenceColumn::How)), QStringLiteral("position"));
            QCOMPARE(first->text(int(ReferenceColumn::ReferenceName)), first->text(int(ReferenceColumn::OurName)));
            QTreeWidgetItem *last = tree->topLevelItem(int(n) - 1);
            QCOMPARE(last->text(int(ReferenceColumn::OurIndex)), QStringLiteral("1"));
            QCOMPARE(last->text(int(ReferenceColumn::How)), QStringLiteral("not in the reference"));
            QVERIFY(dialog.Summary().startsWith(QStringLiteral("%1 of %1 reference programs matched").arg(n - 1)));
            QVERIFY(dialog.ApplyButton()->isEnabled());
            dialog.CopyGroupsCheck()->setChecked(true);
            dialog.ApplyButton()->click();
        });
        f.frame->Action(FrameCommand::ToolsApplyOrder)->trigger();
        QVERIFY(ran);
        const std::optional<FileDialogRequest> request = CFileExportDialog::LastRequest();
        QVERIFY(request);
        QCOMPARE(request->kind, FileDialogKind::Open);
        QVERIFY(request->typeTexts.contains(QStringLiteral("JSON list(*.json)")));
        QVERIFY(request->typeTexts.contains(QStringLiteral("CSV list(*.csv)")));
        QCOMPARE(document.UndoStack().count(), 1);

        // The reference's order at the front, our first program (not in it) behind.
        std::vector<Key> expected(files.ours.rbegin(), files.ours.rend() - 1);
        expected.push_back(files.ours.front());
        const CChannelDb &db = document.Database();
        QCOMPARE(LiveKeys(db), expected);
        // The program that was last took the reference's memberships; it is first now.
        int firstLive = 0;
        while (!db.IsUsed(KindProgram, firstLive))
            ++firstLive;
        QCOMPARE(uint32_t(Int(db, firstLive, FavouriteGroups::kFieldName)), FavouriteGroups::Bit(9));

        document.UndoStack().undo();
        QCOMPARE(AllRecords(db), original);
        QVERIFY(!f.frame->IsModified());
    }

    void aReferenceThatCannotBeReadChangesNothing()
    {
        FrameFixture f;
        ReferenceFiles files;
        QVERIFY(WriteReferenceFiles(f.Data("ours.usd"), f.Data("ref.json"), files));
        QVERIFY(WriteFileBytes(f.Data("bad.csv"), QByteArray("slot,no such field\r\n1,2\r\n")));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("ours.usd")));
        bool shown = false;
        CReferenceOrderDlg::SetTestScript([&](CReferenceOrderDlg &) { shown = true; });

        CFileExportDialog::SetNextAnswer(f.Data("bad.csv"));
        f.frame->ToolsApplyOrder();
        QVERIFY(!shown);
        QVERIFY(!f.prompt.messages.isEmpty());
        QVERIFY(f.prompt.messages.last().startsWith(QStringLiteral("The reference cannot be used.")));

        CFileExportDialog::SetNextAnswer(std::nullopt);  // Cancel in the file dialog
        f.frame->ToolsApplyOrder();
        QVERIFY(!shown);

        // The window's Cancel leaves the order alone too.
        CReferenceOrderDlg::SetTestScript([&](CReferenceOrderDlg &dialog) {
            shown = true;
            dialog.CancelButton()->click();
        });
        CFileExportDialog::SetNextAnswer(f.Data("ref.json"));
        f.frame->ToolsApplyOrder();
        QVERIFY(shown);
        QCOMPARE(f.frame->Document().UndoStack().count(), 0);
        QCOMPARE(LiveKeys(f.frame->Document().Database()), files.ours);
    }

    void everyControlHasANameOrBuddy()
    {
        FrameFixture f;
        DuplicateFile file;
        QVERIFY(WriteDuplicateFile(f.Data("d.usd"), file));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("d.usd")));
        CDuplicatesDlg dialog(f.frame->Document().Database());
        QVERIFY(!dialog.KeepRuleCombo()->accessibleName().isEmpty());
        QVERIFY(!dialog.GroupTree()->accessibleName().isEmpty());
        for (QLabel *label : dialog.findChildren<QLabel *>()) {
            if (label->text().contains(QLatin1Char('&')))
                QVERIFY(label->buddy());
        }
        CReferenceOrderDlg order(f.frame->Document().Database(), QStringLiteral("r.json"), {});
        QVERIFY(!order.PreviewTree()->accessibleName().isEmpty());
        QVERIFY(!order.CopyGroupsCheck()->text().isEmpty());
        QVERIFY(!order.ApplyButton()->isEnabled());  // nothing matched
        for (QLabel *label : order.findChildren<QLabel *>()) {
            if (label->text().contains(QLatin1Char('&')))
                QVERIFY(label->buddy());
        }
    }
};

QTEST_MAIN(ListToolsTest)
#include "ListToolsTest.moc"
