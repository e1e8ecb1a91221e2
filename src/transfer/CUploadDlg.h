// The upload progress dialog (STB --> PC): connection test, save dialog, dump, OK after success.
#pragma once

#include "transfer/CTransferDlg.h"
#include "link/UploadJob.h"

#include <memory>

class CUpgradeLink;
class CrossThreadPathChooser;

namespace Ui {
class CUploadDlg;
}

// Runs UploadJob on its worker. The save dialog the job asks for is shown on this dialog's
// thread; after OK the frame opens SavedPath().
class CUploadDlg : public CTransferDlg
{
    Q_OBJECT

public:
    CUploadDlg(CUpgradeLink &link, UserPrompt &prompt, const UploadOptions &options, QWidget *parent = nullptr);
    ~CUploadDlg() override;

    // The file written; empty unless the upload succeeded. Read after the dialog closed.
    QString SavedPath() const;
    // The pause before the port is opened, so that the dialog is on screen first (300 ms).
    void SetStartDelayMs(int ms) { m_startDelayMs = ms; }

    // The save dialog for the filter the job chose: the path, or nothing after its Cancel.
    std::optional<QString> ChooseSavePath(const QString &filter);

protected:
    void RunWorker() override;
    void AbandonWorkerCalls() override;

private:
    std::unique_ptr<Ui::CUploadDlg> m_ui;
    std::unique_ptr<CrossThreadPathChooser> m_chooser;
    CUpgradeLink &m_link;
    const UploadOptions m_options;
    // Written by the worker, read once it has ended.
    QString m_savedPath;
    bool m_succeeded = false;
    int m_startDelayMs = 300;
};
