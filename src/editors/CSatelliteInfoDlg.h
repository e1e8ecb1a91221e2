// The "Satellite Information" dialog (141): edits a satellite record or enters a new one.
#pragma once

#include "editors/SatelliteInfoForm.h"
#include "editors/SatelliteInfoTables.h"

#include "editors/CNodeDialog.h"

#include <functional>
#include <memory>

class EditorContext;
class QComboBox;
struct NavNode;

namespace Ui {
class CSatelliteInfoDlg;
}

class CSatelliteInfoDlg : public CNodeDialog
{
    Q_OBJECT

public:
    CSatelliteInfoDlg(EditorContext &context, NavNode &node, SatelliteInfoMode mode, QWidget *parent = nullptr);
    ~CSatelliteInfoDlg() override;

    // Opens the dialog modally on the node. Edit: the node is the satellite's; on OK its record
    // is rewritten. New: the node is empty; when no satellite id is free the dialog is not shown
    // (a message says why); on OK a record is created. Either way the writes become one command
    // on the document's undo stack; the node is not touched (the tree follows the document, and
    // may have freed the node by the time Run returns). True when the record was written.
    static bool Run(EditorContext &context, NavNode &node, SatelliteInfoMode mode, QWidget *parent);

    // Test hook: while set, Run calls the script instead of exec(); the script sets controls and
    // calls accept() or reject(). An empty function restores exec().
    static void SetTestScript(std::function<void(CSatelliteInfoDlg &)> script);

    // The child control whose controlId property is `controlId`, or null.
    const SatelliteInfoValues &Values() const { return m_values; }

public Q_SLOTS:
    void accept() override;

protected:

private:
    void LoadOrPrepare();
    void ShowValues();
    void TakeValues();
    void OnLnbTypeChanged(int row);
    void OnReset();
    void FocusControl(SatelliteInfoControl control);
    bool WriteSatellite();
    static void ShowTable(QComboBox *combo, const SatelliteListTable &table, int row);

    std::unique_ptr<Ui::CSatelliteInfoDlg> m_ui;
    EditorContext &m_context;
    NavNode &m_node;
    SatelliteInfoMode m_mode;
    SatelliteInfoValues m_values;
    bool m_showing = false;  // controls are being set from the values, not by the user
};
