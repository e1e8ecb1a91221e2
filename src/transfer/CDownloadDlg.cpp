// CDownloadDlg: the download dialog's controls and its worker.
#include "transfer/CDownloadDlg.h"

#include "ui_CDownloadDlg.h"

using namespace TransferControl;

CDownloadDlg::CDownloadDlg(CUpgradeLink &link, UserPrompt &prompt, const QString &path,
                           const DownloadOptions &options, QWidget *parent)
    : CTransferDlg(prompt, parent), m_ui(std::make_unique<Ui::CDownloadDlg>()), m_link(link), m_path(path),
      m_options(options)
{
    m_ui->setupUi(this);
    setWindowTitle(QString::fromLatin1(DownloadJob::kCaption));
    m_ui->picture->setPixmap(QIcon(QStringLiteral(":/dravel/dravel-256.png")).pixmap(64, 64));
    m_ui->backupCheck->setChecked(m_options.backup);
    m_ui->verifyCheck->setChecked(m_options.verify);
    // The choices can be changed only while the dialog waits for Start; otherwise they show
    // what this download does.
    m_ui->backupCheck->setEnabled(false);
    m_ui->verifyCheck->setEnabled(false);
    InitControls({kDownloadTestStep, kDownloadTestDone, kDownloadInfoStep, kDownloadInfoDone, kDownloadBackupStep,
                  kDownloadBackupBar, kDownloadBackupPercent, kDownloadBackupDone, kDownloadLoadStep,
                  kDownloadLoadBar, kDownloadLoadPercent, kDownloadLoadDone, kDownloadBurnStep, kDownloadBurnBar,
                  kDownloadBurnPercent, kDownloadBurnDone, kDownloadVerifyStep, kDownloadVerifyBar,
                  kDownloadVerifyPercent, kDownloadVerifyDone});
}

CDownloadDlg::~CDownloadDlg()
{
    StopWorker();
}

void CDownloadDlg::SetChoicesOffered(bool backupOffered)
{
    SetWaitForStart(true);
    m_ui->backupCheck->setEnabled(backupOffered);
    m_ui->verifyCheck->setEnabled(true);
}

void CDownloadDlg::BeforeStart()
{
    m_options.backup = m_ui->backupCheck->isChecked();
    m_options.verify = m_ui->verifyCheck->isChecked();
    m_ui->backupCheck->setEnabled(false);
    m_ui->verifyCheck->setEnabled(false);
}

void CDownloadDlg::RunWorker()
{
    DownloadJob job(m_link, WorkerPrompt(), WorkerObserver());
    m_succeeded = job.Run(m_path, m_options);
    m_backupPath = job.BackupPath();
}
