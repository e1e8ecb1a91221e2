// The "TP Information" dialog on a generated database: controls, edit and new mode, validation, undo.
#include "DialogTestSupport.h"
#include "gui/TestEditorContext.h"

#include "database/NodeFields.h"
#include "database/TransponderLabels.h"
#include "editors/CTpInfoDlg.h"
#include "document/NavNode.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace GuiTest;

namespace {

// The editor as the dialog sees it: a generated database with a terrestrial satellite.
GeneratorOptions DialogDatabase()
{
    GeneratorOptions options;
    options.satellites = 3;
    options.transponders = 12;
    options.programs = 40;
    options.terrestrial = true;
    return options;
}

std::string Field(const CChannelDb &db, int slot, const char *name)
{
    return GetNodeTextByName(db, KindTransponder, slot, name, DeclarationOrder).value_or("<fail>");
}

struct Fixture
{
    TestEditorContext context {DialogDatabase()};
    NavNode satellite;        // the parent of every transponder node here
    int &refreshes = context.changes;  // the document's announcements

    explicit Fixture(int32_t satId = 1)
    {
        satellite.kind = NavSatellite;
        satellite.satId = satId;
    }
    // The node of the n-th transponder (from 1) of the satellite, as the navigator makes it.
    NavNode Transponder(int ordinal)
    {
        const std::vector<SatelliteTransponder> list = SatelliteTransponders(context.Database(), satellite.satId);
        NavNode node;
        if (ordinal < 1 || size_t(ordinal) > list.size())
            return node;
        const SatelliteTransponder &t = list[size_t(ordinal - 1)];
        node.kind = NavTransponder;
        node.satId = satellite.satId;
        node.tpId = t.tpId;
        node.index = t.node;
        node.label = QString::fromStdString(t.label);
        node.parent = &satellite;
        return node;
    }
    int TransponderCount() { return int(SatelliteTransponders(context.Database(), satellite.satId).size()); }
    NavNode NewNode()
    {
        NavNode node;
        node.satId = satellite.satId;
        node.parent = &satellite;
        return node;
    }
    // Sets the transponder's fields directly, for a known starting record.
    void Store(const NavNode &node, int frq, int sym, int pol)
    {
        CChannelDb &db = context.Database();
        QVERIFY(SetNodeTextByName(db, KindTransponder, node.index, "frq", std::to_string(frq), DeclarationOrder));
        QVERIFY(SetNodeTextByName(db, KindTransponder, node.index, "sym", std::to_string(sym), DeclarationOrder));
        QVERIFY(SetNodeTextByName(db, KindTransponder, node.index, "pol", std::to_string(pol), DeclarationOrder));
    }
};

void Enter(CTpInfoDlg &dialog, const QString &frequency, int polarizationRow, const QString &second)
{
    dialog.FrequencyEdit()->setText(frequency);
    dialog.PolarizationCombo()->setCurrentIndex(polarizationRow);
    dialog.SecondValueEdit()->setText(second);
}



} // namespace

class TpInfoDlgTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!BundledCacheBytes().isEmpty()); }

    void controlsOfDialog142()
    {
        Fixture f;
        QVERIFY(f.context.generated);
        NavNode node = f.Transponder(1);
        CTpInfoDlg dialog(f.context, node, TpInfoEdit, 0);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("TP Information"));
        QCOMPARE(dialog.property("controlId").toInt(), 142);
        const std::pair<QWidget *, int> controls[] = {
            {dialog.TpNameEdit(), 1047}, {dialog.PolarizationCombo(), 1048}, {dialog.FrequencyEdit(), 1049},
            {dialog.SecondValueEdit(), 1050}, {dialog.ResetButton(), 1051}, {dialog.SecondValueLabel(), 1080},
            {dialog.CancelButton(), 2}, {dialog.OkButton(), 1}};
        for (const auto &[widget, id] : controls)
            QCOMPARE(widget->property("controlId").toInt(), id);
        QVERIFY(dialog.OkButton()->isDefault());
        QCOMPARE(dialog.OkButton()->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.CancelButton()->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.ResetButton()->text(), QStringLiteral("Reset"));
        QCOMPARE(dialog.PolarizationCombo()->count(), 2);
        QCOMPARE(dialog.PolarizationCombo()->itemText(0), QStringLiteral("Horizontal"));
        QCOMPARE(dialog.PolarizationCombo()->itemData(0).toInt(), 0);
        QCOMPARE(dialog.PolarizationCombo()->itemText(1), QStringLiteral("Vertical"));
        QCOMPARE(dialog.PolarizationCombo()->itemData(1).toInt(), 1);

        // Every input has its label as buddy, with the texts of the dialog.
        QMap<QWidget *, QString> labels;
        for (QLabel *label : dialog.findChildren<QLabel *>())
            if (label->buddy())
                labels[label->buddy()] = label->text();
        QCOMPARE(labels.value(dialog.TpNameEdit()), QStringLiteral("TP Name"));
        QCOMPARE(labels.value(dialog.FrequencyEdit()), QStringLiteral("Frequency (MHz)"));
        QCOMPARE(labels.value(dialog.PolarizationCombo()), QStringLiteral("Polarization"));
        QVERIFY(labels.contains(dialog.SecondValueEdit()));

        // Edit mode of a satellite transponder: the stored values, TP Name disabled.
        QVERIFY(!dialog.TpNameEdit()->isEnabled());
        QCOMPARE(dialog.TpNameEdit()->text(), node.label);
        QCOMPARE(dialog.SecondValueLabel()->text(), QStringLiteral("Symbol Rate"));
        QVERIFY(dialog.FrequencyEdit()->isEnabled());
        QVERIFY(dialog.SecondValueEdit()->isEnabled());
        QVERIFY(dialog.PolarizationCombo()->isEnabled());
        const CChannelDb &db = f.context.Database();
        QCOMPARE(dialog.FrequencyEdit()->text().toStdString(), Field(db, node.index, "frq"));
        QCOMPARE(dialog.SecondValueEdit()->text().toStdString(), Field(db, node.index, "sym"));
        QCOMPARE(dialog.PolarizationCombo()->currentIndex(), std::stoi(Field(db, node.index, "pol")) != 0 ? 1 : 0);

        // Tab order from the top.
        QWidget *expected[] = {dialog.FrequencyEdit(), dialog.PolarizationCombo(), dialog.SecondValueEdit(),
                               dialog.ResetButton(), dialog.CancelButton(), dialog.OkButton()};
        QWidget *w = dialog.TpNameEdit();
        for (QWidget *next : expected) {
            w = NextTabStop(w);
            QCOMPARE(w, next);
        }

        // A new transponder starts with the old label text.
        NavNode fresh = f.NewNode();
        CTpInfoDlg newDialog(f.context, fresh, TpInfoNew, 3);
        QCOMPARE(newDialog.SecondValueLabel()->text(), QStringLiteral("Symbol Rate (KsPs)"));
        QCOMPARE(newDialog.TpNameEdit()->text(), QStringLiteral("[ 3 ]  TP_0_H_0"));
    }

    void editingAnExistingTransponderIsOneUndoableCommand()
    {
        Fixture f;
        NavNode node = f.Transponder(2);
        f.Store(node, 12015, 27500, 0);
        node.label = QStringLiteral("[ 2 ]  TP_12015_H_27500");
        CChannelDb &db = f.context.Database();
        const std::vector<uint8_t> before = db.RecordBytes(KindTransponder, node.index);
        ScriptGuard<CTpInfoDlg> guard;
        CTpInfoDlg::SetTestScript([](CTpInfoDlg &dialog) {
            QCOMPARE(dialog.FrequencyEdit()->text(), QStringLiteral("12015"));
            QCOMPARE(dialog.PolarizationCombo()->currentIndex(), 0);
            dialog.PolarizationCombo()->setCurrentIndex(1);
            dialog.accept();
        });
        QVERIFY(CTpInfoDlg::Run(f.context, node, TpInfoEdit, 0, nullptr));
        // The tree, built again from the database, shows the new tail.
        QCOMPARE(f.Transponder(2).label, QStringLiteral("[ 2 ]  TP_12015_V_27500"));
        QCOMPARE(Field(db, node.index, "pol"), std::string("1"));
        QCOMPARE(Field(db, node.index, "frq"), std::string("12015"));
        QCOMPARE(Field(db, node.index, "sym"), std::string("27500"));
        const std::vector<uint8_t> after = db.RecordBytes(KindTransponder, node.index);
        QVERIFY(after != before);
        QCOMPARE(f.context.UndoStack().count(), 1);
        QVERIFY(!f.context.UndoStack().isClean());
        QCOMPARE(f.refreshes, 1);
        QVERIFY(f.context.prompt.messages.isEmpty());

        f.context.UndoStack().undo();
        QVERIFY(db.RecordBytes(KindTransponder, node.index) == before);
        QCOMPARE(f.refreshes, 2);
        f.context.UndoStack().redo();
        QVERIFY(db.RecordBytes(KindTransponder, node.index) == after);
        QCOMPARE(f.refreshes, 3);
    }

    void validationAtTheBoundaries()
    {
        Fixture f;
        NavNode node = f.Transponder(1);
        CChannelDb &db = f.context.Database();
        const std::vector<uint8_t> before = db.RecordBytes(KindTransponder, node.index);
        QStringList expectedMessages;
        ScriptGuard<CTpInfoDlg> guard;
        CTpInfoDlg::SetTestScript([&](CTpInfoDlg &dialog) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            auto refused = [&](const QString &frq, const QString &sym, QLineEdit *field, const QString &message) {
                Enter(dialog, frq, 0, sym);
                dialog.accept();
                expectedMessages << message;
                QCOMPARE(f.context.prompt.messages, expectedMessages);
                QVERIFY(dialog.isVisible());
                QCOMPARE(dialog.EndFlag(), int(CTpInfoDlg::EndedCancel));
                QCOMPARE(dialog.focusWidget(), field);
                QCOMPARE(field->selectedText(), field->text());
            };
            const QString frequency = QStringLiteral("Frequency: [3000,  13450]");
            const QString symbolRate = QStringLiteral("Symbol Rate: [1000,  45000]");
            refused(QStringLiteral("2999"), QStringLiteral("27500"), dialog.FrequencyEdit(), frequency);
            refused(QStringLiteral("13451"), QStringLiteral("27500"), dialog.FrequencyEdit(), frequency);
            refused(QStringLiteral("3000"), QStringLiteral("999"), dialog.SecondValueEdit(), symbolRate);
            refused(QStringLiteral("13450"), QStringLiteral("45001"), dialog.SecondValueEdit(), symbolRate);
            refused(QStringLiteral("2999"), QStringLiteral("999"), dialog.FrequencyEdit(), frequency);
            const QString integer = TpInfoForm::IntegerMessage();
            refused(QStringLiteral("12a"), QStringLiteral("27500"), dialog.FrequencyEdit(), integer);
            refused(QStringLiteral("12000"), QString(), dialog.SecondValueEdit(), integer);
            refused(QStringLiteral("99999999999"), QStringLiteral("27500"), dialog.FrequencyEdit(), integer);
            QVERIFY(db.RecordBytes(KindTransponder, node.index) == before);
            Enter(dialog, QStringLiteral("3000"), 1, QStringLiteral("1000"));
            dialog.accept();
        });
        QVERIFY(CTpInfoDlg::Run(f.context, node, TpInfoEdit, 0, nullptr));
        QCOMPARE(Field(db, node.index, "frq"), std::string("3000"));
        QCOMPARE(Field(db, node.index, "sym"), std::string("1000"));
        QCOMPARE(Field(db, node.index, "pol"), std::string("1"));

        CTpInfoDlg::SetTestScript([](CTpInfoDlg &dialog) {
            Enter(dialog, QStringLiteral(" 13450 "), 0, QStringLiteral("45000"));
            dialog.accept();
        });
        QVERIFY(CTpInfoDlg::Run(f.context, node, TpInfoEdit, 0, nullptr));
        QCOMPARE(Field(db, node.index, "frq"), std::string("13450"));
        QCOMPARE(Field(db, node.index, "sym"), std::string("45000"));
        QVERIFY(f.Transponder(1).label.endsWith(QStringLiteral("TP_13450_H_45000")));
        QCOMPARE(f.context.UndoStack().count(), 2);
    }

    void aNewThirdTransponderGetsItsRecordIdAndLabel()
    {
        Fixture f;
        CChannelDb &db = f.context.Database();
        const int ordinal = f.TransponderCount() + 1;
        const int freeId = db.FindFreeId(KindTransponder, f.satellite.satId);
        QVERIFY(freeId > 0);
        const int live = db.LiveCount(KindTransponder);
        NavNode node = f.NewNode();
        ScriptGuard<CTpInfoDlg> guard;
        CTpInfoDlg::SetTestScript([&](CTpInfoDlg &dialog) {
            QCOMPARE(dialog.TpNameEdit()->text(), QStringLiteral("[ %1 ]  TP_0_H_0").arg(ordinal));
            QCOMPARE(dialog.FrequencyEdit()->text(), QStringLiteral("0"));
            QCOMPARE(dialog.SecondValueEdit()->text(), QStringLiteral("0"));
            QCOMPARE(dialog.PolarizationCombo()->currentText(), QStringLiteral("Horizontal"));
            Enter(dialog, QStringLiteral("11778"), 1, QStringLiteral("27500"));
            dialog.accept();
        });
        QVERIFY(CTpInfoDlg::Run(f.context, node, TpInfoNew, ordinal, nullptr));
        QCOMPARE(node.kind, NavAllServices);  // the dialog leaves the node alone; the tree makes its own
        node = f.Transponder(ordinal);
        QCOMPARE(node.kind, NavTransponder);
        QCOMPARE(node.tpId, freeId);
        QCOMPARE(node.label, QStringLiteral("[ %1 ]  TP_11778_V_27500").arg(ordinal));
        QCOMPARE(db.LiveCount(KindTransponder), live + 1);
        QCOMPARE(Field(db, node.index, "sat_id"), std::to_string(f.satellite.satId));
        QCOMPARE(Field(db, node.index, "tp_id"), std::to_string(freeId));
        QCOMPARE(Field(db, node.index, "frq"), std::string("11778"));
        QCOMPARE(Field(db, node.index, "pol"), std::string("1"));
        QCOMPARE(Field(db, node.index, "sym"), std::string("27500"));
        // The navigator builds the same label from the record.
        QCOMPARE(QString::fromStdString(TransponderLabel(db, node.index, ordinal)), node.label);
        QCOMPARE(f.TransponderCount(), ordinal);

        const std::vector<uint8_t> created = db.RecordBytes(KindTransponder, node.index);
        QCOMPARE(f.context.UndoStack().count(), 1);
        f.context.UndoStack().undo();
        QVERIFY(!db.IsUsed(KindTransponder, node.index));
        QCOMPARE(db.LiveCount(KindTransponder), live);
        f.context.UndoStack().redo();
        QVERIFY(db.RecordBytes(KindTransponder, node.index) == created);
        QCOMPARE(f.refreshes, 3);
    }

    void cancelAndCloseBoxCreateNothing()
    {
        Fixture f;
        CChannelDb &db = f.context.Database();
        const auto table = TableRecords(db, KindTransponder);
        const int used = db.Used();
        ScriptGuard<CTpInfoDlg> guard;
        for (int way = 0; way < 3; ++way) {
            NavNode node = f.NewNode();
            int okState = -1;
            CTpInfoDlg::SetTestScript([&](CTpInfoDlg &dialog) {
                Enter(dialog, QStringLiteral("11778"), 1, QStringLiteral("27500"));
                if (way == 0) {
                    dialog.CancelButton()->click();
                } else if (way == 1) {
                    dialog.show();
                    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
                    dialog.close();
                } else {
                    dialog.reject();
                }
                okState = dialog.EndFlag();
            });
            QVERIFY(!CTpInfoDlg::Run(f.context, node, TpInfoNew, 4, nullptr));
            QCOMPARE(okState, way == 1 ? int(CTpInfoDlg::EndedClosed) : int(CTpInfoDlg::EndedCancel));
            QCOMPARE(node.kind, NavAllServices);
            QVERIFY(TableRecords(db, KindTransponder) == table);
            QCOMPARE(db.Used(), used);
        }
        QCOMPARE(f.context.UndoStack().count(), 0);
        QCOMPARE(f.refreshes, 0);

        // Cancel in edit mode after changes leaves the record and the label as they were.
        NavNode node = f.Transponder(1);
        const QString label = node.label;
        CTpInfoDlg::SetTestScript([](CTpInfoDlg &dialog) {
            Enter(dialog, QStringLiteral("4000"), 1, QStringLiteral("2000"));
            dialog.reject();
        });
        QVERIFY(!CTpInfoDlg::Run(f.context, node, TpInfoEdit, 0, nullptr));
        QVERIFY(TableRecords(db, KindTransponder) == table);
        QCOMPARE(node.label, label);
    }

    void terrestrialTranspondersAreReadOnly()
    {
        Fixture f(255);
        CChannelDb &db = f.context.Database();
        QVERIFY(f.TransponderCount() > 0);
        NavNode node = f.Transponder(1);
        QVERIFY(SetNodeTextByName(db, KindTransponder, node.index, "dvbt_frq", "474000", DeclarationOrder));
        QVERIFY(SetNodeTextByName(db, KindTransponder, node.index, "bandwidth", "8", DeclarationOrder));
        node.label = QStringLiteral("[ 1 ]  TP_474000_8");
        const std::vector<uint8_t> before = db.RecordBytes(KindTransponder, node.index);
        ScriptGuard<CTpInfoDlg> guard;
        CTpInfoDlg::SetTestScript([](CTpInfoDlg &dialog) {
            QVERIFY(!dialog.FrequencyEdit()->isEnabled());
            QVERIFY(!dialog.SecondValueEdit()->isEnabled());
            QVERIFY(!dialog.PolarizationCombo()->isEnabled());
            QCOMPARE(dialog.SecondValueLabel()->text(), QStringLiteral("Band Width"));
            QCOMPARE(dialog.FrequencyEdit()->text(), QStringLiteral("474000"));
            QCOMPARE(dialog.SecondValueEdit()->text(), QStringLiteral("8"));
            dialog.accept();
        });
        QVERIFY(CTpInfoDlg::Run(f.context, node, TpInfoEdit, 0, nullptr));
        QVERIFY(db.RecordBytes(KindTransponder, node.index) == before);
        QCOMPARE(node.label, QStringLiteral("[ 1 ]  TP_474000_8"));

        // A new one under the terrestrial satellite takes any value.
        NavNode fresh = f.NewNode();
        const int ordinal = f.TransponderCount() + 1;
        CTpInfoDlg::SetTestScript([](CTpInfoDlg &dialog) {
            Enter(dialog, QStringLiteral("5"), 0, QStringLiteral("3"));
            dialog.accept();
        });
        QVERIFY(CTpInfoDlg::Run(f.context, fresh, TpInfoNew, ordinal, nullptr));
        QVERIFY(f.context.prompt.messages.isEmpty());
        fresh = f.Transponder(ordinal);
        QCOMPARE(Field(db, fresh.index, "sat_id"), std::string("255"));
        QCOMPARE(Field(db, fresh.index, "dvbt_frq"), std::string("5"));
        QCOMPARE(Field(db, fresh.index, "bandwidth"), std::string("3"));
        QCOMPARE(Field(db, fresh.index, "frq"), std::string("0"));
        QCOMPARE(fresh.label, QStringLiteral("[ %1 ]  TP_5_3").arg(ordinal));
        QCOMPARE(QString::fromStdString(TransponderLabel(db, fresh.index, ordinal)), fresh.label);
    }

    void resetShowsTheStoredOrTheNewValuesAgain()
    {
        Fixture f;
        NavNode node = f.Transponder(1);
        f.Store(node, 12188, 27500, 0);
        CTpInfoDlg edit(f.context, node, TpInfoEdit, 0);
        Enter(edit, QStringLiteral("4000"), 1, QStringLiteral("2000"));
        edit.ResetButton()->click();
        QCOMPARE(edit.FrequencyEdit()->text(), QStringLiteral("12188"));
        QCOMPARE(edit.SecondValueEdit()->text(), QStringLiteral("27500"));
        QCOMPARE(edit.PolarizationCombo()->currentIndex(), 0);
        QCOMPARE(edit.PolarizationCombo()->count(), 2);

        NavNode fresh = f.NewNode();
        CTpInfoDlg created(f.context, fresh, TpInfoNew, 5);
        Enter(created, QStringLiteral("4000"), 1, QStringLiteral("2000"));
        created.ResetButton()->click();
        QCOMPARE(created.FrequencyEdit()->text(), QStringLiteral("0"));
        QCOMPARE(created.SecondValueEdit()->text(), QStringLiteral("0"));
        QCOMPARE(created.PolarizationCombo()->currentIndex(), 0);
        QCOMPARE(created.TpNameEdit()->text(), QStringLiteral("[ 5 ]  TP_0_H_0"));
    }

    void aStoredPolarizationWithoutARowStays()
    {
        Fixture f;
        NavNode node = f.Transponder(1);
        f.Store(node, 10714, 22000, 2);
        CChannelDb &db = f.context.Database();
        ScriptGuard<CTpInfoDlg> guard;
        CTpInfoDlg::SetTestScript([](CTpInfoDlg &dialog) {
            QCOMPARE(dialog.PolarizationCombo()->currentIndex(), -1);
            dialog.FrequencyEdit()->setText(QStringLiteral("10729"));
            dialog.accept();
        });
        QVERIFY(CTpInfoDlg::Run(f.context, node, TpInfoEdit, 0, nullptr));
        QCOMPARE(Field(db, node.index, "pol"), std::string("2"));
        QCOMPARE(Field(db, node.index, "frq"), std::string("10729"));
        QVERIFY(f.Transponder(1).label.endsWith(QStringLiteral("TP_10729_V_22000")));
    }

    void aFullSatelliteRefusesANewTransponder()
    {
        Fixture f(7);
        CChannelDb &db = f.context.Database();
        for (int id = 1; id <= 1023; ++id) {
            const int slot = db.AllocateNode(KindTransponder);
            QVERIFY(slot >= 0);
            QVERIFY(SetNodeTextByName(db, KindTransponder, slot, "sat_id", "7", DeclarationOrder));
            QVERIFY(SetNodeTextByName(db, KindTransponder, slot, "tp_id", std::to_string(id), DeclarationOrder));
        }
        const auto table = TableRecords(db, KindTransponder);
        const int used = db.Used();
        bool opened = false;
        ScriptGuard<CTpInfoDlg> guard;
        CTpInfoDlg::SetTestScript([&](CTpInfoDlg &dialog) {
            opened = true;
            dialog.accept();
        });
        NavNode node = f.NewNode();
        QVERIFY(!CTpInfoDlg::Run(f.context, node, TpInfoNew, 1024, nullptr));
        QVERIFY(!opened);
        QCOMPARE(f.context.prompt.messages.size(), 1);
        QCOMPARE(f.context.prompt.messages.front(), TpInfoForm::CheckRoomForNew(db, 7));
        QVERIFY(f.context.prompt.messages.front().contains(QStringLiteral("1023")));
        QVERIFY(TableRecords(db, KindTransponder) == table);
        QCOMPARE(db.Used(), used);
        QCOMPARE(node.kind, NavAllServices);
        QCOMPARE(f.context.UndoStack().count(), 0);
    }

    void aFullTableRefusesAtWriting()
    {
        Fixture f;
        CChannelDb &db = f.context.Database();
        NavNode node = f.NewNode();
        std::vector<std::vector<uint8_t>> table;
        int used = 0;
        ScriptGuard<CTpInfoDlg> guard;
        CTpInfoDlg::SetTestScript([&](CTpInfoDlg &dialog) {
            // The table fills up while the dialog is open.
            while (db.AllocateNode(KindTransponder) >= 0) {
            }
            table = TableRecords(db, KindTransponder);
            used = db.Used();
            Enter(dialog, QStringLiteral("11778"), 0, QStringLiteral("27500"));
            dialog.accept();
        });
        QVERIFY(!CTpInfoDlg::Run(f.context, node, TpInfoNew, 2, nullptr));
        QVERIFY(!table.empty());
        QCOMPARE(f.context.prompt.messages.size(), 1);
        // The table holds more records than a file may: the file's limit refuses at writing.
        QVERIFY(f.context.prompt.messages.front().contains(QStringLiteral("6000")));
        QCOMPARE(node.kind, NavAllServices);
        QCOMPARE(f.context.UndoStack().count(), 0);
        QCOMPARE(f.refreshes, 0);
        QVERIFY(TableRecords(db, KindTransponder) == table);
        QCOMPARE(db.Used(), used);
    }

    void aNodeWithoutParentIsReportedAndOkGoesOn()
    {
        Fixture f;
        NavNode node = f.Transponder(1);
        node.parent = nullptr;
        ScriptGuard<CTpInfoDlg> guard;
        CTpInfoDlg::SetTestScript([](CTpInfoDlg &dialog) {
            Enter(dialog, QStringLiteral("12000"), 0, QStringLiteral("27500"));
            dialog.accept();
        });
        QVERIFY(CTpInfoDlg::Run(f.context, node, TpInfoEdit, 0, nullptr));
        QCOMPARE(f.context.prompt.messages, QStringList{QStringLiteral("nItemFather = NULL")});
        QCOMPARE(Field(f.context.Database(), node.index, "frq"), std::string("12000"));
    }
};

QTEST_MAIN(TpInfoDlgTest)
#include "TpInfoDlgTest.moc"
