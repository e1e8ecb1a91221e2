// The satellite dialog through Run on a generated database: controls, values, checks, writes, undo.
#include "DialogTestSupport.h"
#include "gui/TestEditorContext.h"

#include "database/NodeFields.h"
#include "editors/CSatelliteInfoDlg.h"
#include "document/NavNode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace GuiTest;

namespace {

// A generated database of this many satellites, two transponders and four programs each.
GeneratorOptions Satellites(int satellites, bool terrestrial = false)
{
    GeneratorOptions options;
    options.satellites = satellites;
    options.transponders = satellites * 2;
    options.programs = satellites * 4;
    options.terrestrial = terrestrial;
    return options;
}

template <typename T>
T *ControlOf(CSatelliteInfoDlg &dialog, int id)
{
    T *control = qobject_cast<T *>(dialog.ControlById(id));
    if (!control)
        qWarning("control %d missing or of another class", id);
    return control;
}

QLineEdit *NameEdit(CSatelliteInfoDlg &d) { return ControlOf<QLineEdit>(d, 1035); }
QLineEdit *PositionEdit(CSatelliteInfoDlg &d) { return ControlOf<QLineEdit>(d, 1036); }
QLineEdit *LongitudeEdit(CSatelliteInfoDlg &d) { return ControlOf<QLineEdit>(d, 1037); }
QComboBox *Combo(CSatelliteInfoDlg &d, int id) { return ControlOf<QComboBox>(d, id); }

// Chooses the row with this text, as a user would.
void Choose(CSatelliteInfoDlg &d, int id, const QString &text)
{
    QComboBox *combo = Combo(d, id);
    const int row = combo->findText(text);
    if (row < 0)
        qWarning("no row %s in %d", qPrintable(text), id);
    combo->setCurrentIndex(row);
}

int Field(const CChannelDb &db, int slot, const char *name)
{
    return GetNodeIntByName(db, KindSatellite, slot, name, PositionOrder).value_or(-12345);
}


NavNode SatelliteNode(const CChannelDb &db, int slot)
{
    NavNode node;
    node.kind = NavSatellite;
    node.index = slot;
    node.satId = Field(db, slot, "sat_id");
    node.label = QString::fromStdString(
        GetNodeTextByName(db, KindSatellite, slot, "satname", PositionOrder).value_or(std::string()));
    return node;
}

} // namespace

class SatelliteInfoDlgTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { CSatelliteInfoDlg::SetTestScript({}); }

    void controlsCarryTheirIdsLabelsAndOrder()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(2)));
        NavNode node = SatelliteNode(c.db, 0);
        CSatelliteInfoDlg dialog(c, node, SatelliteInfoMode::Edit);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Satellite Information"));
        QCOMPARE(dialog.property("controlId").toInt(), 141);
        const std::vector<std::pair<int, QString>> labelled {
            {1035, "Satellite Name"}, {1057, "Tuner"}, {1038, "LNB Type"}, {1039, "First Frequency"},
            {1041, "Second Frequency"}, {1036, "Satellite Position"}, {1037, "Satellite Longitude"},
            {1040, "East / West Flag"}, {1043, "DiSEqC"}, {1042, "22K"}, {1044, "0 / 12V"}, {1045, "Toneburst"}};
        for (const auto &[id, text] : labelled) {
            QWidget *control = dialog.ControlById(id);
            QVERIFY2(control, qPrintable(text));
            bool hasBuddy = false;
            for (QLabel *label : dialog.findChildren<QLabel *>())
                hasBuddy = hasBuddy || (label->buddy() == control && label->text() == text);
            QVERIFY2(hasBuddy, qPrintable(text));
            QCOMPARE(control->accessibleName(), text);
        }
        QCOMPARE(ControlOf<QCheckBox>(dialog, 1056)->text(), QStringLiteral("Selected_flag"));
        QCOMPARE(ControlOf<QPushButton>(dialog, 1046)->text(), QStringLiteral("Reset"));
        QCOMPARE(ControlOf<QPushButton>(dialog, 2)->text(), QStringLiteral("Cancel"));
        QVERIFY(ControlOf<QPushButton>(dialog, 1)->isDefault());
        QCOMPARE(NameEdit(dialog)->maxLength(), 16);  // satname holds 16 UTF-16 units
        QCOMPARE(Combo(dialog, 1057)->count(), 4);
        QCOMPARE(Combo(dialog, 1057)->itemText(3), QStringLiteral("Both"));
        QCOMPARE(Combo(dialog, 1043)->count(), 31);
        QCOMPARE(Combo(dialog, 1039)->count(), 12);
        QVERIFY(dialog.findChild<QLabel *>("longitudeHint"));
        QCOMPARE(dialog.findChild<QLabel *>("longitudeHint")->text(), QStringLiteral("###.#"));

        // Tab order runs down the form, then Reset, OK, Cancel.
        const std::vector<int> order {1035, 1056, 1057, 1038, 1039, 1041, 1036, 1037, 1040, 1043, 1042, 1044, 1045,
                                      1046, 1, 2};
        for (size_t i = 0; i + 1 < order.size(); ++i)
            QCOMPARE(NextTabStop(dialog.ControlById(order[i])), dialog.ControlById(order[i + 1]));
    }

    void editShowsTheRecordAndOkWithoutChangesKeepsItsBytes()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(6)));
        for (int slot = 0; slot < 6; ++slot) {
            NavNode node = SatelliteNode(c.db, slot);
            const std::vector<uint8_t> before = c.db.RecordBytes(KindSatellite, slot);
            QString shownName;
            QString shownLongitude;
            QString shownEastWest;
            CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
                shownName = NameEdit(d)->text();
                shownLongitude = LongitudeEdit(d)->text();
                shownEastWest = Combo(d, 1040)->currentText();
                d.accept();
            });
            QVERIFY(CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::Edit, nullptr));
            QCOMPARE(shownName, node.label);
            const int orbit = Field(c.db, slot, "sat_orbit");
            const bool west = orbit > 1800;
            QCOMPARE(shownEastWest, west ? QStringLiteral("West") : QStringLiteral("East"));
            QCOMPARE(shownLongitude, QString::asprintf("%.1f", (west ? 3600 - orbit : orbit) / 10.0));
            QCOMPARE(c.db.RecordBytes(KindSatellite, slot), before);
        }
        QCOMPARE(c.stack.count(), 6);  // one command per OK
        QVERIFY(c.prompt.messages.isEmpty());
    }

    void editWritesEveryControlAndUndoRestoresTheBytes()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(3)));
        NavNode node = SatelliteNode(c.db, 1);
        const std::vector<uint8_t> before = c.db.RecordBytes(KindSatellite, 1);
        const auto all = AllRecords(c.db);
        int &refreshed = c.changes;
        refreshed = 0;
        QString first;
        QString second;
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            NameEdit(d)->setText(QStringLiteral("Türksa"));
            ControlOf<QCheckBox>(d, 1056)->setChecked(false);
            Choose(d, 1057, "Both");
            Choose(d, 1038, "Universal");
            first = Combo(d, 1039)->currentText();
            second = Combo(d, 1041)->currentText();
            QVERIFY(Combo(d, 1041)->isEnabled());
            Choose(d, 1041, "10750 MHz");
            PositionEdit(d)->setText("59");
            LongitudeEdit(d)->setText("30.0");
            Choose(d, 1040, "West");
            Choose(d, 1043, "3/8");
            Choose(d, 1042, "ON");
            Choose(d, 1044, "12 V");
            Choose(d, 1045, "B");
            d.accept();
        });
        QVERIFY(CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::Edit, nullptr));
        QCOMPARE(first, QStringLiteral("9750 MHz"));   // Universal preselects
        QCOMPARE(second, QStringLiteral("10600 MHz"));
        // The tree takes the name from the record when it is built again.
        QCOMPARE(SatelliteNode(c.db, node.index).label, QStringLiteral("Türksa"));
        QCOMPARE(GetNodeTextByName(c.db, KindSatellite, 1, "satname", PositionOrder).value_or(""),
                 std::string("Türksa"));
        QCOMPARE(Field(c.db, 1, "name_len"), 12);
        QCOMPARE(Field(c.db, 1, "selected_flag"), 0);
        QCOMPARE(Field(c.db, 1, "tuner1_valid"), 1);
        QCOMPARE(Field(c.db, 1, "tuner2_valid"), 1);
        QCOMPARE(Field(c.db, 1, "lnb_type"), 32);
        QCOMPARE(Field(c.db, 1, "lnb_low"), 9750);
        QCOMPARE(Field(c.db, 1, "lnb_high"), 10750);
        QCOMPARE(Field(c.db, 1, "position"), 59);
        QCOMPARE(Field(c.db, 1, "sat_orbit"), 3300);
        QCOMPARE(Field(c.db, 1, "DiSEqC_type"), 3);
        QCOMPARE(Field(c.db, 1, "DiSEqC_port"), 2);
        QCOMPARE(Field(c.db, 1, "k22"), 1);
        QCOMPARE(Field(c.db, 1, "v12"), 1);
        QCOMPARE(Field(c.db, 1, "toneburst"), 2);
        QCOMPARE(refreshed, 1);
        QCOMPARE(c.stack.count(), 1);
        QVERIFY(!c.stack.isClean());  // the file is modified
        const std::vector<uint8_t> after = c.db.RecordBytes(KindSatellite, 1);

        c.stack.undo();
        QCOMPARE(c.db.RecordBytes(KindSatellite, 1), before);
        QCOMPARE(AllRecords(c.db), all);
        QCOMPARE(refreshed, 2);
        c.stack.redo();
        QCOMPARE(c.db.RecordBytes(KindSatellite, 1), after);
    }

    void standardLnbEmptiesSecondFrequencyAndKeepsLnbHigh()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(2)));
        QVERIFY(SetNodeIntByName(c.db, KindSatellite, 0, "lnb_type", 16, PositionOrder));
        QVERIFY(SetNodeIntByName(c.db, KindSatellite, 0, "lnb_low", 5750, PositionOrder));
        QVERIFY(SetNodeIntByName(c.db, KindSatellite, 0, "lnb_high", 11300, PositionOrder));
        NavNode node = SatelliteNode(c.db, 0);
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            QCOMPARE(Combo(d, 1038)->currentText(), QStringLiteral("User"));
            QCOMPARE(Combo(d, 1039)->currentText(), QStringLiteral("5750 MHz"));
            QCOMPARE(Combo(d, 1041)->currentText(), QStringLiteral("11300 MHz"));
            Choose(d, 1038, "User");
            Choose(d, 1038, "Standard");
            QCOMPARE(Combo(d, 1039)->currentText(), QStringLiteral("5150 MHz"));
            QCOMPARE(Combo(d, 1041)->count(), 0);
            QVERIFY(!Combo(d, 1041)->isEnabled());
            Choose(d, 1039, "10600 MHz");
            d.accept();
        });
        QVERIFY(CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::Edit, nullptr));
        QCOMPARE(Field(c.db, 0, "lnb_type"), 0);
        QCOMPARE(Field(c.db, 0, "lnb_low"), 10600);
        QCOMPARE(Field(c.db, 0, "lnb_high"), 11300);
    }

    void unmatchedStoredValuesOpenWithoutSelectionAndStay()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(2)));
        QVERIFY(SetNodeIntByName(c.db, KindSatellite, 0, "DiSEqC_type", 2, PositionOrder));
        QVERIFY(SetNodeIntByName(c.db, KindSatellite, 0, "DiSEqC_port", 5, PositionOrder));
        QVERIFY(SetNodeIntByName(c.db, KindSatellite, 0, "toneburst", 3, PositionOrder));
        QVERIFY(SetNodeIntByName(c.db, KindSatellite, 0, "tuner1_valid", 0, PositionOrder));
        QVERIFY(SetNodeIntByName(c.db, KindSatellite, 0, "tuner2_valid", 1, PositionOrder));
        NavNode node = SatelliteNode(c.db, 0);
        const std::vector<uint8_t> before = c.db.RecordBytes(KindSatellite, 0);
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            QCOMPARE(Combo(d, 1043)->currentIndex(), -1);
            QCOMPARE(Combo(d, 1045)->currentIndex(), -1);
            QCOMPARE(Combo(d, 1057)->currentText(), QStringLiteral("Tuner2_valid"));
            d.accept();
        });
        QVERIFY(CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::Edit, nullptr));
        QCOMPARE(c.db.RecordBytes(KindSatellite, 0), before);
        QCOMPARE(Field(c.db, 0, "DiSEqC_port"), 5);
        QCOMPARE(Field(c.db, 0, "toneburst"), 3);
    }

    void orbitAboveTheCircleShowsBugAndIsKept()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(2)));
        QVERIFY(SetNodeIntByName(c.db, KindSatellite, 1, "sat_orbit", 3601, PositionOrder));
        NavNode node = SatelliteNode(c.db, 1);
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            QCOMPARE(Combo(d, 1040)->currentIndex(), -1);
            QCOMPARE(LongitudeEdit(d)->text(), QStringLiteral("0.0"));
            d.accept();
        });
        QVERIFY(CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::Edit, nullptr));
        QCOMPARE(c.prompt.messages, QStringList {QStringLiteral("BUG")});
        QCOMPARE(Field(c.db, 1, "sat_orbit"), 3601);
    }

    void validationKeepsTheDialogOpenOnTheField()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(2)));
        NavNode node = SatelliteNode(c.db, 0);
        const std::vector<uint8_t> before = c.db.RecordBytes(KindSatellite, 0);
        QStringList focused;
        QStringList selected;
        QList<int> flags;
        auto tryOk = [&](CSatelliteInfoDlg &d) {
            const int messages = int(c.prompt.messages.size());
            d.accept();
            flags << d.EndFlag();
            auto *edit = qobject_cast<QLineEdit *>(d.focusWidget());
            focused << (edit ? edit->objectName() : QString());
            selected << (edit ? edit->selectedText() : QString());
            return int(c.prompt.messages.size()) > messages;
        };
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            d.show();
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            PositionEdit(d)->setText("60");
            QVERIFY(tryOk(d));
            PositionEdit(d)->setText("-1");
            QVERIFY(tryOk(d));
            PositionEdit(d)->setText("59");
            LongitudeEdit(d)->setText("180.05");
            QVERIFY(tryOk(d));
            LongitudeEdit(d)->setText("abc");
            QVERIFY(tryOk(d));
            LongitudeEdit(d)->setText("180.0");
            NameEdit(d)->clear();
            QVERIFY(tryOk(d));
            PositionEdit(d)->setText("5x");
            QVERIFY(tryOk(d));
            PositionEdit(d)->setText("59");
            NameEdit(d)->setText("Ok");
            QVERIFY(!tryOk(d));
        });
        QVERIFY(CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::Edit, nullptr));
        QCOMPARE(c.prompt.messages,
                 (QStringList {"Satellite Position: [0,  59]", "Satellite Position: [0,  59]",
                               "Satellite Longitude: [0.0,  180.0]", "Please enter a number.",
                               "Empty satellite name!", "Please enter an integer."}));
        QCOMPARE(focused.mid(0, 6), (QStringList {"positionEdit", "positionEdit", "longitudeEdit", "longitudeEdit",
                                                  "nameEdit", "positionEdit"}));
        QCOMPARE(selected.mid(0, 4), (QStringList {"60", "-1", "180.05", "abc"}));
        QCOMPARE(flags, (QList<int> {0, 0, 0, 0, 0, 0, 1}));
        QCOMPARE(Field(c.db, 0, "position"), 59);
        QCOMPARE(Field(c.db, 0, "sat_orbit"), 1800);
        QVERIFY(c.db.RecordBytes(KindSatellite, 0) != before);
    }

    void terrestrialSatelliteIsReadOnly()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(3, true)));
        int slot = -1;
        for (int i = 0; i < c.db.Count(KindSatellite); ++i) {
            if (c.db.IsUsed(KindSatellite, i) && Field(c.db, i, "sat_id") == 255)
                slot = i;
        }
        QVERIFY(slot >= 0);
        NavNode node = SatelliteNode(c.db, slot);
        const std::vector<uint8_t> before = c.db.RecordBytes(KindSatellite, slot);
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            for (int id : {1035, 1056, 1057, 1038, 1039, 1041, 1036, 1037, 1040, 1043, 1042, 1044, 1045})
                QVERIFY2(!d.ControlById(id)->isEnabled(), qPrintable(QString::number(id)));
            QVERIFY(d.ControlById(1)->isEnabled());
            QVERIFY(d.ControlById(1046)->isEnabled());
            d.accept();
        });
        QVERIFY(CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::Edit, nullptr));
        QCOMPARE(c.db.RecordBytes(KindSatellite, slot), before);
    }

    void resetShowsTheRecordOrTheNewDefaultsAgain()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(2)));
        NavNode node = SatelliteNode(c.db, 0);
        const std::vector<uint8_t> before = c.db.RecordBytes(KindSatellite, 0);
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            const QString longitude = LongitudeEdit(d)->text();
            const QString diseqc = Combo(d, 1043)->currentText();
            NameEdit(d)->setText("Changed");
            LongitudeEdit(d)->setText("99.9");
            Choose(d, 1043, "16/16");
            Choose(d, 1038, "User");
            QTest::mouseClick(qobject_cast<QPushButton *>(d.ControlById(1046)), Qt::LeftButton);
            QCOMPARE(NameEdit(d)->text(), node.label);
            QCOMPARE(LongitudeEdit(d)->text(), longitude);
            QCOMPARE(Combo(d, 1043)->currentText(), diseqc);
            d.accept();
        });
        QVERIFY(CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::Edit, nullptr));
        QCOMPARE(c.db.RecordBytes(KindSatellite, 0), before);

        NavNode fresh;
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            NameEdit(d)->setText("Changed");
            Choose(d, 1038, "Universal");
            Choose(d, 1045, "A");
            QTest::mouseClick(qobject_cast<QPushButton *>(d.ControlById(1046)), Qt::LeftButton);
            QCOMPARE(NameEdit(d)->text(), QStringLiteral("New Satellite"));
            QCOMPARE(Combo(d, 1038)->currentText(), QStringLiteral("Standard"));
            QCOMPARE(Combo(d, 1039)->currentText(), QStringLiteral("5150 MHz"));
            QCOMPARE(Combo(d, 1041)->count(), 0);
            QCOMPARE(Combo(d, 1045)->currentText(), QStringLiteral("OFF"));
            d.reject();
        });
        QVERIFY(!CSatelliteInfoDlg::Run(c, fresh, SatelliteInfoMode::New, nullptr));
    }

    void newSatelliteOnOkCancelAndUndo()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(3)));
        const auto original = AllRecords(c.db);
        const int slots = c.db.Count(KindSatellite);

        // Cancel and the close box create nothing and leave the node as it was.
        NavNode cancelled;
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            QCOMPARE(NameEdit(d)->text(), QStringLiteral("New Satellite"));
            QCOMPARE(Combo(d, 1057)->currentText(), QStringLiteral("None"));
            QCOMPARE(Combo(d, 1038)->currentText(), QStringLiteral("Standard"));
            QCOMPARE(Combo(d, 1039)->currentText(), QStringLiteral("5150 MHz"));
            QVERIFY(!Combo(d, 1041)->isEnabled());
            QCOMPARE(Combo(d, 1041)->count(), 0);
            QCOMPARE(PositionEdit(d)->text(), QStringLiteral("0"));
            QCOMPARE(LongitudeEdit(d)->text(), QStringLiteral("0.0"));
            QCOMPARE(Combo(d, 1040)->currentText(), QStringLiteral("East"));
            QCOMPARE(Combo(d, 1043)->currentText(), QStringLiteral("Disable"));
            QCOMPARE(Combo(d, 1042)->currentText(), QStringLiteral("OFF"));
            QCOMPARE(Combo(d, 1044)->currentText(), QStringLiteral("0 V"));
            QCOMPARE(Combo(d, 1045)->currentText(), QStringLiteral("OFF"));
            QVERIFY(!ControlOf<QCheckBox>(d, 1056)->isChecked());
            d.reject();
        });
        QVERIFY(!CSatelliteInfoDlg::Run(c, cancelled, SatelliteInfoMode::New, nullptr));
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            d.show();
            d.close();
            QCOMPARE(d.EndFlag(), int(CSatelliteInfoDlg::EndedClosed));
        });
        QVERIFY(!CSatelliteInfoDlg::Run(c, cancelled, SatelliteInfoMode::New, nullptr));
        QCOMPARE(AllRecords(c.db), original);
        QCOMPARE(c.db.Count(KindSatellite), slots);
        QCOMPARE(c.stack.count(), 0);
        QCOMPARE(cancelled.kind, NavAllServices);
        QVERIFY(cancelled.label.isEmpty());

        // OK creates the record with the lowest free id.
        QVERIFY(SetNodeIntByName(c.db, KindSatellite, 1, "sat_id", 9, PositionOrder));
        const int freeId = c.db.FindFreeId(KindSatellite);
        std::vector<std::vector<uint8_t>> edited;
        for (int slot = 0; slot < c.db.Count(KindSatellite); ++slot)
            edited.push_back(c.db.RecordBytes(KindSatellite, slot));
        NavNode node;
        int &refreshed = c.changes;
        refreshed = 0;
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            NameEdit(d)->setText("Hispasat");
            Choose(d, 1040, "West");
            LongitudeEdit(d)->setText("30");
            Choose(d, 1057, "Tuner1_valid");
            d.accept();
        });
        QVERIFY(CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::New, nullptr));
        QCOMPARE(node.kind, NavAllServices);  // the dialog leaves the node alone; the tree makes its own
        int createdSlot = -1;
        for (int slot = 0; slot < c.db.Count(KindSatellite); ++slot) {
            if (c.db.IsUsed(KindSatellite, slot) && Field(c.db, slot, "sat_id") == freeId)
                createdSlot = slot;
        }
        QVERIFY(createdSlot >= 0);
        node = SatelliteNode(c.db, createdSlot);
        QCOMPARE(node.satId, freeId);
        QCOMPARE(node.label, QStringLiteral("Hispasat"));
        QVERIFY(c.db.IsUsed(KindSatellite, node.index));
        QCOMPARE(Field(c.db, node.index, "sat_id"), freeId);
        QCOMPARE(Field(c.db, node.index, "sat_orbit"), 3300);
        QCOMPARE(Field(c.db, node.index, "tuner1_valid"), 1);
        QCOMPARE(Field(c.db, node.index, "lnb_low"), 5150);
        QCOMPARE(Field(c.db, node.index, "name_len"), 16);
        QCOMPARE(c.db.LiveCount(KindSatellite), 4);
        QCOMPARE(refreshed, 1);
        const std::vector<uint8_t> created = c.db.RecordBytes(KindSatellite, node.index);

        c.stack.undo();
        QVERIFY(!c.db.IsUsed(KindSatellite, node.index));
        QCOMPARE(c.db.LiveCount(KindSatellite), 3);
        for (int slot = 0; slot < int(edited.size()) && slot < c.db.Count(KindSatellite); ++slot)
            QCOMPARE(c.db.RecordBytes(KindSatellite, slot), edited[size_t(slot)]);
        c.stack.redo();
        QCOMPARE(c.db.RecordBytes(KindSatellite, node.index), created);
        QCOMPARE(refreshed, 3);
    }

    void fullDatabaseRefusesANewSatellite()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(DatabaseGenerator::kMaxSatelliteIds)));
        QCOMPARE(c.db.FindFreeId(KindSatellite), 0);
        const auto original = AllRecords(c.db);
        bool opened = false;
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) {
            opened = true;
            d.accept();
        });
        NavNode node;
        QVERIFY(!CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::New, nullptr));
        QVERIFY(!opened);
        QCOMPARE(c.prompt.messages,
                 QStringList {QStringLiteral("No satellite can be added: all 254 satellite ids are in use.")});
        QCOMPARE(AllRecords(c.db), original);
        QCOMPARE(c.stack.count(), 0);
        QCOMPARE(node.kind, NavAllServices);
    }

    void fullTableRefusesTheRecordOnOk()
    {
        TestEditorContext c;
        QVERIFY(c.Generate(Satellites(2)));
        // Records without an id fill the table: an id is free, a record is not.
        while (c.db.AllocateNode(KindSatellite) >= 0) {
        }
        const auto original = AllRecords(c.db);
        NavNode node;
        CSatelliteInfoDlg::SetTestScript([&](CSatelliteInfoDlg &d) { d.accept(); });
        QVERIFY(!CSatelliteInfoDlg::Run(c, node, SatelliteInfoMode::New, nullptr));
        QCOMPARE(c.prompt.messages,
                 QStringList {QStringLiteral("The database is full: it already holds 1000 satellites, the most a file can take.")});
        QCOMPARE(AllRecords(c.db), original);
        QCOMPARE(c.stack.count(), 0);
        QCOMPARE(node.kind, NavAllServices);
        QVERIFY(node.label.isEmpty());
    }
};

QTEST_MAIN(SatelliteInfoDlgTest)
#include "SatelliteInfoDlgTest.moc"
