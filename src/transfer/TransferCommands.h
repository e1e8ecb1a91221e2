// The editor's transfer commands: download, upload, port settings and ".abs" settings.
#pragma once

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
} // namespace TransferCommand

// Owns the program's one link to the STB and the link settings for as long as the frame lives,
// and the five actions with their "Transfer" menu. Constructed on the host's window (its QObject
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

    // "Download (PC --> STB)" accepts these endings (exact lower case).
    static bool IsDownloadable(const QString &path);

public Q_SLOTS:
    void Upload();
    void DownloadOpenFile();
    void DownloadFile();
    void PortSettings();
    void AbsSettings();
    // Enables the download of the open file only for a file it can send.
    void UpdateActions();

Q_SIGNALS:
    // A transfer dialog finished: downloads and uploads, with their modal result.
    void TransferFinished(int commandId, int result);

private:
    QAction *MakeAction(int id, const QString &text, const QKeySequence &shortcut, const QString &tip);
    int RunDownload(const QString &path);

    TransferHost &m_host;
    CUpgradeLink m_link;
    SerialSettings m_settings;
    std::unique_ptr<QMenu> m_menu;
    int m_uploadStartDelayMs = 300;
};
