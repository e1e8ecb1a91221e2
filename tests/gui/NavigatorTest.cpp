// The navigator's first version: the tree built from the database, selection, keys, group texts.
#include "gui/GuiTestSupport.h"

#include "views/CNavigator.h"
#include "views/CZanEditorView.h"

#include <QRegularExpression>
#include <QSignalSpy>

using namespace GuiTest;

namespace {

int CountTransponders(const CChannelDb &db, int32_t satId)
{
    int count = 0;
    const int field = db.SatIdOfTransponder();
    for (int i = 0; i < db.Count(KindTransponder); ++i) {
        int32_t value = 0;
        if (db.GetNodeInt(KindTransponder, i, field, value, 0, PositionOrder) && value == satId)
            ++count;
    }
    return count;
}

} // namespace

class NavigatorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!BundledCacheBytes().isEmpty()); }

    void emptyBeforeOpen()
    {
        FrameFixture f;
        CNavigator *navigator = f.frame->GetNavigator();
        QCOMPARE(navigator->topLevelItemCount(), 0);
        QVERIFY(!navigator->GetSelectedNode());
        QCOMPARE(navigator->accessibleName(), QStringLiteral("Navigator"));
    }

    void treeOfSatellitesTranspondersAndGroups()
    {
        FrameFixture f;
        GeneratorOptions options;
        options.satellites = 3;
        options.transponders = 12;
        options.programs = 60;
        options.terrestrial = true;
        QVERIFY(GenerateDatabase(f.Data("t.usd"), options));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("t.usd")));
        CNavigator *navigator = f.frame->GetNavigator();
        const CChannelDb &db = f.frame->Database();

        QCOMPARE(navigator->topLevelItemCount(), 2);
        QTreeWidgetItem *all = navigator->topLevelItem(0);
        QCOMPARE(all->text(0), QStringLiteral("All Services"));
        QCOMPARE(CNavigator::NodeOf(all)->kind, NavAllServices);
        QCOMPARE(all->childCount(), 1);
        QTreeWidgetItem *folder = all->child(0);
        QCOMPARE(folder->text(0), QStringLiteral("Satellite Information"));
        QCOMPARE(folder->childCount(), 3);
        QCOMPARE(navigator->currentItem(), all);  // an opened file starts on "All Services"
        QVERIFY(!all->isExpanded());

        const QRegularExpression satelliteLabel(QStringLiteral("^\\[ (\\d+) \\]  TP_\\d+_[VH]_\\d+$"));
        const QRegularExpression terrestrialLabel(QStringLiteral("^\\[ (\\d+) \\]  TP_\\d+_\\d+$"));
        bool sawTerrestrial = false;
        for (int s = 0; s < folder->childCount(); ++s) {
            QTreeWidgetItem *satItem = folder->child(s);
            NavNode *sat = CNavigator::NodeOf(satItem);
            QCOMPARE(sat->kind, NavSatellite);
            QCOMPARE(sat->label, satItem->text(0));
            std::string name;
            QVERIFY(db.GetNodeData(KindSatellite, sat->index, db.SatNameOfSatellite(), name, 0, PositionOrder));
            QCOMPARE(satItem->text(0), QString::fromStdString(name));
            QCOMPARE(satItem->childCount(), CountTransponders(db, sat->satId));
            QVERIFY(satItem->childCount() > 0);
            sawTerrestrial |= sat->satId == 255;
            for (int t = 0; t < satItem->childCount(); ++t) {
                NavNode *tp = CNavigator::NodeOf(satItem->child(t));
                QCOMPARE(tp->kind, NavTransponder);
                QCOMPARE(tp->parent, sat);
                QCOMPARE(tp->satId, sat->satId);
                const auto match = (sat->satId == 255 ? terrestrialLabel : satelliteLabel).match(tp->label);
                QVERIFY2(match.hasMatch(), qPrintable(tp->label));
                QCOMPARE(match.captured(1).toInt(), t + 1);
            }
        }
        QVERIFY(sawTerrestrial);

        QTreeWidgetItem *favourites = navigator->topLevelItem(1);
        QCOMPARE(favourites->text(0), QStringLiteral("Favorite Group"));
        QCOMPARE(favourites->childCount(), 32);
        QCOMPARE(favourites->child(0)->text(0), QStringLiteral("Favor Group 1"));
        NavNode *group = CNavigator::NodeOf(favourites->child(31));
        QCOMPARE(group->index, 32);
        QCOMPARE(group->parent, CNavigator::NodeOf(favourites));
    }

    void selectionFillsTheList()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("a.usd")));
        CNavigator *navigator = f.frame->GetNavigator();
        CZanEditorView *list = f.frame->GetChannelList();
        QSignalSpy selected(navigator, &CNavigator::NodeSelected);

        // The open selected "All Services" already; choosing another node and coming back fills
        // the list again.
        QCOMPARE(navigator->currentItem(), navigator->AllServicesItem());
        navigator->setCurrentItem(navigator->SatelliteFolderItem());
        navigator->setCurrentItem(navigator->AllServicesItem());
        QCOMPARE(selected.size(), 2);
        NavNode *all = navigator->GetSelectedNode();
        QVERIFY(all->hasSlots);
        QCOMPARE(all->SlotCount(), f.frame->Database().LiveCount(KindProgram));
        QCOMPARE(list->RowCount(), all->SlotCount());
        QVERIFY(SameNode(list->CurrentNode(), *all));
        QCOMPARE(f.frame->SelectedNode(), all);

        navigator->setCurrentItem(navigator->SatelliteFolderItem());
        QCOMPARE(list->RowCount(), 0);

        QTreeWidgetItem *tpItem = navigator->SatelliteFolderItem()->child(0)->child(0);
        navigator->setCurrentItem(tpItem);
        NavNode *tp = CNavigator::NodeOf(tpItem);
        QVERIFY(tp->hasSlots);
        QVERIFY(tp->parent->hasSlots);  // the satellite's list is computed on the way
        QVERIFY(tp->SlotCount() <= tp->parent->SlotCount());
        QCOMPARE(list->RowCount(), tp->SlotCount());
        QCOMPARE(QApplication::overrideCursor(), nullptr);  // the busy cursor is gone again
    }

    void arrowKeysMoveTheSelection()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("a.usd")));
        f.frame->show();
        CNavigator *navigator = f.frame->GetNavigator();
        navigator->setFocus();
        navigator->setCurrentItem(navigator->AllServicesItem());
        QTest::keyClick(navigator, Qt::Key_Right);  // opens "All Services"
        QTest::keyClick(navigator, Qt::Key_Down);
        QCOMPARE(navigator->currentItem(), navigator->SatelliteFolderItem());
        QVERIFY(SameNode(f.frame->GetChannelList()->CurrentNode(), *CNavigator::NodeOf(navigator->SatelliteFolderItem())));
        QTest::keyClick(navigator, Qt::Key_Up);
        QCOMPARE(navigator->currentItem(), navigator->AllServicesItem());
    }

    void groupItemText()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("a.usd")));
        CNavigator *navigator = f.frame->GetNavigator();
        f.frame->SetGroupItemText(3, QStringLiteral("Sport"));
        QTreeWidgetItem *root = navigator->FavouriteRootItem();
        QCOMPARE(root->child(2)->text(0), QStringLiteral("Sport"));
        QCOMPARE(CNavigator::NodeOf(root->child(2))->label, QStringLiteral("Sport"));
        QCOMPARE(root->child(1)->text(0), QStringLiteral("Favor Group 2"));
        f.frame->SetGroupItemText(40, QStringLiteral("none"));  // no such group: nothing changes
        for (int i = 0; i < root->childCount(); ++i)
            QVERIFY(root->child(i)->text(0) != QStringLiteral("none"));
    }

    void clearingSelectsNothing()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("a.usd")));
        CNavigator *navigator = f.frame->GetNavigator();
        navigator->setCurrentItem(navigator->AllServicesItem());
        QSignalSpy selected(navigator, &CNavigator::NodeSelected);
        navigator->RebuildNavigator();
        QCOMPARE(selected.size(), 0);
        QVERIFY(!navigator->GetSelectedNode());
        navigator->ClearNavigator();
        QCOMPARE(navigator->topLevelItemCount(), 0);
        QCOMPARE(selected.size(), 0);
    }
};

QTEST_MAIN(NavigatorTest)
#include "NavigatorTest.moc"
