// The layout start-up: where the cache is searched and written, and every message of the start-up.
#include "gui/GuiTestSupport.h"

#include "views/CZanEditorView.h"
#include "shell/LayoutCacheLocations.h"
#include "shell/LayoutStartup.h"

#include <QAbstractItemModel>
#include <QFileInfo>
#include <QTableView>

using namespace GuiTest;

class LayoutStartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!BundledCacheBytes().isEmpty()); }
    void init() { CFileExportDialog::ResetTestHook(); }

    void planReadsBesideProgramFirst()
    {
        const LayoutCacheFolders folders {"/opt/dravel/bin", "/home/u/.local/share/dravel", "/opt/dravel/share/dravel"};
        const LayoutCachePlan writable = PlanLayoutCache(folders, [](const QString &) { return true; });
        QCOMPARE(writable.shownPath, QStringLiteral("/opt/dravel/bin/script.ini"));
        QCOMPARE(writable.readOrder, QStringList({"/opt/dravel/bin/script.ini", "/home/u/.local/share/dravel/script.ini",
                                                  "/opt/dravel/share/dravel/script.ini"}));
        QCOMPARE(writable.writePath, QStringLiteral("/opt/dravel/bin/script.ini"));

        QStringList asked;
        const LayoutCachePlan readOnly = PlanLayoutCache(folders, [&](const QString &dir) {
            asked << dir;
            return false;
        });
        QCOMPARE(asked, QStringList {"/opt/dravel/bin"});
        QCOMPARE(readOnly.readOrder, writable.readOrder);
        QCOMPARE(readOnly.writePath, QStringLiteral("/home/u/.local/share/dravel/script.ini"));
    }

    void planEdgeCases()
    {
        QVERIFY(PlanLayoutCache({QString(), "/a", "/b"}, [](const QString &) { return true; }).readOrder.isEmpty());
        // No user folder: the program folder is the only place to write, whatever its state.
        const LayoutCachePlan noUser = PlanLayoutCache({"/p", QString(), QString()}, [](const QString &) { return false; });
        QCOMPARE(noUser.readOrder, QStringList {"/p/script.ini"});
        QCOMPARE(noUser.writePath, QStringLiteral("/p/script.ini"));
        // The same folder twice is read once.
        QCOMPARE(PlanLayoutCache({"/p", "/p", "/p/"}, [](const QString &) { return true; }).readOrder.size(), 1);
    }

    void foldersOfTheRunningProgram()
    {
        const LayoutCacheFolders folders = RunningProgramCacheFolders();
        QCOMPARE(folders.programDir, QCoreApplication::applicationDirPath());
        QCOMPARE(folders.installedDir, QDir::cleanPath(folders.programDir + "/../share/dravel"));
        QCOMPARE(folders.appDataDir, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        QVERIFY(!folders.appDataDir.isEmpty());
    }

    void writableFolderProbe()
    {
        QTemporaryDir dir;
        QVERIFY(IsWritableFolder(dir.path()));
        QVERIFY(!IsWritableFolder(dir.filePath("missing")));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());  // the probe is gone
    }

    void startupWithCacheAsksNothing()
    {
        FrameFixture f;  // runs the start-up with the cache beside the program
        QVERIFY(f.prompt.messages.isEmpty());
        QVERIFY(f.prompt.questions.isEmpty());
        QVERIFY(f.frame->Layouts().HasNodeLayouts());
        QAbstractItemModel *model = f.frame->GetChannelList()->Table()->model();
        QVERIFY(model->columnCount() > 5);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Index"));
    }

    void startupReadsUserFolderWhenProgramFolderHasNone()
    {
        FrameFixture f(false);
        const QString user = f.frame->LayoutCacheFoldersInUse().appDataDir;
        QVERIFY(QDir().mkpath(user));
        QVERIFY(WriteBundledCache(user));
        QCOMPARE(f.frame->InitialUpdate(), LayoutSource::Cache);
        QVERIFY(f.prompt.messages.isEmpty());
        QVERIFY(f.frame->Layouts().HasNodeLayouts());
    }

    void startupWithoutCacheAnsweredNo()
    {
        FrameFixture f(false);
        QCOMPARE(f.frame->InitialUpdate(), LayoutSource::None);
        const QString shown = QDir(f.programDir.path()).filePath("script.ini");
        QCOMPARE(f.prompt.messages, QStringList {QStringLiteral("\"%1\" not exist").arg(shown)});
        QCOMPARE(f.prompt.questions, QStringList {"Load Template ?"});
        QVERIFY(!f.frame->Layouts().HasNodeLayouts());
        QVERIFY(!CFileExportDialog::LastRequest());  // no file dialog after No
    }

    void startupWithoutCacheLoadsTemplate()
    {
        ScopedWorkingDir work;
        FrameFixture f(false);
        f.prompt.answers = {UserPrompt::Yes};
        CFileExportDialog::SetNextAnswer(BundledTemplatePath());
        QCOMPARE(f.frame->InitialUpdate(), LayoutSource::Template);
        const QString cache = QDir(f.programDir.path()).filePath("script.ini");
        QCOMPARE(f.prompt.messages, QStringList({QStringLiteral("\"%1\" not exist").arg(cache), "Save template ok."}));
        QCOMPARE(ReadFileBytes(cache), BundledCacheBytes());
        const auto request = CFileExportDialog::LastRequest();
        QVERIFY(request);
        QCOMPARE(request->kind, FileDialogKind::Open);
        QCOMPARE(request->shortFilter, QStringLiteral("Template File(*.h)"));
        QVERIFY(f.frame->GetChannelList()->Table()->model()->columnCount() > 5);
        // The next start finds the cache and asks nothing.
        f.prompt.messages.clear();
        f.prompt.questions.clear();
        QCOMPARE(f.frame->InitialUpdate(), LayoutSource::Cache);
        QVERIFY(f.prompt.messages.isEmpty());
    }

    void templateCachedInUserFolderWhenProgramFolderIsReadOnly()
    {
        ScopedWorkingDir work;
        PrivateProfile profile;
        QTemporaryDir root;
        const QString user = root.filePath("user/share/dravel");  // does not exist yet
        const LayoutCachePlan plan = PlanLayoutCache({root.filePath("bin"), user, QString()},
                                                     [](const QString &) { return false; });
        ScriptedPrompt prompt;
        prompt.answers = {UserPrompt::Yes};
        CFileExportDialog::SetNextAnswer(BundledTemplatePath());
        LayoutSet layouts;
        int ready = 0;
        QCOMPARE(InitLayouts(layouts, prompt, plan, [&] { ++ready; }), LayoutSource::Template);
        QCOMPARE(ready, 1);
        QCOMPARE(prompt.messages.last(), QStringLiteral("Save template ok."));
        QVERIFY(QFileInfo::exists(QDir(user).filePath("script.ini")));
        QVERIFY(!QFileInfo::exists(root.filePath("bin/script.ini")));
    }

    void templateThatFailsToParse()
    {
        ScopedWorkingDir work;
        FrameFixture f(false);
        QVERIFY(WriteFileBytes(work.Path("broken.h"), "this is not a template\n"));
        f.prompt.answers = {UserPrompt::Yes};
        CFileExportDialog::SetNextAnswer(work.Path("broken.h"));
        QCOMPARE(f.frame->InitialUpdate(), LayoutSource::None);
        QCOMPARE(f.prompt.messages.last(), QStringLiteral("ParseTemplate failed!"));
        QVERIFY(!QFileInfo::exists(QDir(f.programDir.path()).filePath("script.ini")));
    }

    void templateDialogCancelled()
    {
        FrameFixture f(false);
        f.prompt.answers = {UserPrompt::Yes};
        CFileExportDialog::SetNextAnswer(std::nullopt);
        QCOMPARE(f.frame->InitialUpdate(), LayoutSource::None);
        QCOMPARE(f.prompt.messages.size(), 1);  // only the "not exist" message
    }

    void cacheThatCannotBeWritten()
    {
        ScopedWorkingDir work;
        PrivateProfile profile;
        QTemporaryDir root;
        // The write path is a folder: the cache cannot be written there.
        QVERIFY(QDir().mkpath(root.filePath("bin/script.ini")));
        LayoutCachePlan plan;
        plan.shownPath = root.filePath("missing/script.ini");
        plan.readOrder << plan.shownPath;
        plan.writePath = root.filePath("bin/script.ini");
        ScriptedPrompt prompt;
        prompt.answers = {UserPrompt::Yes};
        CFileExportDialog::SetNextAnswer(BundledTemplatePath());
        LayoutSet layouts;
        QCOMPARE(InitLayouts(layouts, prompt, plan, {}), LayoutSource::Template);
        QCOMPARE(prompt.messages.last(), QStringLiteral("Template doesn't exist!"));
        QVERIFY(layouts.HasNodeLayouts());
    }

    void emptyProgramPath()
    {
        ScriptedPrompt prompt;
        LayoutSet layouts;
        QCOMPARE(InitLayouts(layouts, prompt, LayoutCachePlan {}, {}), LayoutSource::None);
        QCOMPARE(prompt.messages, QStringList({"script path is empty", "\"\" not exist"}));
        QCOMPARE(prompt.questions, QStringList {"Load Template ?"});
    }
};

QTEST_MAIN(LayoutStartupTest)
#include "LayoutStartupTest.moc"
