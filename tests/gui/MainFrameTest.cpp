// The main frame's file commands: open, save, save as, close, the save prompt, title and enable rules.
#include "gui/GuiTestSupport.h"

#include "views/CNavigator.h"
#include "shell/CAboutDlg.h"
#include "shell/CRightPane.h"
#include "shell/RecentFiles.h"
#include "views/CZanEditorView.h"

#include <QAction>
#include <QApplication>
#include <QTableView>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>
#include <QSignalSpy>
#include <QTreeWidget>

using namespace GuiTest;

namespace {

const QString kModifiedQuestion = QStringLiteral("Current file was modified, do you want to save it?");
const QString kTerrestrialQuestion = QStringLiteral("It will remove Terrestrial, Do you continue saving?");

// One edit through the channel list: the first two programs of "All Services" change places.
bool MakeModified(CMainFrame &frame)
{
    CNavigator *navigator = frame.GetNavigator();
    navigator->setCurrentItem(navigator->AllServicesItem());
    return frame.GetChannelList()->RowCount() >= 2 && frame.GetChannelList()->SwapChannelRows(0, 1)
        && frame.IsModified();
}

QStringList FilesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class MainFrameTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!BundledCacheBytes().isEmpty(), "the bundled template must parse");
    }

    void noFileEnableRulesAndTitle()
    {
        FrameFixture f;
        CMainFrame &frame = *f.frame;
        QCOMPARE(frame.windowTitle(), QStringLiteral("Dravel"));
        QVERIFY(frame.Action(FrameCommand::FileOpen)->isEnabled());
        QVERIFY(!frame.Action(FrameCommand::FileSave)->isEnabled());
        QVERIFY(!frame.Action(FrameCommand::FileSaveAs)->isEnabled());
        QVERIFY(!frame.Action(FrameCommand::FileClose)->isEnabled());
        QVERIFY(frame.CloseDatabaseFile());
        QVERIFY(frame.QuerySaveModified());
        QVERIFY(f.prompt.questions.isEmpty());
    }

    void actionsCarryIdsTextsAndShortcuts()
    {
        FrameFixture f;
        CMainFrame &frame = *f.frame;
        QCOMPARE(frame.Action(FrameCommand::FileOpen)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(frame.Action(FrameCommand::FileSave)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(frame.Action(FrameCommand::EditUndo)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        const QList<QKeySequence> redo = frame.Action(FrameCommand::EditRedo)->shortcuts();
        QVERIFY(redo.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
        QVERIFY(redo.contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
        QCOMPARE(frame.Action(FrameCommand::FileNew)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(frame.Action(FrameCommand::FileSaveAs)->text(), QStringLiteral("Save &As..."));
        QCOMPARE(frame.Action(FrameCommand::AppExit)->text(), QStringLiteral("E&xit"));
        QCOMPARE(frame.Action(FrameCommand::AppAbout)->text(), QStringLiteral("About Dravel(&A)..."));
        QCOMPARE(frame.Action(FrameCommand::ViewToolBar)->text(), QStringLiteral("&Tool Bar"));
        QCOMPARE(frame.Action(FrameCommand::ViewStatusBar)->text(), QStringLiteral("&Status Bar"));
        // The tool bar: Open, Save, Close, then after a separator download and upload, each with an
        // icon and a text.
        QList<QAction *> tools = frame.MainToolBar()->actions();
        QCOMPARE(tools.size(), 6);
        QCOMPARE(tools[0]->data().toInt(), FrameCommand::FileOpen);
        QCOMPARE(tools[1]->data().toInt(), FrameCommand::FileSave);
        QCOMPARE(tools[2]->data().toInt(), FrameCommand::FileClose);
        QVERIFY(tools[3]->isSeparator());
        QCOMPARE(tools[4]->data().toInt(), 32775);
        QCOMPARE(tools[5]->data().toInt(), 32774);
        tools.removeAt(3);
        for (QAction *action : tools) {
            QVERIFY(!action->icon().isNull());
            QVERIFY(!action->text().isEmpty());
        }
        // The menus in order, and every entry with a text.
        QStringList menus;
        for (QAction *menu : frame.menuBar()->actions())
            menus << menu->text();
        QCOMPARE(menus, QStringList({"File(&F)", "Edit(&E)", "Channel(&C)", "View(&V)", "Tools(&O)", "Transfer(&T)",
                                     "Help(&H)"}));
        for (QMenu *menu : frame.menuBar()->findChildren<QMenu *>()) {
            for (QAction *action : menu->actions())
                QVERIFY(action->isSeparator() || !action->text().isEmpty());
        }
        QVERIFY(!frame.GetChannelList()->ChannelActions().isEmpty());
    }

    void profileGroupNamesAtStart()
    {
        PrivateProfile profile;
        {
            SettingsProfileStore store;
            store.WriteString("Project Favor Group", "FavGroup3", "Mine");
        }
        ScriptedPrompt prompt;
        CMainFrame frame(&prompt);
        SettingsProfileStore store;
        QCOMPARE(store.ReadString("Project Favor Group", "FavGroup0"), QStringLiteral("Favor Group 1"));
        QCOMPARE(store.ReadString("Project Favor Group", "FavGroup3"), QStringLiteral("Mine"));
        QCOMPARE(store.ReadString("Project Favor Group", "FavGroup31"), QStringLiteral("Favor Group 32"));
        QVERIFY(store.ReadString("Project Favor Group", "FavGroup32").isEmpty());
    }

    void openUserDatabase()
    {
        FrameFixture f;
        const QString path = f.Data("a.usd");
        QVERIFY(GenerateDatabase(path));
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(path));
        QCOMPARE(frame.CurrentPath(), path);
        QCOMPARE(frame.windowTitle(), QStringLiteral("Dravel - %1[*]").arg(path));
        QVERIFY(!frame.isWindowModified());
        QVERIFY(frame.Action(FrameCommand::FileSave)->isEnabled());
        QVERIFY(frame.Action(FrameCommand::FileSaveAs)->isEnabled());
        QVERIFY(frame.Action(FrameCommand::FileClose)->isEnabled());
        QVERIFY(frame.GetNavigator()->AllServicesItem());
        QVERIFY(f.prompt.messages.isEmpty());
        QVERIFY(frame.UndoStack().isClean());
    }

    void openIgnoresCaseOfExtension()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        QVERIFY(QFile::copy(f.Data("a.usd"), f.Data("B.USD")));
        QVERIFY(QFile::copy(f.Data("a.usd"), f.Data("nodotusd")));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("B.USD")));
        QCOMPARE(f.frame->CurrentExtension(), QStringLiteral("USD"));
        QVERIFY(f.frame->Action(FrameCommand::FileSave)->isEnabled());
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("nodotusd")));
        QVERIFY(GenerateDatabase(f.Data("c.Ddf")));
        QVERIFY(f.frame->OpenDatabaseFile(f.Data("c.Ddf")));
        QCOMPARE(f.frame->CurrentPath(), f.Data("c.Ddf"));
    }

    void openUnsupportedWhileModified()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        QVERIFY(WriteFileBytes(f.Data("notes.txt"), "text"));
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(f.Data("a.usd")));
        QVERIFY(MakeModified(frame));
        f.prompt.answers = {UserPrompt::No};
        QVERIFY(frame.CloseDatabaseFile());
        CFileExportDialog::SetNextAnswer(f.Data("notes.txt"));
        QVERIFY(frame.OpenDatabaseFile(f.Data("a.usd")));
        QVERIFY(MakeModified(frame));
        f.prompt.questions.clear();
        f.prompt.answers = {UserPrompt::No};
        frame.Action(FrameCommand::FileOpen)->trigger();
        // The save prompt first, then the refusal; no file open afterwards.
        QCOMPARE(f.prompt.questions, QStringList {kModifiedQuestion});
        QCOMPARE(f.prompt.messages, QStringList {"not support open the file that you input."});
        QVERIFY(!frame.IsFileOpen());
        QCOMPARE(frame.windowTitle(), QStringLiteral("Dravel"));
        QVERIFY(!frame.Action(FrameCommand::FileSave)->isEnabled());
        // A refused open leaves no extension behind, neither the refused one nor the last file's.
        QCOMPARE(frame.CurrentExtension(), QString());
        const auto request = CFileExportDialog::LastRequest();
        QVERIFY(request);
        QCOMPARE(request->kind, FileDialogKind::Open);
        QCOMPARE(request->shortFilter,
                 QStringLiteral("User DataBase File(*.usd)|Default DataBase File(*.ddf)|User DataBase Image(*.udf)"));
    }

    void openCommandCancelledOrFailed()
    {
        FrameFixture f;
        CFileExportDialog::SetNextAnswer(std::nullopt);
        f.frame->FileOpen();
        QVERIFY(!f.frame->IsFileOpen());
        QVERIFY(f.prompt.messages.isEmpty());
        // A damaged file: the reader says why; the frame adds nothing and opens nothing.
        QVERIFY(WriteFileBytes(f.Data("bad.usd"), QByteArray(100, 'x')));
        QVERIFY(!f.frame->OpenDatabaseFile(f.Data("bad.usd")));
        QVERIFY(!f.frame->IsFileOpen());
        QCOMPARE(f.frame->windowTitle(), QStringLiteral("Dravel"));
        QCOMPARE(f.prompt.messages.size(), 1);
    }

    void modifiedStateFollowsUndoStack()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(f.Data("a.usd")));
        QVERIFY(MakeModified(frame));
        QVERIFY(frame.isWindowModified());
        frame.Action(FrameCommand::EditUndo)->trigger();
        QVERIFY(!frame.IsModified());
        QVERIFY(!frame.isWindowModified());
        // Back at the file's state: closing asks nothing.
        QVERIFY(frame.CloseDatabaseFile());
        QVERIFY(f.prompt.questions.isEmpty());
        QCOMPARE(frame.UndoStack().count(), 0);
    }

    void undoRedoAndPanesByKeyboard()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        CMainFrame &frame = *f.frame;
        frame.show();
        QApplication::setActiveWindow(&frame);
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QVERIFY(frame.OpenDatabaseFile(f.Data("a.usd")));
        QVERIFY(MakeModified(frame));
        QTest::keyClick(&frame, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!frame.IsModified());
        QTest::keyClick(&frame, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(frame.IsModified());
        QTest::keyClick(&frame, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&frame, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(frame.IsModified());

        frame.GetNavigator()->setFocus();
        QTest::keyClick(&frame, Qt::Key_F6);
        QVERIFY(frame.GetRightPane()->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(&frame, Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), frame.GetChannelList()->Table());
        QTest::keyClick(&frame, Qt::Key_F6, Qt::ShiftModifier);
        QTest::keyClick(&frame, Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(frame.GetNavigator()));
        f.prompt.answers = {UserPrompt::No};
    }

    void savePromptAnswers()
    {
        FrameFixture f;
        const QString path = f.Data("a.usd");
        QVERIFY(GenerateDatabase(path));
        const QByteArray original = ReadFileBytes(path);
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(path));
        QVERIFY(MakeModified(frame));

        f.prompt.answers = {UserPrompt::Cancel};
        QVERIFY(!frame.CloseDatabaseFile());
        QVERIFY(frame.IsFileOpen());
        QVERIFY(frame.IsModified());
        QCOMPARE(ReadFileBytes(path), original);

        f.prompt.answers = {UserPrompt::No};
        QVERIFY(frame.CloseDatabaseFile());
        QVERIFY(!frame.IsFileOpen());
        QCOMPARE(ReadFileBytes(path), original);

        QVERIFY(frame.OpenDatabaseFile(path));
        QVERIFY(MakeModified(frame));
        f.prompt.answers = {UserPrompt::Yes};
        QVERIFY(frame.CloseDatabaseFile());
        QVERIFY(!frame.IsFileOpen());
        QVERIFY(ReadFileBytes(path) != original);
        QCOMPARE(f.prompt.questions, QStringList(3, kModifiedQuestion));
        QCOMPARE(ReadFileBytes(path).size(), original.size());
    }

    void saveCommandWritesAndCleans()
    {
        FrameFixture f;
        const QString path = f.Data("d.ddf");
        QVERIFY(GenerateDatabase(path));
        const QByteArray original = ReadFileBytes(path);
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(path));
        QVERIFY(MakeModified(frame));
        frame.Action(FrameCommand::FileSave)->trigger();
        QVERIFY(!frame.IsModified());
        QVERIFY(!frame.isWindowModified());
        QCOMPARE(ReadFileBytes(path).size(), 65280);
        QVERIFY(ReadFileBytes(path) != original);
        // Undo after the save makes the database differ from the file again.
        frame.Action(FrameCommand::EditUndo)->trigger();
        QVERIFY(frame.IsModified());
    }

    void saveThatCannotBeWrittenKeepsFileOpen()
    {
        FrameFixture f;
        const QString path = f.Data("a.usd");
        QVERIFY(GenerateDatabase(path));
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(path));
        QVERIFY(MakeModified(frame));
        // A user database is written into its existing file: once that is gone the save fails.
        QVERIFY(QFile::remove(path));
        QVERIFY(!frame.SaveDatabaseFile(path));
        QVERIFY(frame.IsModified());
        QVERIFY(!f.prompt.messages.isEmpty());

        f.prompt.answers = {UserPrompt::Yes};
        QVERIFY(!frame.CloseDatabaseFile());  // the close that asked is abandoned
        QVERIFY(frame.IsFileOpen());
        QVERIFY(frame.IsModified());
        QVERIFY(!QFileInfo::exists(path));

        QVERIFY(!frame.SaveDatabaseFile(f.Data("x.txt")));
        QVERIFY(!frame.SaveDatabaseFile(QStringLiteral("usd")));
        QVERIFY(frame.IsModified());
    }

    void declinedTerrestrialQuestionKeepsModified()
    {
        FrameFixture f;
        const QString path = f.Data("t.usd");
        GeneratorOptions options;
        options.terrestrial = true;
        QVERIFY(GenerateDatabase(path, options));
        const QByteArray original = ReadFileBytes(path);
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(path));
        QVERIFY(MakeModified(frame));

        f.prompt.answers = {UserPrompt::No};
        frame.FileSave();
        QCOMPARE(f.prompt.questions, QStringList {kTerrestrialQuestion});
        QVERIFY(frame.IsModified());
        QCOMPARE(ReadFileBytes(path), original);

        // Declined inside the save prompt: the close is abandoned too.
        f.prompt.questions.clear();
        f.prompt.answers = {UserPrompt::Yes, UserPrompt::No};
        QVERIFY(!frame.CloseDatabaseFile());
        QCOMPARE(f.prompt.questions, QStringList({kModifiedQuestion, kTerrestrialQuestion}));
        QVERIFY(frame.IsFileOpen());
        QVERIFY(frame.IsModified());

        f.prompt.answers = {UserPrompt::Yes};
        frame.FileSave();
        QVERIFY(!frame.IsModified());
        QVERIFY(ReadFileBytes(path) != original);
    }

    void saveAsNewUserFileCopiesFirst()
    {
        FrameFixture f;
        const QString a = f.Data("a.usd");
        const QString b = f.Data("b.usd");
        QVERIFY(GenerateDatabase(a));
        const QByteArray original = ReadFileBytes(a);
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(a));
        QVERIFY(MakeModified(frame));
        CFileExportDialog::SetNextAnswer(b);
        frame.Action(FrameCommand::FileSaveAs)->trigger();
        const auto request = CFileExportDialog::LastRequest();
        QVERIFY(request);
        QCOMPARE(request->kind, FileDialogKind::Save);
        QCOMPARE(request->shortFilter, QStringLiteral("User Database(*.usd)|Default Database(*.ddf)"));
        QVERIFY(QFileInfo::exists(b));
        QCOMPARE(ReadFileBytes(a), original);
        QVERIFY(ReadFileBytes(b) != original);
        QCOMPARE(ReadFileBytes(b).size(), original.size());
        QCOMPARE(frame.CurrentPath(), a);
        QCOMPARE(frame.windowTitle(), QStringLiteral("Dravel - %1[*]").arg(a));
        QVERIFY(!frame.IsModified());
        QCOMPARE(FilesIn(f.dataDir.path()), QStringList({"a.usd", "b.usd"}));  // no temporary left
        // Written again into the now existing file.
        QVERIFY(MakeModified(frame));
        CFileExportDialog::SetNextAnswer(b);
        frame.FileSaveAs();
        QVERIFY(!frame.IsModified());
        QVERIFY(f.prompt.messages.isEmpty());
    }

    void saveAsCopyThatIsNotWrittenLeavesNothing()
    {
        FrameFixture f;
        const QString a = f.Data("t.usd");
        GeneratorOptions options;
        options.terrestrial = true;
        QVERIFY(GenerateDatabase(a, options));
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(a));
        QVERIFY(MakeModified(frame));
        f.prompt.answers = {UserPrompt::No};
        CFileExportDialog::SetNextAnswer(f.Data("new.usd"));
        frame.FileSaveAs();
        QCOMPARE(f.prompt.questions, QStringList {kTerrestrialQuestion});
        QVERIFY(frame.IsModified());
        QCOMPARE(FilesIn(f.dataDir.path()), QStringList {"t.usd"});
    }

    void saveAsFromDefaultDatabase()
    {
        FrameFixture f;
        const QString d = f.Data("d.ddf");
        QVERIFY(GenerateDatabase(d));
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(d));
        CFileExportDialog::SetNextAnswer(f.Data("e.ddf"));
        frame.FileSaveAs();
        QCOMPARE(CFileExportDialog::LastRequest()->shortFilter, QStringLiteral("Default Database(*.ddf)"));
        QCOMPARE(ReadFileBytes(f.Data("e.ddf")).size(), 65280);
        QVERIFY(frame.IsFileOpen());

        CFileExportDialog::SetNextAnswer(f.Data("u.usd"));
        frame.FileSaveAs();
        QCOMPARE(f.prompt.messages, QStringList {"Not Support Save \".ddf\" As \".usd\" File"});
        QVERIFY(!frame.IsFileOpen());
        QVERIFY(!QFileInfo::exists(f.Data("u.usd")));
    }

    void saveAsOtherSuffixCloses()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(f.Data("a.usd")));
        QVERIFY(MakeModified(frame));
        f.prompt.answers = {UserPrompt::No};
        CFileExportDialog::SetNextAnswer(f.Data("a.txt"));
        frame.FileSaveAs();
        QCOMPARE(f.prompt.messages, QStringList {"Not Support Save as \".txt\" File"});
        QCOMPARE(f.prompt.questions, QStringList {kModifiedQuestion});
        QVERIFY(!frame.IsFileOpen());
        // Cancelled dialog: nothing at all.
        QVERIFY(frame.OpenDatabaseFile(f.Data("a.usd")));
        CFileExportDialog::SetNextAnswer(std::nullopt);
        frame.FileSaveAs();
        QVERIFY(frame.IsFileOpen());
        QCOMPARE(f.prompt.messages.size(), 1);
    }

    void recentFilesNewestFirstAndReopened()
    {
        QStringList list;
        for (int i = 0; i < 12; ++i)
            list = RecentFiles::WithFile(list, QStringLiteral("/d/f%1.usd").arg(i));
        QCOMPARE(list.size(), RecentFiles::kMaxCount);
        QCOMPARE(list.first(), QStringLiteral("/d/f11.usd"));
        list = RecentFiles::WithFile(list, QStringLiteral("/d/x/../f5.usd"));  // one file, two spellings
        QCOMPARE(list.first(), QStringLiteral("/d/f5.usd"));
        QCOMPARE(list.count(QStringLiteral("/d/f5.usd")), 1);

        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        QVERIFY(GenerateDatabase(f.Data("b.ddf")));
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(f.Data("a.usd")));
        QVERIFY(frame.OpenDatabaseFile(f.Data("b.ddf")));
        QCOMPARE(RecentFiles::Load(), QStringList({QFileInfo(f.Data("b.ddf")).absoluteFilePath(),
                                                   QFileInfo(f.Data("a.usd")).absoluteFilePath()}));
        auto *menu = frame.menuBar()->findChild<QMenu *>(QStringLiteral("recentFilesMenu"));
        QVERIFY(menu);
        QMetaObject::invokeMethod(menu, "aboutToShow");
        QCOMPARE(menu->actions().size(), 2);
        QVERIFY(menu->actions()[1]->text().endsWith(QStringLiteral("a.usd")));
        menu->actions()[1]->trigger();
        QCOMPARE(QFileInfo(frame.CurrentPath()).fileName(), QStringLiteral("a.usd"));
    }

    void windowSizeSplitterAndColumnsAreRemembered()
    {
        FrameFixture f;
        CMainFrame &frame = *f.frame;
        // The first start is wide enough for the tree and every column of the list.
        int columns = 0;
        for (int width : frame.GetChannelList()->ColumnWidths())
            columns += width;
        QVERIFY(frame.width() >= std::min(columns + 280, frame.screen()->availableGeometry().width()));
        frame.resize(1111, 666);
        QList<int> widths;
        for (int width : frame.GetChannelList()->ColumnWidths())
            widths << width;
        QVERIFY(widths.size() > 2);
        widths[1] = 222;
        frame.GetChannelList()->SetColumnWidths(widths);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.MainSplitter()->setSizes({333, 700});
        QCOMPARE(frame.MainSplitter()->sizes().value(0), 333);
        QVERIFY(frame.close());

        // The next window opens as this one was left (same profile).
        CMainFrame next(&f.prompt);
        next.SetLayoutCacheFolders(frame.LayoutCacheFoldersInUse());
        next.InitialUpdate();
        next.show();
        QVERIFY(QTest::qWaitForWindowExposed(&next));
        QCOMPARE(next.size(), QSize(1111, 666));
        QCOMPARE(int(next.GetChannelList()->ColumnWidths()[1]), 222);
        QCOMPARE(next.MainSplitter()->sizes().value(0), 333);
    }

    void closeWritesGroupNamesToProfile()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("d.ddf")));
        QVERIFY(GenerateDatabase(f.Data("u.usd")));
        CMainFrame &frame = *f.frame;
        SettingsProfileStore store;
        // A user database shows the profile's names: a rename goes back to the profile.
        QVERIFY(frame.OpenDatabaseFile(f.Data("u.usd")));
        FavouriteRecord *favourites = frame.Database().Favourites();
        QVERIFY(favourites);
        favourites->names[4] = "Fifth";
        frame.FileClose();
        QCOMPARE(store.ReadString("Project Favor Group", "FavGroup4"), QStringLiteral("Fifth"));
        QCOMPARE(store.ReadString("Project Favor Group", "FavGroup5"), QStringLiteral("Favor Group 6"));
        // A default database carries its own names: closing it leaves the user's names alone.
        QVERIFY(frame.OpenDatabaseFile(f.Data("d.ddf")));
        favourites = frame.Database().Favourites();
        QVERIFY(favourites);
        QCOMPARE(favourites->names[1], std::string("News"));
        favourites->names[4] = "From the file";
        frame.FileClose();
        QCOMPARE(store.ReadString("Project Favor Group", "FavGroup4"), QStringLiteral("Fifth"));
        QCOMPARE(store.ReadString("Project Favor Group", "FavGroup1"), QStringLiteral("Favor Group 2"));
        QVERIFY(!frame.GetNavigator()->AllServicesItem());
        QCOMPARE(frame.GetNavigator()->topLevelItemCount(), 0);
        QCOMPARE(frame.GetChannelList()->RowCount(), 0);
        QVERIFY(!frame.Database().HasPool());
    }

    void closingWindowRunsSavePrompt()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        CMainFrame &frame = *f.frame;
        frame.show();
        QVERIFY(frame.OpenDatabaseFile(f.Data("a.usd")));
        QVERIFY(MakeModified(frame));
        f.prompt.answers = {UserPrompt::Cancel};
        QVERIFY(!frame.close());
        QVERIFY(frame.isVisible());
        QVERIFY(frame.IsModified());
        f.prompt.answers = {UserPrompt::No};
        frame.Action(FrameCommand::AppExit)->trigger();
        QVERIFY(!frame.isVisible());
        QCOMPARE(f.prompt.questions, QStringList(2, kModifiedQuestion));
    }

    void terminationWritesNothing()
    {
        FrameFixture f;
        const QString path = f.Data("a.usd");
        QVERIFY(GenerateDatabase(path));
        const QByteArray original = ReadFileBytes(path);
        CMainFrame &frame = *f.frame;
        frame.show();
        QVERIFY(frame.OpenDatabaseFile(path));
        QVERIFY(MakeModified(frame));
        frame.Terminate();
        QVERIFY(!frame.isVisible());
        QVERIFY(f.prompt.questions.isEmpty());
        QVERIFY(!frame.SaveDatabaseFile(path));
        QCOMPARE(ReadFileBytes(path), original);
        SettingsProfileStore store;
        QCOMPARE(store.ReadString("Project Favor Group", "FavGroup1"), QStringLiteral("Favor Group 2"));
    }

    void newDocumentClosesThenReloadsLayouts()
    {
        FrameFixture f;
        QVERIFY(GenerateDatabase(f.Data("a.usd")));
        CMainFrame &frame = *f.frame;
        QVERIFY(frame.OpenDatabaseFile(f.Data("a.usd")));
        QVERIFY(MakeModified(frame));
        f.prompt.answers = {UserPrompt::Cancel};
        frame.Action(FrameCommand::FileNew)->trigger();
        QVERIFY(frame.IsFileOpen());
        QVERIFY(frame.Database().LayoutsInStep());
        f.prompt.answers = {UserPrompt::No};
        const uint64_t generation = frame.Layouts().Generation();
        frame.FileNew();
        QVERIFY(!frame.IsFileOpen());
        QVERIFY(frame.Layouts().Generation() != generation);
        QVERIFY(frame.Layouts().HasNodeLayouts());
        QVERIFY(frame.OpenDatabaseFile(f.Data("a.usd")));  // opens in the reloaded layouts
    }

    void aboutBox()
    {
        CAboutDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("关于 Dravel"));
        QCOMPARE(dialog.LibraryVersionText(), QStringLiteral("Upgrade Library Version: 3.0.0e"));
        QLabel *version = nullptr;
        QStringList texts;
        for (QLabel *label : dialog.findChildren<QLabel *>()) {
            texts << label->text();
            if (label->property("controlId").toInt() == 1079)
                version = label;
        }
        QVERIFY(version);
        QCOMPARE(version->text(), QStringLiteral("Upgrade Library Version: 3.0.0e"));
        QVERIFY(texts.contains(QStringLiteral("Dravel DB4 0.0.1c 2009-07-31")));
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
