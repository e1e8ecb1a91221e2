// The list's satellite and transponder columns: off by default, named as the tree names the
// program's satellite and transponder, following edits of those, sortable, kept for the next start
// and left out of a copy while hidden.
#include "gui/OpenedListFixture.h"

#include "database/ChannelOrder.h"
#include "database/NodeFields.h"
#include "database/ProgramPlaces.h"
#include "database/TransponderLabels.h"
#include "document/DatabaseEditCommand.h"
#include "shell/CMainFrame.h"
#include "views/CNavigator.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSettings>
#include <QTableView>
#include <QUndoStack>

#include <map>

using namespace GuiTest;

namespace {

QString Cell(const OpenedList &o, int row, PlaceColumn place)
{
    return o.model->data(o.model->index(row, o.model->ColumnOf(place))).toString();
}

// slot → (satellite item text, transponder item text without its ordinal), read from the tree
// by selecting every transponder item: the names the columns must show.
std::map<int, std::pair<QString, QString>> PlacesFromTree(OpenedList &o)
{
    std::map<int, std::pair<QString, QString>> places;
    CNavigator *nav = o.f.frame->GetNavigator();
    QTreeWidgetItem *folder = nav->SatelliteFolderItem();
    for (int s = 0; s < folder->childCount(); ++s) {
        QTreeWidgetItem *satellite = folder->child(s);
        for (int t = 0; t < satellite->childCount(); ++t) {
            nav->setCurrentItem(satellite->child(t));
            const QString tail = QString::fromStdString(SplitLabel(satellite->child(t)->text(0).toStdString()).tail);
            for (const ChannelRow &row : o.model->AllRows())
                places[row.slot] = {satellite->text(0), tail};
        }
    }
    nav->setCurrentItem(nav->AllServicesItem());
    return places;
}

}

class PlaceColumnsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void columnsNameWhatTheTreeShows()
    {
        OpenedList o(60);
        QVERIFY(o.model && o.model->RowCount() == 60);
        // Off by default: the columns exist after the layout's, hidden.
        const int satellite = o.model->ColumnOf(PlaceColumn::Satellite);
        const int transponder = o.model->ColumnOf(PlaceColumn::Transponder);
        QCOMPARE(satellite, int(o.model->Columns().size()));
        QCOMPARE(transponder, satellite + 1);
        QVERIFY(o.list->Table()->isColumnHidden(satellite));
        QVERIFY(o.list->Table()->isColumnHidden(transponder));
        QAction *satelliteToggle = o.f.frame->Action(FrameCommand::ViewSatelliteColumn);
        QAction *transponderToggle = o.f.frame->Action(FrameCommand::ViewTransponderColumn);
        QVERIFY(satelliteToggle && transponderToggle);
        QVERIFY(!satelliteToggle->isChecked());
        QCOMPARE(satelliteToggle->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
        QCOMPARE(transponderToggle->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_X));

        satelliteToggle->trigger();
        transponderToggle->trigger();
        QVERIFY(!o.list->Table()->isColumnHidden(satellite));
        QVERIFY(!o.list->Table()->isColumnHidden(transponder));
        QCOMPARE(o.model->headerData(satellite, Qt::Horizontal).toString(), QStringLiteral("Satellite"));
        QCOMPARE(o.model->headerData(transponder, Qt::Horizontal).toString(), QStringLiteral("Transponder"));
        // Shown beside the first field (the name), whatever their place in the model.
        QCOMPARE(o.list->Table()->horizontalHeader()->visualIndex(satellite), 2);
        QCOMPARE(o.list->Table()->horizontalHeader()->visualIndex(transponder), 3);

        const auto fromTree = PlacesFromTree(o);
        QCOMPARE(int(fromTree.size()), 60);
        for (int row = 0; row < o.model->RowCount(); ++row) {
            const auto &expected = fromTree.at(o.model->Row(row)->slot);
            QCOMPARE(Cell(o, row, PlaceColumn::Satellite), expected.first);
            QCOMPARE(Cell(o, row, PlaceColumn::Transponder), expected.second);
            QVERIFY(expected.second.startsWith(QStringLiteral("TP_")));
        }

        // Kept for the next window.
        QVERIFY(QSettings().value(QStringLiteral("List/SatelliteColumn")).toBool());
        {
            CMainFrame next(&o.f.prompt);
            QVERIFY(next.Action(FrameCommand::ViewSatelliteColumn)->isChecked());
            QVERIFY(next.GetChannelList()->PlaceColumnShown(PlaceColumn::Satellite));
        }
        transponderToggle->trigger();
        QVERIFY(o.list->Table()->isColumnHidden(transponder));
        QVERIFY(!QSettings().value(QStringLiteral("List/TransponderColumn")).toBool());
    }

    void transponderEditRenamesAndUndoRestores()
    {
        OpenedList o(60);
        QVERIFY(o.model);
        o.list->SetPlaceColumnShown(PlaceColumn::Transponder, true);
        CChannelDb &db = o.Db();
        const int slot = o.model->Row(0)->slot;
        const QString before = Cell(o, 0, PlaceColumn::Transponder);
        // The program's transponder, found by its ids.
        const int32_t satId = GetNodeIntOrZero(db, KindProgram, slot, "sat_id", PositionOrder);
        const int32_t tpId = GetNodeIntOrZero(db, KindProgram, slot, "tp_id", PositionOrder);
        int tpNode = -1;
        for (int node = 0; node < db.Count(KindTransponder) && tpNode < 0; ++node) {
            if (GetNodeIntOrZero(db, KindTransponder, node, "sat_id", PositionOrder) == satId
                && GetNodeIntOrZero(db, KindTransponder, node, "tp_id", PositionOrder) == tpId)
                tpNode = node;
        }
        QVERIFY(tpNode >= 0);
        const std::vector<uint8_t> record = db.RecordBytes(KindTransponder, tpNode);
        QVERIFY(SetNodeIntByName(db, KindTransponder, tpNode, "frq", 12999, PositionOrder));
        const std::vector<uint8_t> changed = db.RecordBytes(KindTransponder, tpNode);
        QVERIFY(db.SetRecordBytes(KindTransponder, tpNode, record));
        DatabaseEdit edit;
        edit.changes.push_back({KindTransponder, tpNode, record, changed});
        QVERIFY(DatabaseEditCommand::Push(o.f.frame->Document(), QStringLiteral("Edit Transponder"), std::move(edit)));

        QVERIFY(Cell(o, 0, PlaceColumn::Transponder).startsWith(QStringLiteral("TP_12999_")));
        QVERIFY(Cell(o, 0, PlaceColumn::Transponder) != before);
        o.f.frame->UndoStack().undo();
        QCOMPARE(Cell(o, 0, PlaceColumn::Transponder), before);
    }

    void placeColumnSortsAndHiddenColumnsStayOutOfACopy()
    {
        OpenedList o(60);
        QVERIFY(o.model);
        o.list->SetPlaceColumnShown(PlaceColumn::Satellite, true);
        const int satellite = o.model->ColumnOf(PlaceColumn::Satellite);
        o.list->Table()->sortByColumn(satellite, Qt::AscendingOrder);
        QVERIFY(o.model->Sorted());
        for (Qt::SortOrder order : {Qt::DescendingOrder, Qt::AscendingOrder}) {
            o.list->Table()->sortByColumn(satellite, order);
            for (int row = 1; row < o.model->RowCount(); ++row) {
                const int c = CompareCellTexts(Cell(o, row - 1, PlaceColumn::Satellite), Cell(o, row, PlaceColumn::Satellite));
                QVERIFY(order == Qt::AscendingOrder ? c <= 0 : c >= 0);
                // Channels of one satellite keep their real order, either way.
                if (c == 0)
                    QVERIFY(o.model->ListRow(row - 1) < o.model->ListRow(row));
            }
        }
        QVERIFY(Cell(o, 0, PlaceColumn::Satellite) != Cell(o, o.model->RowCount() - 1, PlaceColumn::Satellite));
        // Hiding the column the view is sorted by shows the real order again.
        o.list->SetPlaceColumnShown(PlaceColumn::Satellite, false);
        QVERIFY(!o.model->Sorted());

        // Copy takes the columns shown: the hidden transponder column is not in it.
        o.list->SetPlaceColumnShown(PlaceColumn::Satellite, true);
        o.list->Table()->selectionModel()->select(o.model->index(0, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
        o.f.frame->Action(FrameCommand::EditCopy)->trigger();
        const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 2);
        const QStringList header = lines.front().split(QLatin1Char('\t'));
        QVERIFY(header.contains(QStringLiteral("Satellite")));
        QVERIFY(!header.contains(QStringLiteral("Transponder")));
        QCOMPARE(header.size(), int(o.model->Columns().size()) + 1);
    }

    void programsOutsideTheTablesHaveNoPlace()
    {
        OpenedList o(5);
        QVERIFY(o.model);
        CChannelDb &db = o.Db();
        const ProgramPlaces places(db);
        QVERIFY(!places.SatelliteOf(0).empty());
        // A program whose satellite is not in the table, and slots that hold no program.
        QVERIFY(SetNodeIntByName(db, KindProgram, 0, "sat_id", 250, PositionOrder));
        QVERIFY(places.SatelliteOf(0).empty());
        QVERIFY(places.TransponderOf(0).empty());
        QVERIFY(places.SatelliteOf(-1).empty());
        QVERIFY(places.SatelliteOf(db.Count(KindProgram) + 5).empty());
    }
};

QTEST_MAIN(PlaceColumnsTest)
#include "PlaceColumnsTest.moc"
