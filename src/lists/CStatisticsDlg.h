// The Statistics window: the figures of the open database, by section.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class CChannelDb;
class QTreeWidget;

namespace Ui {
class CStatisticsDlg;
}

class CStatisticsDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CStatisticsDlg(const CChannelDb &db, QWidget *parent = nullptr);
    ~CStatisticsDlg() override;

    // Shows the figures of the database until the window is closed.
    static void Run(const CChannelDb &db, QWidget *parent);
    // Test hook: when set, Run calls the script instead of exec(). An empty function restores exec().
    static void SetTestScript(std::function<void(CStatisticsDlg &)> script);

    QTreeWidget *StatisticsTree() const;

private:
    std::unique_ptr<Ui::CStatisticsDlg> m_ui;
};
