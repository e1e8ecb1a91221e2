// The Find Duplicates window: groups of programs that are the same service, and which one stays.
#pragma once

#include "database/DuplicateFinder.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class EditorContext;
class QComboBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class CDuplicatesDlg;
}

class CDuplicatesDlg : public QDialog
{
    Q_OBJECT

public:
    CDuplicatesDlg(const CChannelDb &db, QWidget *parent = nullptr);
    ~CDuplicatesDlg() override;

    // Finds the duplicates of the open database and, when the window ends with "Delete the
    // Others", deletes every member not kept and gives each kept one its group's favourite
    // memberships, as one undoable command. True when that command was pushed.
    static bool Run(EditorContext &context, QWidget *parent);

    // Test hook: when set, Run calls the script instead of exec(); the script works the controls
    // and calls accept() or reject(). An empty function restores exec().
    static void SetTestScript(std::function<void(CDuplicatesDlg &)> script);

    QComboBox *KeepRuleCombo() const;
    QTreeWidget *GroupTree() const;
    QPushButton *KeepSelectedButton() const;
    QPushButton *DeleteButton() const;
    QPushButton *CloseButton() const;

    // The groups with the members kept as the window shows them now.
    const std::vector<DuplicateGroup> &Groups() const { return m_groups; }
    KeepRule Rule() const;
    // Makes member `member` of group `group` the one that stays (what ticking its box does).
    void SetKeeper(int group, int member);

private:
    void FillTree();
    void ApplyRule();
    void UpdateKeepTexts(int group);
    void KeepSelected();
    void OnItemChanged(QTreeWidgetItem *item, int column);

    std::unique_ptr<Ui::CDuplicatesDlg> m_ui;
    std::vector<ProgramFacts> m_programs;
    std::unordered_map<int32_t, int> m_channelNumbers;
    std::vector<DuplicateGroup> m_groups;
    bool m_filling = false;
};
