// Mixed edits of every kind through the editor, undone to the start and redone to the end: after
// each step the saved file has the bytes it had at that step before, and the tree and the list
// show what a fresh open of that file shows.
#include "gui/GuiTestSupport.h"

#include "editors/CProgramInfoDlg.h"
#include "views/CGroupRenameDlg.h"
#include "views/CNavigator.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"

#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QUndoStack>

using namespace GuiTest;

namespace {

// What the editor shows of a database: the tree's texts, and every cell of "All Services".
struct Shown
{
    QStringList tree;
    QStringList list;
    bool operator==(const Shown &) const = default;
};

Shown Show(CMainFrame &frame)
{
    Shown shown;
    CNavigator *nav = frame.GetNavigator();
    shown.tree = TreeText(nav);
    nav->setCurrentItem(nav->AllServicesItem());
    const ChannelListModel *model = frame.GetChannelList()->Model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->data(model->index(row, column)).toString();
        shown.list << cells.join(QLatin1Char('|'));
    }
    return shown;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class DocumentSequenceTest : public QObject
{
    Q_OBJECT

private:
    FrameFixture m_f;
    QString m_original;
    int m_saves = 0;

    CMainFrame &Frame() { return *m_f.frame; }
    CNavigator *Nav() { return Frame().GetNavigator(); }
    CZanEditorView *List() { return Frame().GetChannelList(); }

    // The database as a file now (a default database: it keeps the group names in the file).
    QByteArray SaveCopy()
    {
        const QString path = m_f.Data(QStringLiteral("step%1.ddf").arg(m_saves++));
        QFile::remove(path);
        if (!QFile::copy(m_original, path))
            return {};
        // Saving marks the state clean, which an undo sequence does not mind.
        if (!Frame().SaveDatabaseFile(path))
            return {};
        return ReadAll(path);
    }

    // A second editor on the saved bytes shows the same tree and list as this one.
    bool FreshOpenAgrees(const QByteArray &bytes)
    {
        const QString path = m_f.Data(QStringLiteral("fresh.ddf"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return false;
        file.close();
        // The same program folder and profile as this editor's.
        CMainFrame other(&m_f.prompt);
        other.SetLayoutCacheFolders(Frame().LayoutCacheFoldersInUse());
        other.InitialUpdate();
        if (!other.OpenDatabaseFile(path))
            return false;
        const Shown fresh = Show(other);
        const Shown here = Show(Frame());
        if (fresh.tree != here.tree)
            qWarning() << "tree" << here.tree << fresh.tree;
        if (fresh.list != here.list)
            qWarning() << "list rows" << here.list.size() << fresh.list.size();
        return fresh == here;
    }

private Q_SLOTS:
    void mixedEditsUndoAndRedoByteForByte()
    {
        GeneratorOptions options;
        options.satellites = 3;
        options.transponders = 6;
        options.programs = 40;
        options.seed = 5;
        m_original = m_f.Data(QStringLiteral("original.ddf"));
        QVERIFY(GenerateDatabase(m_original, options));
        QVERIFY(Frame().OpenDatabaseFile(m_original));
        std::vector<QByteArray> states {SaveCopy()};
        QVERIFY(!states.back().isEmpty());
        QVERIFY(FreshOpenAgrees(states.back()));
        auto step = [&](const char *what) {
            states.push_back(SaveCopy());
            QVERIFY2(!states.back().isEmpty(), what);
            QVERIFY2(states.back() != states[states.size() - 2], what);
            QVERIFY2(FreshOpenAgrees(states.back()), what);
        };

        // 1. A list move: the fourth channel of "All Services" one place up.
        Nav()->setCurrentItem(Nav()->AllServicesItem());
        List()->SelectChannelRow(3);
        List()->MoveUp();
        QCOMPARE(List()->FirstSelectedRow(), 2);
        step("move up");

        // 2. A dialog's OK: the first channel of the second satellite renamed.
        Nav()->setCurrentItem(Nav()->SatelliteFolderItem()->child(1));
        QVERIFY(List()->RowCount() > 0);
        List()->Table()->clearSelection();
        List()->SelectChannelRow(0);
        CProgramInfoDlg::SetTestScript([](CProgramInfoDlg &d) {
            qobject_cast<QLineEdit *>(d.ControlById(IdChannelName))->setText(QStringLiteral("Sequence"));
            d.accept();
        });
        List()->EditChannel();
        CProgramInfoDlg::SetTestScript({});
        step("edit channel");

        // 3. A channel inserted at the second row of a transponder.
        Nav()->setCurrentItem(Nav()->SatelliteFolderItem()->child(0)->child(0));
        const int rows = List()->RowCount();
        QVERIFY(rows > 1);
        List()->Table()->clearSelection();
        List()->SelectChannelRow(1);
        CProgramInfoDlg::SetTestScript([](CProgramInfoDlg &d) {
            qobject_cast<QLineEdit *>(d.ControlById(IdChannelName))->setText(QStringLiteral("Inserted"));
            qobject_cast<QLineEdit *>(d.ControlById(IdVideoPid))->setText(QStringLiteral("600"));
            qobject_cast<QLineEdit *>(d.ControlById(IdAudioPid1))->setText(QStringLiteral("601"));
            qobject_cast<QLineEdit *>(d.ControlById(IdPcrPid))->setText(QStringLiteral("600"));
            d.accept();
        });
        List()->InsertChannel();
        CProgramInfoDlg::SetTestScript({});
        QCOMPARE(List()->RowCount(), rows + 1);
        // The list shows it where it was put, and so does the file (checked by the fresh open).
        QCOMPARE(List()->Model()->data(List()->Model()->index(1, 1)).toString(), QStringLiteral("Inserted"));
        step("insert channel");

        // 4. A tree delete: the second transponder of the first satellite.
        Nav()->setCurrentItem(Nav()->SatelliteFolderItem()->child(0)->child(1));
        m_f.prompt.answers = {UserPrompt::Yes};
        Nav()->Delete();
        step("delete transponder");

        // 5. A group renamed, and a channel taken out of a group it is in.
        QTreeWidgetItem *group = Nav()->FavouriteRootItem()->child(1);
        Nav()->setCurrentItem(group);
        CGroupRenameDlg::SetNextAnswer(QStringLiteral("Renamed"));
        List()->RenameGroup();
        QCOMPARE(Nav()->FavouriteRootItem()->child(1)->text(0), QStringLiteral("Renamed"));
        step("rename group");
        Nav()->setCurrentItem(Nav()->FavouriteRootItem()->child(1));
        if (List()->RowCount() > 0) {
            List()->SelectChannelRow(0);
            const int members = List()->RowCount();
            List()->RemoveItem();
            QCOMPARE(List()->RowCount(), members - 1);
            step("remove item");
        }

        // 6. A satellite moved down in the tree.
        Nav()->setCurrentItem(Nav()->SatelliteFolderItem()->child(0));
        Nav()->MoveDown();
        QCOMPARE(CNavigator::NodeOf(Nav()->currentItem())->index, 1);
        step("move satellite");

        QUndoStack &stack = Frame().UndoStack();
        QCOMPARE(stack.count(), int(states.size()) - 1);
        // Undo to the start, redo to the end: every state comes back byte for byte.
        for (int i = int(states.size()) - 2; i >= 0; --i) {
            stack.undo();
            const QByteArray bytes = SaveCopy();
            QCOMPARE(bytes, states[size_t(i)]);
            QVERIFY(FreshOpenAgrees(bytes));
        }
        for (size_t i = 1; i < states.size(); ++i) {
            stack.redo();
            const QByteArray bytes = SaveCopy();
            QCOMPARE(bytes, states[i]);
            QVERIFY(FreshOpenAgrees(bytes));
        }
    }
};

QTEST_MAIN(DocumentSequenceTest)
#include "DocumentSequenceTest.moc"
