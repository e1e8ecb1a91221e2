// The main window: owns the database, layouts, profile and undo stack; file commands; panes.
#pragma once

#include "database/SessionBackup.h"
#include "database/SettingsProfileStore.h"
#include "document/ChannelDocument.h"
#include "document/EditorContext.h"
#include "transfer/TransferHost.h"
#include "shell/LayoutCacheLocations.h"
#include "shell/LayoutStartup.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class CNavigator;
class CRightPane;
class CZanEditorView;
class TransferCommands;
class MessageBoxPrompt;
class QAction;
enum class ExportFormat;
enum class ExportScope;
class QSplitter;
class QToolBar;

// Command identifiers of the main window's actions (QAction::data()).
namespace FrameCommand {
constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileClose = 32771;
constexpr int FileSave = 32791;
constexpr int FileSaveAs = 32792;
constexpr int FileRevert = 32802;
constexpr int AppExit = 57665;
constexpr int AppAbout = 57664;
constexpr int EditUndo = 57643;
constexpr int EditRedo = 57644;
constexpr int ViewToolBar = 59392;
constexpr int ViewStatusBar = 59393;
constexpr int NextPane = 57680;
constexpr int PrevPane = 57681;
constexpr int ToolsFindDuplicates = 33100;
constexpr int ToolsApplyOrder = 33101;
constexpr int FileExportListCsv = 33102;
constexpr int FileExportListJson = 33103;
constexpr int FileExportDatabaseCsv = 33104;
constexpr int FileExportDatabaseJson = 33105;
constexpr int FileImportFieldChanges = 33106;
constexpr int EditCopy = 33107;
constexpr int ViewStatistics = 33108;
constexpr int ViewSatelliteColumn = 33109;
constexpr int ViewTransponderColumn = 33110;
} // namespace FrameCommand

class CMainFrame : public QMainWindow, public EditorContext, public TransferHost
{
    Q_OBJECT

public:
    // Without a prompt the frame shows message boxes; tests pass a scripted one.
    explicit CMainFrame(UserPrompt *prompt = nullptr, QWidget *parent = nullptr);
    ~CMainFrame() override;

    CNavigator *GetNavigator() { return m_navigator; }
    CZanEditorView *GetChannelList() { return m_list; }
    CRightPane *GetRightPane() { return m_rightPane; }
    // The download, upload and link-settings commands (the Transfer menu).
    TransferCommands *Transfers() const { return m_transfers; }
    QSplitter *MainSplitter() { return m_splitter; }

    // The folders the layout start-up searches (tests point them at temporary ones).
    void SetLayoutCacheFolders(const LayoutCacheFolders &folders) { m_cacheFolders = folders; }
    const LayoutCacheFolders &LayoutCacheFoldersInUse() const { return m_cacheFolders; }
    // The initial update of the panes: switch to "TV/Radio", list emptied, layouts started up.
    LayoutSource InitialUpdate();

    // Opens a ".usd", ".ddf" or ".udf" (by the last three characters, any case; a ".udf" is a
    // user database followed by erased flash, and is saved back in that form). An open file is closed
    // first, with the save prompt; false when that was cancelled or the file was not opened.
    bool OpenDatabaseFile(const QString &path) override;
    // True when closed or nothing was open; false when the user cancelled or a wanted save failed.
    bool CloseDatabaseFile() override;
    // True to go on (saved, or not wanted); false to abandon what asked (Cancel, failed save).
    bool QuerySaveModified() override;
    // True only when the file was written; only then the database counts as saved.
    bool SaveDatabaseFile(const QString &path);

    QString CurrentPath() const override { return m_document.Path(); }
    // The open file's extension as its path ends ("" when no file is open).
    QString CurrentExtension() const { return m_document.IsOpen() ? m_document.Path().right(3) : QString(); }
    bool IsFileOpen() const override { return m_document.IsOpen(); }
    bool IsModified() const { return m_document.IsModified(); }

    // The action carrying this command id, or null.
    QAction *Action(int commandId) const;
    QToolBar *MainToolBar() const { return m_toolBar; }

    // A termination request: the window closes at once, nothing is asked and nothing is written.
    void Terminate();
    bool IsTerminating() const { return m_terminating; }

    // EditorContext
    ChannelDocument &Document() override { return m_document; }
    UserPrompt &Prompt() override { return *m_prompt; }
    ProfileStore &Profile() override { return m_profile; }
    NavNode *SelectedNode() override;
    void SetBusy(bool busy) override;
    // TransferHost
    QWidget *Window() override { return this; }

    // The navigator item of favourite group `group` (1..32) shows this text.
    void SetGroupItemText(int group, const QString &text);

public Q_SLOTS:
    void FileOpen();
    void FileSave();
    void FileSaveAs();
    void FileClose();
    // Ctrl+N: closes the file (with the save prompt) and runs the layout start-up again.
    void FileNew();
    // File → Revert to Backup: the open file's NAME.EXT.bak replaces the database, which stays
    // the open file's and counts as modified (saving writes the backup's content back).
    void FileRevertToBackup();
    void AppAbout();
    // The list tools (CMainFrameLists.cpp).
    void ToolsFindDuplicates();
    void ToolsApplyOrder();
    void FileExport(ExportFormat format, ExportScope scope);
    void FileImportFieldChanges();
    // The selected rows of the channel list on the clipboard as tab-separated text.
    void EditCopy();
    void ViewStatistics();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void CreatePanes();
    // The list's Edit Channel, Insert Channel and Edit Group open the node dialogs; Enter on a
    // favourite group in the tree renames it.
    void WireNodeDialogs();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateTransferCommands();
    void CreateListCommands();
    void CreatePlaceColumnToggles();
    void EnsureProfileGroupNames();
    void UpdateTitle();
    // The window's size, place, tool bar, splitter and list columns as the user left them; the
    // first start opens wide enough for the tree and every list column.
    void RestoreWindowState();
    void SaveWindowState();
    void ApplyListColumnState();
    void UpdateActions();
    void FocusPane(int step);
    QAction *MakeAction(int id, const QString &text, const QKeySequence &shortcut, const QString &tip);
    // The writer for the path's extension; Failed for a path it cannot be.
    enum class WriteOutcome { Written, NotWritten, Unsupported };
    WriteOutcome WriteDatabase(const QString &path);
    bool SaveAsNewUserCopy(const QString &newPath);
    bool SaveAsUdf(const QString &newPath);

    // In this order: the document's database refers to the prompt.
    SettingsProfileStore m_profile;
    std::unique_ptr<MessageBoxPrompt> m_ownPrompt;
    UserPrompt *m_prompt = nullptr;
    ChannelDocument m_document;
    // The .bak of the first save of each file's editing session.
    SessionBackup m_sessionBackup;

    QSplitter *m_splitter = nullptr;
    CNavigator *m_navigator = nullptr;
    CRightPane *m_rightPane = nullptr;
    CZanEditorView *m_list = nullptr;
    QToolBar *m_toolBar = nullptr;
    TransferCommands *m_transfers = nullptr;

    LayoutCacheFolders m_cacheFolders;
    int m_busyDepth = 0;
    bool m_geometryRestored = false;
    bool m_terminating = false;
};
