// The satellite dialog's window: moves values between its controls and SatelliteInfoForm.
#include "editors/CSatelliteInfoDlg.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "document/NavNode.h"
#include "layout/FieldDesc.h"
#include "document/RecordedEdit.h"
#include "document/EditorContext.h"
#include "widgets/ScriptedModal.h"

#include "ui_CSatelliteInfoDlg.h"

#include <QCloseEvent>
#include <QUndoStack>

namespace {

std::function<void(CSatelliteInfoDlg &)> g_testScript;

} // namespace

CSatelliteInfoDlg::CSatelliteInfoDlg(EditorContext &context, NavNode &node, SatelliteInfoMode mode, QWidget *parent)
    : CNodeDialog(parent), m_ui(std::make_unique<Ui::CSatelliteInfoDlg>()), m_context(context), m_node(node),
      m_mode(mode)
{
    m_ui->setupUi(this);
    m_ui->nameEdit->setMaxLength(SatelliteInfoForm::NameCapacity(context.Database()));
    connect(m_ui->okButton, &QPushButton::clicked, this, &CSatelliteInfoDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CSatelliteInfoDlg::reject);
    connect(m_ui->resetButton, &QPushButton::clicked, this, &CSatelliteInfoDlg::OnReset);
    connect(m_ui->lnbTypeCombo, &QComboBox::currentIndexChanged, this, &CSatelliteInfoDlg::OnLnbTypeChanged);
    LoadOrPrepare();
    ShowValues();
}

CSatelliteInfoDlg::~CSatelliteInfoDlg() = default;

void CSatelliteInfoDlg::SetTestScript(std::function<void(CSatelliteInfoDlg &)> script)
{
    g_testScript = std::move(script);
}

void CSatelliteInfoDlg::LoadOrPrepare()
{
    if (m_mode == SatelliteInfoMode::New) {
        SatelliteInfoForm::Prepare(m_values);
        return;
    }
    bool orbitOutOfRange = false;
    SatelliteInfoForm::Load(m_context.Database(), m_node, m_values, orbitOutOfRange);
    if (orbitOutOfRange)
        m_context.Prompt().ShowMessage(QStringLiteral("BUG"));
}

void CSatelliteInfoDlg::ShowTable(QComboBox *combo, const SatelliteListTable &table, int row)
{
    combo->clear();
    for (const SatelliteListRow &entry : table)
        combo->addItem(entry.text, entry.value);
    combo->setCurrentIndex(row >= 0 && size_t(row) < table.size() ? row : -1);
}

void CSatelliteInfoDlg::ShowValues()
{
    m_showing = true;
    const SatelliteInfoValues &v = m_values;
    m_ui->nameEdit->setText(v.name);
    m_ui->selectedCheck->setChecked(v.selected);
    m_ui->tunerCombo->setCurrentIndex(v.tunerRow >= 0 && v.tunerRow < m_ui->tunerCombo->count() ? v.tunerRow : -1);
    ShowTable(m_ui->lnbTypeCombo, LnbTypeTable(), v.lnbTypeRow);
    ShowTable(m_ui->firstFrequencyCombo, LnbFrequencyTable(), v.firstFrequencyRow);
    if (v.secondFrequencyFilled)
        ShowTable(m_ui->secondFrequencyCombo, LnbFrequencyTable(), v.secondFrequencyRow);
    else
        m_ui->secondFrequencyCombo->clear();
    m_ui->positionEdit->setText(QString::number(v.position));
    ShowTable(m_ui->eastWestCombo, EastWestTable(), v.eastWestRow);
    ShowTable(m_ui->diseqcCombo, DiseqcTable(), v.diseqcRow);
    ShowTable(m_ui->k22Combo, K22Table(), v.k22Row);
    ShowTable(m_ui->v12Combo, V12Table(), v.v12Row);
    ShowTable(m_ui->toneburstCombo, ToneburstTable(), v.toneburstRow);
    m_ui->longitudeEdit->setText(SatelliteInfoForm::FormatLongitude(v.longitude));

    // The terrestrial satellite is shown read-only.
    for (QWidget *input : {static_cast<QWidget *>(m_ui->nameEdit), static_cast<QWidget *>(m_ui->selectedCheck),
                           static_cast<QWidget *>(m_ui->tunerCombo), static_cast<QWidget *>(m_ui->lnbTypeCombo),
                           static_cast<QWidget *>(m_ui->firstFrequencyCombo),
                           static_cast<QWidget *>(m_ui->positionEdit), static_cast<QWidget *>(m_ui->longitudeEdit),
                           static_cast<QWidget *>(m_ui->eastWestCombo), static_cast<QWidget *>(m_ui->diseqcCombo),
                           static_cast<QWidget *>(m_ui->k22Combo), static_cast<QWidget *>(m_ui->v12Combo),
                           static_cast<QWidget *>(m_ui->toneburstCombo)})
        input->setEnabled(v.inputsEnabled);
    m_ui->secondFrequencyCombo->setEnabled(v.secondFrequencyEnabled);
    m_showing = false;
}

void CSatelliteInfoDlg::TakeValues()
{
    SatelliteInfoValues &v = m_values;
    v.name = m_ui->nameEdit->text();
    v.selected = m_ui->selectedCheck->isChecked();
    v.tunerRow = m_ui->tunerCombo->currentIndex();
    v.lnbTypeRow = m_ui->lnbTypeCombo->currentIndex();
    v.firstFrequencyRow = m_ui->firstFrequencyCombo->currentIndex();
    v.secondFrequencyFilled = m_ui->secondFrequencyCombo->count() > 0;
    v.secondFrequencyRow = m_ui->secondFrequencyCombo->currentIndex();
    v.secondFrequencyEnabled = m_ui->secondFrequencyCombo->isEnabled();
    v.eastWestRow = m_ui->eastWestCombo->currentIndex();
    v.diseqcRow = m_ui->diseqcCombo->currentIndex();
    v.k22Row = m_ui->k22Combo->currentIndex();
    v.v12Row = m_ui->v12Combo->currentIndex();
    v.toneburstRow = m_ui->toneburstCombo->currentIndex();
}

void CSatelliteInfoDlg::OnLnbTypeChanged(int row)
{
    if (m_showing || row < 0)
        return;
    TakeValues();
    SatelliteInfoForm::ChooseLnbType(m_values, row);
    m_showing = true;
    ShowTable(m_ui->firstFrequencyCombo, LnbFrequencyTable(), m_values.firstFrequencyRow);
    if (m_values.secondFrequencyFilled)
        ShowTable(m_ui->secondFrequencyCombo, LnbFrequencyTable(), m_values.secondFrequencyRow);
    else
        m_ui->secondFrequencyCombo->clear();
    m_ui->secondFrequencyCombo->setEnabled(m_values.secondFrequencyEnabled);
    m_showing = false;
}

void CSatelliteInfoDlg::OnReset()
{
    LoadOrPrepare();
    ShowValues();
}

void CSatelliteInfoDlg::FocusControl(SatelliteInfoControl control)
{
    QLineEdit *edit = nullptr;
    switch (control) {
    case SatelliteInfoControl::Name:
        edit = m_ui->nameEdit;
        break;
    case SatelliteInfoControl::Position:
        edit = m_ui->positionEdit;
        break;
    case SatelliteInfoControl::Longitude:
        edit = m_ui->longitudeEdit;
        break;
    case SatelliteInfoControl::None:
        return;
    }
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void CSatelliteInfoDlg::accept()
{
    TakeValues();
    const std::optional<FieldProblem> problem =
        SatelliteInfoForm::Validate(m_ui->positionEdit->text(), m_ui->longitudeEdit->text(),
                                    SatelliteInfoForm::NameCapacity(m_context.Database()), m_values);
    if (problem) {
        m_context.Prompt().ShowMessage(problem->message);
        FocusControl(SatelliteInfoControl(problem->controlId));
        return;
    }
    AcceptChecked();
}

bool CSatelliteInfoDlg::WriteSatellite()
{
    CChannelDb &db = m_context.Database();
    // The form works on a copy: the tree's node follows the database once the command is applied.
    NavNode written = m_node;
    SatelliteWriteOutcome outcome = SatelliteInfoForm::Write(db, written, m_mode, m_values);
    if (!outcome.written) {
        m_context.Prompt().ShowMessage(outcome.message);
        return false;
    }
    const QString text = outcome.created ? QStringLiteral("Add Satellite") : QStringLiteral("Edit Satellite");
    return PushRecordedEdit(m_context.Document(), text,
                            {{KindSatellite, outcome.slot, outcome.created, std::move(outcome.before)}});
}

bool CSatelliteInfoDlg::Run(EditorContext &context, NavNode &node, SatelliteInfoMode mode, QWidget *parent)
{
    if (mode == SatelliteInfoMode::New) {
        const QString refusal = SatelliteInfoForm::CheckNewSatellite(context.Database());
        if (!refusal.isEmpty()) {
            context.Prompt().ShowMessage(refusal);
            return false;
        }
    }
    CSatelliteInfoDlg dialog(context, node, mode, parent);
    ExecOrScript(dialog, g_testScript);
    if (!dialog.EndedWithOk())
        return false;
    return dialog.WriteSatellite();
}
