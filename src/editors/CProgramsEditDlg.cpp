// The "Edit N Channels" dialog: moves values between its controls and ProgramsEditForm.
#include "editors/CProgramsEditDlg.h"

#include "ui_CProgramsEditDlg.h"

#include "core/UserPrompt.h"
#include "database/FavouriteGroups.h"
#include "document/DatabaseEditCommand.h"
#include "document/EditorContext.h"
#include "widgets/ScriptedModal.h"

#include <utility>

namespace {

std::function<void(CProgramsEditDlg &)> g_testScript;

// Entry 0 of every list leaves each program's own value; entry r + 1 is row r of the table.
template <size_t N>
void FillCombo(QComboBox *combo, const std::array<ProgramListRow, N> &table)
{
    combo->clear();
    combo->addItem(QStringLiteral("(unchanged)"), SharedChoice::kUnchanged);
    for (size_t row = 0; row < N; ++row)
        combo->addItem(QString::fromLatin1(table[row].text), int(row));
}

void ShowChoice(QComboBox *combo, QWidget *label, const SharedChoice &choice)
{
    // A field the layout lacks is not offered at all.
    combo->setVisible(choice.offered);
    label->setVisible(choice.offered);
    combo->setCurrentIndex(choice.row + 1);
}

int ChosenRow(const QComboBox *combo)
{
    // No entry chosen (a test may clear it) is no choice either.
    return combo->currentIndex() < 0 ? SharedChoice::kUnchanged : combo->currentData().toInt();
}

Qt::CheckState CheckStateOf(GroupShare share)
{
    switch (share) {
    case GroupShare::AllIn:
        return Qt::Checked;
    case GroupShare::NoneIn:
        return Qt::Unchecked;
    case GroupShare::SomeIn:
        break;
    }
    return Qt::PartiallyChecked;
}

GroupShare ShareOf(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked:
        return GroupShare::AllIn;
    case Qt::Unchecked:
        return GroupShare::NoneIn;
    case Qt::PartiallyChecked:
        break;
    }
    return GroupShare::SomeIn;
}

} // namespace

CProgramsEditDlg::CProgramsEditDlg(ProgramsEditForm &form, UserPrompt &prompt, QWidget *parent)
    : CNodeDialog(parent), m_ui(std::make_unique<Ui::CProgramsEditDlg>()), m_form(form), m_prompt(prompt)
{
    m_ui->setupUi(this);
    const int count = m_form.ProgramCount();
    setWindowTitle(count == 1 ? QStringLiteral("Edit 1 Channel") : QStringLiteral("Edit %1 Channels").arg(count));
    connect(m_ui->okButton, &QPushButton::clicked, this, &CProgramsEditDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CProgramsEditDlg::reject);
    FillControls();
    ShowValues(m_form.Shared());
}

CProgramsEditDlg::~CProgramsEditDlg() = default;

void CProgramsEditDlg::SetTestScript(std::function<void(CProgramsEditDlg &)> script)
{
    g_testScript = std::move(script);
}

void CProgramsEditDlg::FillControls()
{
    FillCombo(m_ui->channelTypeCombo, ServiceTypeTable);
    FillCombo(m_ui->scrambleCombo, NoYesTable);
    FillCombo(m_ui->factoryCombo, NoYesTable);
    m_ui->groupList->clear();
    const FavouriteNameTable &names = m_form.GroupNames();
    for (int i = 0; i < kGroupItemCount; ++i) {
        // A group without a name still needs a text a screen reader can say.
        const std::string &name = names[size_t(i)].name;
        auto *item = new QListWidgetItem(name.empty() ? FavouriteGroups::DefaultName(i) : QString::fromStdString(name),
                                         m_ui->groupList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
}

void CProgramsEditDlg::ShowValues(const ProgramsEditValues &values)
{
    ShowChoice(m_ui->channelTypeCombo, m_ui->channelTypeLabel, values.channelType);
    ShowChoice(m_ui->scrambleCombo, m_ui->scrambleLabel, values.scramble);
    ShowChoice(m_ui->factoryCombo, m_ui->factoryLabel, values.factory);
    m_ui->groupList->setVisible(values.groupsOffered);
    m_ui->groupLabel->setVisible(values.groupsOffered);
    for (int i = 0; i < kGroupItemCount; ++i) {
        QListWidgetItem *item = m_ui->groupList->item(i);
        const GroupShare share = values.groups[size_t(i)];
        // Only a group some of the programs are in can go back to "leave it as it is".
        item->setFlags(share == GroupShare::SomeIn ? item->flags() | Qt::ItemIsUserTristate
                                                   : item->flags() & ~Qt::ItemIsUserTristate);
        item->setCheckState(CheckStateOf(share));
    }
}

ProgramsEditValues CProgramsEditDlg::Values() const
{
    ProgramsEditValues values = m_form.Shared();
    values.channelType.row = ChosenRow(m_ui->channelTypeCombo);
    values.scramble.row = ChosenRow(m_ui->scrambleCombo);
    values.factory.row = ChosenRow(m_ui->factoryCombo);
    for (int i = 0; i < kGroupItemCount; ++i)
        values.groups[size_t(i)] = ShareOf(m_ui->groupList->item(i)->checkState());
    return values;
}

void CProgramsEditDlg::accept()
{
    const ProgramsEditValues values = Values();
    if (const std::optional<FieldProblem> problem = m_form.Validate(values)) {
        m_prompt.ShowMessage(problem->message);
        if (QWidget *control = ControlById(problem->controlId))
            control->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_accepted = values;
    AcceptChecked();
}

bool CProgramsEditDlg::Run(EditorContext &context, const std::vector<int32_t> &slots, const FavouriteNameTable &groupNames,
                           QWidget *parent)
{
    ProgramsEditForm form(context.Database(), slots, groupNames);
    if (form.ProgramCount() == 0)
        return false;
    CProgramsEditDlg dialog(form, context.Prompt(), parent);
    ExecOrScript(dialog, g_testScript);
    if (dialog.EndFlag() != EndedOk)
        return false;
    std::optional<DatabaseEdit> edit = form.Edit(dialog.AcceptedValues());
    if (!edit)
        return false;
    return DatabaseEditCommand::Push(context.Document(), QStringLiteral("Edit Channels"), std::move(*edit));
}
