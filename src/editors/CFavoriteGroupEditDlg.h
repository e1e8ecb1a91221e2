// The "Favorite Group Edit" dialog: which programs of the database belong to one favourite group.
#pragma once

#include "editors/FavoriteGroupEditForm.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class EditorContext;
class QPushButton;
class QTreeWidget;
struct NavNode;

namespace Ui {
class CFavoriteGroupEditDlg;
}

class CFavoriteGroupEditDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kSlotRole = Qt::UserRole;   // item data: the row's program slot

    CFavoriteGroupEditDlg(EditorContext &context, const NavNode &node, QWidget *parent = nullptr);
    ~CFavoriteGroupEditDlg() override;

    // Opens the dialog modally on a favourite-group node (its index is the group number 1..32)
    // and, after OK, writes every row's membership bit into its program's "Favorite Group" as
    // one undoable command on the document's stack. True when it ended with OK.
    static bool Run(EditorContext &context, NavNode &node, QWidget *parent);

    // Test hook: when set, Run calls the script instead of exec(); the script selects rows,
    // presses the buttons and calls accept() or reject(). An empty function restores exec().
    static void SetTestScript(std::function<void(CFavoriteGroupEditDlg &)> script);

    int Group() const { return m_group; }
    QTreeWidget *List() const;
    QPushButton *AddButton() const;
    QPushButton *RemoveButton() const;
    QPushButton *OkButton() const;
    QPushButton *CancelButton() const;

    // The rows as the list now shows them.
    std::vector<FavoriteGroupRow> Rows() const;

private:
    void FillRows();
    // Add and Remove: the member column of every selected row.
    void MarkSelected(bool member);

    std::unique_ptr<Ui::CFavoriteGroupEditDlg> m_ui;
    EditorContext &m_context;
    int m_group = 0;
};
