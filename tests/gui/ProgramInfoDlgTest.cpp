// The program dialog through Run on a generated database: controls, rules, checks, writes, undo.
#include "gui/TestEditorContext.h"

#include "database/FavouriteNameTable.h"
#include "database/NodeFields.h"
#include "database/SlotLists.h"
#include "editors/CProgramInfoDlg.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QLabel>
#include <QTest>

using namespace GuiTest;

namespace {

// The first transponder with at least three programs, as the navigator makes its node.
NavNode Transponder(const CChannelDb &db)
{
    NavNode node;
    node.kind = NavTransponder;
    for (int slot = 0; slot < db.Count(KindTransponder); ++slot) {
        node.satId = GetNodeIntOrZero(db, KindTransponder, slot, "sat_id", PositionOrder);
        node.tpId = GetNodeIntOrZero(db, KindTransponder, slot, "tp_id", PositionOrder);
        node.index = slot;
        node.slots = RebuildSlotList(db, NavTransponder, node.satId, node.tpId, 0).slots;
        node.hasSlots = true;
        if (node.SlotCount() >= 3)
            break;
    }
    return node;
}

FavouriteNameTable Groups(TestEditorContext &c) { return BuildFavouriteNameTable(c.db, c.profile); }

// The dialog's controls, found by their object names as an assistive tool would see them.
struct Controls
{
    QLineEdit *nameEdit, *serviceIdEdit, *videoPidEdit, *audioPid1Edit, *audioPid2Edit, *audioPid3Edit, *pcrPidEdit;
    QComboBox *channelTypeCombo, *groupCombo, *scrambleCombo, *factoryCombo;
    QPushButton *resetButton;

    explicit Controls(CProgramInfoDlg &d)
        : nameEdit(Find<QLineEdit>(d, "nameEdit")), serviceIdEdit(Find<QLineEdit>(d, "serviceIdEdit")),
          videoPidEdit(Find<QLineEdit>(d, "videoPidEdit")), audioPid1Edit(Find<QLineEdit>(d, "audioPid1Edit")),
          audioPid2Edit(Find<QLineEdit>(d, "audioPid2Edit")), audioPid3Edit(Find<QLineEdit>(d, "audioPid3Edit")),
          pcrPidEdit(Find<QLineEdit>(d, "pcrPidEdit")), channelTypeCombo(Find<QComboBox>(d, "channelTypeCombo")),
          groupCombo(Find<QComboBox>(d, "groupCombo")), scrambleCombo(Find<QComboBox>(d, "scrambleCombo")),
          factoryCombo(Find<QComboBox>(d, "factoryCombo")), resetButton(Find<QPushButton>(d, "resetButton"))
    {
    }

    template <class T>
    static T *Find(CProgramInfoDlg &d, const char *name)
    {
        T *control = d.findChild<T *>(QString::fromLatin1(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
};

// Runs the dialog with the script; true when Run reports a change.
bool RunDialog(TestEditorContext &c, NavNode &node, ProgramDialogMode mode, int index, const std::function<void(CProgramInfoDlg &)> &script,
               ServiceFilter filter = ServiceFilter::TvAndRadio, int * /*changes: counted by the context*/ = nullptr)
{
    CProgramInfoDlg::SetTestScript(script);
    const bool changed = CProgramInfoDlg::Run(
        c, node, mode, index, filter, Groups(c), nullptr);
    CProgramInfoDlg::SetTestScript({});
    return changed;
}

// Clicks group item `row` in the dropped-down list, as the user does.
void ClickGroup(CProgramInfoDlg &d, int row)
{
    QComboBox *combo = Controls(d).groupCombo;
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    combo->hidePopup();
}

} // namespace

class ProgramInfoDlgTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { CProgramInfoDlg::SetTestScript({}); }

    void controlsIdsLabelsAndTabOrder()
    {
        TestEditorContext c(SmallDatabase(2, 6, 60));
        NavNode node = Transponder(c.db);
        ProgramInfoForm form(c.db, &node, ProgramEditMode, 0, ServiceFilter::TvAndRadio, Groups(c));
        CProgramInfoDlg d(form, c.prompt);
        QCOMPARE(d.windowTitle(), QStringLiteral("Program Information"));
        QCOMPARE(d.property("controlId").toInt(), 140);
        const std::vector<std::pair<int, const char *>> fields = {
            {1024, "Channel Name"}, {1033, "Channel Type"}, {1026, "Service ID"}, {1027, "Video Pid"},
            {1028, "Audio Pid1"}, {1029, "Audio Pid2"}, {1030, "Audio Pid3"}, {1031, "PCR Pid"},
            {1036, "Group"}, {1038, "Scramble"}, {1039, "Factory"}};
        QList<QLabel *> labels = d.findChildren<QLabel *>();
        QWidget *previous = nullptr;
        for (const auto &[id, text] : fields) {
            QWidget *control = d.ControlById(id);
            QVERIFY2(control, text);
            QCOMPARE(control->accessibleName(), QString::fromLatin1(text));
            const auto label =
                std::find_if(labels.begin(), labels.end(), [&](QLabel *l) { return l->buddy() == control; });
            QVERIFY2(label != labels.end(), text);
            QCOMPARE((*label)->text().remove(QLatin1Char('&')), QString::fromLatin1(text));
            if (previous) {
                QWidget *next = previous->nextInFocusChain();
                while (!(next->focusPolicy() & Qt::TabFocus))
                    next = next->nextInFocusChain();
                QCOMPARE(next, control);
            }
            previous = control;
        }
        auto *ok = qobject_cast<QPushButton *>(d.ControlById(1));
        QVERIFY(ok && ok->isDefault());
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(qobject_cast<QPushButton *>(d.ControlById(2))->text(), QStringLiteral("Cancel"));
        QCOMPARE(qobject_cast<QPushButton *>(d.ControlById(1034))->text().remove(QLatin1Char('&')),
                 QStringLiteral("Reset"));
        QCOMPARE(Controls(d).channelTypeCombo->count(), 2);
        QCOMPARE(Controls(d).channelTypeCombo->itemText(1), QStringLiteral("Radio"));
        QCOMPARE(Controls(d).scrambleCombo->itemText(1), QStringLiteral("Yes"));
        QCOMPARE(Controls(d).groupCombo->count(), 32);
        QCOMPARE(Controls(d).groupCombo->itemText(0), QString::fromStdString(Groups(c)[0].name));
        QCOMPARE(Controls(d).nameEdit->maxLength(), 16);  // what the 32-byte name field holds
    }

    void editShowsStoredValuesAndWritesOneUndoableEdit()
    {
        TestEditorContext c(SmallDatabase(2, 6, 60));
        NavNode node = Transponder(c.db);
        const int slot = node.slots[1];
        SetProgramField(c.db, slot, "Service Name", "Stored");
        SetProgramField(c.db, slot, "Service Type", "1");
        SetProgramField(c.db, slot, "Video Pid", "600");
        SetProgramField(c.db, slot, "Service ID", "0");
        SetProgramField(c.db, slot, "Favorite Group", "2");
        SetProgramField(c.db, slot, "Scramble", "0");
        const auto before = ProgramRecords(c.db);
        int &refreshed = c.changes;
        refreshed = 0;
        const bool changed = RunDialog(c, node, ProgramEditMode, 1, [&](CProgramInfoDlg &d) {
            const Controls ui(d);
            QCOMPARE(ui.nameEdit->text(), QStringLiteral("Stored"));
            QCOMPARE(ui.channelTypeCombo->currentIndex(), 0);
            QCOMPARE(ui.videoPidEdit->text(), QStringLiteral("600"));
            QVERIFY(d.GroupItemTicked(1));
            QVERIFY(!d.GroupItemTicked(0));
            QVERIFY(ui.pcrPidEdit->isEnabled());
            ui.nameEdit->setText(QStringLiteral("Hello"));
            ui.videoPidEdit->setText(QStringLiteral(" 700 "));
            ui.audioPid1Edit->setText(QStringLiteral("701"));
            ui.audioPid2Edit->setText(QStringLiteral("0"));
            ui.audioPid3Edit->setText(QStringLiteral("0"));
            ui.pcrPidEdit->setText(QStringLiteral("702"));
            ui.scrambleCombo->setCurrentIndex(1);
            ClickGroup(d, 1);  // unticks group 2
            ClickGroup(d, 0);
            ClickGroup(d, 2);
            d.accept();
        }, ServiceFilter::TvAndRadio, &refreshed);
        QVERIFY(changed);
        QVERIFY(c.prompt.messages.isEmpty());
        QCOMPARE(ProgramField(c.db, slot, "Service Name"), std::string("Hello"));
        QCOMPARE(ProgramField(c.db, slot, "name_len"), std::string("10"));
        QCOMPARE(ProgramField(c.db, slot, "Video Pid"), std::string("700"));
        QCOMPARE(ProgramField(c.db, slot, "Audio Pid1"), std::string("701"));
        QCOMPARE(ProgramField(c.db, slot, "PCR Pid"), std::string("702"));
        QCOMPARE(ProgramField(c.db, slot, "Favorite Group"), std::string("5"));
        QCOMPARE(ProgramField(c.db, slot, "Scramble"), std::string("1"));
        QCOMPARE(c.stack.count(), 1);
        QCOMPARE(c.stack.undoText(), QStringLiteral("Edit Channel"));
        QCOMPARE(refreshed, 1);
        const auto after = ProgramRecords(c.db);
        QVERIFY(after != before);

        c.stack.undo();
        QCOMPARE(ProgramRecords(c.db), before);
        QCOMPARE(refreshed, 2);
        c.stack.redo();
        QCOMPARE(ProgramRecords(c.db), after);
    }

    void groupThirtyTwoAndKeyboardChoosingDoesNotTick()
    {
        TestEditorContext c(SmallDatabase(2, 6, 60));
        NavNode node = Transponder(c.db);
        const int slot = node.slots[0];
        SetProgramField(c.db, slot, "Favorite Group", "0");
        QVERIFY(RunDialog(c, node, ProgramEditMode, 0, [&](CProgramInfoDlg &d) {
            QComboBox *combo = Controls(d).groupCombo;
            combo->setCurrentIndex(4);      // chosen, not ticked
            QVERIFY(!d.GroupItemTicked(4));
            combo->showPopup();
            QAbstractItemView *view = combo->view();
            view->setCurrentIndex(view->model()->index(31, 0));
            QTest::keyClick(view, Qt::Key_Space);  // Space ticks for keyboard users
            combo->hidePopup();
            QVERIFY(d.GroupItemTicked(31));
            d.accept();
        }));
        int32_t groups = 0;
        const int field = c.layouts.FindField(KindProgram, "Favorite Group", DeclarationOrder);
        QVERIFY(c.db.GetNodeInt(KindProgram, slot, field, groups, 0, DeclarationOrder));
        QCOMPARE(uint32_t(groups), 2147483648u);
    }

    void validationMessagesKeepTheDialogOpen()
    {
        TestEditorContext c(SmallDatabase(2, 6, 60));
        NavNode node = Transponder(c.db);
        const auto before = ProgramRecords(c.db);
        struct Step {
            std::vector<std::pair<int, const char *>> texts;  // entered on top of valid values
            int focused;
            const char *message;
        };
        QVERIFY(!RunDialog(c, node, ProgramEditMode, 0, [&](CProgramInfoDlg &d) {
            d.show();
            const Controls ui(d);
            ui.channelTypeCombo->setCurrentIndex(0);
            const std::vector<std::pair<int, const char *>> valid = {
                {1026, "0"}, {1027, "100"}, {1028, "101"}, {1029, "0"}, {1030, "0"}, {1031, "102"}, {1024, "Name"}};
            const std::vector<Step> steps = {
                {{{1024, ""}}, 1024, "Empty channel name!"},
                {{{1027, "8191"}}, 1027, "Video Pid: [32,  8190]"},
                {{{1027, "31"}}, 1027, "Video Pid: [32,  8190]"},
                {{{1028, "65536"}}, 1028, "Audio Pid1:  [32,  65535]"},
                {{{1030, "100"}}, 1029, "Audio Pid2:  0 or [32,  65535]"},
                {{{1029, "31"}}, 1029, "Audio Pid2:  0 or [32,  65535]"},
                {{{1029, "200"}, {1030, "31"}}, 1030, "Audio Pid3:  0 or [32,  65535]"},
                {{{1031, "8192"}}, 1031, "PCR Pid: [32,  8191]"},
                {{{1031, "31"}}, 1031, "PCR Pid: [32,  8191]"},
                {{{1031, "12x"}}, 1031, "Please enter an integer."},
                {{{1026, "0x10"}}, 1026, "Please enter an unsigned integer."},
                {{{1026, "-1"}}, 1026, "Please enter an unsigned integer."},
            };
            auto enter = [&](const std::vector<std::pair<int, const char *>> &texts) {
                for (const auto &[id, text] : texts)
                    qobject_cast<QLineEdit *>(d.ControlById(id))->setText(QString::fromLatin1(text));
            };
            for (const Step &step : steps) {
                enter(valid);
                enter(step.texts);
                c.prompt.messages.clear();
                d.accept();
                QCOMPARE(c.prompt.messages, QStringList {QString::fromLatin1(step.message)});
                QVERIFY(d.isVisible());
                QCOMPARE(d.EndFlag(), int(CProgramInfoDlg::EndedCancel));
                auto *focused = qobject_cast<QLineEdit *>(d.ControlById(step.focused));
                QCOMPARE(d.focusWidget(), focused);
                QCOMPARE(focused->selectedText(), focused->text());
            }
            d.reject();
        }));
        QCOMPARE(ProgramRecords(c.db), before);  // Cancel writes nothing
        QCOMPARE(c.stack.count(), 0);
    }

    void serviceIdRuleAndItsAcceptance()
    {
        TestEditorContext c(SmallDatabase(2, 6, 60));
        NavNode node = Transponder(c.db);
        const int slot = node.slots[0];
        QVERIFY(RunDialog(c, node, ProgramEditMode, 0, [&](CProgramInfoDlg &d) {
            const Controls ui(d);
            ui.serviceIdEdit->setText(QStringLiteral("0x10"));  // reads as 16
            for (QLineEdit *e : {ui.videoPidEdit, ui.audioPid1Edit, ui.audioPid2Edit, ui.audioPid3Edit, ui.pcrPidEdit})
                QVERIFY(!e->isEnabled());
            ui.serviceIdEdit->setText(QStringLiteral("0"));
            for (QLineEdit *e : {ui.videoPidEdit, ui.audioPid1Edit, ui.audioPid2Edit, ui.audioPid3Edit, ui.pcrPidEdit})
                QVERIFY(e->isEnabled());
            ui.serviceIdEdit->setText(QStringLiteral("1"));
            for (QLineEdit *e : {ui.videoPidEdit, ui.audioPid1Edit, ui.audioPid2Edit, ui.audioPid3Edit, ui.pcrPidEdit})
                e->setText(QStringLiteral("0"));
            d.accept();
            QCOMPARE(ui.videoPidEdit->text(), QStringLiteral("8191"));  // shown before the dialog ends
        }));
        QCOMPARE(ProgramField(c.db, slot, "Video Pid"), std::string("8191"));
        QCOMPARE(ProgramField(c.db, slot, "Audio Pid1"), std::string("8191"));
        QCOMPARE(ProgramField(c.db, slot, "PCR Pid"), std::string("8191"));
        QCOMPARE(ProgramField(c.db, slot, "Audio Pid2"), std::string("0"));
        QCOMPARE(ProgramField(c.db, slot, "Audio Pid3"), std::string("0"));
        QCOMPARE(ProgramField(c.db, slot, "Service ID"), std::string("1"));
    }

    void channelTypeAndFiltersAndReset()
    {
        TestEditorContext c(SmallDatabase(2, 6, 60));
        NavNode node = Transponder(c.db);
        const int slot = node.slots[0];
        SetProgramField(c.db, slot, "Service Type", "1");
        SetProgramField(c.db, slot, "Video Pid", "555");
        SetProgramField(c.db, slot, "Service ID", "0");
        SetProgramField(c.db, slot, "Service Name", "Keep");
        QVERIFY(!RunDialog(c, node, ProgramEditMode, 0, [&](CProgramInfoDlg &d) {
            const Controls ui(d);
            QVERIFY(ui.channelTypeCombo->isEnabled());
            ui.channelTypeCombo->setCurrentIndex(1);
            Q_EMIT ui.channelTypeCombo->activated(1);
            QCOMPARE(ui.videoPidEdit->text(), QStringLiteral("8191"));
            QVERIFY(!ui.videoPidEdit->isEnabled());
            ui.channelTypeCombo->setCurrentIndex(0);
            Q_EMIT ui.channelTypeCombo->activated(0);
            QCOMPARE(ui.videoPidEdit->text(), QStringLiteral("555"));
            QVERIFY(ui.videoPidEdit->isEnabled());
            ui.nameEdit->setText(QStringLiteral("Typed"));
            ui.videoPidEdit->setText(QStringLiteral("9"));
            QTest::mouseClick(ui.resetButton, Qt::LeftButton);
            QCOMPARE(ui.nameEdit->text(), QStringLiteral("Keep"));
            QCOMPARE(ui.videoPidEdit->text(), QStringLiteral("555"));
            d.reject();
        }));
        QVERIFY(!RunDialog(c, node, ProgramEditMode, 0, [&](CProgramInfoDlg &d) {
            QVERIFY(!Controls(d).channelTypeCombo->isEnabled());  // TV filter
            d.reject();
        }, ServiceFilter::TvOnly));
        QVERIFY(!RunDialog(c, node, ProgramInsertMode, 0, [&](CProgramInfoDlg &d) {
            const Controls ui(d);
            QVERIFY(!ui.channelTypeCombo->isEnabled());  // radio filter
            QCOMPARE(ui.channelTypeCombo->currentText(), QStringLiteral("Radio"));
            QCOMPARE(ui.videoPidEdit->text(), QStringLiteral("8191"));
            QCOMPARE(ui.nameEdit->text(), QStringLiteral("New Channel"));
            d.close();  // the close box ends like Cancel
            QCOMPARE(d.EndFlag(), int(CProgramInfoDlg::EndedClosed));
        }, ServiceFilter::RadioOnly));
    }

    void theClickThatOpensTheGroupListTicksNothing()
    {
        TestEditorContext c(SmallDatabase(2, 6, 60));
        NavNode node = Transponder(c.db);
        bool ran = false;
        RunDialog(c, node, ProgramEditMode, 0, [&](CProgramInfoDlg &d) {
            ran = true;
            QComboBox *combo = Controls(d).groupCombo;
            const bool was = d.GroupItemTicked(0);
            combo->showPopup();
            QAbstractItemView *view = combo->view();
            const QPoint point = view->visualRect(view->model()->index(0, 0)).center();
            // The press was on the closed combo box; only its release lands on the open list.
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, point);
            QCOMPARE(d.GroupItemTicked(0), was);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, point);
            QCOMPARE(d.GroupItemTicked(0), !was);
            combo->hidePopup();
            d.reject();
        });
        QVERIFY(ran);
    }

    void insertCancelOkUndoRedo()
    {
        TestEditorContext c(SmallDatabase(2, 6, 60));
        NavNode node = Transponder(c.db);
        const auto before = ProgramRecords(c.db);
        const int live = c.db.LiveCount(KindProgram);
        const SlotList slots = node.slots;
        QVERIFY(!RunDialog(c, node, ProgramInsertMode, 1, [](CProgramInfoDlg &d) { d.reject(); }));
        QCOMPARE(ProgramRecords(c.db), before);
        QCOMPARE(node.slots, slots);

        const int expectedId = c.db.FindFreeId(KindProgram, node.satId, node.tpId);
        int &refreshed = c.changes;
        refreshed = 0;
        QVERIFY(RunDialog(c, node, ProgramInsertMode, 1, [](CProgramInfoDlg &d) {
            const Controls ui(d);
            ui.nameEdit->setText(QStringLiteral("Brand New"));
            ui.videoPidEdit->setText(QStringLiteral("100"));
            ui.audioPid1Edit->setText(QStringLiteral("101"));
            ui.pcrPidEdit->setText(QStringLiteral("100"));
            d.accept();
        }, ServiceFilter::TvAndRadio, &refreshed));
        QCOMPARE(c.db.LiveCount(KindProgram), live + 1);
        // The new program stands second in the transponder's list as the table now gives it,
        // which is the order a fresh open and the receiver see: the old second one follows it.
        const SlotList after = TransponderSlots(c.db, SatelliteSlots(c.db, node.satId), node.tpId);
        QCOMPARE(after.size(), slots.size() + 1);
        const int created = after[1];
        QCOMPARE(c.db.RecordBytes(KindProgram, after[0]), before[size_t(slots[0])]);
        QCOMPARE(c.db.RecordBytes(KindProgram, after[2]), before[size_t(slots[1])]);
        QCOMPARE(ProgramField(c.db, created, "Service Name"), std::string("Brand New"));
        QCOMPARE(ProgramField(c.db, created, "sat_id"), std::to_string(node.satId));
        QCOMPARE(ProgramField(c.db, created, "tp_id"), std::to_string(node.tpId));
        QCOMPARE(ProgramField(c.db, created, "prog_id"), std::to_string(expectedId));
        QCOMPARE(c.stack.undoText(), QStringLiteral("Insert Channel"));
        QCOMPARE(refreshed, 1);
        const std::vector<uint8_t> record = c.db.RecordBytes(KindProgram, created);

        c.stack.undo();
        QCOMPARE(c.db.LiveCount(KindProgram), live);
        for (size_t s = 0; s < before.size(); ++s)
            QCOMPARE(c.db.RecordBytes(KindProgram, int(s)), before[s]);
        c.stack.redo();
        QCOMPARE(c.db.RecordBytes(KindProgram, created), record);
    }

    void fullTransponderRefusesANewProgram()
    {
        TestEditorContext c(SmallDatabase(2, 6, 60));
        NavNode node = Transponder(c.db);
        for (int id = 1; id <= 1023; ++id) {
            if (c.db.FindFreeId(KindProgram, node.satId, node.tpId) == 0)
                break;
            const int slot = c.db.AllocateNode(KindProgram);
            SetProgramField(c.db, slot, "sat_id", std::to_string(node.satId));
            SetProgramField(c.db, slot, "tp_id", std::to_string(node.tpId));
            SetProgramField(c.db, slot, "prog_id", std::to_string(c.db.FindFreeId(KindProgram, node.satId, node.tpId)));
        }
        QCOMPARE(c.db.FindFreeId(KindProgram, node.satId, node.tpId), 0);
        const auto before = ProgramRecords(c.db);
        bool shown = false;
        QVERIFY(!RunDialog(c, node, ProgramInsertMode, 0, [&](CProgramInfoDlg &d) {
            shown = true;
            d.accept();
        }));
        QVERIFY(!shown);
        QCOMPARE(c.prompt.messages.size(), 1);
        QVERIFY(c.prompt.messages[0].contains(QStringLiteral("1023")));
        QCOMPARE(ProgramRecords(c.db), before);
        QCOMPARE(c.stack.count(), 0);
    }
};

QTEST_MAIN(ProgramInfoDlgTest)
#include "ProgramInfoDlgTest.moc"
