// Shared set-up of the transfer dialog tests: a frame, stb-sim on a pseudo-terminal, modal driving.
#pragma once

#include "core/SafetySettings.h"
#include "gui/GuiTestSupport.h"
#include "transfer/CTransferDlg.h"
#include "transfer/TransferCommands.h"
#include "linke2e/SimProcess.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

#include <functional>
#include <vector>

namespace TransferTest {

// The simulator's fresh image: default database chunk at 0x70000 (size 0x10000), user database
// chunk at 0x80000 (length + 16 = 0x80000).
constexpr int kDefaultAt = 0x70000;
constexpr int kDefaultSize = 0x10000;
constexpr int kUserAt = 0x80000;

// A ScriptedPrompt that notes the thread of every call.
class ThreadNotingPrompt : public ScriptedPrompt
{
public:
    std::vector<QThread *> threads;
    void ShowMessageBox(const Message &message) override
    {
        threads.push_back(QThread::currentThread());
        ScriptedPrompt::ShowMessageBox(message);
    }
    Answer AskYesNo(const QString &text) override
    {
        threads.push_back(QThread::currentThread());
        return ScriptedPrompt::AskYesNo(text);
    }
    Answer AskYesNoCancel(const QString &text) override
    {
        threads.push_back(QThread::currentThread());
        return ScriptedPrompt::AskYesNoCancel(text);
    }
    bool AllOnTheGuiThread() const
    {
        for (QThread *thread : threads) {
            if (thread != qApp->thread())
                return false;
        }
        return true;
    }
};

inline QByteArray RandomBytes(int n, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(n, 0);
    for (int i = 0; i < n; ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

// A generated database file of the given program count (any name: the link checks the contents).
inline QByteArray GeneratedDatabase(const QString &path, int programs)
{
    GeneratorOptions options;
    options.satellites = 2;
    options.transponders = std::max(6, programs / 10);
    options.programs = programs;
    return GuiTest::GenerateDatabase(path, options) ? ReadFile(path) : QByteArray();
}

// Points the settings' backups folder at folder: downloads back up as they do for the user, into
// a folder the test owns instead of the tester's data folder.
inline void UseBackupFolder(const QString &folder)
{
    SafetySettings safety = SafetySettings::Load();
    safety.backupFolder = folder;
    safety.Save();
}

// A frame with its transfer commands, talking to a simulator started by the test. Downloads start
// with their dialog (no Start to press) and back up into backupDir.
struct TransferFixture
{
    GuiTest::PrivateProfile profile;
    QTemporaryDir programDir;
    QTemporaryDir appDataDir;
    QTemporaryDir dataDir;
    QTemporaryDir backupDir;
    ThreadNotingPrompt prompt;
    std::unique_ptr<CMainFrame> frame;
    TransferCommands *commands = nullptr;
    SimProcess sim;
    QString flashPath;
    QByteArray initialFlash;

    TransferFixture()
    {
        CFileExportDialog::ResetTestHook();
        GuiTest::WriteBundledCache(programDir.path());
        frame = std::make_unique<CMainFrame>(&prompt);
        frame->SetLayoutCacheFolders({programDir.path(), appDataDir.path() + QStringLiteral("/user"), QString()});
        frame->InitialUpdate();
        commands = frame->Transfers();
        commands->SetUploadStartDelayMs(0);
        commands->SetDownloadWaitsForStart(false);
        UseBackupFolder(backupDir.path());
        flashPath = dataDir.filePath(QStringLiteral("flash.abs"));
    }
    ~TransferFixture() { CFileExportDialog::ResetTestHook(); }

    bool StartSim(QStringList args)
    {
        args << QStringLiteral("--flash") << flashPath << QStringLiteral("--create");
        if (!sim.Start(args))
            return false;
        initialFlash = ReadFile(flashPath);
        commands->SetDevicePath(sim.Device());
        return initialFlash.size() == 0x200000;
    }
    QString Data(const QString &name) const { return dataDir.filePath(name); }
};

// Calls step with the modal dialog on top every few milliseconds, while trigger (which runs the
// dialog with exec()) is under way, until step returns true. The dialog may be null in between.
inline void WhileModal(const std::function<void()> &trigger, const std::function<bool(QWidget *)> &step)
{
    QTimer timer;
    bool finished = false;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!finished && step(QApplication::activeModalWidget()))
            finished = true;
    });
    timer.start(5);
    trigger();
    timer.stop();
}

inline QAbstractButton *Button(QWidget *dialog, int id)
{
    auto *transfer = qobject_cast<CTransferDlg *>(dialog);
    return transfer ? qobject_cast<QAbstractButton *>(transfer->Control(id)) : nullptr;
}

} // namespace TransferTest
