// The download progress dialog (PC --> STB): backup and verify choices, the steps with their progress, OK after success.
#pragma once

#include "transfer/CTransferDlg.h"
#include "link/DownloadJob.h"

#include <memory>

class CUpgradeLink;

namespace Ui {
class CDownloadDlg;
}

// Runs DownloadJob on its worker for the file and settings it was given. Modal; the frame
// does nothing with its result.
class CDownloadDlg : public CTransferDlg
{
    Q_OBJECT

public:
    CDownloadDlg(CUpgradeLink &link, UserPrompt &prompt, const QString &path, const DownloadOptions &options,
                 QWidget *parent = nullptr);
    ~CDownloadDlg() override;

    const QString &Path() const { return m_path; }
    // The dialog waits for Start with its two choices (backup, verify) open to change; without
    // it the download starts at once with the options it was given. A restore offers no backup.
    void SetChoicesOffered(bool backupOffered);
    // The options the worker runs with (the choices applied once it started).
    const DownloadOptions &Options() const { return m_options; }
    // The backup the download made; read after WorkerFinished.
    const QString &BackupPath() const { return m_backupPath; }
    // True once the worker reported a burnt download; read after WorkerFinished.
    bool Succeeded() const { return m_succeeded; }

protected:
    void RunWorker() override;
    void BeforeStart() override;

private:
    std::unique_ptr<Ui::CDownloadDlg> m_ui;
    CUpgradeLink &m_link;
    const QString m_path;
    DownloadOptions m_options;
    bool m_succeeded = false;
    QString m_backupPath;
};
