// What a transfer job tells its front end (progress dialog or command line) while it runs.
#pragma once

#include <QString>

// Control ids of the download dialog (resource 134) and the upload dialog (resource 131).
namespace TransferControl {
constexpr int kOk = 1;
constexpr int kCancel = 2;
// Download.
constexpr int kDownloadTestStep = 1011;
constexpr int kDownloadTestDone = 1004;
constexpr int kDownloadInfoStep = 1012;
constexpr int kDownloadInfoDone = 1013;
constexpr int kDownloadLoadStep = 1015;
constexpr int kDownloadLoadBar = 1019;
constexpr int kDownloadLoadPercent = 1016;
constexpr int kDownloadLoadDone = 1006;
constexpr int kDownloadBurnStep = 1017;
constexpr int kDownloadBurnBar = 1020;
constexpr int kDownloadBurnPercent = 1018;
constexpr int kDownloadBurnDone = 1014;
// The safety steps of a download. The editor's download dialog shows them as steps of their own;
// a front end that does not know them ignores their ids.
constexpr int kDownloadBackupStep = 1101;    // "Backing up the STB's database chunks"
constexpr int kDownloadBackupBar = 1102;
constexpr int kDownloadBackupPercent = 1103;
constexpr int kDownloadBackupDone = 1104;
constexpr int kDownloadVerifyStep = 1105;    // "Verifying the flash"
constexpr int kDownloadVerifyBar = 1106;
constexpr int kDownloadVerifyPercent = 1107;
constexpr int kDownloadVerifyDone = 1108;
// Upload.
constexpr int kUploadTestStep = 1003;
constexpr int kUploadTestDone = 1004;
constexpr int kUploadDumpStep = 1005;
constexpr int kUploadDumpBar = 1010;
constexpr int kUploadDumpPercent = 1007;
constexpr int kUploadDumpDone = 1006;
} // namespace TransferControl

// Threading: every function is called on the job's thread (the worker). None may block for long:
// a progress dialog on the user-interface thread gets them through a QueuedTransferObserver,
// which posts each update, in order, to the dialog's thread and returns at once (RequestClose
// included). CancelRequested() is a flag read, set by the dialog's Cancel from its own thread,
// so it needs no call across threads. Questions during a job go through the UserPrompt instead.
class TransferObserver
{
public:
    virtual ~TransferObserver() = default;
    // A step control (hidden until now) becomes visible.
    virtual void ShowControl(int controlId) = 0;
    virtual void SetControlText(int controlId, const QString &text) = 0;
    // Sets the bar (range 0..100) and its label to the percentage followed by "%".
    virtual void SetProgress(int barId, int labelId, int percent) = 0;
    virtual void SetCaption(const QString &caption) = 0;
    virtual void SetButtonEnabled(int buttonId, bool enabled) = 0;
    // The job failed or was cancelled: the dialog closes itself 500 ms later with Cancel.
    virtual void RequestClose() = 0;
    // True once the user pressed Cancel (or Ctrl+C); asked between link exchanges.
    virtual bool CancelRequested() = 0;
    // The rate and time left of the step whose bar this is ("45 % · 9.8 KB/s · 0:12 left",
    // FormatTransferRate), after each SetProgress of a long step. Optional for a front end.
    virtual void SetRateText(int barId, const QString &text)
    {
        (void)barId;
        (void)text;
    }
};
