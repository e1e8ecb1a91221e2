// The editor's transfer commands: download, upload, restore, port settings and ".abs" settings.
#pragma once

#include "link/BackupCatalog.h"
#include "link/CUpgradeLink.h"
#include "transfer/SerialSettings.h"

#include <QList>
#include <QObject>

#include <memory>

class TransferHost;
class QAction;
class QMenu;

// Command identifiers of the transfer actions (QAction::data()).
namespace TransferCommand {
constexpr int Upload = 32774;
constexpr int DownloadOpenFile = 32775;
constexpr int DownloadFile = 32776;
constexpr int PortSettings = 32777;
constexpr int AbsSettings = 32799;
constexpr int RestoreBackup = 32800;
} // namespace TransferCommand

// Owns the program's one link to the STB and the link settings for as long as the frame lives,
// and the six actions with their "Transfer" menu. Constructed on the host's window (its QObject
// parent); reaches the editor only through TransferHost. Every dialog it runs is modal, so
// at most one transfer uses the link at a time.
class TransferCommands : public QObject
{
    Q_OBJECT

public:
    explicit TransferCommands(TransferHost &host);
    ~TransferCommands() override;

    QMenu *Menu();
    // Download of the open file and upload, for the frame's tool bar.
    QList<QAction *> ToolBarActions();
    QAction *Action(int commandId) const;

    const SerialSettings &Settings() const { return m_settings; }
    void SetSettings(const SerialSettings &settings) { m_settings = settings; }
    // Preselects a device (a USB adapter, the simulator's pseudo-terminal) for the next transfers.
    void SetDevicePath(const QString &path) { m_settings.port.devicePath = path; }
    CUpgradeLink &Link() { return m_link; }
    // The pause before an upload opens the port (300 ms; tests shorten it).
    void SetUploadStartDelayMs(int ms) { m_uploadStartDelayMs = ms; }
    // Whether the download dialog waits for Start with its backup and verify choices (the
    // default); tests of the steps turn it off and get the choices of the settings.
    void SetDownloadWaitsForStart(bool wait) { m_downloadWaitsForStart = wait; }
    // The folder Restore From Backup… lists: the settings' folder, else the default one.
    static QString BackupFolder();

    // "Download (PC --> STB)" accepts these endings (exact lower case).
    static bool IsDownloadable(const QString &path);

public Q_SLOTS:
    void Upload();
    void DownloadOpenFile();
    void DownloadFile();
    void PortSettings();
    void AbsSettings();
    // Lists the backups, then downloads the one chosen (every database chunk it holds, no new
    // backup, verify as the settings say).
    void RestoreFromBackup();
    // Enables the download of the open file only for a file it can send.
    void UpdateActions();

Q_SIGNALS:
    // A transfer dialog finished: downloads and uploads, with their modal result.
    void TransferFinished(int commandId, int result);

private:
    QAction *MakeAction(int id, const QString &text, const QKeySequence &shortcut, const QString &tip);
    int RunDownload(const QString &path);
    int RunRestore(const BackupEntry &entry);

    TransferHost &m_host;
    CUpgradeLink m_link;
    SerialSettings m_settings;
    std::unique_ptr<QMenu> m_menu;
    int m_uploadStartDelayMs = 300;
    bool m_downloadWaitsForStart = true;
};
