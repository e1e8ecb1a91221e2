// Getting lists out of the editor and changes into it: File → Export, Import Field Changes, Copy
// in the channel list, and View → Statistics.
#include "GuiTestSupport.h"

#include "database/DatabaseStatistics.h"
#include "database/NodeFields.h"
#include "lists/CFieldImportDlg.h"
#include "lists/CStatisticsDlg.h"
#include "lists/FieldImportRows.h"
#include "lists/StatisticsRows.h"
#include "views/CNavigator.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

using namespace GuiTest;

namespace {

std::vector<int> LiveSlots(const CChannelDb &db)
{
    std::vector<int> slots;
    for (int slot = 0; slot < db.Count(KindProgram); ++slot) {
        if (db.IsUsed(KindProgram, slot))
            slots.push_back(slot);
    }
    return slots;
}

std::string Name(const CChannelDb &db, int slot)
{
    return GetNodeTextByName(db, KindProgram, slot, "Service Name", DeclarationOrder).value_or("(none)");
}

struct OpenFrame : FrameFixture
{
    bool Open()
    {
        GeneratorOptions options;
        options.satellites = 2;
        options.transponders = 6;
        options.programs = 24;
        return GenerateDatabase(Data("g.usd"), options) && frame->OpenDatabaseFile(Data("g.usd"));
    }
    // The channel list showing the first satellite's programs.
    CZanEditorView *ShowFirstSatellite()
    {
        CNavigator *nav = frame->GetNavigator();
        nav->setCurrentItem(nav->SatelliteFolderItem()->child(0));
        return frame->GetChannelList();
    }
};

QList<QByteArray> Lines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class ListExchangeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        CFieldImportDlg::SetTestScript({});
        CStatisticsDlg::SetTestScript({});
    }

    void fileMenuOffersExportAndImportForAnOpenFile()
    {
        OpenFrame f;
        auto *exportMenu = f.frame->menuBar()->findChild<QMenu *>(QStringLiteral("exportMenu"));
        QVERIFY(exportMenu);
        QCOMPARE(exportMenu->actions().size(), 4);
        for (int id : {FrameCommand::FileExportListCsv, FrameCommand::FileExportDatabaseJson,
                       FrameCommand::FileImportFieldChanges, FrameCommand::ViewStatistics})
            QVERIFY(!f.frame->Action(id)->isEnabled());
        QVERIFY(f.Open());
        for (int id : {FrameCommand::FileExportListCsv, FrameCommand::FileExportDatabaseJson,
                       FrameCommand::FileImportFieldChanges, FrameCommand::ViewStatistics})
            QVERIFY(f.frame->Action(id)->isEnabled());
        QCOMPARE(f.frame->Action(FrameCommand::EditCopy)->shortcut(), QKeySequence(QKeySequence::Copy));
    }

    void exportWritesTheCurrentListOrTheWholeDatabase()
    {
        OpenFrame f;
        QVERIFY(f.Open());
        CZanEditorView *list = f.ShowFirstSatellite();
        const int rows = list->RowCount();
        QVERIFY(rows > 0);
        const std::vector<int> live = LiveSlots(f.frame->Document().Database());
        QVERIFY(int(live.size()) > rows);

        CFileExportDialog::SetNextAnswer(f.Data("list.csv"));
        f.frame->Action(FrameCommand::FileExportListCsv)->trigger();
        QCOMPARE(CFileExportDialog::LastRequest()->typeTexts, QStringList({"CSV list(*.csv)"}));
        QList<QByteArray> lines = Lines(ReadFileBytes(f.Data("list.csv")));
        QCOMPARE(lines.size(), rows + 1);
        QVERIFY(lines[0].startsWith("slot,"));
        QVERIFY(lines[1].startsWith(QByteArray::number(list->Model()->Row(0)->slot) + ','));

        CFileExportDialog::SetNextAnswer(f.Data("all.csv"));
        f.frame->Action(FrameCommand::FileExportDatabaseCsv)->trigger();
        QCOMPARE(Lines(ReadFileBytes(f.Data("all.csv"))).size(), int(live.size()) + 1);

        CFileExportDialog::SetNextAnswer(f.Data("list.json"));
        f.frame->Action(FrameCommand::FileExportListJson)->trigger();
        QJsonObject json = QJsonDocument::fromJson(ReadFileBytes(f.Data("list.json"))).object();
        QCOMPARE(json.value("programs").toArray().size(), rows);
        QVERIFY(!json.value("transponders").toArray().isEmpty());

        CFileExportDialog::SetNextAnswer(f.Data("all.json"));
        f.frame->Action(FrameCommand::FileExportDatabaseJson)->trigger();
        json = QJsonDocument::fromJson(ReadFileBytes(f.Data("all.json"))).object();
        QCOMPARE(json.value("programs").toArray().size(), int(live.size()));

        // A folder that is not there: said, and nothing else happens.
        CFileExportDialog::SetNextAnswer(f.Data("missing/x.csv"));
        f.frame->Action(FrameCommand::FileExportListCsv)->trigger();
        QVERIFY(!f.prompt.messages.isEmpty());
        QVERIFY(f.prompt.messages.last().contains(QStringLiteral("could not be written")));
        QVERIFY(!f.frame->IsModified());
    }

    void importShowsChangesAndRefusalsAndAppliesThemAsOneStep()
    {
        OpenFrame f;
        QVERIFY(f.Open());
        ChannelDocument &document = f.frame->Document();
        const CChannelDb &db = document.Database();
        const std::vector<int> live = LiveSlots(db);
        const auto original = AllRecords(db);
        const std::string oldName = Name(db, live[0]);
        const QByteArray csv = "slot,Service Name,Video Pid\r\n" + QByteArray::number(live[0]) + ",Renamed,1000\r\n"
                               + QByteArray::number(live[1]) + ",Other,99999\r\n";
        QVERIFY(WriteFileBytes(f.Data("changes.csv"), csv));

        CFileExportDialog::SetNextAnswer(f.Data("changes.csv"));
        bool ran = false;
        CFieldImportDlg::SetTestScript([&](CFieldImportDlg &dialog) {
            ran = true;
            QTreeWidget *changes = dialog.ChangeTree();
            QVERIFY(changes->topLevelItemCount() >= 2);
            QTreeWidgetItem *name = nullptr;
            for (int i = 0; i < changes->topLevelItemCount(); ++i) {
                if (changes->topLevelItem(i)->text(int(FieldChangeColumn::Field)) == QStringLiteral("Service Name"))
                    name = changes->topLevelItem(i);
            }
            QVERIFY(name);
            QCOMPARE(name->text(int(FieldChangeColumn::Line)), QStringLiteral("2"));
            QVERIFY(name->text(int(FieldChangeColumn::Channel)).startsWith(QStringLiteral("1 ")));
            QCOMPARE(name->text(int(FieldChangeColumn::Change)),
                     QString::fromStdString(oldName) + QStringLiteral(" \u2192 Renamed"));
            QCOMPARE(dialog.RefusedTree()->topLevelItemCount(), 1);
            QCOMPARE(dialog.RefusedTree()->topLevelItem(0)->text(int(RefusedColumn::Line)), QStringLiteral("3"));
            QVERIFY(!dialog.RefusedTree()->topLevelItem(0)->text(int(RefusedColumn::Reason)).isEmpty());
            QVERIFY(dialog.Summary().contains(QStringLiteral("1 lines refused")));
            dialog.ApplyButton()->click();
        });
        f.frame->Action(FrameCommand::FileImportFieldChanges)->trigger();
        QVERIFY(ran);
        QCOMPARE(document.UndoStack().count(), 1);
        QCOMPARE(Name(db, live[0]), std::string("Renamed"));
        QVERIFY(Name(db, live[1]) != std::string("Other"));  // the refused line changed nothing
        document.UndoStack().undo();
        QCOMPARE(AllRecords(db), original);
    }

    void anImportThatCannotBeReadChangesNothing()
    {
        OpenFrame f;
        QVERIFY(f.Open());
        bool shown = false;
        CFieldImportDlg::SetTestScript([&](CFieldImportDlg &) { shown = true; });
        QVERIFY(WriteFileBytes(f.Data("bad.csv"), "slot,No Such Field\r\n1,2\r\n"));
        CFileExportDialog::SetNextAnswer(f.Data("bad.csv"));
        f.frame->FileImportFieldChanges();
        QVERIFY(!shown);
        QVERIFY(f.prompt.messages.last().startsWith(QStringLiteral("The changes cannot be imported")));

        CFileExportDialog::SetNextAnswer(f.Data("absent.csv"));
        f.frame->FileImportFieldChanges();
        QVERIFY(!shown);
        QVERIFY(f.prompt.messages.last().contains(QStringLiteral("cannot be read")));
        QCOMPARE(f.frame->Document().UndoStack().count(), 0);
    }

    void copyPutsTheSelectedRowsOnTheClipboard()
    {
        OpenFrame f;
        QVERIFY(f.Open());
        CZanEditorView *list = f.ShowFirstSatellite();
        QVERIFY(list->RowCount() >= 3);
        QTableView *table = list->Table();
        table->clearSelection();
        table->selectionModel()->select(table->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        table->selectionModel()->select(table->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QApplication::clipboard()->clear();
        f.frame->Action(FrameCommand::EditCopy)->trigger();
        const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        const QStringList header = lines[0].split(QLatin1Char('\t'));
        // The columns shown: the layout's (the place columns are hidden by default).
        QCOMPARE(header.size(), int(list->Model()->Columns().size()));
        QCOMPARE(header[0], table->model()->headerData(0, Qt::Horizontal).toString());
        // The rows in list order, whatever the order of selecting.
        QCOMPARE(lines[1].split(QLatin1Char('\t'))[1], table->model()->index(0, 1).data().toString());
        QCOMPARE(lines[2].split(QLatin1Char('\t'))[1], table->model()->index(2, 1).data().toString());

        // The key itself, where the list has the focus: the same text, not only the current cell.
        const QString copied = QApplication::clipboard()->text();
        f.frame->show();
        QVERIFY(QTest::qWaitForWindowActive(f.frame.get()));
        table->setFocus();
        QApplication::clipboard()->clear();
        QTest::keySequence(table, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), copied);
    }

    void statisticsShowTheFiguresBySection()
    {
        DatabaseStatistics s;
        s.programs = 5;
        s.tv = 3;
        s.radio = 2;
        s.groupNames = {"News"};
        s.groupMembers[0] = 4;
        s.groupMembers[5] = 1;
        s.duplicateGroups = 2;
        s.sameServiceGroups = 1;
        s.programRoom = KindRoom{5, 10, 20};
        const std::vector<StatisticsRow> rows = StatisticsRows(s);
        auto find = [&](const QString &section, const QString &label) -> QString {
            for (const StatisticsRow &row : rows) {
                if (row.section == section && row.label == label)
                    return row.value;
            }
            return QStringLiteral("(missing)");
        };
        QCOMPARE(find("Programs", "All"), QStringLiteral("5"));
        QCOMPARE(find("Programs", "Radio"), QStringLiteral("2"));
        QCOMPARE(find("Favourite groups", "1 News"), QStringLiteral("4 members"));
        QCOMPARE(find("Favourite groups", "6"), QStringLiteral("1 members"));
        QCOMPARE(find("Favourite groups", "2"), QStringLiteral("(missing)"));  // unnamed and empty
        QCOMPARE(find("Duplicates", "Groups"), QStringLiteral("2 (1 same service)"));
        QCOMPARE(find("Room", "Programs"), QStringLiteral("5 used, 10 rows free, 20 ids free"));

        OpenFrame f;
        QVERIFY(f.Open());
        bool ran = false;
        CStatisticsDlg::SetTestScript([&](CStatisticsDlg &dialog) {
            ran = true;
            QTreeWidgetItem *programs = dialog.StatisticsTree()->topLevelItem(0);
            QCOMPARE(programs->text(0), QStringLiteral("Programs"));
            QCOMPARE(programs->child(0)->text(1),
                     QString::number(LiveSlots(f.frame->Document().Database()).size()));
        });
        f.frame->Action(FrameCommand::ViewStatistics)->trigger();
        QVERIFY(ran);
    }
};

QTEST_MAIN(ListExchangeTest)
#include "ListExchangeTest.moc"
