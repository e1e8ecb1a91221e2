// The "TP Information" dialog: moves a transponder's values between its controls and TpInfoForm.
#include "editors/CTpInfoDlg.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "document/NavNode.h"
#include "layout/FieldDesc.h"
#include "document/RecordedEdit.h"
#include "document/EditorContext.h"
#include "widgets/ScriptedModal.h"

#include "ui_CTpInfoDlg.h"

#include <QCloseEvent>
#include <QUndoStack>

namespace {

std::function<void(CTpInfoDlg &)> g_testScript;

} // namespace

CTpInfoDlg::CTpInfoDlg(EditorContext &context, NavNode &node, TpInfoMode mode, int ordinal, QWidget *parent)
    : CNodeDialog(parent), m_ui(std::make_unique<Ui::CTpInfoDlg>()), m_context(context), m_ordinal(ordinal),
      m_node(node), m_mode(mode)
{
    m_ui->setupUi(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, &CTpInfoDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CTpInfoDlg::reject);
    connect(m_ui->resetButton, &QPushButton::clicked, this, &CTpInfoDlg::Initialise);
    Initialise();
}

CTpInfoDlg::~CTpInfoDlg() = default;

QLineEdit *CTpInfoDlg::TpNameEdit() const { return m_ui->tpNameEdit; }
QLineEdit *CTpInfoDlg::FrequencyEdit() const { return m_ui->frequencyEdit; }
QComboBox *CTpInfoDlg::PolarizationCombo() const { return m_ui->polarizationCombo; }
QLineEdit *CTpInfoDlg::SecondValueEdit() const { return m_ui->secondValueEdit; }
QLabel *CTpInfoDlg::SecondValueLabel() const { return m_ui->secondValueLabel; }
QPushButton *CTpInfoDlg::ResetButton() const { return m_ui->resetButton; }
QPushButton *CTpInfoDlg::OkButton() const { return m_ui->okButton; }
QPushButton *CTpInfoDlg::CancelButton() const { return m_ui->cancelButton; }

void CTpInfoDlg::SetTestScript(std::function<void(CTpInfoDlg &)> script)
{
    g_testScript = std::move(script);
}

void CTpInfoDlg::FillPolarizationList()
{
    m_ui->polarizationCombo->clear();
    for (const PolarizationRow &row : PolarizationTable)
        m_ui->polarizationCombo->addItem(QString::fromLatin1(row.text), row.value);
}

void CTpInfoDlg::Initialise()
{
    FillPolarizationList();
    m_ui->tpNameEdit->setEnabled(false);
    if (m_mode == TpInfoNew) {
        Show(TpInfoForm::PrepareNew(m_node, m_ordinal));
        return;
    }
    const LoadedTransponder loaded = TpInfoForm::Load(m_context.Database(), m_node);
    if (loaded.fields != TpValueFields::Unchosen) {
        const bool terrestrial = loaded.fields == TpValueFields::Terrestrial;
        m_ui->polarizationCombo->setEnabled(!terrestrial);
        m_ui->secondValueLabel->setText(terrestrial ? QStringLiteral("Band Width") : QStringLiteral("Symbol Rate"));
        m_ui->frequencyEdit->setEnabled(!terrestrial);
        m_ui->secondValueEdit->setEnabled(!terrestrial);
    }
    Show(loaded.values);
}

void CTpInfoDlg::Show(const TpInfoValues &values)
{
    m_frequency = values.frequency;
    m_secondValue = values.secondValue;
    m_ui->tpNameEdit->setText(values.label);
    m_ui->frequencyEdit->setText(QString::number(values.frequency));
    m_ui->polarizationCombo->setCurrentIndex(values.polarizationRow);
    m_ui->secondValueEdit->setText(QString::number(values.secondValue));
}

QLineEdit *CTpInfoDlg::EditOf(int controlId) const
{
    return controlId == SecondValueControl ? m_ui->secondValueEdit : m_ui->frequencyEdit;
}

void CTpInfoDlg::FocusField(QLineEdit *edit)
{
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

bool CTpInfoDlg::TakeValues(TpInfoValues &values)
{
    for (QLineEdit *edit : {m_ui->frequencyEdit, m_ui->secondValueEdit}) {
        const std::optional<int32_t> value = TpInfoForm::ParseInteger(edit->text());
        if (!value) {
            m_context.Prompt().ShowMessage(TpInfoForm::IntegerMessage());
            FocusField(edit);
            return false;
        }
        (edit == m_ui->frequencyEdit ? m_frequency : m_secondValue) = *value;
    }
    values.label = m_ui->tpNameEdit->text();
    values.frequency = m_frequency;
    values.secondValue = m_secondValue;
    values.polarizationRow = m_ui->polarizationCombo->currentIndex();
    return true;
}

void CTpInfoDlg::accept()
{
    TpInfoValues values;
    if (!TakeValues(values))
        return;
    if (!m_node.parent)
        m_context.Prompt().ShowMessage(QStringLiteral("nItemFather = NULL"));
    std::optional<TpInfoProblem> problem = TpInfoForm::Validate(values, m_node.satId);
    if (!problem)
        problem = TpInfoForm::CheckFits(m_context.Database(), values, m_node.satId);
    if (problem) {
        m_context.Prompt().ShowMessage(problem->message);
        FocusField(EditOf(problem->controlId));
        return;
    }
    AcceptChecked();
}

bool CTpInfoDlg::Run(EditorContext &context, NavNode &node, TpInfoMode mode, int ordinal, QWidget *parent)
{
    CChannelDb &db = context.Database();
    if (mode == TpInfoNew) {
        // Say it before the user types values that could not be stored.
        const QString refusal = TpInfoForm::CheckRoomForNew(db, node.satId);
        if (!refusal.isEmpty()) {
            context.Prompt().ShowMessage(refusal);
            return false;
        }
    } else if (!db.IsUsed(KindTransponder, node.index)) {
        return false;
    }

    CTpInfoDlg dialog(context, node, mode, ordinal, parent);
    ExecOrScript(dialog, g_testScript);
    if (!dialog.EndedWithOk())
        return false;

    TpInfoValues values;
    if (!dialog.TakeValues(values))
        return false;
    // The form works on a copy: the tree's node follows the database once the command is applied.
    NavNode written = node;
    TpWriteOutcome outcome = TpInfoForm::Write(db, written, mode, values);
    if (!outcome.written) {
        if (!outcome.message.isEmpty())
            context.Prompt().ShowMessage(outcome.message);
        return false;
    }
    const QString text = outcome.created ? QStringLiteral("Add Transponder") : QStringLiteral("Edit Transponder");
    if (!PushRecordedEdit(context.Document(), text,
                          {{KindTransponder, outcome.slot, outcome.created, std::move(outcome.before)}})) {
        context.Prompt().ShowMessage(QStringLiteral("The transponder could not be stored in the database."));
        return false;
    }
    return true;
}
