// The application's command line, its message boxes and the termination request.
#include "gui/GuiTestSupport.h"

#include "views/CNavigator.h"
#include "views/CZanEditorView.h"
#include "widgets/MessageBoxPrompt.h"
#include "shell/TerminationWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>

#include <csignal>
#include <functional>

using namespace GuiTest;

namespace {

// Runs `inspect` on the next message box that appears, then presses `button` in it.
void AnswerNextBox(QMessageBox::StandardButton button, std::function<void(QMessageBox &)> inspect)
{
    QTimer::singleShot(0, [button, inspect] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            AnswerNextBox(button, inspect);  // not shown yet
            return;
        }
        inspect(*box);
        box->button(button)->click();
    });
}

} // namespace

class EditorAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandLine()
    {
        auto parse = [](QStringList args) {
            args.prepend(QStringLiteral("dravel"));
            return CZanEditorApp::ParseEditorCommandLine(args);
        };
        QCOMPARE(parse({}).openPath, QString());
        QVERIFY(!parse({}).exitNow);
        QCOMPARE(parse({"a.usd"}).openPath, QStringLiteral("a.usd"));
        QCOMPARE(parse({"--open", "b.ddf"}).openPath, QStringLiteral("b.ddf"));
        QCOMPARE(parse({"-o", "b.ddf"}).openPath, QStringLiteral("b.ddf"));
        const EditorCommandLine help = parse({"--help"});
        QVERIFY(help.exitNow);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.output.contains(QStringLiteral("--open FILE")));
        const EditorCommandLine version = parse({"--version"});
        QVERIFY(version.exitNow);
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.output.contains(QStringLiteral("0.0.1c")));
        QCOMPARE(parse({"a.usd", "b.usd"}).exitCode, 2);
        QCOMPARE(parse({"--open", "a.usd", "b.usd"}).exitCode, 2);
        QCOMPARE(parse({"--bogus"}).exitCode, 2);
        QVERIFY(parse({"--open"}).exitNow);  // the option needs its file
    }

    void missingDisplay()
    {
        QProcessEnvironment none;
        QProcessEnvironment x11;
        x11.insert("DISPLAY", ":0");
        QProcessEnvironment wayland;
        wayland.insert("WAYLAND_DISPLAY", "wayland-0");
        QProcessEnvironment offscreen;
        offscreen.insert("QT_QPA_PLATFORM", "offscreen");
        QVERIFY(CZanEditorApp::MissingDisplay(none).contains(QStringLiteral("dravel-cli")));
        QVERIFY(CZanEditorApp::MissingDisplay(x11).isEmpty());
        QVERIFY(CZanEditorApp::MissingDisplay(wayland).isEmpty());
        QVERIFY(CZanEditorApp::MissingDisplay(offscreen).isEmpty());
    }

    void applicationNames()
    {
        CZanEditorApp::SetApplicationNames();
        QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Local AppWizard-Generated Applications"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("ZanEditor"));
    }

    void messageBoxCaptionAndIcon()
    {
        MessageBoxPrompt prompt;
        QString caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        AnswerNextBox(QMessageBox::Ok, [&](QMessageBox &box) {
            caption = box.windowTitle();
            icon = box.icon();
            text = box.text();
        });
        prompt.ShowMessage(QStringLiteral("plain"));
        QCOMPARE(caption, QStringLiteral("Dravel"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(text, QStringLiteral("plain"));

        AnswerNextBox(QMessageBox::Ok, [&](QMessageBox &box) {
            caption = box.windowTitle();
            icon = box.icon();
        });
        prompt.ShowMessage(QStringLiteral("stop"), QStringLiteral("Download"), UserPrompt::Stop);
        QCOMPARE(caption, QStringLiteral("Download"));
        QCOMPARE(icon, QMessageBox::Critical);
        QString detail = QStringLiteral("not shown");
        AnswerNextBox(QMessageBox::Ok, [&](QMessageBox &box) {
            text = box.text();
            detail = box.informativeText();
        });
        prompt.ShowMessageWithDetail(QStringLiteral("can not open port"),
                                     QStringLiteral("/dev/ttyS9: No such file or directory"));
        QCOMPARE(text, QStringLiteral("can not open port"));
        QCOMPARE(detail, QStringLiteral("/dev/ttyS9: No such file or directory"));
        AnswerNextBox(QMessageBox::Ok, [&](QMessageBox &box) { detail = box.informativeText(); });
        prompt.ShowMessage(QStringLiteral("plain"));
        QVERIFY(detail.isEmpty());
        QCOMPARE(MessageBoxPrompt::BoxIcon(UserPrompt::Exclamation), QMessageBox::Warning);
        QCOMPARE(MessageBoxPrompt::BoxIcon(UserPrompt::Information), QMessageBox::Information);
    }

    void messageBoxAnswers()
    {
        MessageBoxPrompt prompt;
        QList<QMessageBox::StandardButtons> offered;
        auto record = [&](QMessageBox &box) { offered << box.standardButtons(); };
        AnswerNextBox(QMessageBox::Yes, record);
        QCOMPARE(prompt.AskYesNo(QStringLiteral("q")), UserPrompt::Yes);
        AnswerNextBox(QMessageBox::No, record);
        QCOMPARE(prompt.AskYesNo(QStringLiteral("q")), UserPrompt::No);
        AnswerNextBox(QMessageBox::Cancel, record);
        QCOMPARE(prompt.AskYesNoCancel(QStringLiteral("q")), UserPrompt::Cancel);
        AnswerNextBox(QMessageBox::No, record);
        QCOMPARE(prompt.AskYesNoCancel(QStringLiteral("q")), UserPrompt::No);
        QCOMPARE(offered[0], QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(offered[2], QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        // Escape changes nothing: No for a Yes/No question, Cancel for the save prompt.
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        QCOMPARE(prompt.AskYesNoCancel(QStringLiteral("q")), UserPrompt::Cancel);
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        QCOMPARE(prompt.AskYesNo(QStringLiteral("q")), UserPrompt::No);
    }

    void sigtermBecomesASignal()
    {
        TerminationWatcher watcher;
        QVERIFY(watcher.Install());
        QVERIFY(watcher.IsInstalled());
        QSignalSpy requested(&watcher, &TerminationWatcher::TerminationRequested);
        std::raise(SIGTERM);
        QTRY_COMPARE(requested.size(), 1);
        QCOMPARE(requested.at(0).at(0).toInt(), int(SIGTERM));
    }

    void terminationClosesTheSavePromptAndWritesNothing()
    {
        FrameFixture f;
        const QString path = f.Data("a.usd");
        QVERIFY(GenerateDatabase(path));
        const QByteArray original = ReadFileBytes(path);
        MessageBoxPrompt boxes;
        CMainFrame frame(&boxes);
        boxes.SetParent(&frame);
        frame.SetLayoutCacheFolders(f.frame->LayoutCacheFoldersInUse());
        QCOMPARE(frame.InitialUpdate(), LayoutSource::Cache);
        frame.show();
        QVERIFY(frame.OpenDatabaseFile(path));
        frame.GetNavigator()->setCurrentItem(frame.GetNavigator()->AllServicesItem());
        QVERIFY(frame.GetChannelList()->SwapChannelRows(0, 1));
        QVERIFY(frame.IsModified());
        // The request arrives while the save prompt is open: the prompt goes, nothing is saved.
        QString asked;
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                asked = box->text();
            frame.Terminate();
        });
        QVERIFY(!frame.CloseDatabaseFile());
        QCOMPARE(asked, QStringLiteral("Current file was modified, do you want to save it?"));
        QVERIFY(!frame.isVisible());
        QVERIFY(!frame.SaveDatabaseFile(path));
        QCOMPARE(ReadFileBytes(path), original);
    }
};

QTEST_MAIN(EditorAppTest)
#include "EditorAppTest.moc"
