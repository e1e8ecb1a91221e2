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
    InitControls({kDownloadTestStep, kDownloadTestDone, kDownloadInfoStep, kDownloadInfoDone, kDownloadLoadStep,
                  kDownloadLoadBar, kDownloadLoadPercent, kDownloadLoadDone, kDownloadBurnStep, kDownloadBurnBar,
                  kDownloadBurnPercent, kDownloadBurnDone});
}

CDownloadDlg::~CDownloadDlg()
{
    StopWorker();
}

void CDownloadDlg::RunWorker()
{
    DownloadJob job(m_link, WorkerPrompt(), WorkerObserver());
    m_succeeded = job.Run(m_path, m_options);
}
