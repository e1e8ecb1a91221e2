// The main window's construction: panes, actions, menus, tool bar, status bar, profile names.
#include "shell/CMainFrame.h"

#include "database/FavouriteGroups.h"
#include "editors/CFavoriteGroupEditDlg.h"
#include "views/CNavigator.h"
#include "editors/CProgramInfoDlg.h"
#include "editors/CProgramsEditDlg.h"
#include "transfer/TransferCommands.h"
#include "shell/CAboutDlg.h"
#include "shell/CRightPane.h"
#include "shell/CSwitchView.h"
#include "shell/RecentFiles.h"
#include "views/CZanEditorView.h"
#include "widgets/MessageBoxPrompt.h"

#include <QAction>
#include <QLabel>
#include <QSettings>
#include <QScreen>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QMenuBar>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>

#include <utility>

static void InitDravelResources()
{
    Q_INIT_RESOURCE(dravel);
}

namespace {

// "Edit Channel          Enter" as a menu bar entry: the text, a tab, the key.
QString MenuBarText(const QString &text)
{
    static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
    return text.trimmed().replace(gap, QStringLiteral("\t"));
}

QIcon ThemeIcon(const char *name, QStyle::StandardPixmap fallback, const QWidget *widget)
{
    return QIcon::fromTheme(QString::fromLatin1(name), widget->style()->standardIcon(fallback, nullptr, widget));
}

} // namespace

CMainFrame::CMainFrame(UserPrompt *prompt, QWidget *parent)
    : QMainWindow(parent),
      m_ownPrompt(prompt ? nullptr : std::make_unique<MessageBoxPrompt>(this)),
      m_prompt(prompt ? prompt : m_ownPrompt.get()),
      m_document(*m_prompt),
      m_sessionBackup(*m_prompt),
      m_cacheFolders(RunningProgramCacheFolders())
{
    InitDravelResources();
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(QIcon(QStringLiteral(":/dravel/dravel-256.png")));
    CreatePanes();
    CreateActions();
    CreateMenus();
    CreateListCommands();
    CreateToolBar();
    CreateTransferCommands();
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->showMessage(QStringLiteral("Ready"));
    // The list's counts stay in their own corner; messages come and go beside them.
    auto *counts = new QLabel(statusBar());
    counts->setObjectName(QStringLiteral("channelCounts"));
    counts->setAccessibleName(QStringLiteral("Channel counts"));
    statusBar()->addPermanentWidget(counts);
    connect(m_list, &CZanEditorView::CountsChanged, counts, [this, counts] { counts->setText(m_list->CountText()); });
    EnsureProfileGroupNames();

    QUndoStack &stack = m_document.UndoStack();
    connect(&stack, &QUndoStack::cleanChanged, this, [this](bool) { UpdateTitle(); });
    for (auto signal : {&ChannelDocument::FileOpened, &ChannelDocument::FileClosed, &ChannelDocument::FileSaved}) {
        connect(&m_document, signal, this, [this] {
            UpdateTitle();
            UpdateActions();
        });
    }
    UpdateTitle();
    UpdateActions();
    RestoreWindowState();
}

void CMainFrame::RestoreWindowState()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("Window"));
    m_geometryRestored = restoreGeometry(settings.value(QStringLiteral("Geometry")).toByteArray());
    if (!m_geometryRestored)
        resize(1000, 640);  // until the list's columns are known (FitListColumns)
    restoreState(settings.value(QStringLiteral("State")).toByteArray());
    m_splitter->restoreState(settings.value(QStringLiteral("Splitter")).toByteArray());
}

void CMainFrame::SaveWindowState()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("Window"));
    settings.setValue(QStringLiteral("Geometry"), saveGeometry());
    settings.setValue(QStringLiteral("State"), saveState());
    settings.setValue(QStringLiteral("Splitter"), m_splitter->saveState());
    QVariantList widths;
    for (int width : m_list->ColumnWidths())
        widths << width;
    settings.setValue(QStringLiteral("ColumnWidths"), widths);
}

void CMainFrame::ApplyListColumnState()
{
    QList<int> widths;
    for (const QVariant &width : QSettings().value(QStringLiteral("Window/ColumnWidths")).toList())
        widths << width.toInt();
    // Widths of another layout's columns do not fit these.
    if (widths.size() == int(m_list->ColumnWidths().size()))
        m_list->SetColumnWidths(widths);
    if (m_geometryRestored)
        return;
    // The first start: wide enough for the tree and every column of the list, on the screen.
    int listWidth = 0;
    for (int width : m_list->ColumnWidths())
        listWidth += width;
    const int navigatorWidth = m_splitter->sizes().value(0, 280);
    const QRect screenArea = screen() ? screen()->availableGeometry() : QRect(0, 0, 1600, 900);
    const int width = std::min(navigatorWidth + listWidth + 60, screenArea.width());
    resize(std::max(width, 1000), std::min(720, screenArea.height()));
}

CMainFrame::~CMainFrame()
{
    // The undo stack signals while it is destroyed, after the members the title is made of are
    // gone; and its commands refer to the panes and the database: empty it while all is there.
    m_document.UndoStack().disconnect(this);
    m_document.disconnect(this);
    m_document.UndoStack().clear();
    // The panes refer to the database and the layouts: they go first.
    delete m_splitter;
    m_splitter = nullptr;
}

void CMainFrame::CreatePanes()
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("mainSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_navigator = new CNavigator(*this, m_splitter);
    m_list = new CZanEditorView(*this);
    m_rightPane = new CRightPane(m_list, m_splitter);
    m_splitter->addWidget(m_navigator);
    m_splitter->addWidget(m_rightPane);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({280, 900});
    setCentralWidget(m_splitter);

    connect(m_navigator, &CNavigator::NodeSelected, this, [this](NavNode *node) { m_list->FillChannelList(node); });
    connect(m_rightPane->Switch(), &CSwitchView::FilterChosen, this,
            [this](ServiceFilter filter) { m_list->SetServiceFilter(filter); });
    WireNodeDialogs();
}

void CMainFrame::WireNodeDialogs()
{
    m_list->SetEditChannelHook([this](NavNode &node, int index) {
        return CProgramInfoDlg::Run(*this, node, ProgramEditMode, index, m_list->CurrentServiceFilter(),
                                    m_list->FavouriteNames(), this);
    });
    m_list->SetEditChannelsHook([this](const std::vector<int32_t> &slots) {
        return CProgramsEditDlg::Run(*this, slots, m_list->FavouriteNames(), this);
    });
    m_list->SetInsertChannelHook([this](NavNode &node, int index) {
        return CProgramInfoDlg::Run(*this, node, ProgramInsertMode, index, m_list->CurrentServiceFilter(),
                                    m_list->FavouriteNames(), this);
    });
    m_list->SetEditGroupHook(
        [this](NavNode &node, int) { return CFavoriteGroupEditDlg::Run(*this, node, this); });
    connect(m_navigator, &CNavigator::RenameGroupRequested, m_list, &CZanEditorView::RenameGroup);
}

QAction *CMainFrame::MakeAction(int id, const QString &text, const QKeySequence &shortcut, const QString &tip)
{
    auto *action = new QAction(text, this);
    action->setData(id);
    action->setObjectName(QStringLiteral("action%1").arg(id));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    action->setStatusTip(tip);
    action->setToolTip(QString(text).remove(QLatin1Char('&')).remove(QStringLiteral("...")));
    return action;
}

void CMainFrame::CreateActions()
{
    QAction *open = MakeAction(FrameCommand::FileOpen, QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                               QStringLiteral("Open a user or default database"));
    open->setIcon(ThemeIcon("document-open", QStyle::SP_DialogOpenButton, this));
    connect(open, &QAction::triggered, this, &CMainFrame::FileOpen);

    QAction *save = MakeAction(FrameCommand::FileSave, QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
                               QStringLiteral("Save the open database"));
    save->setIcon(ThemeIcon("document-save", QStyle::SP_DialogSaveButton, this));
    connect(save, &QAction::triggered, this, &CMainFrame::FileSave);

    QAction *saveAs = MakeAction(FrameCommand::FileSaveAs, QStringLiteral("Save &As..."), QKeySequence(),
                                 QStringLiteral("Save the open database under another name"));
    saveAs->setIcon(ThemeIcon("document-save-as", QStyle::SP_DialogSaveButton, this));
    connect(saveAs, &QAction::triggered, this, &CMainFrame::FileSaveAs);

    QAction *revert = MakeAction(FrameCommand::FileRevert, QStringLiteral("&Revert to Backup"), QKeySequence(),
                                 QStringLiteral("Replace the open database by the copy kept at its first save"));
    connect(revert, &QAction::triggered, this, &CMainFrame::FileRevertToBackup);

    QAction *closeFile = MakeAction(FrameCommand::FileClose, QStringLiteral("&Close"), QKeySequence(),
                                    QStringLiteral("Close the open database"));
    closeFile->setIcon(ThemeIcon("document-close", QStyle::SP_DialogCloseButton, this));
    connect(closeFile, &QAction::triggered, this, &CMainFrame::FileClose);

    QAction *exitApp = MakeAction(FrameCommand::AppExit, QStringLiteral("E&xit"), QKeySequence(),
                                  QStringLiteral("Quit the application"));
    exitApp->setMenuRole(QAction::QuitRole);
    connect(exitApp, &QAction::triggered, this, &QWidget::close);

    QAction *undo = m_document.UndoStack().createUndoAction(this, QStringLiteral("&Undo"));
    undo->setData(FrameCommand::EditUndo);
    undo->setObjectName(QStringLiteral("action%1").arg(FrameCommand::EditUndo));
    undo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    undo->setStatusTip(QStringLiteral("Undo the last edit"));
    undo->setIcon(ThemeIcon("edit-undo", QStyle::SP_ArrowBack, this));
    addAction(undo);

    QAction *redo = m_document.UndoStack().createRedoAction(this, QStringLiteral("&Redo"));
    redo->setData(FrameCommand::EditRedo);
    redo->setObjectName(QStringLiteral("action%1").arg(FrameCommand::EditRedo));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    redo->setStatusTip(QStringLiteral("Redo the edit undone last"));
    redo->setIcon(ThemeIcon("edit-redo", QStyle::SP_ArrowForward, this));
    addAction(redo);

    QAction *about = MakeAction(FrameCommand::AppAbout, QStringLiteral("About Dravel(&A)..."), QKeySequence(),
                                QStringLiteral("Program information and version"));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &CMainFrame::AppAbout);

    // Not in a menu, as in the receiver tools: Ctrl+N runs the layout start-up again.
    QAction *fileNew = MakeAction(FrameCommand::FileNew, QStringLiteral("&New (reload layouts)"),
                                  QKeySequence(Qt::CTRL | Qt::Key_N),
                                  QStringLiteral("Close the file and load the record layouts again"));
    connect(fileNew, &QAction::triggered, this, &CMainFrame::FileNew);
    addAction(fileNew);

    QAction *nextPane = MakeAction(FrameCommand::NextPane, QStringLiteral("Next Pane"), QKeySequence(Qt::Key_F6),
                                   QStringLiteral("Move the focus to the next pane"));
    connect(nextPane, &QAction::triggered, this, [this] { FocusPane(1); });
    addAction(nextPane);
    QAction *prevPane = MakeAction(FrameCommand::PrevPane, QStringLiteral("Previous Pane"),
                                   QKeySequence(Qt::SHIFT | Qt::Key_F6),
                                   QStringLiteral("Move the focus to the previous pane"));
    connect(prevPane, &QAction::triggered, this, [this] { FocusPane(-1); });
    addAction(prevPane);
}

void CMainFrame::CreateMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("File(&F)"));
    file->setObjectName(QStringLiteral("fileMenu"));
    // A .bak can appear or go on disk without the editor: Revert to Backup looks when the menu opens.
    connect(file, &QMenu::aboutToShow, this, &CMainFrame::UpdateActions);
    file->addAction(Action(FrameCommand::FileOpen));
    // The last ten files, newest first, from the settings store; a click opens one.
    QMenu *recent = file->addMenu(QStringLiteral("Recent &Files"));
    recent->setObjectName(QStringLiteral("recentFilesMenu"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        const QStringList files = RecentFiles::Load();
        for (int i = 0; i < files.size(); ++i) {
            const QString path = files[i];
            QAction *entry = recent->addAction(QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(QDir::toNativeSeparators(path)));
            connect(entry, &QAction::triggered, this, [this, path] { OpenDatabaseFile(path); });
        }
        if (files.isEmpty())
            recent->addAction(QStringLiteral("(none)"))->setEnabled(false);
    });
    file->addSeparator();
    file->addAction(Action(FrameCommand::FileSave));
    file->addAction(Action(FrameCommand::FileSaveAs));
    file->addAction(Action(FrameCommand::FileRevert));
    file->addSeparator();
    file->addAction(Action(FrameCommand::FileClose));
    file->addSeparator();
    file->addAction(Action(FrameCommand::AppExit));

    QMenu *edit = menuBar()->addMenu(QStringLiteral("Edit(&E)"));
    edit->setObjectName(QStringLiteral("editMenu"));
    edit->addAction(Action(FrameCommand::EditUndo));
    edit->addAction(Action(FrameCommand::EditRedo));

    QMenu *channel = menuBar()->addMenu(QStringLiteral("Channel(&C)"));
    channel->setObjectName(QStringLiteral("channelMenu"));
    // The menu's entries run the list's commands; they follow the rules of the list's pop-up
    // menus for the current selection, and show each key once (the list's texts name their keys
    // after blanks, as the pop-up shows them; here the key goes where a menu puts it).
    auto addEntries = [this](QMenu *menu, const QList<QAction *> &commands) {
        for (QAction *command : commands) {
            auto *entry = new QAction(MenuBarText(command->text()), menu);
            entry->setObjectName(command->objectName() + QStringLiteral("Entry"));
            entry->setProperty("commandId", command->data());
            entry->setStatusTip(command->statusTip());
            connect(entry, &QAction::triggered, command, &QAction::trigger);
            // A command's status tip may change (the reason it is off): the entry follows.
            connect(command, &QAction::changed, entry, [entry, command] { entry->setStatusTip(command->statusTip()); });
            menu->addAction(entry);
        }
    };
    // Every entry of a menu (the submenus' own entries among them) follows the list's rules.
    auto followRules = [this](QMenu *menu) {
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            for (QAction *entry : menu->actions()) {
                if (!entry->isSeparator())
                    entry->setEnabled(m_list->CommandEnabled(entry->property("commandId").toInt()));
            }
        });
    };
    addEntries(channel, m_list->ChannelActions());
    QMenu *addToGroup = channel->addMenu(QStringLiteral("Add to &Group"));
    addToGroup->setObjectName(QStringLiteral("addToGroupEntry"));
    addToGroup->menuAction()->setProperty("commandId", int(CZanEditorView::IdAddToGroup));
    addToGroup->menuAction()->setStatusTip(QStringLiteral("Put the selected channels into a favourite group"));
    connect(addToGroup, &QMenu::aboutToShow, this, [this, addToGroup] { m_list->FillAddToGroupMenu(addToGroup); });
    channel->addSeparator();
    addEntries(channel, m_list->GroupActions());
    channel->addSeparator();
    // Find, Go to and Apply Sorted Order, then the common orders in Channel → Sort.
    QList<QAction *> orders;
    QList<QAction *> others;
    for (QAction *command : m_list->ListActions()) {
        const int id = command->data().toInt();
        (id >= CZanEditorView::IdSortByName && id <= CZanEditorView::IdReverseOrder ? orders : others) << command;
    }
    addEntries(channel, others);
    QMenu *sort = channel->addMenu(QStringLiteral("&Sort"));
    sort->setObjectName(QStringLiteral("sortEntry"));
    sort->menuAction()->setProperty("commandId", int(CZanEditorView::IdSortByName));
    sort->menuAction()->setStatusTip(QStringLiteral("Put the channels shown into a common order"));
    addEntries(sort, orders);
    followRules(channel);
    followRules(sort);

    // The view menu's two entries are made here; the tool bar's entry needs the tool bar.
    QMenu *view = menuBar()->addMenu(QStringLiteral("View(&V)"));
    view->setObjectName(QStringLiteral("viewMenu"));

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help(&H)"));
    help->setObjectName(QStringLiteral("helpMenu"));
    help->addAction(Action(FrameCommand::AppAbout));
}

void CMainFrame::CreateTransferCommands()
{
    // The link commands have no place in the receiver tools' menus: ours go before Help.
    m_transfers = new TransferCommands(*this);
    if (auto *help = menuBar()->findChild<QMenu *>(QStringLiteral("helpMenu")))
        menuBar()->insertMenu(help->menuAction(), m_transfers->Menu());
    else
        menuBar()->addMenu(m_transfers->Menu());
    m_toolBar->addSeparator();
    m_toolBar->addActions(m_transfers->ToolBarActions());
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Tool Bar"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonFollowStyle);
    m_toolBar->addAction(Action(FrameCommand::FileOpen));
    m_toolBar->addAction(Action(FrameCommand::FileSave));
    m_toolBar->addAction(Action(FrameCommand::FileClose));

    QAction *toolBarToggle = m_toolBar->toggleViewAction();
    toolBarToggle->setText(QStringLiteral("&Tool Bar"));
    toolBarToggle->setData(FrameCommand::ViewToolBar);
    toolBarToggle->setObjectName(QStringLiteral("action%1").arg(FrameCommand::ViewToolBar));
    toolBarToggle->setStatusTip(QStringLiteral("Show or hide the tool bar"));

    auto *statusToggle = MakeAction(FrameCommand::ViewStatusBar, QStringLiteral("&Status Bar"), QKeySequence(),
                                    QStringLiteral("Show or hide the status bar"));
    statusToggle->setCheckable(true);
    statusToggle->setChecked(true);
    connect(statusToggle, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

    QMenu *view = menuBar()->findChild<QMenu *>(QStringLiteral("viewMenu"));
    view->addAction(toolBarToggle);
    view->addAction(statusToggle);
}

QAction *CMainFrame::Action(int commandId) const
{
    for (QAction *action : findChildren<QAction *>()) {
        if (action->data().toInt() == commandId && action->data().isValid())
            return action;
    }
    return nullptr;
}

void CMainFrame::EnsureProfileGroupNames()
{
    for (int i = 0; i < FavouriteGroups::kCount; ++i) {
        const QString entry = FavouriteGroups::ProfileKey(i);
        if (m_profile.ReadString(FavouriteGroups::ProfileSection(), entry).isEmpty())
            m_profile.WriteString(FavouriteGroups::ProfileSection(), entry, FavouriteGroups::DefaultName(i));
    }
}

void CMainFrame::UpdateTitle()
{
    if (!m_document.IsOpen()) {
        setWindowTitle(QStringLiteral("Dravel"));
        setWindowModified(false);
        return;
    }
    setWindowTitle(QStringLiteral("Dravel - %1[*]").arg(m_document.Path()));
    setWindowModified(m_document.IsModified());
}

void CMainFrame::UpdateActions()
{
    const bool open = IsFileOpen();
    const bool saveable = open && m_document.FileKind() != DatabaseFileKind::None;
    Action(FrameCommand::FileSave)->setEnabled(saveable);
    Action(FrameCommand::FileSaveAs)->setEnabled(open);
    Action(FrameCommand::FileClose)->setEnabled(open);
    Action(FrameCommand::FileRevert)->setEnabled(open && SessionBackup::HasBak(m_document.Path()));
    Action(FrameCommand::ToolsFindDuplicates)->setEnabled(open);
    Action(FrameCommand::ToolsApplyOrder)->setEnabled(open);
    for (int id : {FrameCommand::FileExportListCsv, FrameCommand::FileExportListJson, FrameCommand::FileExportDatabaseCsv,
                   FrameCommand::FileExportDatabaseJson, FrameCommand::FileImportFieldChanges,
                   FrameCommand::ViewStatistics})
        Action(id)->setEnabled(open);
}

NavNode *CMainFrame::SelectedNode()
{
    return m_navigator ? m_navigator->GetSelectedNode() : nullptr;
}

void CMainFrame::SetGroupItemText(int group, const QString &text)
{
    m_navigator->SetGroupItemText(group, text);
}

void CMainFrame::SetBusy(bool busy)
{
    if (busy) {
        if (m_busyDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0) {
        if (--m_busyDepth == 0)
            QApplication::restoreOverrideCursor();
    }
}

void CMainFrame::FocusPane(int step)
{
    const QList<QWidget *> panes {m_navigator, m_rightPane->Switch(), m_list->Table()};
    int current = -1;
    for (int i = 0; i < panes.size(); ++i) {
        if (panes[i]->isAncestorOf(focusWidget()) || panes[i] == focusWidget())
            current = i;
    }
    const int next = current < 0 ? 0 : (current + step + int(panes.size())) % int(panes.size());
    panes[next]->setFocus(Qt::ShortcutFocusReason);
    if (panes[next] == m_rightPane->Switch()) {
        if (QWidget *button = m_rightPane->Switch()->Button(m_rightPane->Switch()->SelectedFilter()))
            button->setFocus(Qt::ShortcutFocusReason);
    }
}

void CMainFrame::AppAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    if (m_terminating || CloseDatabaseFile()) {
        if (!m_terminating)
            SaveWindowState();
        event->accept();
        return;
    }
    event->ignore();
}

void CMainFrame::Terminate()
{
    m_terminating = true;
    // A modal box or dialog open now is answered with its "change nothing" button.
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible())
            dialog->reject();
    }
    close();
}
