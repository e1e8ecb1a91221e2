// The "Program Information" dialog (140): edits one program or enters a new one under a transponder.
#pragma once

#include "editors/ProgramInfoForm.h"

#include "editors/CNodeDialog.h"
#include <QIcon>

#include <functional>
#include <memory>

namespace Ui {
class CProgramInfoDlg;
}

class EditorContext;
class QLineEdit;
class QStandardItemModel;
class UserPrompt;

class CProgramInfoDlg : public CNodeDialog
{
    Q_OBJECT

public:
    // How the dialog ended: Cancel, OK, or the window's close box.

    CProgramInfoDlg(ProgramInfoForm &form, UserPrompt &prompt, QWidget *parent = nullptr);
    ~CProgramInfoDlg() override;

    // Opens the dialog on the program at `index` of the node's slot list (mode 1, edit) or to
    // insert a new program there (mode 2; the node is a transponder). `serviceFilter` and
    // `groupNames` are the channel list's. On OK the writes become one command on the document's
    // undo stack; a new program takes its place in the program table right where it was inserted
    // (before the program that was at `index`), so the list, the file and the receiver agree.
    // True when the database was changed.
    static bool Run(EditorContext &context, NavNode &node, ProgramDialogMode mode, int index, ServiceFilter serviceFilter,
                    const FavouriteNameTable &groupNames, QWidget *parent);

    // Test hook: while set, Run calls the script with the dialog instead of exec(); the script
    // sets controls and calls accept() or reject().
    static void SetTestScript(std::function<void(CProgramInfoDlg &)> script);

    Ui::CProgramInfoDlg &Controls() { return *m_ui; }
    ProgramInfoForm &Form() { return m_form; }
    // The values OK took from the controls (after its Service ID rule).
    const ProgramValues &AcceptedValues() const { return m_accepted; }

    // What a click on group item `item` of the open list does: ticks or unticks it.
    void ToggleGroupItem(int item);
    bool GroupItemTicked(int item) const;
    // The control with this id, or null.

public Q_SLOTS:
    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FillLists();
    void ApplyEnables(const ProgramValues &values);
    void ShowValues(const ProgramValues &values);
    // Data exchange: the values in the controls, or nullopt after the message for a bad entry.
    std::optional<ProgramValues> TakeValues();
    void FocusField(int controlId);
    void OnReset();
    void OnChannelTypeActivated(int row);
    void OnServiceIdChanged(const QString &text);
    QIcon CheckImage(bool ticked) const;
    QList<QLineEdit *> PidEdits() const;

    std::unique_ptr<Ui::CProgramInfoDlg> m_ui;
    ProgramInfoForm &m_form;
    UserPrompt &m_prompt;
    QStandardItemModel *m_groupModel = nullptr;
    std::array<QIcon, 2> m_groupImages;  // 0 an empty box, 1 a box with a tick
    ProgramValues m_accepted;
    bool m_pressInGroupList = false;  // the left button went down inside the open group list
};
