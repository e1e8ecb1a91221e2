// The download progress dialog (PC --> STB): four steps, load and burn progress, OK after success.
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
    // True once the worker reported a burnt download; read after WorkerFinished.
    bool Succeeded() const { return m_succeeded; }

protected:
    void RunWorker() override;

private:
    std::unique_ptr<Ui::CDownloadDlg> m_ui;
    CUpgradeLink &m_link;
    const QString m_path;
    const DownloadOptions m_options;
    bool m_succeeded = false;
};
