// The common part of the download and upload progress dialogs: worker thread, cancel, delayed close.
#pragma once

#include "link/TransferObserver.h"

#include <QDialog>
#include <QHash>
#include <QPointer>

#include <memory>

class CrossThreadPrompt;
class MessageBoxPrompt;
class QAbstractButton;
class QThread;
class QueuedTransferObserver;
class UserPrompt;

// The dialog starts its worker when it is first shown. The worker talks to the dialog only
// through the core's adapters: control updates are queued to this thread (the worker never waits
// for them), messages and questions are shown on this thread while the worker waits. The dialog
// is the observer those updates land on.
//
// Cancel (button 2, Esc or the close box while the worker runs) sets the cancel flag, releases a
// worker waiting for an answer, disables Cancel and leaves the dialog open; the worker's close
// request then closes it 500 ms later with the Cancel result. However the dialog ends, the worker
// has ended first, so no thread keeps running and the port it opened is closed.
class CTransferDlg : public QDialog, public TransferObserver
{
    Q_OBJECT

public:
    ~CTransferDlg() override;

    static constexpr int kCloseDelayMs = 500;

    // The control carrying this id (controlId property), or null.
    QWidget *Control(int controlId) const;
    bool IsWorkerRunning() const;
    bool WorkerStarted() const { return m_started; }
    // Before it is shown: the worker waits for OK (labelled Start until then) instead of starting
    // with the dialog, so that the choices the dialog offers can be made first.
    void SetWaitForStart(bool wait) { m_waitForStart = wait; }
    bool WaitsForStart() const { return m_waitForStart && !m_started; }
    // True once the user cancelled (button, Esc or close box).
    bool UserCancelled() const { return m_userCancelled; }

    // TransferObserver, applied on this dialog's thread.
    void ShowControl(int controlId) override;
    void SetControlText(int controlId, const QString &text) override;
    void SetProgress(int barId, int labelId, int percent) override;
    // The bar's label shows the rate line instead of the bare percentage; assistive technology
    // reads it from the label's accessible description.
    void SetRateText(int barId, const QString &text) override;
    void SetCaption(const QString &caption) override;
    void SetButtonEnabled(int buttonId, bool enabled) override;
    void RequestClose() override;
    bool CancelRequested() override { return m_userCancelled; }

public Q_SLOTS:
    void done(int result) override;
    void reject() override;
    // What Cancel does while the worker runs.
    void CancelTransfer();

Q_SIGNALS:
    // The worker's close request arrived; the dialog closes kCloseDelayMs later.
    void CloseRequested();
    void WorkerFinished();

protected:
    // prompt: where the worker's messages and questions go. A message-box prompt is replaced by
    // one owned by this dialog, so the boxes sit on the dialog.
    CTransferDlg(UserPrompt &prompt, QWidget *parent);

    // Called once the .ui is set up: hides the step controls, wires OK and Cancel.
    void InitControls(const QList<int> &stepControls);

    // The job, on the worker thread. Use WorkerPrompt() and WorkerObserver() only.
    virtual void RunWorker() = 0;
    // On this thread when the user cancels or the dialog ends: release what the worker may wait for.
    virtual void AbandonWorkerCalls();
    // On this thread just before the worker starts: the dialog takes the user's choices.
    virtual void BeforeStart() {}

    UserPrompt &WorkerPrompt();
    TransferObserver &WorkerObserver();
    // The prompt the dialog itself uses on this thread.
    UserPrompt &OwnPrompt() { return *m_realPrompt; }

    void showEvent(QShowEvent *event) override;
    // Cancels and waits for a running worker; each derived dialog calls it in its destructor,
    // before the parts the worker uses are gone.
    void StopWorker();

private:
    void StartWorker();
    void OkClicked();

    std::unique_ptr<MessageBoxPrompt> m_boxPrompt;
    UserPrompt *m_realPrompt;
    std::unique_ptr<CrossThreadPrompt> m_prompt;
    std::unique_ptr<QueuedTransferObserver> m_observer;
    std::unique_ptr<QThread> m_thread;
    QPointer<QAbstractButton> m_okButton;
    QPointer<QAbstractButton> m_cancelButton;
    bool m_started = false;
    bool m_userCancelled = false;
    bool m_closePending = false;
    bool m_waitForStart = false;
    // The label each bar's percentage goes to, learnt from SetProgress.
    QHash<int, int> m_labelOfBar;
};
