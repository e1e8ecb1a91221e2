// The editor end to end: a session of tree, dialog and list edits, saved, reopened, read by
// dravel-cli, and then undone to the byte.
#include "gui/GuiTestSupport.h"

#include "database/NodeFields.h"
#include "views/CNavigator.h"
#include "editors/CProgramInfoDlg.h"
#include "editors/CSatelliteInfoDlg.h"
#include "editors/CTpInfoDlg.h"
#include "layout/FieldDesc.h"
#include "views/CGroupRenameDlg.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QComboBox>
#include <QProcess>
#include <QTableView>
#include <QUndoStack>

using namespace GuiTest;

namespace {

constexpr FieldOrder kPosition = PositionOrder;

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename T>
T *ControlWithId(QWidget &dialog, int controlId)
{
    for (T *widget : dialog.findChildren<T *>()) {
        if (widget->property("controlId").toInt() == controlId)
            return widget;
    }
    return nullptr;
}

QStringList SatelliteNames(CNavigator *nav)
{
    QStringList names;
    for (int i = 0; i < nav->SatelliteFolderItem()->childCount(); ++i)
        names << nav->SatelliteFolderItem()->child(i)->text(0);
    return names;
}

std::optional<int> FindProgram(const CChannelDb &db, const std::string &name)
{
    for (int i = 0; i < db.Count(KindProgram); ++i) {
        if (GetNodeTextByName(db, KindProgram, i, "Service Name", kPosition) == name)
            return i;
    }
    return std::nullopt;
}

uint32_t Groups(const CChannelDb &db, int slot)
{
    return uint32_t(GetNodeIntByName(db, KindProgram, slot, "Favorite Group", kPosition).value_or(0));
}

// What the session entered, as a reader of the saved file must find it.
struct Expected
{
    QStringList satellites;        // tree order
    QStringList newTransponders;   // labels under the new satellite
    QString programName = QStringLiteral("E2E Prog");
    uint32_t programGroups = 0;
    std::string editedName;        // the program whose groups were edited
    uint32_t editedGroups = 0;
    QString groupName = QStringLiteral("E2E Group");
    int groupIndex = 4;            // group 5
    int programs = 0;
    int transponders = 0;
    QStringList satellitesBefore;
    int programsBefore = 0;
    int firstSatTransponders = 0;  // before the deletion
};

// A generated ".usd" copied to `path`; its bytes.
QByteArray PrepareFile(FrameFixture &f, const QString &path)
{
    GeneratorOptions options;
    options.satellites = 3;
    options.transponders = 18;
    options.programs = 200;
    const QString generated = f.Data(QStringLiteral("generated.usd"));
    if (!QFile::exists(generated) && !GenerateDatabase(generated, options))
        return {};
    QFile::remove(path);
    return QFile::copy(generated, path) ? ReadAll(path) : QByteArray();
}

} // namespace

class EditorEndToEndTest : public QObject
{
    Q_OBJECT

    // The session: a satellite, a transponder under it and a program under that (in group 2),
    // an existing program's groups edited, group 5 renamed, a transponder deleted, a satellite
    // moved. Fills `expected` with what a reader of the saved file must find.
    static void RunSession(FrameFixture &f, Expected &expected)
    {
        CMainFrame &frame = *f.frame;
        CNavigator *nav = frame.GetNavigator();
        CZanEditorView *list = frame.GetChannelList();
        CChannelDb &db = frame.Database();
        expected.satellitesBefore = SatelliteNames(nav);
        expected.programsBefore = db.LiveCount(KindProgram);
        const int transpondersBefore = db.LiveCount(KindTransponder);

        // 1. A new satellite.
        nav->setCurrentItem(nav->SatelliteFolderItem());
        CSatelliteInfoDlg::SetTestScript([](CSatelliteInfoDlg &d) {
            ControlWithId<QLineEdit>(d, 1035)->setText(QStringLiteral("E2E Sat"));
            d.accept();
        });
        nav->Add();
        QCOMPARE(SatelliteNames(nav).size(), 4);
        QTreeWidgetItem *satItem = nav->SatelliteFolderItem()->child(3);
        QCOMPARE(satItem->text(0), QStringLiteral("E2E Sat"));

        // 2. A transponder under it.
        nav->setCurrentItem(satItem);
        CTpInfoDlg::SetTestScript([](CTpInfoDlg &d) {
            d.FrequencyEdit()->setText(QStringLiteral("11111"));
            d.PolarizationCombo()->setCurrentIndex(1);
            d.SecondValueEdit()->setText(QStringLiteral("22000"));
            d.accept();
        });
        nav->Add();
        // Every edit builds the tree again from the database: items are looked up anew.
        satItem = nav->SatelliteFolderItem()->child(3);
        QCOMPARE(satItem->childCount(), 1);
        expected.newTransponders = {QStringLiteral("[ 1 ]  TP_11111_V_22000")};
        QCOMPARE(satItem->child(0)->text(0), expected.newTransponders[0]);

        // 3. A program under that, in group 2, through the list's Insert Channel.
        nav->setCurrentItem(satItem->child(0));
        QCOMPARE(list->RowCount(), 0);
        CProgramInfoDlg::SetTestScript([&](CProgramInfoDlg &d) {
            qobject_cast<QLineEdit *>(d.ControlById(IdChannelName))->setText(expected.programName);
            qobject_cast<QLineEdit *>(d.ControlById(IdServiceId))->setText(QStringLiteral("4321"));
            qobject_cast<QLineEdit *>(d.ControlById(IdVideoPid))->setText(QStringLiteral("512"));
            qobject_cast<QLineEdit *>(d.ControlById(IdAudioPid1))->setText(QStringLiteral("650"));
            qobject_cast<QLineEdit *>(d.ControlById(IdPcrPid))->setText(QStringLiteral("512"));
            if (!d.GroupItemTicked(1))
                d.ToggleGroupItem(1);
            d.accept();
        });
        list->InsertChannel();
        QCOMPARE(list->RowCount(), 1);
        const std::optional<int> newProgram = FindProgram(db, expected.programName.toStdString());
        QVERIFY(newProgram);
        expected.programGroups = Groups(db, *newProgram);
        QVERIFY(expected.programGroups & 2u);

        // 4. An existing program's groups: group 3 toggled in the program dialog, and its name.
        // A program of the third satellite: the first satellite loses a transponder below.
        QTreeWidgetItem *third = nav->SatelliteFolderItem()->child(2);
        nav->setCurrentItem(third);
        QVERIFY(list->RowCount() > 0);
        list->SelectChannelRow(0);
        const RowRecord *record = list->Record(0);
        QVERIFY(record);
        const int editedSlot = CNavigator::NodeOf(third)->slots[size_t(record->index)];
        expected.editedName = "E2E Edited";  // names of generated programs repeat
        expected.editedGroups = Groups(db, editedSlot) ^ 4u;
        CProgramInfoDlg::SetTestScript([](CProgramInfoDlg &d) {
            qobject_cast<QLineEdit *>(d.ControlById(IdChannelName))->setText(QStringLiteral("E2E Edited"));
            d.ToggleGroupItem(2);
            d.accept();
        });
        list->EditChannel();
        QCOMPARE(Groups(db, editedSlot), expected.editedGroups);
        QCOMPARE(list->Model()->data(list->Model()->index(0, 1)).toString(), QStringLiteral("E2E Edited"));

        // 5. Group 5 renamed with Enter in the tree.
        nav->setCurrentItem(nav->FavouriteRootItem()->child(expected.groupIndex));
        CGroupRenameDlg::SetNextAnswer(expected.groupName);
        QTest::keyClick(nav, Qt::Key_Return);
        QCOMPARE(nav->FavouriteRootItem()->child(expected.groupIndex)->text(0), expected.groupName);

        // 6. The first transponder of the first satellite deleted.
        QTreeWidgetItem *firstSat = nav->SatelliteFolderItem()->child(0);
        expected.firstSatTransponders = firstSat->childCount();
        nav->setCurrentItem(firstSat->child(0));
        const int deletedPrograms = int(nav->GetSelectedNode()->slots.size());
        f.prompt.answers = {UserPrompt::Yes};
        QTest::keyClick(nav, Qt::Key_Delete);
        firstSat = nav->SatelliteFolderItem()->child(0);
        QCOMPARE(firstSat->childCount(), expected.firstSatTransponders - 1);

        // 7. The second satellite moved up.
        nav->setCurrentItem(nav->SatelliteFolderItem()->child(1));
        QTest::keyClick(nav, Qt::Key_Minus);
        expected.satellites = {expected.satellitesBefore[1], expected.satellitesBefore[0], expected.satellitesBefore[2], QStringLiteral("E2E Sat")};
        QCOMPARE(SatelliteNames(nav), expected.satellites);
        expected.programs = expected.programsBefore + 1 - deletedPrograms;
        expected.transponders = transpondersBefore + 1 - 1;
        QCOMPARE(db.LiveCount(KindProgram), expected.programs);
        QCOMPARE(frame.UndoStack().count(), 7);
    }

    // The saved file as the editor reads it again.
    static void CheckReopened(CMainFrame &frame, const Expected &expected, bool groupNames)
    {
        CNavigator *nav = frame.GetNavigator();
        const CChannelDb &db = frame.Database();
        QCOMPARE(SatelliteNames(nav), expected.satellites);
        QTreeWidgetItem *satellite = nav->SatelliteFolderItem()->child(3);
        QCOMPARE(satellite->childCount(), 1);
        QCOMPARE(satellite->child(0)->text(0), expected.newTransponders[0]);
        QCOMPARE(nav->SatelliteFolderItem()->child(1)->childCount(), expected.firstSatTransponders - 1);
        QCOMPARE(db.LiveCount(KindProgram), expected.programs);
        QCOMPARE(db.LiveCount(KindTransponder), expected.transponders);
        const std::optional<int> program = FindProgram(db, expected.programName.toStdString());
        QVERIFY(program);
        QCOMPARE(Groups(db, *program), expected.programGroups);
        QCOMPARE(GetNodeIntByName(db, KindProgram, *program, "Service ID", kPosition).value_or(0), 4321);
        // The new program hangs under the new transponder of the new satellite.
        nav->setCurrentItem(satellite->child(0));
        QCOMPARE(frame.GetChannelList()->RowCount(), 1);
        const std::optional<int> edited = FindProgram(db, expected.editedName);
        QVERIFY(edited);
        QCOMPARE(Groups(db, *edited), expected.editedGroups);
        if (groupNames) {
            QCOMPARE(db.Favourites()->names[size_t(expected.groupIndex)], expected.groupName.toStdString());
            QCOMPARE(nav->FavouriteRootItem()->child(expected.groupIndex)->text(0), expected.groupName);
        }
    }

    // The same file as dravel-cli reads it.
    static void CheckDump(const QString &path, const Expected &expected)
    {
        QProcess cli;
        cli.start(QStringLiteral(DRAVEL_BIN_DIR "/dravel-cli"),
                  {QStringLiteral("dump"), path, QStringLiteral("--layout"), BundledTemplatePath(),
                   QStringLiteral("--format"), QStringLiteral("json")});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const QJsonObject dump = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        QStringList satellites;
        for (const QJsonValue &sat : dump.value("satellites").toArray())
            satellites << sat.toObject().value("fields").toObject().value("satname").toString();
        QCOMPARE(satellites, expected.satellites);
        QCOMPARE(dump.value("programs").toArray().size(), expected.programs);
        QCOMPARE(dump.value("transponders").toArray().size(), expected.transponders);
        bool foundProgram = false;
        bool foundEdited = false;
        for (const QJsonValue &value : dump.value("programs").toArray()) {
            const QJsonObject fields = value.toObject().value("fields").toObject();
            const QString name = fields.value("Service Name").toString();
            if (name == expected.programName) {
                foundProgram = true;
                QCOMPARE(fields.value("Favorite Group").toString().toUInt(), expected.programGroups);
                QCOMPARE(fields.value("Service ID").toString(), QStringLiteral("4321"));
            } else if (name.toStdString() == expected.editedName) {
                foundEdited = true;
                QCOMPARE(fields.value("Favorite Group").toString().toUInt(), expected.editedGroups);
            }
        }
        QVERIFY(foundProgram);
        QVERIFY(foundEdited);
        bool foundTransponder = false;
        for (const QJsonValue &value : dump.value("transponders").toArray()) {
            const QJsonObject fields = value.toObject().value("fields").toObject();
            if (fields.value("frq").toString() == QStringLiteral("11111")) {
                foundTransponder = true;
                QCOMPARE(fields.value("sym").toString(), QStringLiteral("22000"));
                QCOMPARE(fields.value("pol").toString(), QStringLiteral("1"));
            }
        }
        QVERIFY(foundTransponder);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(!BundledCacheBytes().isEmpty()); }
    void cleanup()
    {
        CSatelliteInfoDlg::SetTestScript({});
        CTpInfoDlg::SetTestScript({});
        CProgramInfoDlg::SetTestScript({});
        CGroupRenameDlg::ClearNextAnswer();
    }

    void sessionSavedReopenedAndDumped()
    {
        FrameFixture f;
        const QString path = f.Data(QStringLiteral("work.usd"));
        QVERIFY(!PrepareFile(f, path).isEmpty());
        QVERIFY(f.frame->OpenDatabaseFile(path));
        Expected expected;
        RunSession(f, expected);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(f.frame->SaveDatabaseFile(path));
        QVERIFY(!f.frame->IsModified());
        // A user database's group names live in the profile, written when the file is closed.
        QVERIFY(f.frame->CloseDatabaseFile());
        QVERIFY(f.frame->OpenDatabaseFile(path));
        CheckReopened(*f.frame, expected, true);
        if (QTest::currentTestFailed())
            return;
        CheckDump(path, expected);
    }

    void sessionUndoneSavesTheOriginalBytes()
    {
        FrameFixture f;
        const QString path = f.Data(QStringLiteral("work.usd"));
        const QByteArray original = PrepareFile(f, path);
        QVERIFY(!original.isEmpty());
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(path));
        const QStringList treeBefore = SatelliteNames(frame.GetNavigator());
        const QString groupBefore = frame.GetNavigator()->FavouriteRootItem()->child(4)->text(0);
        Expected expected;
        RunSession(f, expected);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(frame.SaveDatabaseFile(path));
        {
            // The saved edits, read by a second window while the first keeps its undo history.
            CMainFrame second(&f.prompt);
            second.SetLayoutCacheFolders(frame.LayoutCacheFoldersInUse());
            second.InitialUpdate();
            QVERIFY(second.OpenDatabaseFile(path));
            CheckReopened(second, expected, false);
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(ReadAll(path) != original);

        while (frame.UndoStack().canUndo())
            frame.UndoStack().undo();
        QCOMPARE(SatelliteNames(frame.GetNavigator()), treeBefore);
        QCOMPARE(frame.GetNavigator()->FavouriteRootItem()->child(4)->text(0), groupBefore);
        QCOMPARE(frame.Database().LiveCount(KindProgram), expected.programsBefore);
        QVERIFY(frame.IsModified());
        QVERIFY(frame.SaveDatabaseFile(path));
        const QByteArray undone = ReadAll(path);
        QCOMPARE(undone.size(), original.size());
        QVERIFY(undone == original);
    }
};

QTEST_MAIN(EditorEndToEndTest)
#include "EditorEndToEndTest.moc"
