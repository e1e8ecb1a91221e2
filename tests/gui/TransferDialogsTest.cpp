// Download and upload from the editor against stb-sim: the commands, their dialogs and the worker.
#include "gui/TransferTestSupport.h"

#include "views/CNavigator.h"
#include "link/TransferObserver.h"
#include "transfer/CDownloadDlg.h"
#include "transfer/CUploadDlg.h"

#include "views/CZanEditorView.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>

using namespace GuiTest;
using namespace TransferTest;
using namespace TransferControl;

namespace {

// A small generated ".ddf" that fits the simulator's default database chunk.
bool SmallDatabase(const QString &path)
{
    GeneratorOptions options;
    options.satellites = 2;
    options.transponders = 6;
    options.programs = 30;
    return GenerateDatabase(path, options) && QFileInfo(path).size() <= kDefaultSize - 128;
}

// Waits for OK, checks the finished dialog, presses OK. Returns the caption it saw.
struct SuccessDriver
{
    QString caption;
    bool cancelWasEnabled = true;
    bool allDone = false;
    QList<int> doneControls;

    bool operator()(QWidget *modal)
    {
        auto *dialog = qobject_cast<CTransferDlg *>(modal);
        if (!dialog)
            return false;
        QAbstractButton *ok = Button(dialog, kOk);
        if (!ok || !ok->isEnabled())
            return false;
        caption = dialog->windowTitle();
        cancelWasEnabled = Button(dialog, kCancel)->isEnabled();
        allDone = true;
        for (int id : doneControls)
            allDone = allDone && dialog->Control(id)->isVisible();
        ok->click();
        return true;
    }
};

} // namespace

class TransferDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(SimProcess::Program()), "stb-sim is not built");
        QVERIFY2(!BundledCacheBytes().isEmpty(), "the bundled template must parse");
    }

    void downloadOfTheOpenDdfBurnsItAndWaitsForOk()
    {
        TransferFixture f;
        QVERIFY(f.StartSim({"--proto", "0x30"}));
        const QString path = f.Data("small.ddf");
        QVERIFY(SmallDatabase(path));
        const QByteArray file = ReadFile(path);

        QAction *download = f.commands->Action(TransferCommand::DownloadOpenFile);
        QVERIFY(!download->isEnabled());  // nothing open
        QVERIFY(f.frame->OpenDatabaseFile(path));
        QVERIFY(download->isEnabled());

        QSignalSpy finished(f.commands, &TransferCommands::TransferFinished);
        SuccessDriver driver;
        driver.doneControls = {kDownloadTestDone, kDownloadInfoDone, kDownloadLoadDone, kDownloadBurnDone};
        WhileModal([&] { download->trigger(); }, std::ref(driver));

        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(1).toInt(), int(QDialog::Accepted));
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QCOMPARE(driver.caption, QStringLiteral("Download (PC --> STB) (Transfer protocol version: 3.0)"));
        QVERIFY(!driver.cancelWasEnabled);
        QVERIFY(driver.allDone);
        QVERIFY(!f.commands->Link().Port().IsOpen());

        QVERIFY(f.sim.Stop());
        const QByteArray flash = ReadFile(f.flashPath);
        QVERIFY(flash.mid(kDefaultAt + 128, file.size()) == file);
        // The rest of the flash is as it was, the user database included.
        QVERIFY(flash.left(kDefaultAt) == f.initialFlash.left(kDefaultAt));
        QVERIFY(flash.mid(kUserAt) == f.initialFlash.mid(kUserAt));
    }

    void downloadOfAChosenAbsSendsItsDefaultDatabase()
    {
        TransferFixture f;
        QVERIFY(f.StartSim({"--proto", "0x30"}));
        // The simulator's own image with a new default database, its CRC field set to "NCRC".
        QByteArray abs = f.initialFlash;
        const QByteArray fresh = RandomBytes(0x2000, 11);
        abs.replace(kDefaultAt + 128, fresh.size(), fresh);
        abs[kDefaultAt + 12] = 'N', abs[kDefaultAt + 13] = 'C', abs[kDefaultAt + 14] = 'R', abs[kDefaultAt + 15] = 'C';
        // And a user database that must not be sent (".abs" settings: default database only).
        abs.replace(kUserAt + 128, 16, QByteArray(16, 'U'));
        const QString path = f.Data("image.abs");
        QVERIFY(WriteFile(path, abs));

        CFileExportDialog::SetNextAnswer(path);
        SuccessDriver driver;
        WhileModal([&] { f.commands->Action(TransferCommand::DownloadFile)->trigger(); }, std::ref(driver));
        QVERIFY(CFileExportDialog::LastRequest().has_value());
        QCOMPARE(CFileExportDialog::LastRequest()->shortFilter,
                 QStringLiteral("DDF File(*.ddf)|UDF File(*.udf)|ABS File(*.abs)"));
        QCOMPARE(CFileExportDialog::LastRequest()->kind, FileDialogKind::Open);
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QVERIFY(!driver.caption.isEmpty());

        QVERIFY(f.sim.Stop());
        const QByteArray flash = ReadFile(f.flashPath);
        QVERIFY(flash.mid(kDefaultAt, kDefaultSize) == abs.mid(kDefaultAt, kDefaultSize));
        QVERIFY(flash.mid(kUserAt) == f.initialFlash.mid(kUserAt));
    }

    void chosenFilesWithOtherEndingsAreRefused()
    {
        TransferFixture f;
        const QString upper = f.Data("upper.DDF");
        QVERIFY(WriteFile(upper, QByteArray(100, 1)));
        CFileExportDialog::SetNextAnswer(upper);
        f.commands->DownloadFile();
        QCOMPARE(f.prompt.messages, QStringList({"Invalid File Selected!"}));
        // Cancel in the file dialog: nothing at all.
        CFileExportDialog::SetNextAnswer(std::nullopt);
        f.commands->DownloadFile();
        QCOMPARE(f.prompt.messages.size(), 1);
        // With nothing open the command that sends the open file says so.
        f.commands->DownloadOpenFile();
        QCOMPARE(f.prompt.messages.last(), QStringLiteral("No File opened"));
    }

    void aModifiedFileIsSavedFirstAndADeclinedSaveAbandonsTheDownload()
    {
        TransferFixture f;
        const QString path = f.Data("small.ddf");
        QVERIFY(SmallDatabase(path));
        QVERIFY(f.frame->OpenDatabaseFile(path));
        f.frame->GetNavigator()->setCurrentItem(f.frame->GetNavigator()->AllServicesItem());
        QVERIFY(f.frame->GetChannelList()->SwapChannelRows(0, 1));
        QVERIFY(f.frame->IsModified());
        // The save prompt answered Cancel: no dialog, no port.
        f.prompt.answers = {UserPrompt::Cancel};
        QSignalSpy finished(f.commands, &TransferCommands::TransferFinished);
        f.commands->DownloadOpenFile();
        QCOMPARE(f.prompt.questions.size(), 1);
        QCOMPARE(finished.count(), 0);
        QVERIFY(f.frame->IsModified());
    }

    void uploadWritesTheFileAndTheEditorOpensIt()
    {
        TransferFixture f;
        QVERIFY(f.StartSim({"--proto", "0x30"}));
        // A real database in the box first.
        const QString sent = f.Data("sent.ddf");
        QVERIFY(SmallDatabase(sent));
        CFileExportDialog::SetNextAnswer(sent);
        SuccessDriver first;
        WhileModal([&] { f.commands->DownloadFile(); }, std::ref(first));
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));

        const QString back = f.Data("back.ddf");
        CFileExportDialog::SetNextAnswer(back);
        SuccessDriver driver;
        driver.doneControls = {kUploadTestDone, kUploadDumpDone};
        QSignalSpy finished(f.commands, &TransferCommands::TransferFinished);
        WhileModal([&] { f.commands->Action(TransferCommand::Upload)->trigger(); }, std::ref(driver));
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(1).toInt(), int(QDialog::Accepted));
        QVERIFY(driver.allDone);
        QCOMPARE(driver.caption, QStringLiteral("Upload (STB --> PC) (Transfer protocol version: 3.0)"));
        const std::optional<FileDialogRequest> request = CFileExportDialog::LastRequest();
        QVERIFY(request.has_value());
        QCOMPARE(request->kind, FileDialogKind::Save);
        QCOMPARE(request->shortFilter, QStringLiteral("User Database(*.udf)|Default Database(*.ddf)|All Code(*.abs)|"));
        QVERIFY(request->options.testFlag(OverwritePrompt));

        const QByteArray uploaded = ReadFile(back);
        const QByteArray original = ReadFile(sent);
        QCOMPARE(uploaded.size(), kDefaultSize - 128);
        QVERIFY(uploaded.left(original.size()) == original);
        QCOMPARE(f.frame->CurrentPath(), back);
        QVERIFY(!f.commands->Link().Port().IsOpen());
    }

    void aFailedUploadLeavesTheOpenFileAsItWas()
    {
        TransferFixture f;
        const QString path = f.Data("small.ddf");
        QVERIFY(SmallDatabase(path));
        QVERIFY(f.frame->OpenDatabaseFile(path));
        f.frame->GetNavigator()->setCurrentItem(f.frame->GetNavigator()->AllServicesItem());
        QVERIFY(f.frame->GetChannelList()->SwapChannelRows(0, 1));
        // No receiver on this port: the upload fails, and the edited file is still open, with its
        // edits, and nobody was asked to save or throw them away.
        f.commands->SetDevicePath(f.Data("no-such-device"));
        QSignalSpy finished(f.commands, &TransferCommands::TransferFinished);
        f.commands->Upload();
        QCOMPARE(finished.count(), 1);
        QVERIFY(f.prompt.questions.isEmpty());
        QCOMPARE(f.frame->CurrentPath(), path);
        QVERIFY(f.frame->IsModified());
    }
};

QTEST_MAIN(TransferDialogsTest)
#include "TransferDialogsTest.moc"
