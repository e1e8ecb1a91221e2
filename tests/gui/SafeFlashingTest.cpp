// The editor's safe flashing against stb-sim: the download dialog's choices, backup and verify
// steps, the rate line, and Transfer → Restore From Backup….
#include "gui/TransferTestSupport.h"

#include "core/TransferRate.h"
#include "link/BackupCatalog.h"
#include "link/TransferObserver.h"
#include "transfer/BackupListRows.h"
#include "transfer/CDownloadDlg.h"
#include "transfer/CRestoreDlg.h"
#include "transfer/CUploadDlg.h"
#include "views/CNavigator.h"
#include "views/CZanEditorView.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>

using namespace GuiTest;
using namespace TransferTest;
using namespace TransferControl;

namespace {

// What a download dialog showed, seen from the test while it ran.
struct DownloadSeen
{
    bool sawStartGate = false;
    bool backupOffered = false;
    bool verifyOffered = false;
    bool stepsHiddenBeforeStart = false;
    bool backupDone = false;
    bool verifyDone = false;
    bool backupStepShown = false;
    bool verifyStepShown = false;
    QString loadText;
    QString loadDescription;
};

// Drives a download dialog: at the Start gate sets the two choices and presses Start; once OK is
// enabled notes the steps and presses OK. A dialog that closes itself (failure) ends it as well.
struct DownloadDriver
{
    bool backup = true;
    bool verify = true;
    DownloadSeen seen;
    QPointer<CDownloadDlg> dialog;

    bool operator()(QWidget *modal)
    {
        if (!dialog) {
            dialog = qobject_cast<CDownloadDlg *>(modal);
            if (!dialog)
                return false;
        }
        if (dialog->WaitsForStart()) {
            auto *backupBox = dialog->findChild<QCheckBox *>(QStringLiteral("backupCheck"));
            auto *verifyBox = dialog->findChild<QCheckBox *>(QStringLiteral("verifyCheck"));
            seen.sawStartGate = Button(dialog, kOk)->isEnabled() && Button(dialog, kOk)->text() == "&Start";
            seen.backupOffered = backupBox->isEnabled() && backupBox->isChecked();
            seen.verifyOffered = verifyBox->isEnabled() && verifyBox->isChecked();
            seen.stepsHiddenBeforeStart = !dialog->Control(kDownloadTestStep)->isVisible();
            backupBox->setChecked(backup);
            verifyBox->setChecked(verify);
            // Enter presses Start.
            QTest::keyClick(dialog, Qt::Key_Return);
            return false;
        }
        QAbstractButton *ok = Button(dialog, kOk);
        if (!ok || !ok->isEnabled())
            return false;
        seen.backupStepShown = dialog->Control(kDownloadBackupStep)->isVisible();
        seen.backupDone = dialog->Control(kDownloadBackupDone)->isVisible();
        seen.verifyStepShown = dialog->Control(kDownloadVerifyStep)->isVisible();
        seen.verifyDone = dialog->Control(kDownloadVerifyDone)->isVisible();
        auto *load = qobject_cast<QLabel *>(dialog->Control(kDownloadLoadPercent));
        seen.loadText = load->text();
        seen.loadDescription = load->accessibleDescription();
        ok->click();
        return true;
    }
};

// Accepts the restore dialog with its first row selected, noting what it listed.
struct RestoreChooser
{
    QStringList firstRow;
    int rows = -1;
    bool restoreEnabled = false;
    DownloadDriver download;
    bool chosen = false;

    bool operator()(QWidget *modal)
    {
        if (!chosen) {
            auto *restore = qobject_cast<CRestoreDlg *>(modal);
            if (!restore)
                return false;
            rows = restore->Table()->rowCount();
            for (int c = 0; rows > 0 && c < restore->Table()->columnCount(); ++c)
                firstRow << restore->Table()->item(0, c)->text();
            auto *button = restore->findChild<QAbstractButton *>(QStringLiteral("restoreButton"));
            restoreEnabled = button->isEnabled();
            chosen = true;
            if (restoreEnabled)
                button->click();
            else
                restore->reject();
            return !restoreEnabled;
        }
        return download(modal);
    }
};

// Presses Cancel once the step's bar shows at least one percent; notes whether the dialog ended
// with its worker gone.
struct CancelInStep
{
    int barId = kDownloadBackupBar;
    QPointer<CTransferDlg> dialog;
    bool cancelled = false;
    bool workerRunningAtEnd = true;

    bool operator()(QWidget *modal)
    {
        if (!dialog) {
            dialog = qobject_cast<CTransferDlg *>(modal);
            if (!dialog)
                return false;
            QObject::connect(dialog, &QDialog::finished, [this] { workerRunningAtEnd = dialog->IsWorkerRunning(); });
        }
        auto *bar = qobject_cast<QProgressBar *>(dialog->Control(barId));
        if (!bar || !bar->isVisible() || bar->value() < 1)
            return false;
        Button(dialog, kCancel)->click();
        cancelled = true;
        return true;
    }
};

QString SmallDdf(const TransferFixture &f)
{
    const QString path = f.Data("small.ddf");
    return GeneratedDatabase(path, 30).isEmpty() ? QString() : path;
}

} // namespace

class SafeFlashingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(SimProcess::Program()), "stb-sim is not built");
        QVERIFY2(!BundledCacheBytes().isEmpty(), "the bundled template must parse");
    }

    // The choices at the Start gate decide: unticked, no backup and no verify step; ticked (the
    // settings' default), a backup equal to the flash before and a verified burn.
    void theDialogsChoicesDecideBackupAndVerify()
    {
        TransferFixture f;
        f.commands->SetDownloadWaitsForStart(true);
        QVERIFY(f.StartSim({"--proto", "0x30"}));
        const QString path = SmallDdf(f);
        QVERIFY(!path.isEmpty());
        QVERIFY(f.frame->OpenDatabaseFile(path));
        QAction *download = f.commands->Action(TransferCommand::DownloadOpenFile);

        DownloadDriver without;
        without.backup = false;
        without.verify = false;
        WhileModal([&] { download->trigger(); }, std::ref(without));
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QVERIFY(without.seen.sawStartGate);
        QVERIFY(without.seen.backupOffered);
        QVERIFY(without.seen.verifyOffered);
        QVERIFY(without.seen.stepsHiddenBeforeStart);
        QVERIFY(!without.seen.backupStepShown);
        QVERIFY(!without.seen.verifyStepShown);
        QVERIFY(BackupCatalog::List(f.backupDir.path()).empty());
        // The settings are not changed by a choice made for one download.
        QVERIFY(SafetySettings::Load().backup);

        const QByteArray before = ReadFile(f.flashPath);
        DownloadDriver with;
        WhileModal([&] { download->trigger(); }, std::ref(with));
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QVERIFY(with.seen.backupDone);
        QVERIFY(with.seen.verifyDone);
        // The rate line of a finished step, readable by assistive technology.
        QVERIFY2(QRegularExpression(QStringLiteral("^100 % \u00B7 [0-9.]+ (B|KB|MB)/s$")).match(with.seen.loadText).hasMatch(),
                 qPrintable(with.seen.loadText));
        QCOMPARE(with.seen.loadDescription, QStringLiteral("Download to sdram percentage: ") + with.seen.loadText);

        const std::vector<BackupEntry> backups = BackupCatalog::List(f.backupDir.path());
        QCOMPARE(backups.size(), size_t(1));
        QVERIFY(backups[0].valid);
        QCOMPARE(backups[0].chunkIds, std::vector<uint32_t>({kDefaultDbChunkId}));
        // The default database chunk, header included, exactly as the flash held it.
        QVERIFY(ReadFile(backups[0].path).left(kDefaultSize) == before.mid(kDefaultAt, kDefaultSize));
    }

    // A burn the simulator corrupts: the dialog says "Verify failed…" with the backup named and
    // the job's detail below; Restore From Backup… then brings the flash back byte for byte.
    void verifyCatchesACorruptBurnAndRestoreUndoesIt()
    {
        TransferFixture f;
        QVERIFY(f.StartSim({"--proto", "0x30", "--corrupt-burn", "0x200"}));
        const QString path = SmallDdf(f);
        QVERIFY(!path.isEmpty());
        CFileExportDialog::SetNextAnswer(path);
        QSignalSpy finished(f.commands, &TransferCommands::TransferFinished);
        f.commands->DownloadFile();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(1).toInt(), int(QDialog::Rejected));
        QCOMPARE(f.prompt.messages.size(), 1);
        const std::vector<BackupEntry> backups = BackupCatalog::List(f.backupDir.path());
        QCOMPARE(backups.size(), size_t(1));
        QCOMPARE(f.prompt.messages[0], QStringLiteral("Verify failed: chunk 0x03FC0100, offset 0x00000200\n"
                                                      "The previous contents are in the backup ")
                                           + backups[0].path);
        QVERIFY2(f.prompt.details[0].contains(QStringLiteral("holds 0x")), qPrintable(f.prompt.details[0]));
        QVERIFY(f.prompt.AllOnTheGuiThread());
        QVERIFY(f.sim.Stop());
        QVERIFY(ReadFile(f.flashPath) != f.initialFlash);

        // The same flash behind a sound simulator.
        QVERIFY(f.sim.Start({"--proto", "0x30", "--flash", f.flashPath}));
        f.commands->SetDevicePath(f.sim.Device());
        RestoreChooser chooser;
        WhileModal([&] { f.commands->Action(TransferCommand::RestoreBackup)->trigger(); }, std::ref(chooser));
        QVERIFY2(f.prompt.messages.size() == 1, qPrintable(f.prompt.messages.join('|')));
        QCOMPARE(chooser.rows, 1);
        QVERIFY(chooser.restoreEnabled);
        QCOMPARE(chooser.firstRow, BackupRowTexts(backups[0]));
        QVERIFY(chooser.download.seen.verifyDone);
        QVERIFY(!chooser.download.seen.backupStepShown); // a restore makes no new backup
        QCOMPARE(finished.count(), 2);
        QCOMPARE(finished.at(1).at(0).toInt(), TransferCommand::RestoreBackup);
        QCOMPARE(BackupCatalog::List(f.backupDir.path()).size(), size_t(1));
        QVERIFY(f.sim.Stop());
        QVERIFY(ReadFile(f.flashPath) == f.initialFlash);
    }

    // A backup that cannot be written stops the download before the receiver's memory is
    // touched, the reason in the box's detail; Cancel during the backup or the verify ends the
    // dialog without a message, the worker gone and the port closed.
    void backupFailuresAndCancelsEndCleanly()
    {
        TransferFixture f;
        // At the real line rate each step lasts long enough to be cancelled in.
        QVERIFY(f.StartSim({"--proto", "0x30", "--line-rate", "115200"}));
        const QString path = f.Data("big.ddf");
        QVERIFY(!GeneratedDatabase(path, 400).isEmpty());
        const QString blocker = f.Data("file");
        QVERIFY(WriteFile(blocker, "x"));
        UseBackupFolder(blocker + QStringLiteral("/b"));
        CFileExportDialog::SetNextAnswer(path);
        f.commands->DownloadFile();
        QCOMPARE(f.prompt.messages, QStringList({"Backup fail: nothing was loaded into the STB."}));
        QCOMPARE(f.prompt.details, QStringList({"cannot create the backups folder " + blocker + "/b"}));

        UseBackupFolder(f.backupDir.path());
        // The cancelled backup leaves no partial file; the download cancelled in its verify had
        // made its backup.
        for (auto [barId, backups] : {std::pair {kDownloadBackupBar, size_t(0)}, std::pair {kDownloadVerifyBar, size_t(1)}}) {
            CancelInStep driver;
            driver.barId = barId;
            CFileExportDialog::SetNextAnswer(path);
            WhileModal([&] { f.commands->DownloadFile(); }, std::ref(driver));
            QVERIFY(driver.cancelled);
            QVERIFY(!driver.workerRunningAtEnd);
            QCOMPARE(f.prompt.messages.size(), 1);
            QVERIFY(!f.commands->Link().Port().IsOpen());
            QCOMPARE(BackupCatalog::List(f.backupDir.path()).size(), backups);
        }
        QVERIFY(f.sim.Stop());
        // Nothing was burnt before the first cancel, and the second cancel came after the burn.
        QVERIFY(ReadFile(f.flashPath).mid(kDefaultAt + 128, 64) == ReadFile(path).left(64));
    }

    // The user database round trip in the editor: a ".udf" downloaded, uploaded, opened, edited,
    // saved in its own form and downloaded again lands where the receiver reads it.
    void aUdfMakesTheRoundTripThroughTheEditor()
    {
        TransferFixture f;
        QVERIFY(f.StartSim({"--proto", "0x30"}));
        const QString usd = f.Data("start.usd");
        QByteArray image = GeneratedDatabase(usd, 40);
        QVERIFY(!image.isEmpty());
        image.append(QByteArray(0x4000, char(0xFF)));
        const QString first = f.Data("first.udf");
        QVERIFY(WriteFile(first, image));
        QStringList uploadLines;
        auto pressOk = [&uploadLines](QWidget *modal) {
            QAbstractButton *ok = Button(modal, kOk);
            if (!ok || !ok->isEnabled())
                return false;
            if (auto *upload = qobject_cast<CUploadDlg *>(modal)) {
                auto *label = qobject_cast<QLabel *>(upload->Control(kUploadDumpPercent));
                uploadLines << label->text() << label->accessibleDescription();
            }
            ok->click();
            return true;
        };
        CFileExportDialog::SetNextAnswer(first);
        WhileModal([&] { f.commands->DownloadFile(); }, pressOk);
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));

        const QString back = f.Data("back.udf");
        CFileExportDialog::SetNextAnswer(back);
        WhileModal([&] { f.commands->Upload(); }, pressOk);
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QCOMPARE(f.frame->CurrentPath(), back);
        // The upload's dump shows the rate line too.
        QCOMPARE(uploadLines.size(), 2);
        QVERIFY2(uploadLines[0].startsWith(QStringLiteral("100 % \u00B7 ")), qPrintable(uploadLines[0]));
        QCOMPARE(uploadLines[1], QStringLiteral("Upload percentage: ") + uploadLines[0]);
        const QByteArray uploaded = ReadFile(back);
        QVERIFY(uploaded.left(image.size()) == image);

        f.frame->GetNavigator()->setCurrentItem(f.frame->GetNavigator()->AllServicesItem());
        QVERIFY(f.frame->GetChannelList()->SwapChannelRows(0, 1));
        QVERIFY(f.frame->SaveDatabaseFile(back));
        const QByteArray edited = ReadFile(back);
        QCOMPARE(edited.size(), uploaded.size());
        QVERIFY(edited != uploaded);
        QVERIFY(f.commands->Action(TransferCommand::DownloadOpenFile)->isEnabled());
        WhileModal([&] { f.commands->Action(TransferCommand::DownloadOpenFile)->trigger(); }, pressOk);
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));

        const QString again = f.Data("again.udf");
        CFileExportDialog::SetNextAnswer(again);
        WhileModal([&] { f.commands->Upload(); }, pressOk);
        QVERIFY2(f.prompt.messages.isEmpty(), qPrintable(f.prompt.messages.join('|')));
        QVERIFY(ReadFile(again) == edited);
        QCOMPARE(f.frame->CurrentPath(), again);
    }

    // The list of an empty folder says so and offers nothing; a damaged backup is listed with
    // its problem and cannot be restored; Other Folder… lists the folder of the file chosen.
    void theRestoreDialogListsFoldersAndRefusesDamagedBackups()
    {
        PrivateProfile profile;
        CFileExportDialog::ResetTestHook();
        QTemporaryDir empty;
        CRestoreDlg dialog(empty.path());
        auto *restore = dialog.findChild<QAbstractButton *>(QStringLiteral("restoreButton"));
        QCOMPARE(dialog.Table()->rowCount(), 0);
        QVERIFY(!restore->isEnabled());
        QVERIFY(dialog.FolderLabel()->text().startsWith(QStringLiteral("No backups in ")));
        QVERIFY(!dialog.Chosen());

        QTemporaryDir other;
        const QString damaged = other.filePath(QStringLiteral("stb-0123ABCD-20261209-081502.abs"));
        QVERIFY(WriteFile(damaged, QByteArray(4096, char(0x5A))));
        QVERIFY(WriteFile(other.filePath(QStringLiteral("notes.abs")), QByteArray(10, 'x')));
        CFileExportDialog::SetNextAnswer(damaged);
        dialog.findChild<QAbstractButton *>(QStringLiteral("folderButton"))->click();
        QCOMPARE(CFileExportDialog::LastRequest()->shortFilter, QStringLiteral("Backup File(*.abs)"));
        QCOMPARE(dialog.Folder(), QFileInfo(damaged).absolutePath());
        QCOMPARE(dialog.Table()->rowCount(), 1); // "notes.abs" is not a backup's name
        QCOMPARE(dialog.FolderLabel()->text(), QStringLiteral("1 backup in ") + QDir::toNativeSeparators(dialog.Folder()));
        QVERIFY(dialog.Chosen());
        QVERIFY(!dialog.Chosen()->valid);
        QVERIFY(!restore->isEnabled());
        QCOMPARE(dialog.Table()->item(0, int(BackupColumn::Check))->text(), dialog.Chosen()->problem);
        QCOMPARE(dialog.Table()->item(0, int(BackupColumn::TableKey))->text(), QStringLiteral("0123ABCD"));
        CFileExportDialog::ResetTestHook();
    }

    // The row texts, without a window.
    void backupRowsSayWhatEachBackupHolds()
    {
        BackupEntry entry;
        entry.time = QDateTime(QDate(2026, 12, 9), QTime(8, 15, 2));
        entry.tableKey = QStringLiteral("1A2B3C4D");
        entry.size = 589952;
        entry.chunkIds = {kDefaultDbChunkId, kUserDbChunkId};
        entry.valid = true;
        QCOMPARE(BackupRowTexts(entry), QStringList({"2026-12-09 08:15:02", "1A2B3C4D", "589,952 bytes",
                                                     "default + user", "good"}));
        BackupEntry bad;
        bad.time = entry.time;
        bad.size = 12;
        bad.problem = QStringLiteral("chunk 1: CRC error");
        QCOMPARE(BackupRowTexts(bad), QStringList({"2026-12-09 08:15:02", "--------", "12 bytes", "-",
                                                   "chunk 1: CRC error"}));
        QCOMPARE(BackupColumnTitles().size(), int(BackupColumn::Count));
        QCOMPARE(BackupFolderText(QStringLiteral("/b"), 2), QStringLiteral("2 backups in /b"));
        QVERIFY(BackupFolderText(QStringLiteral("/b"), 0).startsWith(QStringLiteral("No backups in /b.")));
    }

    // The percentage label of every step takes the rate line and hands it to assistive technology.
    void theRateLineReachesTheLabelAndItsDescription()
    {
        PrivateProfile profile;
        CUpgradeLink link;
        ScriptedPrompt prompt;
        CDownloadDlg dialog(link, prompt, QStringLiteral("x.ddf"), DownloadOptions());
        const QString line = FormatTransferRate(45, 100, 4.6);
        QVERIFY(line.endsWith(QStringLiteral(" left")));
        for (auto [bar, label, step] : {std::tuple {kDownloadBackupBar, kDownloadBackupPercent, "Backup"},
                                         std::tuple {kDownloadBurnBar, kDownloadBurnPercent, "Burning to flash"},
                                         std::tuple {kDownloadVerifyBar, kDownloadVerifyPercent, "Verify"}}) {
            dialog.SetProgress(bar, label, 45);
            auto *text = qobject_cast<QLabel *>(dialog.Control(label));
            QCOMPARE(text->text(), QStringLiteral("45%"));
            dialog.SetRateText(bar, line);
            QCOMPARE(text->text(), line);
            QCOMPARE(text->accessibleDescription(), QString::fromLatin1(step) + QStringLiteral(" percentage: ") + line);
            // The next value replaces the last one instead of adding to it.
            dialog.SetRateText(bar, FormatTransferRate(100, 100, 9.0));
            QCOMPARE(text->accessibleDescription(),
                     QString::fromLatin1(step) + QStringLiteral(" percentage: ") + FormatTransferRate(100, 100, 9.0));
        }
        // Without a bar's SetProgress first, the line has no label to go to: nothing changes.
        dialog.SetRateText(kDownloadLoadBar, line);
        QCOMPARE(qobject_cast<QLabel *>(dialog.Control(kDownloadLoadPercent))->text(), QStringLiteral("0%"));
    }
};

QTEST_MAIN(SafeFlashingTest)
#include "SafeFlashingTest.moc"
