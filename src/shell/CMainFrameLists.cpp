// The main window's list tools: the Tools menu, File → Export and Import Field Changes, Edit →
// Copy and View → Statistics, and what their entries open.
#include "shell/CMainFrame.h"

#include "core/UserPrompt.h"
#include "database/TabSeparatedText.h"
#include "lists/CDuplicatesDlg.h"
#include "lists/CFieldImportDlg.h"
#include "lists/CReferenceOrderDlg.h"
#include "lists/CStatisticsDlg.h"
#include "lists/ListExport.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"
#include "widgets/CFileDlg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QSaveFile>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>

#include <algorithm>

void CMainFrame::CreateListCommands()
{
    QAction *duplicates = MakeAction(FrameCommand::ToolsFindDuplicates, QStringLiteral("Find &Duplicates..."),
                                     QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D),
                                     QStringLiteral("List programs that are the same service and delete the extra ones"));
    connect(duplicates, &QAction::triggered, this, &CMainFrame::ToolsFindDuplicates);
    QAction *order = MakeAction(FrameCommand::ToolsApplyOrder, QStringLiteral("Apply &Order From..."),
                                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R),
                                QStringLiteral("Give the programs the order of another list"));
    connect(order, &QAction::triggered, this, &CMainFrame::ToolsApplyOrder);

    auto *tools = new QMenu(QStringLiteral("Tools(&O)"), menuBar());
    tools->setObjectName(QStringLiteral("toolsMenu"));
    tools->addAction(duplicates);
    tools->addAction(order);
    if (auto *help = menuBar()->findChild<QMenu *>(QStringLiteral("helpMenu")))
        menuBar()->insertMenu(help->menuAction(), tools);
    else
        menuBar()->addMenu(tools);
    // The shortcuts work without the menu open, so they must be in the window.
    addAction(duplicates);
    addAction(order);

    // File → Export and Import Field Changes, before Close.
    struct ExportEntry
    {
        int id;
        const char *text;
        ExportFormat format;
        ExportScope scope;
    };
    const ExportEntry exports[] = {
        {FrameCommand::FileExportListCsv, "Current List as &CSV...", ExportFormat::Csv, ExportScope::CurrentList},
        {FrameCommand::FileExportListJson, "Current List as &JSON...", ExportFormat::Json, ExportScope::CurrentList},
        {FrameCommand::FileExportDatabaseCsv, "Whole Database as C&SV...", ExportFormat::Csv, ExportScope::WholeDatabase},
        {FrameCommand::FileExportDatabaseJson, "Whole Database as J&SON...", ExportFormat::Json,
         ExportScope::WholeDatabase},
    };
    auto *exportMenu = new QMenu(QStringLiteral("&Export"), menuBar());
    exportMenu->setObjectName(QStringLiteral("exportMenu"));
    for (const ExportEntry &entry : exports) {
        QAction *action = MakeAction(entry.id, QString::fromLatin1(entry.text), QKeySequence(),
                                     QStringLiteral("Write the programs in the export format of dravel-cli dump"));
        const ExportFormat format = entry.format;
        const ExportScope scope = entry.scope;
        connect(action, &QAction::triggered, this, [this, format, scope] { FileExport(format, scope); });
        exportMenu->addAction(action);
    }
    QAction *import = MakeAction(FrameCommand::FileImportFieldChanges, QStringLiteral("&Import Field Changes..."),
                                 QKeySequence(), QStringLiteral("Change program fields from a CSV list"));
    connect(import, &QAction::triggered, this, &CMainFrame::FileImportFieldChanges);
    if (auto *file = menuBar()->findChild<QMenu *>(QStringLiteral("fileMenu"))) {
        QAction *close = Action(FrameCommand::FileClose);
        file->insertMenu(close, exportMenu);
        file->insertAction(close, import);
        file->insertSeparator(close);
    }

    // Edit → Copy: Ctrl+C works where the channel list has the focus.
    QAction *copy = MakeAction(FrameCommand::EditCopy, QStringLiteral("&Copy"), QKeySequence(QKeySequence::Copy),
                               QStringLiteral("Copy the selected channels as tab-separated text"));
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &CMainFrame::EditCopy);
    m_list->addAction(copy);
    if (auto *edit = menuBar()->findChild<QMenu *>(QStringLiteral("editMenu"))) {
        edit->addSeparator();
        edit->addAction(copy);
    }

    QAction *statistics = MakeAction(FrameCommand::ViewStatistics, QStringLiteral("Stat&istics..."), QKeySequence(),
                                     QStringLiteral("Programs, groups, duplicates and room of the open database"));
    connect(statistics, &QAction::triggered, this, &CMainFrame::ViewStatistics);
    if (auto *view = menuBar()->findChild<QMenu *>(QStringLiteral("viewMenu"))) {
        view->addAction(statistics);
        view->addSeparator();
    }
    CreatePlaceColumnToggles();
}

void CMainFrame::CreatePlaceColumnToggles()
{
    // Channels with one name on several transponders are told apart by these; they are the
    // list's own columns, not fields of the layout, and the choice is kept for the next start.
    struct Toggle
    {
        int id;
        PlaceColumn place;
        const char *text;
        const char *key;
        QKeyCombination shortcut;
        const char *tip;
    };
    const Toggle toggles[] = {
        {FrameCommand::ViewSatelliteColumn, PlaceColumn::Satellite, "S&atellite Column", "List/SatelliteColumn",
         Qt::CTRL | Qt::ALT | Qt::Key_S, "Show or hide the satellite of each channel in the list"},
        {FrameCommand::ViewTransponderColumn, PlaceColumn::Transponder, "T&ransponder Column", "List/TransponderColumn",
         Qt::CTRL | Qt::ALT | Qt::Key_X, "Show or hide the transponder of each channel in the list"},
    };
    QMenu *view = menuBar()->findChild<QMenu *>(QStringLiteral("viewMenu"));
    for (const Toggle &toggle : toggles) {
        QAction *action = MakeAction(toggle.id, QString::fromLatin1(toggle.text), QKeySequence(toggle.shortcut),
                                     QString::fromLatin1(toggle.tip));
        action->setCheckable(true);
        addAction(action);  // the key works wherever the focus is in the window
        const QString key = QString::fromLatin1(toggle.key);
        const PlaceColumn place = toggle.place;
        const bool shown = QSettings().value(key, false).toBool();
        action->setChecked(shown);
        m_list->SetPlaceColumnShown(place, shown);
        connect(action, &QAction::toggled, this, [this, key, place](bool on) {
            m_list->SetPlaceColumnShown(place, on);
            QSettings().setValue(key, on);
        });
        if (view)
            view->addAction(action);
    }
    if (view)
        view->addSeparator();
}

void CMainFrame::ToolsFindDuplicates()
{
    if (!IsFileOpen())
        return;
    CDuplicatesDlg::Run(*this, this);
}

void CMainFrame::ToolsApplyOrder()
{
    if (!IsFileOpen())
        return;
    CReferenceOrderDlg::Run(*this, this);
}

void CMainFrame::FileExport(ExportFormat format, ExportScope scope)
{
    if (!IsFileOpen())
        return;
    // The current list as it shows its rows: found and sorted as they are.
    const std::vector<int32_t> slots = scope == ExportScope::CurrentList ? m_list->ShownSlots() : std::vector<int32_t>();
    CFileDlg dialog(FileDialogKind::Save, QString(), HideReadOnly | OverwritePrompt, ExportFilter(format), this);
    dialog.setWindowTitle(QStringLiteral("Export"));
    const QString path = dialog.Run();
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray bytes = ExportBytes(Database(), format, scope, slots);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        Prompt().ShowMessage(QStringLiteral("\"%1\" could not be written: %2")
                                 .arg(QDir::toNativeSeparators(path), file.errorString()),
                             QString(), UserPrompt::Exclamation);
        return;
    }
    statusBar()->showMessage(QStringLiteral("Exported to %1").arg(QDir::toNativeSeparators(path)), 5000);
}

void CMainFrame::FileImportFieldChanges()
{
    if (!IsFileOpen())
        return;
    CFieldImportDlg::Run(*this, this);
}

void CMainFrame::EditCopy()
{
    const QAbstractItemModel *model = m_list->Table()->model();
    const QModelIndexList selected = m_list->Table()->selectionModel()->selectedRows();
    if (!model || selected.isEmpty())
        return;
    QStringList header;
    // The columns as the list shows them: a hidden column is left out.
    std::vector<int> columns;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (!m_list->Table()->isColumnHidden(c))
            columns.push_back(c);
    }
    for (const int c : columns)
        header << model->headerData(c, Qt::Horizontal).toString();
    std::vector<int> rows;
    for (const QModelIndex &index : selected)
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<QStringList> cells;
    cells.reserve(rows.size());
    for (const int row : rows) {
        QStringList line;
        for (const int c : columns)
            line << model->index(row, c).data().toString();
        cells.push_back(line);
    }
    QApplication::clipboard()->setText(TabSeparatedText(header, cells));
}

void CMainFrame::ViewStatistics()
{
    if (!IsFileOpen())
        return;
    CStatisticsDlg::Run(Database(), this);
}
