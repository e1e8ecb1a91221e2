// CTransferDlg: the worker's life inside a modal progress dialog.
#include "transfer/CTransferDlg.h"

#include "core/CrossThreadPrompt.h"
#include "link/QueuedTransferObserver.h"
#include "widgets/MessageBoxPrompt.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

CTransferDlg::CTransferDlg(UserPrompt &prompt, QWidget *parent)
    : QDialog(parent),
      m_boxPrompt(dynamic_cast<MessageBoxPrompt *>(&prompt) ? std::make_unique<MessageBoxPrompt>(this) : nullptr),
      m_realPrompt(m_boxPrompt ? m_boxPrompt.get() : &prompt),
      m_prompt(std::make_unique<CrossThreadPrompt>(this, *m_realPrompt)),
      m_observer(std::make_unique<QueuedTransferObserver>(this, *this))
{
}

CTransferDlg::~CTransferDlg()
{
    StopWorker();
}

void CTransferDlg::InitControls(const QList<int> &stepControls)
{
    for (int id : stepControls) {
        if (QWidget *control = Control(id)) {
            // The dialog keeps its size while the steps appear one by one.
            QSizePolicy policy = control->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            control->setSizePolicy(policy);
            control->hide();
        }
    }
    m_okButton = qobject_cast<QAbstractButton *>(Control(TransferControl::kOk));
    m_cancelButton = qobject_cast<QAbstractButton *>(Control(TransferControl::kCancel));
    if (m_okButton) {
        m_okButton->setEnabled(false);
        connect(m_okButton, &QAbstractButton::clicked, this, &CTransferDlg::OkClicked);
    }
    if (m_cancelButton)
        connect(m_cancelButton, &QAbstractButton::clicked, this, &CTransferDlg::CancelTransfer);
}

QWidget *CTransferDlg::Control(int controlId) const
{
    for (QWidget *widget : findChildren<QWidget *>()) {
        const QVariant id = widget->property("controlId");
        if (id.isValid() && id.toInt() == controlId)
            return widget;
    }
    return nullptr;
}

bool CTransferDlg::IsWorkerRunning() const
{
    return m_thread && !m_thread->isFinished();
}

UserPrompt &CTransferDlg::WorkerPrompt()
{
    return *m_prompt;
}

TransferObserver &CTransferDlg::WorkerObserver()
{
    return *m_observer;
}

void CTransferDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    if (!m_waitForStart) {
        StartWorker();
        return;
    }
    if (m_okButton) {
        m_okButton->setText(QStringLiteral("&Start"));
        m_okButton->setEnabled(true);
        m_okButton->setFocus();
        // Enter starts, as the focus on Start suggests.
        if (auto *push = qobject_cast<QPushButton *>(m_okButton.data()))
            push->setDefault(true);
    }
}

void CTransferDlg::OkClicked()
{
    if (m_started) {
        accept();
        return;
    }
    if (m_okButton) {
        m_okButton->setText(QStringLiteral("OK"));
        m_okButton->setEnabled(false);
        if (auto *push = qobject_cast<QPushButton *>(m_okButton.data()))
            push->setDefault(false);
    }
    BeforeStart();
    StartWorker();
}

void CTransferDlg::StartWorker()
{
    m_started = true;
    m_userCancelled = false;
    m_thread.reset(QThread::create([this] { RunWorker(); }));
    m_thread->setObjectName(QStringLiteral("transferWorker"));
    connect(m_thread.get(), &QThread::finished, this, &CTransferDlg::WorkerFinished);
    m_thread->start(QThread::NormalPriority);
}

void CTransferDlg::AbandonWorkerCalls()
{
    m_prompt->Abandon();
}

void CTransferDlg::StopWorker()
{
    if (!m_thread)
        return;
    if (!m_thread->isFinished()) {
        // Nothing the worker can wait for is left on this thread, so the wait ends as soon as
        // the link reaches its next cancel check.
        m_observer->RequestCancel();
        AbandonWorkerCalls();
        m_thread->wait();
    }
    m_thread.reset();
}

void CTransferDlg::CancelTransfer()
{
    if (m_userCancelled)
        return;
    if (!m_started) {
        // Nothing started yet (the dialog waits for Start): Cancel simply closes it.
        QDialog::reject();
        return;
    }
    m_userCancelled = true;
    m_observer->RequestCancel();
    // After a cancel the user is told nothing more and asked nothing more.
    AbandonWorkerCalls();
    if (m_cancelButton)
        m_cancelButton->setEnabled(false);
}

void CTransferDlg::reject()
{
    // Esc and the close box while the transfer is under way act as Cancel; the worker's close
    // request ends the dialog.
    if (IsWorkerRunning() || m_closePending) {
        CancelTransfer();
        return;
    }
    QDialog::reject();
}

void CTransferDlg::done(int result)
{
    StopWorker();
    QDialog::done(result);
}

void CTransferDlg::ShowControl(int controlId)
{
    if (QWidget *control = Control(controlId))
        control->show();
}

void CTransferDlg::SetControlText(int controlId, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(Control(controlId)))
        label->setText(text);
}

void CTransferDlg::SetProgress(int barId, int labelId, int percent)
{
    if (auto *bar = qobject_cast<QProgressBar *>(Control(barId))) {
        bar->setRange(0, 100);
        bar->setValue(percent);
    }
    m_labelOfBar.insert(barId, labelId);
    SetControlText(labelId, QString::asprintf("%d", percent) + QLatin1Char('%'));
}

void CTransferDlg::SetRateText(int barId, const QString &text)
{
    auto *label = qobject_cast<QLabel *>(Control(m_labelOfBar.value(barId, -1)));
    if (!label)
        return;
    // The .ui's description names the step; the value follows it, so that a screen reader
    // tells which step it is reading.
    QVariant name = label->property("stepDescription");
    if (!name.isValid()) {
        name = label->accessibleDescription();
        label->setProperty("stepDescription", name);
    }
    label->setText(text);
    const QString step = name.toString();
    label->setAccessibleDescription(step.isEmpty() ? text : step + QStringLiteral(": ") + text);
}

void CTransferDlg::SetCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void CTransferDlg::SetButtonEnabled(int buttonId, bool enabled)
{
    if (QWidget *button = Control(buttonId)) {
        button->setEnabled(enabled);
        if (enabled && buttonId == TransferControl::kOk)
            button->setFocus();
    }
}

void CTransferDlg::RequestClose()
{
    if (m_closePending)
        return;
    m_closePending = true;
    Q_EMIT CloseRequested();
    // Not a sleep: the dialog stays responsive for the half second before it goes.
    QTimer::singleShot(kCloseDelayMs, this, [this] { done(QDialog::Rejected); });
}
