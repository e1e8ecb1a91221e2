// The main window's list tools: the Tools menu and what its entries open.
#include "shell/CMainFrame.h"

#include "lists/CDuplicatesDlg.h"
#include "lists/CReferenceOrderDlg.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

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

    auto *tools = new QMenu(QStringLiteral("Tools(&T)"), menuBar());
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
