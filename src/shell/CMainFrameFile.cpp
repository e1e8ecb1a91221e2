// The main window's file commands: open, close, the save prompt, save, save as, and the start-up.
#include "shell/CMainFrame.h"

#include "core/CoreMessages.h"
#include "core/SafetySettings.h"
#include "core/UserPrompt.h"
#include "database/DatabaseReader.h"
#include "database/FavouriteGroups.h"
#include "database/DatabaseWriter.h"
#include "database/UdfDatabase.h"
#include "views/CNavigator.h"
#include "widgets/CFileDlg.h"
#include "shell/CRightPane.h"
#include "shell/CSwitchView.h"
#include "shell/RecentFiles.h"
#include "views/CZanEditorView.h"

#include <QDir>
#include <QFileInfo>
#include <QStatusBar>

#include <algorithm>

namespace {

bool EndsWith(const QString &text, const char *suffix)
{
    return text.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

// The kind the editor opens a path as: a ".udf" holds a user database container (followed by
// erased flash), so it is read and edited as a user database; only its save differs.
DatabaseFileKind EditorFileKind(const QString &path)
{
    const DatabaseFileKind kind = FileKindOfPath(path);
    if (kind == DatabaseFileKind::None && UdfDatabase::IsUdfPath(path))
        return DatabaseFileKind::User;
    return kind;
}

// Restores the normal cursor however the scope is left.
class BusyScope
{
public:
    explicit BusyScope(EditorContext &context) : m_context(context) { m_context.SetBusy(true); }
    ~BusyScope() { End(); }
    void End()
    {
        if (m_active)
            m_context.SetBusy(false);
        m_active = false;
    }

private:
    EditorContext &m_context;
    bool m_active = true;
};

} // namespace

LayoutSource CMainFrame::InitialUpdate()
{
    m_rightPane->Switch()->Reset();
    m_list->SetServiceFilter(ServiceFilter::TvAndRadio);
    m_list->ClearChannelList();
    const LayoutCachePlan plan = PlanLayoutCache(m_cacheFolders, IsWritableFolder);
    const LayoutSource source =
        InitLayouts(m_document.Layouts(), *m_prompt, plan, [this] { m_document.NotifyLayoutsReplaced(); }, this);
    ApplyListColumnState();
    return source;
}

void CMainFrame::FileNew()
{
    // Records of an open file are laid out in the layouts in force: they cannot outlive them.
    if (!CloseDatabaseFile())
        return;
    InitialUpdate();
}

void CMainFrame::FileOpen()
{
    if (!CloseDatabaseFile())
        return;
    CFileDlg dialog(FileDialogKind::Open, QString(), HideReadOnly | OverwritePrompt,
                    QStringLiteral("User DataBase File(*.usd)|Default DataBase File(*.ddf)|User DataBase Image(*.udf)"),
                    this);
    const QString path = dialog.Run();
    if (path.isEmpty())
        return;
    OpenDatabaseFile(path);
}

bool CMainFrame::OpenDatabaseFile(const QString &path)
{
    // Loading replaces the database: unsaved edits of an open file are asked about first.
    if (IsFileOpen() && !CloseDatabaseFile())
        return false;

    BusyScope busy(*this);
    const DatabaseFileKind kind = EditorFileKind(path);
    if (kind == DatabaseFileKind::None) {
        busy.End();
        m_prompt->ShowMessage(QStringLiteral("not support open the file that you input."));
        return false;
    }
    // A failed load leaves the database empty and no file open; the load said why.
    if (!LoadDatabase(m_document.Database(), path, kind == DatabaseFileKind::User, m_profile))
        return false;
    m_document.SetOpened(path, kind);
    m_sessionBackup.Open(path);
    RecentFiles::Add(path);
    statusBar()->showMessage(QStringLiteral("Opened %1").arg(QDir::toNativeSeparators(path)), 5000);
    return true;
}

bool CMainFrame::CloseDatabaseFile()
{
    if (!IsFileOpen())
        return true;
    if (!QuerySaveModified())
        return false;
    // A user database shows the profile's group names, so its renames go back to the profile. A
    // default database carries its own names in its file: they must not replace the user's.
    const FavouriteRecord *favourites = m_document.Database().Favourites();
    if (!m_terminating && favourites && m_document.FileKind() == DatabaseFileKind::User) {
        const int count = std::min<int>(favourites->count, int(favourites->names.size()));
        for (int i = 0; i < count; ++i) {
            m_profile.WriteString(FavouriteGroups::ProfileSection(), FavouriteGroups::ProfileKey(i),
                                  QString::fromStdString(favourites->names[size_t(i)]));
        }
    }
    m_document.Close();
    return true;
}

bool CMainFrame::QuerySaveModified()
{
    if (!IsModified())
        return true;
    switch (m_prompt->AskYesNoCancel(QStringLiteral("Current file was modified, do you want to save it?"))) {
    case UserPrompt::Yes:
        // A save that did not happen abandons what asked: the edits are still only in memory.
        return SaveDatabaseFile(m_document.Path());
    case UserPrompt::No:
        return !m_terminating;
    case UserPrompt::Cancel:
        break;
    }
    return false;
}

CMainFrame::WriteOutcome CMainFrame::WriteDatabase(const QString &path)
{
    if (path.size() < 4 || m_terminating)
        return WriteOutcome::Unsupported;
    SaveResult result = SaveResult::Failed;
    {
        BusyScope busy(*this);
        if (EndsWith(path, "usd"))
            result = SaveUserDatabase(m_document.Database(), path);
        else if (EndsWith(path, "ddf"))
            result = SaveDefaultDatabase(m_document.Database(), path, m_profile);
        else if (UdfDatabase::IsUdfPath(path))
            result = UdfDatabase::Save(m_document.Database(), path);
        else
            return WriteOutcome::Unsupported;
    }
    return result == SaveResult::Written ? WriteOutcome::Written : WriteOutcome::NotWritten;
}

bool CMainFrame::SaveDatabaseFile(const QString &path)
{
    // The first save of a session keeps the file it replaces as NAME.EXT.bak (when the setting
    // says so); a copy that cannot be made stops the save only if the user says so.
    m_sessionBackup.SetEnabled(SafetySettings::Load().keepBak);
    if (!m_terminating && m_sessionBackup.BeforeSave(path) == BakOutcome::Abandon)
        return false;
    if (WriteDatabase(path) != WriteOutcome::Written)
        return false;
    m_document.SetSaved(path);
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(path)), 5000);
    return true;
}

void CMainFrame::FileSave()
{
    if (IsFileOpen())
        SaveDatabaseFile(m_document.Path());
}

void CMainFrame::FileClose()
{
    CloseDatabaseFile();
}

void CMainFrame::FileSaveAs()
{
    if (!IsFileOpen())
        return;
    const QString currentPath = m_document.Path();
    const QString currentSuffix = currentPath.right(4);
    const bool fromDefault = currentSuffix.compare(QLatin1String(".ddf"), Qt::CaseInsensitive) == 0;
    const bool fromUdf = UdfDatabase::IsUdfPath(currentPath);
    CFileDlg dialog(FileDialogKind::Save, currentPath, HideReadOnly | OverwritePrompt | CreatePrompt,
                    fromDefault ? QStringLiteral("Default Database(*.ddf)")
                    : fromUdf   ? QStringLiteral("User Database Image(*.udf)|User Database(*.usd)|Default Database(*.ddf)")
                                : QStringLiteral("User Database(*.usd)|Default Database(*.ddf)"),
                    this);
    const QString newPath = dialog.Run();
    if (newPath.isEmpty())
        return;
    const QString newSuffix = newPath.right(4);
    const bool exists = QFileInfo::exists(newPath);

    if (newSuffix.compare(QLatin1String(".usd"), Qt::CaseInsensitive) == 0) {
        if (exists) {
            SaveDatabaseFile(newPath);
        } else if (currentSuffix.compare(QLatin1String(".usd"), Qt::CaseInsensitive) == 0 || fromUdf) {
            SaveAsNewUserCopy(newPath);
        } else {
            m_prompt->ShowMessage(
                QStringLiteral("Not Support Save \"%1\" As \"%2\" File").arg(currentSuffix, newSuffix));
            CloseDatabaseFile();
        }
    } else if (newSuffix.compare(QLatin1String(".ddf"), Qt::CaseInsensitive) == 0) {
        SaveDatabaseFile(newPath);
    } else if (UdfDatabase::IsUdfPath(newPath)) {
        // A ".udf" takes its size from the image it came from: only an open ".udf" gives one. The
        // open file stays open (nothing was written).
        if (fromUdf)
            SaveAsUdf(newPath);
        else
            m_prompt->ShowMessage(
                QStringLiteral("Not Support Save \"%1\" As \"%2\" File").arg(currentSuffix, newSuffix));
    } else {
        m_prompt->ShowMessage(QStringLiteral("Not Support Save as \"%1\" File").arg(newSuffix));
        CloseDatabaseFile();
    }
}

bool CMainFrame::SaveAsNewUserCopy(const QString &newPath)
{
    // A user database keeps the tail of the file it came from: the open file's tail goes behind
    // the node data of the new file. The writer replaces the target only with a complete file.
    QByteArray source;
    QString reason;
    QByteArray tail;
    const QString currentPath = m_document.Path();
    if (ReadBoundedFile(currentPath, CChannelDb::kPoolCapacity, source, reason) != FileReadStatus::Read) {
        m_prompt->ShowMessage(CoreMessages::CannotOpen(currentPath) + QLatin1Char('\n') + reason);
        return false;
    }
    // A ".udf" has erased flash behind its container: the tail ends where the container does.
    const bool tailFound = UdfDatabase::IsUdfPath(currentPath) ? UdfDatabase::ContainerTail(source, tail)
                                                               : UserDatabaseTail(source, tail);
    if (!tailFound) {
        m_prompt->ShowMessage(CoreMessages::DamagedFile());
        return false;
    }
    SaveResult result = SaveResult::Failed;
    {
        BusyScope busy(*this);
        result = SaveUserDatabaseWithTail(m_document.Database(), newPath, tail);
    }
    if (result != SaveResult::Written)
        return false;
    m_document.SetSaved(newPath);
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(newPath)), 5000);
    return true;
}

bool CMainFrame::SaveAsUdf(const QString &newPath)
{
    // The new image keeps the open image's tail (favourite and further sub-chunks) and size.
    QByteArray source;
    QString reason;
    const QString currentPath = m_document.Path();
    if (ReadBoundedFile(currentPath, CChannelDb::kPoolCapacity, source, reason) != FileReadStatus::Read) {
        m_prompt->ShowMessage(CoreMessages::CannotOpen(currentPath) + QLatin1Char('\n') + reason);
        return false;
    }
    m_sessionBackup.SetEnabled(SafetySettings::Load().keepBak);
    if (m_sessionBackup.BeforeSave(newPath) == BakOutcome::Abandon)
        return false;
    SaveResult result = SaveResult::Failed;
    {
        BusyScope busy(*this);
        result = UdfDatabase::SaveAs(m_document.Database(), newPath, source);
    }
    if (result != SaveResult::Written)
        return false;
    m_document.SetSaved(newPath);
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(newPath)), 5000);
    return true;
}

void CMainFrame::FileRevertToBackup()
{
    if (!IsFileOpen())
        return;
    const QString path = m_document.Path();
    const QString bak = SessionBackup::BakPathFor(path);
    const QString bakName = QFileInfo(bak).fileName();
    if (!SessionBackup::HasBak(path)) {
        m_prompt->ShowMessage(QStringLiteral("There is no backup \"%1\" to revert to.").arg(bakName));
        UpdateActions();
        return;
    }
    if (IsModified()
        && m_prompt->AskYesNo(QStringLiteral("Current file was modified. Discard the changes and revert to \"%1\"?")
                                  .arg(bakName))
               != UserPrompt::Yes) {
        return;
    }
    const DatabaseFileKind kind = m_document.FileKind();
    {
        BusyScope busy(*this);
        // Closed without the profile write of CloseDatabaseFile: the discarded edits include
        // renamed groups, which must not reach the profile.
        m_document.Close();
        if (LoadDatabase(m_document.Database(), bak, kind == DatabaseFileKind::User, m_profile)) {
            m_document.SetReverted(path, kind);
            // The next save is again the first of a session: the file being replaced becomes
            // the .bak, so nothing is lost by reverting.
            m_sessionBackup.Open(path);
            statusBar()->showMessage(
                QStringLiteral("Reverted to %1; save to keep it").arg(QDir::toNativeSeparators(bak)), 5000);
            return;
        }
    }
    // The backup could not be read (the load said why): the file itself is opened again.
    OpenDatabaseFile(path);
}
