// The "Edit N Channels" dialog: the fields several selected programs share, changed in one go.
#pragma once

#include "editors/ProgramsEditForm.h"

#include "editors/CNodeDialog.h"

#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class CProgramsEditDlg;
}

class EditorContext;
class QComboBox;
class UserPrompt;

class CProgramsEditDlg : public CNodeDialog
{
    Q_OBJECT

public:
    CProgramsEditDlg(ProgramsEditForm &form, UserPrompt &prompt, QWidget *parent = nullptr);
    ~CProgramsEditDlg() override;

    // Opens the dialog on the programs in these program-table slots (free ones are dropped; with
    // none left nothing opens). On OK every program record the choice changes becomes part of ONE
    // command "Edit Channels" on the document's undo stack. True when the database was changed.
    static bool Run(EditorContext &context, const std::vector<int32_t> &slots, const FavouriteNameTable &groupNames,
                    QWidget *parent);

    // Test hook: while set, Run calls the script with the dialog instead of exec(); the script
    // sets controls and calls accept() or reject().
    static void SetTestScript(std::function<void(CProgramsEditDlg &)> script);

    Ui::CProgramsEditDlg &Controls() { return *m_ui; }
    ProgramsEditForm &Form() { return m_form; }
    // What the controls show now: combo entry 0 and a partly ticked group leave the programs alone.
    ProgramsEditValues Values() const;
    // The values OK accepted.
    const ProgramsEditValues &AcceptedValues() const { return m_accepted; }

public Q_SLOTS:
    void accept() override;

private:
    void FillControls();
    void ShowValues(const ProgramsEditValues &values);

    std::unique_ptr<Ui::CProgramsEditDlg> m_ui;
    ProgramsEditForm &m_form;
    UserPrompt &m_prompt;
    ProgramsEditValues m_accepted;
};
