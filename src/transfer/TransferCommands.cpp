// TransferCommands: the six commands, their enable rule, messages and the dialogs they run.
#include "transfer/TransferCommands.h"

#include "core/SafetySettings.h"
#include "core/UserPrompt.h"
#include "link/DownloadFileKind.h"
#include "link/FlashBackup.h"
#include "transfer/CAbsSettingsDlg.h"
#include "transfer/CDownloadDlg.h"
#include "transfer/CRestoreDlg.h"
#include "transfer/CSerialSettingsDlg.h"
#include "transfer/CUploadDlg.h"
#include "widgets/CFileDlg.h"
#include "transfer/TransferHost.h"

#include <QAction>
#include <QMenu>
#include <QStyle>

#include <algorithm>

namespace {

const char *const kDownloadFilter = "DDF File(*.ddf)|UDF File(*.udf)|ABS File(*.abs)";

QIcon ThemeIcon(const char *name, QStyle::StandardPixmap fallback, const QWidget *widget)
{
    return QIcon::fromTheme(QString::fromLatin1(name), widget->style()->standardIcon(fallback, nullptr, widget));
}

} // namespace

TransferCommands::TransferCommands(TransferHost &host) : QObject(host.Window()), m_host(host)
{
    setObjectName(QStringLiteral("transferCommands"));
    m_link.SetProtocolVersion(0x20);

    QAction *download = MakeAction(TransferCommand::DownloadOpenFile, QStringLiteral("&Download Open File to STB"),
                                   QKeySequence(Qt::CTRL | Qt::Key_D),
                                   QStringLiteral("Send the open database to the receiver"));
    download->setIcon(ThemeIcon("go-down", QStyle::SP_ArrowDown, m_host.Window()));
    connect(download, &QAction::triggered, this, &TransferCommands::DownloadOpenFile);

    QAction *downloadFile = MakeAction(TransferCommand::DownloadFile, QStringLiteral("Download &File to STB..."),
                                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D),
                                       QStringLiteral("Choose a .ddf, .udf or .abs file and send it to the receiver"));
    connect(downloadFile, &QAction::triggered, this, &TransferCommands::DownloadFile);

    QAction *upload = MakeAction(TransferCommand::Upload, QStringLiteral("&Upload from STB..."),
                                 QKeySequence(Qt::CTRL | Qt::Key_U),
                                 QStringLiteral("Read a database or the whole flash from the receiver"));
    upload->setIcon(ThemeIcon("go-up", QStyle::SP_ArrowUp, m_host.Window()));
    connect(upload, &QAction::triggered, this, &TransferCommands::Upload);

    QAction *port = MakeAction(TransferCommand::PortSettings, QStringLiteral("&Port Settings..."),
                               QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P),
                               QStringLiteral("Choose the serial port and the transfer format"));
    connect(port, &QAction::triggered, this, &TransferCommands::PortSettings);

    QAction *abs = MakeAction(TransferCommand::AbsSettings, QStringLiteral("&ABS Download Settings..."),
                              QKeySequence(), QStringLiteral("Choose which databases an .abs download sends"));
    connect(abs, &QAction::triggered, this, &TransferCommands::AbsSettings);

    QAction *restore = MakeAction(TransferCommand::RestoreBackup, QStringLiteral("&Restore From Backup..."),
                                  QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R),
                                  QStringLiteral("Download a backup made before an earlier download"));
    connect(restore, &QAction::triggered, this, &TransferCommands::RestoreFromBackup);

    m_menu = std::make_unique<QMenu>(QStringLiteral("Transfer(&T)"));
    m_menu->setObjectName(QStringLiteral("transferMenu"));
    m_menu->addAction(download);
    m_menu->addAction(downloadFile);
    m_menu->addAction(upload);
    m_menu->addAction(restore);
    m_menu->addSeparator();
    m_menu->addAction(port);
    m_menu->addAction(abs);
    connect(m_menu.get(), &QMenu::aboutToShow, this, &TransferCommands::UpdateActions);

    // The title names the open file, so it changes whenever a file is opened or closed.
    connect(m_host.Window(), &QWidget::windowTitleChanged, this, &TransferCommands::UpdateActions);
    UpdateActions();
}

TransferCommands::~TransferCommands() = default;

QAction *TransferCommands::MakeAction(int id, const QString &text, const QKeySequence &shortcut, const QString &tip)
{
    auto *action = new QAction(text, this);
    action->setData(id);
    action->setObjectName(QStringLiteral("action%1").arg(id));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // Reachable from the keyboard even where the menu is not in the menu bar.
        m_host.Window()->addAction(action);
    }
    action->setStatusTip(tip);
    action->setToolTip(QString(text).remove(QLatin1Char('&')).remove(QStringLiteral("...")));
    return action;
}

QMenu *TransferCommands::Menu()
{
    return m_menu.get();
}

QList<QAction *> TransferCommands::ToolBarActions()
{
    return {Action(TransferCommand::DownloadOpenFile), Action(TransferCommand::Upload)};
}

QAction *TransferCommands::Action(int commandId) const
{
    for (QAction *action : findChildren<QAction *>(Qt::FindDirectChildrenOnly)) {
        if (action->data().isValid() && action->data().toInt() == commandId)
            return action;
    }
    return nullptr;
}

bool TransferCommands::IsDownloadable(const QString &path)
{
    return ::IsDownloadable(path);
}

void TransferCommands::UpdateActions()
{
    if (QAction *download = Action(TransferCommand::DownloadOpenFile))
        download->setEnabled(m_host.IsFileOpen() && IsDownloadable(m_host.CurrentPath()));
}

QString TransferCommands::BackupFolder()
{
    const QString folder = SafetySettings::Load().backupFolder;
    return folder.isEmpty() ? FlashBackup::DefaultFolder() : folder;
}

int TransferCommands::RunDownload(const QString &path)
{
    DownloadOptions options = m_settings.Download();
    options.ApplySafety(SafetySettings::Load());
    CDownloadDlg dialog(m_link, m_host.Prompt(), path, options, m_host.Window());
    if (m_downloadWaitsForStart)
        dialog.SetChoicesOffered(true);
    const int result = dialog.exec();
    Q_EMIT TransferFinished(TransferCommand::DownloadOpenFile, result);
    return result;
}

void TransferCommands::DownloadOpenFile()
{
    if (m_host.CurrentPath().isEmpty()) {
        m_host.Prompt().ShowMessage(QStringLiteral("No File opened"));
        return;
    }
    // The STB gets the file as it is on disk: unsaved edits are saved first or the download
    // is abandoned (also when the save was declined or failed).
    if (!m_host.QuerySaveModified())
        return;
    RunDownload(m_host.CurrentPath());
}

void TransferCommands::DownloadFile()
{
    CFileDlg chooser(FileDialogKind::Open, QString(), HideReadOnly, QString::fromLatin1(kDownloadFilter), m_host.Window());
    const QString path = chooser.Run();
    if (path.isEmpty())
        return;
    if (!IsDownloadable(path)) {
        m_host.Prompt().ShowMessage(QStringLiteral("Invalid File Selected!"));
        return;
    }
    RunDownload(path);
}

void TransferCommands::Upload()
{
    // The open file stays open until there is a new one to open in its place: a cancelled or
    // failed upload leaves the user where they were. Replacing it asks about unsaved edits then.
    CUploadDlg dialog(m_link, m_host.Prompt(), m_settings.Upload(), m_host.Window());
    dialog.SetStartDelayMs(m_uploadStartDelayMs);
    const int result = dialog.exec();
    const QString saved = dialog.SavedPath();
    Q_EMIT TransferFinished(TransferCommand::Upload, result);
    if (result == QDialog::Accepted && !saved.isEmpty() && m_host.CloseDatabaseFile())
        m_host.OpenDatabaseFile(saved);
}

void TransferCommands::RestoreFromBackup()
{
    CRestoreDlg chooser(BackupFolder(), m_host.Window());
    if (chooser.exec() != QDialog::Accepted)
        return;
    if (const std::optional<BackupEntry> entry = chooser.Chosen(); entry && entry->valid)
        RunRestore(*entry);
}

int TransferCommands::RunRestore(const BackupEntry &entry)
{
    // What "dravel-cli restore" does: every database chunk of the backup, and no backup of the
    // flash being replaced (the backup chosen is what undoes it).
    DownloadOptions options = m_settings.Download();
    options.ApplySafety(SafetySettings::Load());
    options.backup = false;
    options.loadDefaultDb = std::find(entry.chunkIds.begin(), entry.chunkIds.end(), kDefaultDbChunkId)
                            != entry.chunkIds.end();
    options.loadUserDb = std::find(entry.chunkIds.begin(), entry.chunkIds.end(), kUserDbChunkId)
                         != entry.chunkIds.end();
    CDownloadDlg dialog(m_link, m_host.Prompt(), entry.path, options, m_host.Window());
    const int result = dialog.exec();
    Q_EMIT TransferFinished(TransferCommand::RestoreBackup, result);
    return result;
}

void TransferCommands::PortSettings()
{
    CSerialSettingsDlg dialog(m_settings.port, m_settings.transferFormat, ListSerialDevices(), m_host.Window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const LinkPortSettings chosen = dialog.Port();
    m_settings.port.portNumber = chosen.portNumber;
    m_settings.port.devicePath = chosen.devicePath;
    m_settings.port.bitRate = chosen.bitRate;
    m_settings.transferFormat = dialog.TransferFormat();
    m_link.SetProtocolVersion(SerialSettings::VersionForFormat(m_settings.transferFormat));
}

void TransferCommands::AbsSettings()
{
    CAbsSettingsDlg dialog(m_settings.loadDefaultDb, m_settings.loadUserDb, m_host.Window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_settings.loadDefaultDb = dialog.LoadDefaultDb();
    m_settings.loadUserDb = dialog.LoadUserDb();
}
