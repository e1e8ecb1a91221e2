// The "Program Information" dialog: moves values between its controls and ProgramInfoForm.
#include "editors/CProgramInfoDlg.h"

#include "ui_CProgramInfoDlg.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "layout/FieldDesc.h"
#include "database/SlotLists.h"
#include "document/RecordedEdit.h"
#include "document/EditorContext.h"
#include "widgets/ScriptedModal.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleOptionButton>
#include <QUndoStack>

#include <utility>

namespace {

std::function<void(CProgramInfoDlg &)> g_testScript;

// Item data of the group list beside the text and image.
constexpr int kGroupValueRole = Qt::UserRole;
constexpr int kGroupTickedRole = Qt::UserRole + 1;

void SetTextIfChanged(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}

template <size_t N>
void FillCombo(QComboBox *combo, const std::array<ProgramListRow, N> &table)
{
    combo->clear();
    for (const ProgramListRow &row : table)
        combo->addItem(QString::fromLatin1(row.text), row.value);
    combo->setCurrentIndex(-1);
}

} // namespace

CProgramInfoDlg::CProgramInfoDlg(ProgramInfoForm &form, UserPrompt &prompt, QWidget *parent)
    : CNodeDialog(parent), m_ui(std::make_unique<Ui::CProgramInfoDlg>()), m_form(form), m_prompt(prompt)
{
    m_ui->setupUi(this);
    m_groupImages = {CheckImage(false), CheckImage(true)};
    m_groupModel = new QStandardItemModel(this);
    m_ui->groupCombo->setModel(m_groupModel);
    m_ui->groupCombo->setIconSize(QSize(16, 16));
    // A click on a group in the open list ticks or unticks it; Space does the same for keyboard
    // users, while choosing with the arrow keys and Enter leaves the ticks alone.
    m_ui->groupCombo->view()->viewport()->installEventFilter(this);
    m_ui->groupCombo->view()->installEventFilter(this);

    m_ui->nameEdit->setMaxLength(m_form.NameCapacity());
    m_ui->nameEdit->setEnabled(m_form.HasNameField());

    connect(m_ui->okButton, &QPushButton::clicked, this, &CProgramInfoDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CProgramInfoDlg::reject);
    connect(m_ui->resetButton, &QPushButton::clicked, this, &CProgramInfoDlg::OnReset);
    connect(m_ui->channelTypeCombo, &QComboBox::activated, this, &CProgramInfoDlg::OnChannelTypeActivated);
    connect(m_ui->serviceIdEdit, &QLineEdit::textChanged, this, &CProgramInfoDlg::OnServiceIdChanged);

    m_form.Initialise();
    FillLists();
    ApplyEnables(m_form.Values());
    ShowValues(m_form.Values());
}

CProgramInfoDlg::~CProgramInfoDlg() = default;

void CProgramInfoDlg::SetTestScript(std::function<void(CProgramInfoDlg &)> script)
{
    g_testScript = std::move(script);
}

QIcon CProgramInfoDlg::CheckImage(bool ticked) const
{
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QStyleOptionButton option;
    option.rect = QRect(1, 1, 14, 14);
    option.state = QStyle::State_Enabled | (ticked ? QStyle::State_On : QStyle::State_Off);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
    return QIcon(image);
}

QList<QLineEdit *> CProgramInfoDlg::PidEdits() const
{
    return {m_ui->videoPidEdit, m_ui->audioPid1Edit, m_ui->audioPid2Edit, m_ui->audioPid3Edit, m_ui->pcrPidEdit};
}

void CProgramInfoDlg::FillLists()
{
    FillCombo(m_ui->channelTypeCombo, ServiceTypeTable);
    FillCombo(m_ui->scrambleCombo, NoYesTable);
    FillCombo(m_ui->factoryCombo, NoYesTable);
    m_groupModel->clear();
    const FavouriteNameTable &names = m_form.GroupNames();
    for (int i = 0; i < kGroupItemCount; ++i) {
        auto *item = new QStandardItem(m_groupImages[0], QString::fromStdString(names[size_t(i)].name));
        item->setData(m_form.GroupValue(i), kGroupValueRole);
        item->setData(false, kGroupTickedRole);
        item->setData(QStringLiteral("not ticked"), Qt::AccessibleDescriptionRole);
        item->setEditable(false);
        m_groupModel->appendRow(item);
    }
    m_ui->groupCombo->setCurrentIndex(-1);
}

void CProgramInfoDlg::ApplyEnables(const ProgramValues &values)
{
    m_ui->channelTypeCombo->setEnabled(values.channelTypeEnabled);
    m_ui->videoPidEdit->setEnabled(values.videoPidEnabled);
    for (QLineEdit *edit : {m_ui->audioPid1Edit, m_ui->audioPid2Edit, m_ui->audioPid3Edit, m_ui->pcrPidEdit})
        edit->setEnabled(values.otherPidsEnabled);
}

void CProgramInfoDlg::ShowValues(const ProgramValues &values)
{
    SetTextIfChanged(m_ui->nameEdit, values.name);
    SetTextIfChanged(m_ui->pcrPidEdit, QString::number(values.pcrPid));
    SetTextIfChanged(m_ui->videoPidEdit, QString::number(values.videoPid));
    SetTextIfChanged(m_ui->audioPid1Edit, QString::number(values.audioPid1));
    SetTextIfChanged(m_ui->audioPid2Edit, QString::number(values.audioPid2));
    SetTextIfChanged(m_ui->audioPid3Edit, QString::number(values.audioPid3));
    // Its change runs the Service ID rule, which enables or disables the PID edits.
    SetTextIfChanged(m_ui->serviceIdEdit, QString::number(values.serviceId));
    m_ui->channelTypeCombo->setCurrentIndex(values.serviceTypeRow);
    m_ui->scrambleCombo->setCurrentIndex(values.scrambleRow);
    m_ui->factoryCombo->setCurrentIndex(values.factoryRow);
    for (int i = 0; i < kGroupItemCount; ++i) {
        if (GroupItemTicked(i) != values.groupTicked[size_t(i)])
            ToggleGroupItem(i);
    }
}

void CProgramInfoDlg::ToggleGroupItem(int item)
{
    QStandardItem *group = m_groupModel->item(item);
    if (!group)
        return;
    const bool ticked = !group->data(kGroupTickedRole).toBool();
    group->setData(ticked, kGroupTickedRole);
    group->setIcon(m_groupImages[ticked ? 1 : 0]);
    group->setData(ticked ? QStringLiteral("ticked") : QStringLiteral("not ticked"), Qt::AccessibleDescriptionRole);
    // The closed list shows the current item; keep its image in step.
    if (m_ui->groupCombo->currentIndex() == item)
        m_ui->groupCombo->setItemIcon(item, group->icon());
}

bool CProgramInfoDlg::GroupItemTicked(int item) const
{
    const QStandardItem *group = m_groupModel->item(item);
    return group && group->data(kGroupTickedRole).toBool();
}

bool CProgramInfoDlg::eventFilter(QObject *watched, QEvent *event)
{
    QAbstractItemView *view = m_ui->groupCombo->view();
    if (watched == view->viewport() && event->type() == QEvent::MouseButtonPress) {
        m_pressInGroupList = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    } else if (watched == view->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // The click that opens the list ends with a release over it: only a click made inside the
        // open list (its press there too) toggles the group under the pointer.
        const bool pressedHere = std::exchange(m_pressInGroupList, false);
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint point = mouse->position().toPoint();
        const QModelIndex index = view->indexAt(point);
        if (pressedHere && mouse->button() == Qt::LeftButton && index.isValid() && view->viewport()->rect().contains(point))
            ToggleGroupItem(index.row());
    } else if (watched == view && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && view->currentIndex().isValid()) {
            ToggleGroupItem(view->currentIndex().row());
            return true;  // the list stays open for the next group
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CProgramInfoDlg::OnServiceIdChanged(const QString &text)
{
    const bool enabled = ProgramInfoForm::PidsEnabledForServiceIdText(text);
    for (QLineEdit *edit : PidEdits())
        edit->setEnabled(enabled);
}

void CProgramInfoDlg::OnChannelTypeActivated(int row)
{
    const ChannelTypeEffect effect = m_form.ChannelTypeSelected(row);
    if (effect.videoPid)
        m_ui->videoPidEdit->setText(QString::number(*effect.videoPid));
    m_ui->videoPidEdit->setEnabled(effect.videoPidEnabled);
}

void CProgramInfoDlg::OnReset()
{
    // The rules of loading change the enable states from where the user left them.
    ProgramValues &values = m_form.Values();
    values.channelTypeEnabled = m_ui->channelTypeCombo->isEnabled();
    values.videoPidEnabled = m_ui->videoPidEdit->isEnabled();
    values.otherPidsEnabled = m_ui->audioPid1Edit->isEnabled();
    m_form.Reset();
    FillLists();
    ApplyEnables(m_form.Values());
    ShowValues(m_form.Values());
}

void CProgramInfoDlg::FocusField(int controlId)
{
    QWidget *control = ControlById(controlId);
    if (!control)
        return;
    control->setFocus(Qt::OtherFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->selectAll();
}

std::optional<ProgramValues> CProgramInfoDlg::TakeValues()
{
    ProgramValues values = m_form.Values();
    values.name = m_ui->nameEdit->text();
    const std::pair<QLineEdit *, int32_t *> signedFields[] = {{m_ui->pcrPidEdit, &values.pcrPid},
                                                              {m_ui->videoPidEdit, &values.videoPid},
                                                              {m_ui->audioPid1Edit, &values.audioPid1},
                                                              {m_ui->audioPid2Edit, &values.audioPid2},
                                                              {m_ui->audioPid3Edit, &values.audioPid3}};
    for (const auto &[edit, target] : signedFields) {
        if (!ProgramInfoForm::ParseSignedEntry(edit->text(), *target)) {
            m_prompt.ShowMessage(ProgramInfoForm::SignedEntryMessage(), QString(), UserPrompt::Exclamation);
            FocusField(edit->property("controlId").toInt());
            return std::nullopt;
        }
    }
    if (!ProgramInfoForm::ParseUnsignedEntry(m_ui->serviceIdEdit->text(), values.serviceId)) {
        m_prompt.ShowMessage(ProgramInfoForm::UnsignedEntryMessage(), QString(), UserPrompt::Exclamation);
        FocusField(IdServiceId);
        return std::nullopt;
    }
    values.serviceTypeRow = m_ui->channelTypeCombo->currentIndex();
    values.scrambleRow = m_ui->scrambleCombo->currentIndex();
    values.factoryRow = m_ui->factoryCombo->currentIndex();
    for (int i = 0; i < kGroupItemCount; ++i)
        values.groupTicked[size_t(i)] = GroupItemTicked(i);
    values.channelTypeEnabled = m_ui->channelTypeCombo->isEnabled();
    values.videoPidEnabled = m_ui->videoPidEdit->isEnabled();
    values.otherPidsEnabled = m_ui->audioPid1Edit->isEnabled();
    return values;
}

void CProgramInfoDlg::accept()
{
    std::optional<ProgramValues> values = TakeValues();
    if (!values)
        return;
    if (const std::optional<ProgramCheckFailure> failure = m_form.Validate(*values)) {
        m_prompt.ShowMessage(failure->message);
        FocusField(failure->controlId);
        return;
    }
    ShowValues(*values);
    m_accepted = *values;
    AcceptChecked();
}

bool CProgramInfoDlg::Run(EditorContext &context, NavNode &node, ProgramDialogMode mode, int index, ServiceFilter serviceFilter,
                          const FavouriteNameTable &groupNames, QWidget *parent)
{
    CChannelDb &db = context.Database();
    ProgramInfoForm form(db, &node, mode, index, serviceFilter, groupNames);
    // Say at once that no program can be added, before anything is typed.
    if (mode == ProgramInsertMode) {
        if (const std::optional<QString> refusal = form.InsertRefusal()) {
            context.Prompt().ShowMessage(*refusal);
            return false;
        }
    }
    CProgramInfoDlg dialog(form, context.Prompt(), parent);
    ExecOrScript(dialog, g_testScript);
    if (dialog.EndFlag() != EndedOk)
        return false;

    const ProgramWriteResult result = form.Write(dialog.AcceptedValues(), context.Prompt());
    if (result.status == ProgramWriteResult::Edited)
        return PushRecordedEdit(context.Document(), QStringLiteral("Edit Channel"),
                                {{KindProgram, result.slot, false, result.before}});
    if (result.status != ProgramWriteResult::Created)
        return false;
    std::vector<SlotMove> moves;
    if (const std::optional<SlotPlacement> place = PlacementOfInserted(node.slots, result.slot))
        moves.push_back({SlotMove::Type::Rotation, KindProgram, place->from, place->to});
    return PushRecordedEdit(context.Document(), QStringLiteral("Insert Channel"),
                            {{KindProgram, result.slot, true, {}}}, std::move(moves));
}
