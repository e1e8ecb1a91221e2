// The main window's file commands: open, close, the save prompt, save, save as, and the start-up.
#include "shell/CMainFrame.h"

#include "core/CoreMessages.h"
#include "core/UserPrompt.h"
#include "database/DatabaseReader.h"
#include "database/DatabaseWriter.h"
#include "editors/CNavigator.h"
#include "shell/CFileDlg.h"
#include "shell/CRightPane.h"
#include "shell/CSwitchView.h"
#include "shell/CZanEditorView.h"

#include <QDir>
#include <QFileInfo>
#include <QStatusBar>

#include <algorithm>

namespace {

const QString kFavourSection = QStringLiteral("Project Favor Group");

bool EndsWith(const QString &text, const char *suffix)
{
    return text.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
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
    m_list->SetServiceFilter(CSwitchView::TvAndRadio);
    m_list->ClearChannelList();
    const LayoutCachePlan plan = PlanLayoutCache(m_cacheFolders, IsWritableFolder);
    return InitLayouts(m_layouts, *m_prompt, plan, [this] { m_list->SetupListColumns(); }, this);
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
                    QStringLiteral("User DataBase File(*.usd)|Default DataBase File(*.ddf)"), this);
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
    m_currentExt = path.right(3);
    m_currentPath = path;
    const bool user = m_currentExt.compare(QLatin1String("usd"), Qt::CaseInsensitive) == 0;
    const bool deflt = m_currentExt.compare(QLatin1String("ddf"), Qt::CaseInsensitive) == 0;
    if (!user && !deflt) {
        m_currentPath.clear();
        busy.End();
        UpdateActions();
        m_prompt->ShowMessage(QStringLiteral("not support open the file that you input."));
        return false;
    }
    if (!LoadDatabase(m_db, path, user, m_profile)) {
        m_currentPath.clear();
        m_undoStack.clear();
        UpdateTitle();
        UpdateActions();
        return false;
    }
    m_undoStack.clear();
    m_navigator->RebuildNavigator();
    UpdateTitle();
    UpdateActions();
    statusBar()->showMessage(QStringLiteral("Opened %1").arg(QDir::toNativeSeparators(path)), 5000);
    return true;
}

bool CMainFrame::CloseDatabaseFile()
{
    if (!IsFileOpen())
        return true;
    if (!QuerySaveModified())
        return false;
    if (!m_terminating) {
        if (const FavouriteRecord *favourites = m_db.Favourites()) {
            const int count = std::min<int>(favourites->count, int(favourites->names.size()));
            for (int i = 0; i < count; ++i) {
                m_profile.WriteString(kFavourSection, QStringLiteral("FavGroup%1").arg(i),
                                      QString::fromStdString(favourites->names[size_t(i)]));
            }
        }
    }
    m_currentPath.clear();
    // The list lets go of its node before the navigator frees the nodes.
    m_list->ClearChannelList();
    m_navigator->ClearNavigator();
    m_db.Clear();
    m_undoStack.clear();
    UpdateTitle();
    UpdateActions();
    return true;
}

bool CMainFrame::QuerySaveModified()
{
    if (!IsFileOpen() || m_undoStack.isClean())
        return true;
    switch (m_prompt->AskYesNoCancel(QStringLiteral("Current file was modified, do you want to save it?"))) {
    case UserPrompt::Yes:
        // A save that did not happen abandons what asked: the edits are still only in memory.
        return SaveDatabaseFile(m_currentPath);
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
            result = SaveUserDatabase(m_db, path);
        else if (EndsWith(path, "ddf"))
            result = SaveDefaultDatabase(m_db, path, m_profile);
        else
            return WriteOutcome::Unsupported;
    }
    return result == SaveResult::Written ? WriteOutcome::Written : WriteOutcome::NotWritten;
}

bool CMainFrame::SaveDatabaseFile(const QString &path)
{
    if (WriteDatabase(path) != WriteOutcome::Written)
        return false;
    m_undoStack.setClean();
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(path)), 5000);
    return true;
}

void CMainFrame::FileSave()
{
    if (!m_currentPath.isEmpty() && !m_currentExt.isEmpty())
        SaveDatabaseFile(m_currentPath);
}

void CMainFrame::FileClose()
{
    CloseDatabaseFile();
}

void CMainFrame::FileSaveAs()
{
    if (!IsFileOpen())
        return;
    const QString currentSuffix = m_currentPath.right(4);
    const bool fromDefault = currentSuffix.compare(QLatin1String(".ddf"), Qt::CaseInsensitive) == 0;
    CFileDlg dialog(FileDialogKind::Save, m_currentPath, HideReadOnly | OverwritePrompt | CreatePrompt,
                    fromDefault ? QStringLiteral("Default Database(*.ddf)")
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
        } else if (currentSuffix.compare(QLatin1String(".usd"), Qt::CaseInsensitive) == 0) {
            SaveAsNewUserCopy(newPath);
        } else {
            m_prompt->ShowMessage(
                QStringLiteral("Not Support Save \"%1\" As \"%2\" File").arg(currentSuffix, newSuffix));
            CloseDatabaseFile();
        }
    } else if (newSuffix.compare(QLatin1String(".ddf"), Qt::CaseInsensitive) == 0) {
        SaveDatabaseFile(newPath);
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
    if (ReadBoundedFile(m_currentPath, CChannelDb::kPoolCapacity, source, reason) != FileReadStatus::Read) {
        m_prompt->ShowMessage(CoreMessages::CannotOpen(m_currentPath) + QLatin1Char('\n') + reason);
        return false;
    }
    if (!UserDatabaseTail(source, tail)) {
        m_prompt->ShowMessage(CoreMessages::DamagedFile());
        return false;
    }
    SaveResult result = SaveResult::Failed;
    {
        BusyScope busy(*this);
        result = SaveUserDatabaseWithTail(m_db, newPath, tail);
    }
    if (result != SaveResult::Written)
        return false;
    m_undoStack.setClean();
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(newPath)), 5000);
    return true;
}
