// The several-channel Edit Channel dialog through Run: controls, OK as one undoable command, Cancel.
#include "gui/DialogTestSupport.h"
#include "gui/TestEditorContext.h"

#include "database/FavouriteNameTable.h"
#include "database/NodeFields.h"
#include "editors/CProgramsEditDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace GuiTest;

namespace {

FavouriteNameTable Groups(TestEditorContext &c) { return BuildFavouriteNameTable(c.db, c.profile); }

uint32_t GroupBits(const CChannelDb &db, int slot)
{
    return uint32_t(GetNodeIntByName(db, KindProgram, slot, "Favorite Group", DeclarationOrder).value_or(0));
}

// The first three live programs, made TV with a usable video PID, Scramble mixed, Factory No,
// all in group 1, the first also in group 3, none in the others.
std::vector<int32_t> PreparedPrograms(CChannelDb &db)
{
    std::vector<int32_t> slots;
    for (int slot = 0; slot < db.Count(KindProgram) && slots.size() < 3; ++slot) {
        if (db.IsUsed(KindProgram, slot))
            slots.push_back(slot);
    }
    for (size_t i = 0; i < slots.size(); ++i) {
        SetProgramField(db, slots[i], "Service Type", "1");
        SetProgramField(db, slots[i], "Video Pid", std::to_string(600 + i));
        SetProgramField(db, slots[i], "Scramble", i == 1 ? "1" : "0");
        SetProgramField(db, slots[i], "Factory", "0");
        SetProgramField(db, slots[i], "Favorite Group", i == 0 ? "5" : "1");
    }
    return slots;
}

// The dialog's controls, found by their object names as an assistive tool would see them.
struct Controls
{
    QComboBox *channelTypeCombo, *scrambleCombo, *factoryCombo;
    QListWidget *groupList;
    QPushButton *okButton;

    explicit Controls(CProgramsEditDlg &d)
        : channelTypeCombo(Find<QComboBox>(d, "channelTypeCombo")), scrambleCombo(Find<QComboBox>(d, "scrambleCombo")),
          factoryCombo(Find<QComboBox>(d, "factoryCombo")), groupList(Find<QListWidget>(d, "groupList")),
          okButton(Find<QPushButton>(d, "okButton"))
    {
    }

    template <class T>
    static T *Find(CProgramsEditDlg &d, const char *name)
    {
        T *control = d.findChild<T *>(QString::fromLatin1(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
};

bool RunDialog(TestEditorContext &c, const std::vector<int32_t> &slots, const std::function<void(CProgramsEditDlg &)> &script)
{
    CProgramsEditDlg::SetTestScript(script);
    const bool changed = CProgramsEditDlg::Run(c, slots, Groups(c), nullptr);
    CProgramsEditDlg::SetTestScript({});
    return changed;
}

} // namespace

class ProgramsEditDlgTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { CProgramsEditDlg::SetTestScript({}); }

    void controlsShowWhatTheProgramsShare()
    {
        TestEditorContext c(SmallDatabase(2, 6, 40));
        QVERIFY(c.generated);
        const std::vector<int32_t> slots = PreparedPrograms(c.db);
        QCOMPARE(slots.size(), size_t(3));
        bool ran = false;
        RunDialog(c, slots, [&](CProgramsEditDlg &d) {
            ran = true;
            const Controls ui(d);
            QCOMPARE(d.windowTitle(), QStringLiteral("Edit 3 Channels"));
            // Every input has its label and a name, in this tab order.
            const std::vector<std::pair<QWidget *, const char *>> inputs = {{ui.channelTypeCombo, "Channel Type"},
                                                                           {ui.scrambleCombo, "Scramble"},
                                                                           {ui.factoryCombo, "Factory"},
                                                                           {ui.groupList, "Groups"}};
            const QList<QLabel *> labels = d.findChildren<QLabel *>();
            QWidget *previous = nullptr;
            for (const auto &[control, name] : inputs) {
                QCOMPARE(control->accessibleName(), QString::fromLatin1(name));
                QVERIFY2(std::any_of(labels.begin(), labels.end(), [&](QLabel *l) { return l->buddy() == control; }), name);
                QVERIFY2(!control->isHidden(), name);
                if (previous)
                    QCOMPARE(NextTabStop(previous), control);
                previous = control;
            }
            QVERIFY(ui.okButton->isDefault());

            for (QComboBox *combo : {ui.channelTypeCombo, ui.scrambleCombo, ui.factoryCombo})
                QCOMPARE(combo->itemText(0), QStringLiteral("(unchanged)"));
            QCOMPARE(ui.channelTypeCombo->currentText(), QStringLiteral("TV"));      // shared
            QCOMPARE(ui.scrambleCombo->currentText(), QStringLiteral("(unchanged)")); // mixed
            QCOMPARE(ui.factoryCombo->currentText(), QStringLiteral("No"));

            QCOMPARE(ui.groupList->count(), kGroupItemCount);
            QCOMPARE(ui.groupList->item(0)->text(), QString::fromStdString(Groups(c)[0].name));
            QCOMPARE(ui.groupList->item(0)->checkState(), Qt::Checked);
            QCOMPARE(ui.groupList->item(2)->checkState(), Qt::PartiallyChecked);
            QCOMPARE(ui.groupList->item(1)->checkState(), Qt::Unchecked);
            // Only the mixed group can be set back to "unchanged" by the user.
            QVERIFY(ui.groupList->item(2)->flags() & Qt::ItemIsUserTristate);
            QVERIFY(!(ui.groupList->item(0)->flags() & Qt::ItemIsUserTristate));
            d.reject();
        });
        QVERIFY(ran);

        // A group without a name still gets a text to be read out; one program is "1 Channel".
        FavouriteNameTable names = Groups(c);
        names[4].name.clear();
        ProgramsEditForm form(c.db, {slots[0]}, names);
        CProgramsEditDlg single(form, c.prompt);
        QCOMPARE(single.windowTitle(), QStringLiteral("Edit 1 Channel"));
        QVERIFY(!Controls(single).groupList->item(4)->text().isEmpty());
        QCOMPARE(Controls(single).groupList->item(2)->checkState(), Qt::Checked);
    }

    void okPushesOneCommandThatUndoesAndRedoes()
    {
        TestEditorContext c(SmallDatabase(2, 6, 40));
        const std::vector<int32_t> slots = PreparedPrograms(c.db);
        const auto before = ProgramRecords(c.db);
        c.changes = 0;
        QVERIFY(RunDialog(c, slots, [&](CProgramsEditDlg &d) {
            const Controls ui(d);
            ui.scrambleCombo->setCurrentIndex(2);  // Yes
            ui.groupList->item(0)->setCheckState(Qt::Unchecked);  // everyone leaves group 1
            ui.groupList->item(3)->setCheckState(Qt::Checked);    // everyone joins group 4
            d.accept();
        }));
        QVERIFY(c.prompt.messages.isEmpty());
        QCOMPARE(c.stack.count(), 1);
        QCOMPARE(c.stack.undoText(), QStringLiteral("Edit Channels"));
        QCOMPARE(c.changes, 1);
        for (size_t i = 0; i < slots.size(); ++i) {
            const int slot = slots[i];
            QCOMPARE(ProgramField(c.db, slot, "Scramble"), std::string("1"));
            QCOMPARE(GroupBits(c.db, slot), i == 0 ? 0xCu : 0x8u);  // group 3 stays where it was
            QCOMPARE(ProgramField(c.db, slot, "Service Type"), std::string("1"));
            QCOMPARE(ProgramField(c.db, slot, "Video Pid"), std::to_string(600 + i));
        }
        const auto after = ProgramRecords(c.db);
        for (size_t slot = 0; slot < before.size(); ++slot) {
            if (std::find(slots.begin(), slots.end(), int32_t(slot)) == slots.end())
                QCOMPARE(after[slot], before[slot]);  // no program outside the selection changes
        }

        c.stack.undo();
        QCOMPARE(ProgramRecords(c.db), before);
        c.stack.redo();
        QCOMPARE(ProgramRecords(c.db), after);
        c.stack.undo();
        QCOMPARE(ProgramRecords(c.db), before);
    }

    void typeChangeRefusalKeepsTheDialogOpen()
    {
        TestEditorContext c(SmallDatabase(2, 6, 40));
        const std::vector<int32_t> slots = PreparedPrograms(c.db);
        SetProgramField(c.db, slots[1], "Service Type", "0");
        SetProgramField(c.db, slots[1], "Video Pid", "8191");
        SetProgramField(c.db, slots[1], "Service ID", "0");
        const auto before = ProgramRecords(c.db);
        QVERIFY(RunDialog(c, slots, [&](CProgramsEditDlg &d) {
            d.show();
            const Controls ui(d);
            QCOMPARE(ui.channelTypeCombo->currentIndex(), 0);  // TV and radio: unchanged
            ui.channelTypeCombo->setCurrentIndex(1);           // TV
            d.accept();
            QCOMPARE(c.prompt.messages.size(), 1);
            QVERIFY(c.prompt.messages[0].startsWith(QStringLiteral("Video Pid: [32,  8190]")));
            QVERIFY(d.isVisible());
            QCOMPARE(d.EndFlag(), int(CNodeDialog::EndedCancel));
            QCOMPARE(d.focusWidget(), ui.channelTypeCombo);
            ui.channelTypeCombo->setCurrentIndex(2);  // Radio: no PID to check
            d.accept();
            QCOMPARE(d.EndFlag(), int(CNodeDialog::EndedOk));
        }));
        QCOMPARE(c.prompt.messages.size(), 1);
        for (const int slot : slots) {
            QCOMPARE(ProgramField(c.db, slot, "Service Type"), std::string("0"));
            QCOMPARE(ProgramField(c.db, slot, "Video Pid"), std::string("8191"));
        }
        QCOMPARE(c.db.RecordBytes(KindProgram, slots[1]), before[size_t(slots[1])]);  // was radio already
        c.stack.undo();
        QCOMPARE(ProgramRecords(c.db), before);
    }

    void cancelCloseAndNoChangePushNothing()
    {
        TestEditorContext c(SmallDatabase(2, 6, 40));
        const std::vector<int32_t> slots = PreparedPrograms(c.db);
        const auto before = ProgramRecords(c.db);
        const auto changeEverything = [](CProgramsEditDlg &d) {
            const Controls ui(d);
            ui.channelTypeCombo->setCurrentIndex(2);
            ui.factoryCombo->setCurrentIndex(2);
            for (int i = 0; i < kGroupItemCount; ++i)
                ui.groupList->item(i)->setCheckState(Qt::Checked);
        };
        QVERIFY(!RunDialog(c, slots, [&](CProgramsEditDlg &d) {
            changeEverything(d);
            d.reject();
        }));
        QVERIFY(!RunDialog(c, slots, [&](CProgramsEditDlg &d) {
            changeEverything(d);
            d.close();
            QCOMPARE(d.EndFlag(), int(CNodeDialog::EndedClosed));
        }));
        // OK on what the programs have already.
        QVERIFY(!RunDialog(c, slots, [&](CProgramsEditDlg &d) {
            Controls(d).scrambleCombo->setCurrentIndex(1);  // No: the first program has it already
            Controls(d).scrambleCombo->setCurrentIndex(0);  // back to unchanged
            d.accept();
            QCOMPARE(d.EndFlag(), int(CNodeDialog::EndedOk));
        }));
        QCOMPARE(ProgramRecords(c.db), before);
        QCOMPARE(c.stack.count(), 0);
        QVERIFY(c.prompt.messages.isEmpty());

        // No live program in the selection: nothing opens.
        bool shown = false;
        QVERIFY(!RunDialog(c, {-1, c.db.Count(KindProgram) + 5}, [&](CProgramsEditDlg &d) {
            shown = true;
            d.reject();
        }));
        QVERIFY(!shown);
    }
};

QTEST_MAIN(ProgramsEditDlgTest)
#include "ProgramsEditDlgTest.moc"
