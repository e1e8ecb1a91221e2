// The "TP Information" dialog: edits a transponder of the navigator or enters a new one.
#pragma once

#include "editors/TpInfoForm.h"

#include "editors/CNodeDialog.h"

#include <functional>
#include <memory>

class EditorContext;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct NavNode;

namespace Ui {
class CTpInfoDlg;
}

class CTpInfoDlg : public CNodeDialog
{
    Q_OBJECT

public:
    // How the dialog ended.

    CTpInfoDlg(EditorContext &context, NavNode &node, TpInfoMode mode, int ordinal, QWidget *parent = nullptr);
    ~CTpInfoDlg() override;

    // Opens the dialog modally on the node (mode TpInfoNew with the new transponder's ordinal
    // among its satellite's transponders, or TpInfoEdit) and, after OK, writes the transponder
    // as one undoable command on the document's stack. True when it ended with OK and the record
    // was written. The node is not touched (the tree follows the document, and may have freed the
    // node by the time Run returns). A new transponder without a free id or room in the database
    // is refused with a message before the dialog opens or at writing; nothing is created then.
    static bool Run(EditorContext &context, NavNode &node, TpInfoMode mode, int ordinal, QWidget *parent);

    // Test hook: when set, Run calls the script instead of exec(); the script sets the controls
    // and calls accept() or reject(). An empty function restores exec().
    static void SetTestScript(std::function<void(CTpInfoDlg &)> script);

    TpInfoMode Mode() const { return m_mode; }
    QLineEdit *TpNameEdit() const;
    QLineEdit *FrequencyEdit() const;
    QComboBox *PolarizationCombo() const;
    QLineEdit *SecondValueEdit() const;
    QLabel *SecondValueLabel() const;
    QPushButton *ResetButton() const;
    QPushButton *OkButton() const;
    QPushButton *CancelButton() const;

public Q_SLOTS:
    void accept() override;

protected:

private:
    void FillPolarizationList();
    // New mode prepares a new transponder, edit mode loads the stored one; then the controls show it.
    void Initialise();
    void Show(const TpInfoValues &values);
    // The values of the controls; false (message shown, field focused) when an entry is no integer.
    bool TakeValues(TpInfoValues &values);
    void FocusField(QLineEdit *edit);
    QLineEdit *EditOf(int controlId) const;

    std::unique_ptr<Ui::CTpInfoDlg> m_ui;
    EditorContext &m_context;
    int32_t m_frequency = 0;
    int32_t m_secondValue = 0;
    int m_ordinal = 0;
    NavNode &m_node;
    TpInfoMode m_mode = TpInfoNew;
};
