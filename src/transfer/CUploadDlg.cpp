// CUploadDlg: the upload dialog's controls, its worker and its save dialog.
#include "transfer/CUploadDlg.h"

#include "link/CrossThreadPathChooser.h"
#include "widgets/CFileDlg.h"

#include "ui_CUploadDlg.h"

using namespace TransferControl;

CUploadDlg::CUploadDlg(CUpgradeLink &link, UserPrompt &prompt, const UploadOptions &options, QWidget *parent)
    : CTransferDlg(prompt, parent), m_ui(std::make_unique<Ui::CUploadDlg>()),
      m_chooser(std::make_unique<CrossThreadPathChooser>(
          this, [this](const QString &filter) { return ChooseSavePath(filter); })),
      m_link(link), m_options(options)
{
    m_ui->setupUi(this);
    setWindowTitle(QString::fromLatin1(UploadJob::kCaption));
    m_ui->picture->setPixmap(QIcon(QStringLiteral(":/dravel/dravel-256.png")).pixmap(64, 64));
    InitControls({kUploadTestStep, kUploadTestDone, kUploadDumpStep, kUploadDumpBar, kUploadDumpPercent,
                  kUploadDumpDone});
}

CUploadDlg::~CUploadDlg()
{
    StopWorker();
}

QString CUploadDlg::SavedPath() const
{
    return IsWorkerRunning() || !m_succeeded ? QString() : m_savedPath;
}

std::optional<QString> CUploadDlg::ChooseSavePath(const QString &filter)
{
    CFileDlg dialog(FileDialogKind::Save, QString(), HideReadOnly | OverwritePrompt, filter, this);
    const QString path = dialog.Run();
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

void CUploadDlg::AbandonWorkerCalls()
{
    CTransferDlg::AbandonWorkerCalls();
    m_chooser->Abandon();
}

void CUploadDlg::RunWorker()
{
    UploadJob job(m_link, WorkerPrompt(), WorkerObserver());
    job.SetStartDelayMs(m_startDelayMs);
    m_succeeded = job.Run(m_options, m_chooser->Chooser());
    m_savedPath = job.SavedPath();
}
